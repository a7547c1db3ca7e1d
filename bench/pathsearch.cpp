// Path search on a 128 x 128 unit grid (128 x 256 map cells) with scattered obstacles: one path
// per iteration, for goals that can be reached and for goals walled in.
#include "world/PathSearch.h"
#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"
#include "world/Coordinates.h"
#include "world/UnitPath.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int kUnits = 128;

struct Pair {
    int sx, sy, tx, ty;
};

struct Field {
    std::vector<Pair> reachable, walledIn;

    Field() {
        TheScreenSettings = new ScreenSettings;
        TheGameController = new GameController;
        TheBattleMap = new BattleMap;
        const int w = kUnits, r = 2 * kUnits;
        auto cells = std::make_unique<MapCell[]>(size_t(w) * r);
        std::mt19937 rng(11);
        for (int i = 0; i < w * r; ++i)
            cells[size_t(i)].obstacle = (rng() % 100) < 15 ? 1 : 0;
        // Walled-in goals: rings of blocked cells round every (16i + 8, 16j + 8).
        for (int gy = 8; gy < kUnits; gy += 16)
            for (int gx = 8; gx < kUnits; gx += 16)
                for (int d = -1; d <= 1; ++d)
                    for (auto [x, y] :
                         {std::pair{gx + d, gy - 1}, {gx + d, gy + 1}, {gx - 1, gy + d}, {gx + 1, gy + d}})
                        cells[size_t(2 * y) * w + x].obstacle = 1;
        TheBattleMap->SetCells(std::move(cells), w, r);
        TheBattleMap->validBounds = {0, 0, w, r};
        TheBattleMap->AllocGrid();

        while (reachable.size() < 64 || walledIn.size() < 64) {
            Pair p{2 + int(rng() % 124), 2 + int(rng() % 124), 2 + int(rng() % 124), 2 + int(rng() % 124)};
            if (GetCell(p.sx, p.sy) || GetCell(p.tx, p.ty)) continue;
            uint8_t result = 0;
            SearchGridPath(nullptr, nullptr, p.sx, p.sy, p.tx, p.ty, 5, 1000, result);
            ResetPathSearch();
            if (result == 0 && reachable.size() < 64) reachable.push_back(p);
            if (walledIn.size() < 64) {
                p.tx = 8 + 16 * int(rng() % 8);
                p.ty = 8 + 16 * int(rng() % 8);
                TheBattleMap->CellAt(p.tx, 2 * p.ty)->obstacle = 0;
                walledIn.push_back(p);
            }
        }
    }
    static bool GetCell(int x, int y) { return TheBattleMap->CellAt(x, 2 * y)->obstacle != 0; }
};

Field& TheField() {
    static Field field;
    return field;
}

// The troops' first search: weight 5, limit 1000.
void Search(benchmark::State& state, const std::vector<Pair>& pairs) {
    size_t i = 0;
    for (auto _ : state) {
        const Pair& p = pairs[i++ % pairs.size()];
        uint8_t result = 0;
        benchmark::DoNotOptimize(SearchGridPath(nullptr, nullptr, p.sx, p.sy, p.tx, p.ty, 5, 1000, result));
        ResetPathSearch();
    }
}

void ReachableGoal(benchmark::State& state) {
    Search(state, TheField().reachable);
}
void UnreachableGoal(benchmark::State& state) {
    Search(state, TheField().walledIn);
}
// The same search with weight 1 and no limit of its own (10000), as the graph legs run it.
void ReachableGoalWeightOne(benchmark::State& state) {
    size_t i = 0;
    const auto& pairs = TheField().reachable;
    for (auto _ : state) {
        const Pair& p = pairs[i++ % pairs.size()];
        uint8_t result = 0;
        benchmark::DoNotOptimize(SearchGridPath(nullptr, nullptr, p.sx, p.sy, p.tx, p.ty, 1, 0, result));
        ResetPathSearch();
    }
}
void UnreachableTest(benchmark::State& state) {
    size_t i = 0;
    const auto& pairs = TheField().walledIn;
    for (auto _ : state) {
        const Pair& p = pairs[i++ % pairs.size()];
        benchmark::DoNotOptimize(IsTileUnreachable(nullptr, nullptr, p.tx, p.ty, p.sx, p.sy));
    }
}

// A troop's whole new path: the search, the straightening into waypoints and the first step.
void FindUnitPathReachable(benchmark::State& state) {
    size_t i = 0;
    const auto& pairs = TheField().reachable;
    // At cell (0, 0) the troop stays off the map's cell lists.
    Troop troop(1, 10, 0, 0, 1, 0, 0, new OfficerRecord(1, 1));
    for (auto _ : state) {
        const Pair& p = pairs[i++ % pairs.size()];
        troop.facing = 0;
        troop.nextDirection = 0; // a new search each time, not a step along the last path
        troop.worldX = TileToWorldX(p.sx);
        troop.worldY = TileToWorldY(p.sy);
        benchmark::DoNotOptimize(FindUnitPath(&troop, p.sx, p.sy, p.tx, p.ty));
    }
    FreeUnitPath(&troop);
}

} // namespace

BENCHMARK(FindUnitPathReachable)->Repetitions(15)->ReportAggregatesOnly(true);
BENCHMARK(ReachableGoal)->Repetitions(15)->ReportAggregatesOnly(true);
BENCHMARK(UnreachableGoal)->Repetitions(15)->ReportAggregatesOnly(true);
BENCHMARK(ReachableGoalWeightOne)->Repetitions(15)->ReportAggregatesOnly(true);
BENCHMARK(UnreachableTest)->Repetitions(15)->ReportAggregatesOnly(true);
