#include "Program/BannerWindow.h"
#include "Program/BattleFrame.h"
#include "Program/CodeLine.h"
#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/LoadingScreen.h"
#include "Program/SceneMachine.h"
#include "Program/ScreenSettings.h"
#include "Program/StageCalendar.h"
#include "Program/StageSet.h"
#include "engine/LinkList.h"
#include "engine/MusicPlayer.h"
#include "engine/ResourceStore.h"
#include "events/EventManager.h"
#include "gui/RootWidget.h"
#include "net/Zu_LocalSet.h"
#include "net/lobby/SlotFields.h"
#include "platform/CRand.h"
#include "platform/Files.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/TemplateTables.h"
#include "troops/Troop.h"
#include "troops/TroopOrder.h"
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
// The name a generated map gives every kingdom before the players take theirs.
constexpr const char* kComputerName = "\xb9\x71\xb8\xa3"; // "電腦"

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

// The joined players' teams and names go to their kingdoms, the kingdoms people play are marked as
// such and the own player's kingdom becomes the stage's.
void TakePlayers(GameController& c, Zu_StageSet& stage) {
    const int32_t joined = c.session ? std::clamp(c.session->playerCount, 0, 20) : 0;
    const bool generated = c.gameKind == 3 && c.randomMap != 0;
    if (c.roomMapKind != 1) {
        for (int32_t id = 1; id <= 16; ++id)
            if (Kingdom* k = TroopKingdom(id)) {
                k->SetAllianceGroup(0);
                if (generated) k->SetText(KingdomLayout::kName, 20, kComputerName);
            }
        for (int32_t i = 0; i < joined; ++i) {
            const PlayerSlot& p = c.players[i];
            Kingdom* k = TroopKingdom(static_cast<int32_t>(slotfields::Choice(p)));
            if (!k) continue;
            k->SetAllianceGroup(static_cast<int32_t>(slotfields::Alliance(p)));
            if (generated) k->SetText(KingdomLayout::kName, 20, slotfields::Name(p));
        }
    }
    if (BattleMap* map = TheBattleMap) {
        for (int32_t id = 1; id <= 16; ++id)
            map->sideActive[id] = 1;
        // A kingdom id past the battle map's table names no kingdom of this map.
        for (int i = 0; i < 16; ++i)
            if (const uint32_t id = slotfields::Choice(c.players[i]);
                id <= uint32_t(BattleMap::kSides) && BattleMap::ValidSide(int(id)))
                map->sideActive[id] = 0;
    }
    const int own = c.session ? c.session->OwnIndex() : -1;
    if (own >= 0 && own < 20) {
        stage.playerSide = static_cast<int32_t>(slotfields::Choice(c.players[own]));
        stage.playerKingdom = TroopKingdom(stage.playerSide);
    }
}

bool HumanRun(const Kingdom& k) {
    return TheBattleMap && BattleMap::ValidSide(k.nationIndex) &&
           TheBattleMap->sideActive[k.nationIndex] == 0;
}

// People give their own orders: their troops start without the stage's.
void ClearOrders(Kingdom& k) {
    for (Troop* t : Items<Troop>(&k.fieldUnits)) {
        if (t->officer) {
            for (uint32_t i = 0; i < 9; ++i)
                t->officer->Set(OfficerLayout::kOrderA + 4 * i, 0);
            t->officer->Set(OfficerLayout::kActionAi, 0);
        }
        if (t->order) t->order->orderState = 0;
    }
}

// On a fixed network map every general fights at the room's level, famous ones at half of it.
void LevelAndPlace(Kingdom& k, int32_t level) {
    for (Troop* t : Items<Troop>(&k.fieldUnits)) {
        if (t->officer)
            t->officer->Set(OfficerLayout::kLevel,
                            t->officer->Get(OfficerLayout::kFamous) != 0 ? level / 2 : level);
        t->CreateFollowers();
    }
}

