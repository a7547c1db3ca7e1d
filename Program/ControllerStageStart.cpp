#include "Program/BannerWindow.h"
#include "Program/BattleFrame.h"
#include "Program/BattleFrameSeam.h"
#include "Program/CodeLine.h"
#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/LoadingScreen.h"
#include "Program/SceneMachine.h"
#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "engine/LinkList.h"
#include "engine/MusicPlayer.h"
#include "engine/ResourceStore.h"
#include "events/EventManager.h"
#include "gui/RootWidget.h"
#include "platform/CRand.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/TemplateTables.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "windows/WindowHosts.h"
#include "world/BattleMap.h"
#include "world/MapView.h"
#include "world/RouteGraph.h"
#include "world/Zu_SkillEffect.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr const char* kSingleBattleFiles[7] = {"stage00.stg", "stage01.stg", "stage02.stg", "stage03.stg",
                                               "stage04.stg", "stage05.stg", "stage06.stg"};
// The fixed network maps; the fifteen generated-map rows after them carry no file.
constexpr const char* kNetworkMapFiles[6] = {"stage56.stg", "stage57.stg", "stage58.stg",
                                             "stage60.stg", "stage61.stg", "stage62.stg"};

// The settings a network game gives every kingdom: {computer kingdom (kind 2), others}.
struct KingdomSetting {
    uint32_t offset;
    int32_t computer, other;
};
constexpr KingdomSetting kNetworkSettings[] = {
    {36, 0, 0}, {40, 0, 0}, {44, 3, 3}, {56, 10, 12},   {60, 25, 30}, {72, 0, 0},
    {76, 0, 3}, {80, 0, 0}, {84, 0, 0}, {88, 5000, 12}, {92, 2, 2},
};
constexpr uint32_t kRetreat = 64; // "武將撤退"

template <class T>
std::vector<T*> Items(LinkList* list) {
    std::vector<T*> out;
    if (!list) return out;
    for (int i = 0; i < list->GetCount(); ++i)
        out.push_back(reinterpret_cast<T*>(list->GetAt(i)));
    return out;
}

void ClearGameAids(GameController& c) {
    c.playerTruce = 0;
    AllStagesOpen = 0;
    CalendarFrozen = 0;
    SkillDamageOff = 0;
    c.developerKeys = 0;
    TerrainOverlay = 0;
}

void SetRelations(Zu_StageSet& stage) {
    const auto kingdoms = Items<Kingdom>(stage.kingdoms);
    const int32_t count = std::min<int32_t>(int32_t(kingdoms.size()), Kingdom::kMaxNations);
    for (Kingdom* k : kingdoms) {
        const int32_t group = k->Int(KingdomLayout::kAllianceGroup);
        for (int32_t j = 1; j <= count; ++j) {
            const Kingdom* other = TroopKingdom(j);
            const int32_t otherGroup = other ? other->Int(KingdomLayout::kAllianceGroup) : 0;
            if (j == k->nationIndex) {
                k->relations[j] = 1;
            } else if (group == 0 || group != otherGroup) {
                k->relations[j] = 3;
                k->SetInt(KingdomLayout::kDiplomacy, 3);
                k->goodwill[j] = 0;
            } else {
                k->relations[j] = 1;
                k->SetInt(KingdomLayout::kDiplomacy, 0);
                k->goodwill[j] = 100;
            }
        }
    }
}

void ApplyNetworkSettings(Zu_StageSet& stage, int32_t gameKind) {
    for (Kingdom* k : Items<Kingdom>(stage.kingdoms)) {
        const bool computer = k->Int(KingdomLayout::kNationKind) == 2;
        for (const KingdomSetting& s : kNetworkSettings)
            k->SetInt(s.offset, computer ? s.computer : s.other);
        k->SetInt(kRetreat, gameKind == 2 ? 2 : 1);
    }
}

void SetCityStock(City& city, int32_t population, int32_t gold, int32_t food) {
    city.SetInt(CityLayout::kPopulation, population);
    city.SetInt(CityLayout::kGold, gold);
    city.SetInt(CityLayout::kFood, food);
}

// A battle's generals in the field get their bands from their levels (the campaign's stages raise
// theirs from the pass records; a city's generals bring their escorts). The list is taken first:
// the followers join it.
void CreateBattleFollowers(Zu_StageSet& stage) {
    for (Kingdom* k : Items<Kingdom>(stage.kingdoms))
        for (Troop* t : Items<Troop>(&k->fieldUnits))
            if (t->cityUnit == 0 && (!t->followers || t->followers->GetCount() == 0)) t->CreateFollowers();
}

} // namespace

const char* GameController::ChooseStageFile() {
    if (gameKind == 0) {
        if (actIndex < 0 || actIndex > 2 || actChoice < 0 || actChoice > 11) return "";
        return CampaignStageFiles[actIndex][actChoice];
    }
    if (!networked) {
        gameKind = 1;
        return campaignStage < 7 ? kSingleBattleFiles[campaignStage] : "";
    }
    if (randomMap) {
        gameKind = 3;
        return "Virtual.stg";
    }
    if (RoomMapKind == 1) {
        gameKind = 2;
        const int row = campaignStage - 100;
        return row >= 0 && row < 6 ? kNetworkMapFiles[row] : "";
    }
    // A room that is neither a fixed nor a generated map names no file: the start is refused.
    gameKind = 3;
    return "";
}

