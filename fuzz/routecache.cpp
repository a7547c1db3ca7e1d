// Feeds arbitrary bytes to the waypoint cache reader over a small map with three waypoints.
#include "world/BattleMap.h"
#include "world/RouteGraph.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {
BattleMap& Map() {
    static BattleMap* map = [] {
        auto* m = new BattleMap;
        constexpr int w = 16, r = 32;
        auto cells = std::make_unique<MapCell[]>(size_t(w) * r);
        cells[size_t(8 * w + 3)].overlayTile = kWaypointMarker;
        cells[size_t(9 * w + 10)].overlayTile = kWaypointMarker;
        cells[size_t(20 * w + 5)].overlayTile = kWaypointMarker;
        m->SetCells(std::move(cells), w, r);
        m->validBounds = {0, 0, w, r};
        m->AllocGrid();
        TheBattleMap = m;
        return m;
    }();
    return *map;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Map();
    if (ParseRouteCache({data, size})) (void)SerializeRouteGraph();
    FreeRouteGraph();
    return 0;
}