void SetCityStock(City& city, int32_t population, int32_t gold, int32_t food) {
    city.SetInt(CityLayout::kPopulation, population);
    city.SetInt(CityLayout::kGold, gold);
    city.SetInt(CityLayout::kFood, food);
}

// A single battle's generals in the field get their bands from their levels (the campaign's stages
// raise theirs from the pass records, a fixed network map places them with the room's level, a
// city's generals bring their escorts). The list is taken first: the followers join it.
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
    if (roomMapKind == 1) {
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
    // The overlay pictures' surface numbers stay as the start-up loaded them: "kingdom.cel" is read
    // once, so a table overwritten here would leave every overlay on a wrong or missing surface.
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
        TakePlayers(*this, *stage);
        SetRelations(*stage);
        if (gameKind == 2 || (gameKind == 3 && randomMap)) ApplyNetworkSettings(*stage, gameKind);
    }

    if (!templateTables) templateTables = new TemplateTables;
    // The bar runs on past the loader's part and stops once the battle windows exist.
    StartLoadingScreen();
    const bool loaded = templateTables->LoadStage(file, 1) != 0;
    stage = CurrentStageSet();
    if (!loaded) {
        GetFrontEndServices()->ShowFileError("Could not read file %s!", file);
        // A stage read from the folder is not played with a file of its set missing or damaged;
        // one made in memory (a generated map) has no set of files to miss.
        if (!stage || platform::FileExists(file)) {
            StopLoadingScreen();
            running = 0;
            return;
        }
    }

    if (stage) {
        const GameParameters& p = GameParams();
        for (Kingdom* k : Items<Kingdom>(stage->kingdoms)) {
            const bool computer = k->Int(KingdomLayout::kNationKind) == 2;
            if (networked && HumanRun(*k)) ClearOrders(*k);
            if (networked && roomMapKind == 1) {
                LevelAndPlace(*k, startLevel);
                continue;
            }
            for (City* city : Items<City>(&k->cities)) {
                if (!networked) {
                    if (!computer) continue;
                    const int32_t* pct = p.neutralResourcePercent;
                    SetCityStock(*city, city->Int(CityLayout::kPopulation) * pct[0] / 100,
                                 city->Int(CityLayout::kGold) * pct[1] / 100,
                                 city->Int(CityLayout::kFood) * pct[2] / 100);
                    continue;
                }
                if (!computer) {
                    const int r = std::clamp(startResources, 0, 3);
                    SetCityStock(*city, p.cityScaleStart[0][r], p.cityScaleStart[1][r],
                                 p.cityScaleStart[2][r]);
                }
                // A generated map's garrisons stand ready at the level they were made for.
                if (randomMap)
                    for (Troop* t : Items<Troop>(&city->units)) {
                        t->outOfPlay = 0;
                        if (t->officer) t->officer->GrowStats(0);
                    }
            }
        }
    }
    ResetBattleState();
    if (gameKind == 0 && stage)
        stage->ApplyPassRecords();
    else if (stage && gameKind == 1)
        CreateBattleFollowers(*stage);
    if (s && stage) {
        s->year = stage->Int(StageBlockLayout::kStartYear);
        s->month = 1;
        s->day = 1;
    }

    if (!auxPanel && TheRootWidget) auxPanel = new BlankScreen(TheRootWidget);
    if (!TheWin98) TheWin98 = new Win98Window(TheRootWidget);
    SetLoadingProgress(90);
    if (!TheWin01Host) TheWin01Host = new Win01HostWindow(TheRootWidget, this);
    SetLoadingProgress(92);
    if (!TheWin99) TheWin99 = new Win99Window(TheRootWidget, this);
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
        if (!selectedCity && networked && roomMapKind == 1 && stage)
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
        // The terrain the stage's loading drew belongs to the start view it read.
        v.Redraw();
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
    if (networked) {
        const int32_t joined = session ? std::clamp(session->playerCount, 0, 20) : 0;
        std::copy(players, players + joined, startedPlayers);
        ClearGameAids(*this);
    }
    if (gameKind == 1 && s) s->gameSpeed = 6;
}
