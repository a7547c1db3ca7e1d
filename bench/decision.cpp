// The troop decision cycle: one frame of Think for 200 troops of two kingdoms at war on a 64 x 64
// unit map, a quarter of them walking to a destination, the rest standing with an order.
#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "engine/LinkList.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "troops/TroopOrder.h"
#include "world/BattleMap.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

constexpr int kUnits = 64;
constexpr int kTroops = 200;

struct Field {
    std::vector<Troop*> troops;

    Field() {
        TheScreenSettings = new ScreenSettings;
        TheGameController = new GameController;
        TheGameController->running = 1;
        TheBattleMap = new BattleMap;
        const int w = kUnits, r = 2 * kUnits;
        auto cells = std::make_unique<MapCell[]>(size_t(w) * r);
        for (int i = 0; i < w * r; ++i) {
            cells[size_t(i)].groundTile = 100;
            cells[size_t(i)].layerTile = MapCell::kNoTile;
            cells[size_t(i)].overlayTile = MapCell::kNoTile;
        }
        TheBattleMap->SetCells(std::move(cells), w, r);
        TheBattleMap->validBounds = {0, 0, w, r};
        TheBattleMap->AllocGrid();
        TheBattleMap->occupancyView = {0, 0, w, kUnits};
        auto* stage = new Zu_StageSet;
        TheBattleMap->stageSet = stage;
        Kingdom* sides[2];
        for (int s = 0; s < 2; ++s) {
            sides[s] = new Kingdom;
            sides[s]->nationIndex = s + 1;
            stage->kingdoms->Add(reinterpret_cast<uintptr_t>(sides[s]));
            TheBattleMap->kingdomTable[s + 1] = sides[s];
        }
        sides[0]->relations[2] = sides[1]->relations[1] = 3;
        for (int i = 0; i < kTroops; ++i) {
            const int side = i % 2;
            auto* o = new OfficerRecord(side + 1, -1);
            o->Set(OfficerLayout::kSoldierType, 1);
            o->Set(OfficerLayout::kAttribute, i % 10 == 0 ? 1 : 2);
            o->serial = uint32_t(1000 + i);
            const int x = 4 + (i * 7) % (kUnits - 8), y = 4 + (i * 13) % (kUnits - 8);
            auto* t = new Troop(1, 10, int16_t(x), int16_t(y), int8_t(side + 1), 0, 0, o);
            if (i % 4 == 0) t->ApplyCmd02(kUnits - 1 - x, kUnits - 1 - y);
            sides[side]->fieldUnits.Add(reinterpret_cast<uintptr_t>(t));
            troops.push_back(t);
        }
    }
};

Field& TheField() {
    static Field field;
    return field;
}

void DecisionCycle(benchmark::State& state) {
    Field& f = TheField();
    for (auto _ : state)
        for (Troop* t : f.troops)
            t->Think();
    state.SetItemsProcessed(state.iterations() * kTroops);
}
BENCHMARK(DecisionCycle)->Unit(benchmark::kMicrosecond);

} // namespace