void GameController::StartStage() {
    ScreenSettings* s = TheScreenSettings;
    if (networked) ClearGameAids(*this);
    if (TheResourceStore)
        std::fill(std::begin(TheResourceStore->spriteSurfaceIndex),
                  std::end(TheResourceStore->spriteSurfaceIndex), uint16_t(101));
    FreeAniFrame(BeginPicture);
    BeginPicture = nullptr;
    if (s && !(networked && randomMap)) s->serialCounter = 100;
    groupTargetA = groupTargetB = nullptr;
    if (s) s->stageEditMode = 0;
    ResetBattleState();
    if (s) s->battleEnded = 0;
    const char* file = ChooseStageFile();
    editorStage = nullptr;

    Zu_StageSet* stage = CurrentStageSet();
    if (networked && stage) {
        // Missing: the player records' team and kingdom fields (alliance groups, the players'
        // kingdoms and names, human-run sides and the own kingdom come from them).
        SetRelations(*stage);
        if (gameKind == 2 || (gameKind == 3 && randomMap)) ApplyNetworkSettings(*stage, gameKind);
    }

    if (!templateTables) templateTables = new TemplateTables;
    // The bar runs on past the loader's part and stops once the battle windows exist.
    StartLoadingScreen();
    if (!templateTables->LoadStage(file, 1))
        GetFrontEndServices()->ShowFileError("Could not read file %s!", file);
    stage = CurrentStageSet();

    if (stage) {
        const GameParameters& p = GameParams();
        for (Kingdom* k : Items<Kingdom>(stage->kingdoms)) {
            const bool computer = k->Int(KingdomLayout::kNationKind) == 2;
            for (City* city : Items<City>(&k->cities)) {
                if (!networked) {
                    if (!computer) continue;
                    const int32_t* pct = p.neutralResourcePercent;
                    SetCityStock(*city, city->Int(CityLayout::kPopulation) * pct[0] / 100,
                                 city->Int(CityLayout::kGold) * pct[1] / 100,
                                 city->Int(CityLayout::kFood) * pct[2] / 100);
                } else if (RoomMapKind != 1 && !computer) {
                    const int r = std::clamp(startResources, 0, 3);
                    SetCityStock(*city, p.cityScaleStart[0][r], p.cityScaleStart[1][r],
                                 p.cityScaleStart[2][r]);
                }
            }
        }
    }
    ResetBattleState();
    if (gameKind == 0 && stage)
        stage->ApplyPassRecords();
    else if (stage)
        CreateBattleFollowers(*stage);
    if (s && stage) {
        s->year = stage->Int(StageBlockLayout::kStartYear);
        s->month = 1;
        s->day = 1;
    }

    if (!auxPanel && TheRootWidget) auxPanel = new BlankScreen(TheRootWidget);
    if (!TheWin98) TheWin98 = new Win98Window;
    SetLoadingProgress(90);
    if (!TheWin01Host) TheWin01Host = new Win01HostWindow;
    SetLoadingProgress(92);
    if (!TheWin99) TheWin99 = new Win99Window;
    SetLoadingProgress(95);

    // The selected city and the view's first place.
    selectedCity = nullptr;
    if (stage) {
        Kingdom* own = gameKind == 0 ? stage->playerKingdom : TroopKingdom(stage->playerSide);
        if (own && own->cities.GetCount() > 0) selectedCity = reinterpret_cast<City*>(own->cities.GetAt(0));
        if (selectedCity && gameKind == 0 && gameScreen) {
            const MapView& v = *gameScreen;
            if (selectedCity->CellX() < v.scrollMinX || selectedCity->CellX() >= v.scrollMaxX ||
                selectedCity->CellY() < v.scrollMinY || selectedCity->CellY() >= v.scrollMaxY)
                selectedCity = nullptr;
        }
    }
    groupTargetA = groupTargetB = nullptr;
    if (gameScreen) {
        MapView& v = *gameScreen;
        int32_t x = 0, y = 0;
        Troop* first = nullptr;
        if (!selectedCity && networked && RoomMapKind == 1 && stage)
            if (Kingdom* own = TroopKingdom(stage->playerSide))
                for (Troop* t : Items<Troop>(&own->fieldUnits))
                    if (!t->outOfPlay && !t->IsGone()) {
                        first = t;
                        break;
                    }
        if (selectedCity) {
            x = selectedCity->CellX() - 10;
            y = (selectedCity->CellY() - 14) & ~1;
        } else if (first) {
            x = first->cellX - 10;
            y = (2 * first->cellY - 28) & ~1;
        } else if (stage) {
            x = stage->Int(StageBlockLayout::kStartX);
            y = stage->Int(StageBlockLayout::kStartY) & ~1;
        }
        x = std::max(0, std::min(x, v.mapWidth - MapView::kViewColumns));
        y = std::max(0, std::min(y, v.mapHeight - MapView::kViewRows));
        v.SetViewOrigin(x, y);
    }

    SetLoadingProgress(98);
    if (TheBattleMap) TheBattleMap->PrepareStage();
    battlePhase = 0;
    if (s) s->editorKeys = 0;
    if (!eventManager) eventManager = new EventManager;
    LoadOrBuildRouteCache();
    SetLoadingProgress(100);
    // The four effects enter the effect list by themselves.
    for (int i = 0; i < 4; ++i) {
        auto* effect = new Zu_SkillEffect(1, 2, 0, 0);
        if (!effect->list) delete effect; // no effect list to own it
    }
    if (gameKind == 0) {
        if (TheResourceStore && campaignStage >= 11)
            BeginPicture = TheResourceStore->LoadAniFrame("Begin.ani", campaignStage - 11);
        BeginPictureCount = 0;
    } else {
        PlayMusic(BattleMusicTracks[platform::rand() % 7], 0);
    }
    StopLoadingScreen();
    running = 1;
    if (networked) ClearGameAids(*this);
    if (gameKind == 1 && s) s->gameSpeed = 6;
}
