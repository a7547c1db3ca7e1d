#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "engine/LinkList.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/ScenarioData.h"
#include "records/TemplateTables.h"
#include "stagefiles/MainStageLayout.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageWriter.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"
#include "world/MapView.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

namespace {

using M = MainStageLayout;

// A kingdom record holds at least its two block lengths and its city count.
constexpr size_t kMinKingdomBytes = 12;
constexpr int32_t kDefaultLevel = 5;

// The battle map's tables of kingdoms and cities as they stood before a read, put back when the
// file turns out damaged.
struct TablesBefore {
    explicit TablesBefore(const BattleMap& map) : cityCount(map.cityCount), sideCount(map.sideCount) {
        std::copy(std::begin(map.cities), std::end(map.cities), cities.begin());
        std::copy(std::begin(map.kingdomTable), std::end(map.kingdomTable), kingdoms.begin());
        std::copy(std::begin(map.sideActive), std::end(map.sideActive), active.begin());
    }
    void Restore(BattleMap& map) const {
        std::copy(cities.begin(), cities.end(), std::begin(map.cities));
        std::copy(kingdoms.begin(), kingdoms.end(), std::begin(map.kingdomTable));
        std::copy(active.begin(), active.end(), std::begin(map.sideActive));
        map.cityCount = cityCount;
        map.sideCount = sideCount;
    }

    std::array<City*, BattleMap::kCities> cities{};
    std::array<Kingdom*, BattleMap::kSides + 1> kingdoms{};
    std::array<uint8_t, BattleMap::kSides + 1> active{};
    int32_t cityCount;
    int32_t sideCount;
};

void ClearTables(BattleMap& map) {
    std::fill(std::begin(map.cities), std::end(map.cities), nullptr);
    std::fill(std::begin(map.kingdomTable), std::end(map.kingdomTable), nullptr);
    map.cityCount = 0;
    map.sideCount = 0;
}

// Troops read into a kingdom that is given up may stand in the dying list or on a cell: they
// leave them before they go with their kingdom.
void Unplace(BattleMap& map, Troop* t) {
    map.RemoveObjectEverywhere(uintptr_t(t));
    if (map.dyingTroops)
        while (map.dyingTroops->RemoveValue(uintptr_t(t))) {
        }
}

void ForgetTroops(BattleMap& map, Kingdom& k) {
    for (City* c : ListValues<City>(k.cities)) {
        for (Troop* t : ListValues<Troop>(c->reserve))
            Unplace(map, t);
        for (Troop* t : ListValues<Troop>(c->units))
            Unplace(map, t);
    }
    for (Troop* t : ListValues<Troop>(k.fieldUnits))
        Unplace(map, t);
}

// Every city of the kingdom takes its first city as parent.
void SetParents(Kingdom& k, bool copySettings) {
    const auto cities = ListValues<City>(k.cities);
    for (City* c : cities) {
        c->parent = cities.front();
        if (copySettings) c->CopyOwnerSettings();
    }
}

// The player's kingdom of the stage record, its city list and first city, from its id.
void DerivePlayer(Zu_StageSet& stage) {
    stage.playerKingdom = nullptr;
    stage.playerCities = nullptr;
    stage.playerFirstCity = nullptr;
    for (Kingdom* k : ListValues<Kingdom>(*stage.kingdoms)) {
        if (k->nationIndex != stage.playerSide) continue;
        stage.playerKingdom = k;
        stage.playerCities = &k->cities;
        stage.playerFirstCity = reinterpret_cast<City*>(k->cities.First());
        return;
    }
}

int32_t CityIdOf(const City* c) {
    return c ? c->id : 0;
}

} // namespace

int TemplateTables::ReadMainFile(const char* name) {
    const auto bytes = StageReader::ReadFile(name);
    if (!bytes) return 0;
    StageReader in(*bytes, CurrentStageLoadMode());
    return ReadMainFile(in);
}

