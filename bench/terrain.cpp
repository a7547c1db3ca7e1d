// The terrain of the map view: a full redraw of the 800 x 560 ring and one scroll step (a band
// down, a column right), each against a plain copy of an 800 x 600 frame.
#include "engine/ResourceStore.h"
#include "world/BattleMap.h"
#include "world/TerrainRing.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int kGround = 16;

// A store holding only terrain cells, and a 60 x 240 map of seen cells with some layer tiles.
struct TerrainWorld {
    TerrainWorld() {
        store = std::make_unique<ResourceStore>();
        TheResourceStore = store.get();
        store->groundCount = kGround;
        store->groundCells = new uint16_t*[kGround];
        for (int g = 0; g < kGround; ++g) {
            store->groundCells[g] = new uint16_t[400];
            for (int i = 0; i < 400; ++i)
                store->groundCells[g][i] = uint16_t(0x0841 + g * 977 + i * 13) | 1;
        }
        store->layerCount = 1;
        store->layerCells = new uint16_t*[1];
        store->layerCells[0] = new uint16_t[400];
        for (int i = 0; i < 400; ++i)
            store->layerCells[0][i] = i % 3 ? 0 : 0xF00F;
        auto cells = std::make_unique<MapCell[]>(60 * 240);
        for (int i = 0; i < 60 * 240; ++i) {
            cells[i].groundTile = uint16_t(i % kGround);
            cells[i].layerTile = i % 7 == 0 ? 0 : MapCell::kNoTile;
            cells[i].sightCount = 2;
        }
        map.SetCells(std::move(cells), 60, 240);
        ringPixels.resize(800 * 560);
        ring = {ringPixels.data(), 800, 800, 560};
    }
    ~TerrainWorld() { TheResourceStore = nullptr; }
    std::unique_ptr<ResourceStore> store;
    BattleMap map;
    std::vector<uint16_t> ringPixels;
    PixelArea ring;
    TerrainRing terrain;
};

void FrameCopy800x600(benchmark::State& state) {
    std::vector<uint16_t> src(800 * 600, 0x1234), dst(800 * 600);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), src.size() * 2);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(FrameCopy800x600);

void TerrainFullRedraw(benchmark::State& state) {
    TerrainWorld w;
    for (auto _ : state) {
        w.terrain.ringRow = 0;
        for (int k = 0; k < TerrainRing::kBands; ++k) {
            w.terrain.RenderBand(w.map, 10, 40 + 2 * k);
            w.terrain.CommitBand(w.ring);
            ++w.terrain.ringRow;
        }
        w.terrain.ringRow = 0;
        benchmark::DoNotOptimize(w.ringPixels.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(TerrainFullRedraw);

void TerrainScrollDownStep(benchmark::State& state) {
    TerrainWorld w;
    int y = 40;
    for (auto _ : state) {
        w.terrain.RenderBand(w.map, 10, y + 56);
        w.terrain.CommitBand(w.ring);
        w.terrain.ringRow = (w.terrain.ringRow + 1) % TerrainRing::kBands;
        y = y >= 160 ? 40 : y + 2;
        benchmark::DoNotOptimize(w.ringPixels.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(TerrainScrollDownStep);

void TerrainScrollRightStep(benchmark::State& state) {
    TerrainWorld w;
    int x = 5;
    for (auto _ : state) {
        w.terrain.RenderColumn(w.map, x + 20, 40);
        w.terrain.CommitColumn(w.ring);
        w.terrain.ringColumn = (w.terrain.ringColumn + 1) % TerrainRing::kColumns;
        x = x >= 30 ? 5 : x + 1;
        benchmark::DoNotOptimize(w.ringPixels.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(TerrainScrollRightStep);

} // namespace
