// Seeds of the world's file readers: map files, the castle template, the waypoint cache.
#include "SeedCorpus.h"

#include "fuzz/SmallBattleWorld.h"
#include "fuzz/seeds/builders/CastleTemplateFixtures.h"
#include "fuzz/seeds/builders/MapFixtures.h"
#include "world/BattleMap.h"
#include "world/CastleTemplate.h"
#include "world/MapFiles.h"
#include "world/RouteGraph.h"

#include <memory>
#include <span>

namespace {

void MapFileSeeds(SeedCorpus& corpus) {
    using mapfix::MapBytes;
    const std::pair<const char*, std::vector<uint8_t>> seeds[] = {
        {"small.m", MapBytes(3, 6)},
        {"gates.m", MapBytes(4, 8, [](MapCell& c, int i) { c.overlayTile = i % 2 ? 0x12C7 : 0x148F; })},
        {"one.m", MapBytes(1, 2)},
    };
    for (const auto& [name, bytes] : seeds) {
        corpus.Write("mapfile", name, bytes);
        MapGrid grid;
        corpus.Check(ParseMapFile(bytes, grid), "mapfile", name, "the reader refuses it");
    }
}

// The stage of two cities, then the door file, as the target reads them.
void CastleTemplateSeeds(SeedCorpus& corpus) {
    std::vector<castlefix::TemplateCity> few = {{1, 0, 40, 90, 1, 1}, {30, 6, 30, 630}};
    const std::vector<uint8_t> stage = castlefix::TemplateStageBytes(few);
    const std::vector<uint8_t> door = WriteDoorFile({castlefix::DefaultTemplateGates()});
    ByteWriter w;
    w.u32(uint32_t(stage.size()));
    w.bytes(stage.data(), stage.size());
    w.bytes(door.data(), door.size());
    corpus.Write("castletemplate", "two-cities", w.buffer());
    CastleTemplate t;
    const std::span<const uint8_t> doorSpan(door);
    corpus.Check(t.Parse(stage, &doorSpan) && t.CityCount() == 2, "castletemplate", "two-cities",
                 "the template does not read both cities");
}

// The graph of the target's map: 16 x 32 open cells with waypoints at (3, 8), (10, 9) and (5, 20).
void RouteCacheSeeds(SeedCorpus& corpus) {
    SmallBattleWorld world;
    constexpr int w = 16, r = 32;
    auto cells = std::make_unique<MapCell[]>(size_t(w) * r);
    for (int i = 0; i < w * r; ++i) {
        cells[i].groundTile = uint16_t(i);
        cells[i].layerTile = MapCell::kNoTile;
        cells[i].overlayTile = MapCell::kNoTile;
    }
    for (int at : {8 * w + 3, 9 * w + 10, 20 * w + 5}) {
        cells[size_t(at)].overlayTile = kWaypointMarker;
        cells[size_t(at)].obstacle = 1; // the build opens it
    }
    world.map->SetCells(std::move(cells), w, r);
    world.map->validBounds = {0, 0, w, r};
    world.map->AllocGrid();
    BuildRouteGraph();
    const std::vector<uint8_t> graph = SerializeRouteGraph();
    FreeRouteGraph();
    corpus.Write("routecache", "graph.opt", graph);
    corpus.Check(ParseRouteCache(graph), "routecache", "graph.opt", "the reader refuses it");
    FreeRouteGraph();
}

} // namespace

void WriteWorldSeeds(SeedCorpus& corpus) {
    MapFileSeeds(corpus);
    CastleTemplateSeeds(corpus);
    RouteCacheSeeds(corpus);
}