int TemplateTables::ReadMainFile(StageReader& in) {
    if (!TheBattleMap || !TheBattleMap->scenario) return 0;
    BattleMap& map = *TheBattleMap;
    // An empty or unreadable marker changes nothing.
    const uint32_t marker = in.u32();
    if (!in.ok() || marker == 0) return 0;

    const TablesBefore before(map);
    Zu_StageSet* const previous = map.stageSet;
    ClearTables(map);
    kingdomsRead = 0;
    auto* stage = new Zu_StageSet;
    map.stageSet = stage;
    std::vector<std::unique_ptr<Kingdom>> extras;
    const bool fresh = in.fresh();

    auto fail = [&]() {
        for (Kingdom* k : ListValues<Kingdom>(*stage->kingdoms))
            ForgetTroops(map, *k);
        for (auto& k : extras)
            ForgetTroops(map, *k);
        map.stageSet = previous;
        delete stage;
        extras.clear();
        before.Restore(map);
        kingdomsRead = 0;
        return 0;
    };

    uint8_t game[M::kGameBlock];
    if (!in.SizedBlock(stage->block, M::kStageBlock) || !in.SizedBlock(game, M::kGameBlock)) return fail();
    auto word = [&](int i) { return GetWord(game, size_t(i) * 4); };
    for (int i = 0; i < 8; ++i)
        stage->stageWords[i] = word(4 + i);
    stage->daysElapsed = word(13);
    stage->monthsElapsed = word(14);
    const int32_t controlled = stage->Column(StageBlockLayout::kPlayerSide);
    stage->playerSide = controlled != 0 ? controlled : 1;
    if (fresh) std::fill(std::begin(map.sideActive) + 1, std::end(map.sideActive), uint8_t(1));

    int32_t count = 0;
    if (!in.Count(count, kMinKingdomBytes)) return fail();
    for (int32_t i = 0; i < count; ++i) {
        auto* k = new Kingdom;
        // Listed first: a damaged kingdom goes with the stage.
        stage->AddKingdom(k);
        if (!ReadKingdom(in, *k)) return fail();
        if (k->cities.GetCount() > 0) SetParents(*k, true);
    }
    if (!in.Count(count, kMinKingdomBytes)) return fail();
    for (int32_t i = 0; i < count; ++i) {
        extras.push_back(std::make_unique<Kingdom>());
        Kingdom& k = *extras.back();
        if (!ReadKingdom(in, k)) return fail();
        const int32_t kind = k.NationKind();
        if (kind == 4 || kind == 5) map.sideActive[k.nationIndex] = 0;
        if (k.cities.GetCount() > 0) SetParents(k, false);
    }
    std::array<int32_t, M::kTrailerWords + 1> trailer{}; // by word number, from 1
    for (int i = 1; i <= M::kTrailerWords; ++i)
        trailer[size_t(i)] = in.i32();
    if (!in.ok()) return fail();

    // The whole file is read: the stage takes the place of the one before.
    ScenarioData& scenario = *map.scenario;
    for (uintptr_t v = scenario.stageRecords.First(); v != 0; v = scenario.stageRecords.First()) {
        scenario.stageRecords.RemoveCurrent();
        // A record goes as the current one, so that it takes what belongs to it along.
        map.stageSet = reinterpret_cast<Zu_StageSet*>(v);
        delete map.stageSet;
    }
    map.stageSet = stage;
    scenario.stageRecords.Add(uintptr_t(stage));
    map.extraKingdoms = std::move(extras);
    int32_t lastIndex = 0;
    for (int32_t s = 1; s <= BattleMap::kSides; ++s)
        if (map.kingdomTable[s]) lastIndex = s;
    map.sideCount = lastIndex;

    if (ScreenSettings* settings = TheScreenSettings) {
        int32_t* levels[4] = {&settings->musicVolume, &settings->soundVolume, &settings->speechSetting,
                              &settings->gameSpeed};
        for (int i = 0; i < 4; ++i)
            *levels[i] = fresh ? kDefaultLevel : word(i);
        settings->year = trailer[3];
        settings->month = trailer[4];
        settings->day = trailer[5];
    }
    if (!fresh) map.nextUnitId = word(15);
    trailerSelectedCity = trailer[6];
    trailerViewCity = trailer[7];
    if (GameController* c = TheGameController) {
        if (!fresh) {
            c->gameKind = trailer[12];
            c->actIndex = trailer[13];
            c->stageListChoice = static_cast<int8_t>(trailer[17]);
        }
        // A group the controller cannot hold is none.
        c->currentGroup =
            trailer[14] >= 0 && trailer[14] <= 9 ? static_cast<int8_t>(trailer[14]) : int8_t(-1);
        c->deploymentCount = static_cast<int16_t>(trailer[15]);
        c->actChoice = static_cast<int8_t>(trailer[18]);
        c->groupsTouched = trailer[22];
        const bool keptOutside = TheScreenSettings && TheScreenSettings->mapKeptOutside;
        if (!keptOutside && c->gameScreen)
            c->gameScreen->SetView(trailer[8], trailer[10], trailer[9], trailer[11]);
    }

    for (Kingdom* k : ListValues<Kingdom>(*stage->kingdoms))
        if (k->NationKind() == 0) {
            stage->playerSide = k->nationIndex;
            break;
        }
    DerivePlayer(*stage);
    if (TheGameController)
        TheGameController->campaignStage =
            static_cast<uint8_t>(stage->Column(StageBlockLayout::kStageNumber));
    LoadPassRecord();
    return 1;
}

int TemplateTables::WriteMainFile(StageWriter& out) {
    if (!TheBattleMap || !TheBattleMap->stageSet) return 0;
    BattleMap& map = *TheBattleMap;
    Zu_StageSet& stage = *map.stageSet;
    const ScreenSettings* settings = TheScreenSettings;
    const GameController* c = TheGameController;

    out.SizedBlock(stage.block, M::kStageBlock);
    out.u32(M::kGameBlock);
    const int32_t levels[4] = {
        settings ? settings->musicVolume : kDefaultLevel, settings ? settings->soundVolume : kDefaultLevel,
        settings ? settings->speechSetting : kDefaultLevel, settings ? settings->gameSpeed : kDefaultLevel};
    for (int32_t level : levels)
        out.i32(level);
    for (int32_t w : stage.stageWords)
        out.i32(w);
    out.i32(stage.playerSide);
    out.i32(stage.daysElapsed);
    out.i32(stage.monthsElapsed);
    out.i32(map.nextUnitId);

    const auto kingdoms = ListValues<Kingdom>(*stage.kingdoms);
    out.i32(int32_t(kingdoms.size()));
    for (Kingdom* k : kingdoms)
        WriteKingdom(out, *k);
    const bool keptOutside = settings && settings->mapKeptOutside;
    out.i32(keptOutside ? 0 : int32_t(map.extraKingdoms.size()));
    if (!keptOutside)
        for (auto& k : map.extraKingdoms)
            WriteKingdom(out, *k);

    const MapView* view = c ? c->gameScreen : nullptr;
    out.i32(view ? view->viewX : 0);
    out.i32(view ? view->viewY : 0);
    out.i32(settings ? settings->year : 0);
    out.i32(settings ? settings->month : 0);
    out.i32(settings ? settings->day : 0);
    out.i32(c ? CityIdOf(c->selectedCity) : 0);
    out.i32(view ? CityIdOf(view->currentCity) : 0);
    out.i32(view ? view->scrollMinX : 0);
    out.i32(view ? view->scrollMaxX : map.width);
    out.i32(view ? view->scrollMinY : 0);
    out.i32(view ? view->scrollMaxY : map.rows);
    out.i32(c ? c->gameKind : 0);
    out.i32(c ? c->actIndex : 0);
    out.i32(c ? c->currentGroup : -1);
    out.i32(c ? c->deploymentCount : 0);
    out.i32(c ? c->heroChoice : -1);
    out.i32(c ? c->stageListChoice : -1);
    out.i32(c ? c->actChoice : -1);
    out.i32(c ? static_cast<int8_t>(c->campaignStage) : 0);
    out.i32(c ? c->actOption : 0);
    out.i32(c ? c->groupsTouched : 0);
    out.i32(0);
    return 1;
}

int TemplateTables::SaveMainFile(const char* name) {
    StageWriter out;
    const bool stage = TheBattleMap && TheBattleMap->stageSet;
    out.u32(stage ? 1 : 0);
    if (stage) WriteMainFile(out);
    return out.Save(name) ? 1 : 0;
}
