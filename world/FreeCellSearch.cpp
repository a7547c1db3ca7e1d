#include "world/FreeCellSearch.h"

#include "troops/DiamondRing.h"
#include "world/BattleMap.h"

#include <algorithm>

namespace {

constexpr int8_t kOffsets[9][2] = {{0, 0}, {1, 1},  {0, 1},   {1, 2}, {0, 2},
                                   {2, 2}, {-1, 0}, {-1, -1}, {-1, 1}};

bool OnMap(const BattleMap& map, int32_t x, int32_t y) {
    return x >= 0 && y >= 0 && x < map.unitGridWidth && y < map.unitGridRows;
}

bool Passes(BattleMap& map, int32_t x, int32_t y) {
    return map.FirstObjectAt(x, y) == 0 && static_cast<int8_t>(map.GetCell(x, 2 * y)->obstacle) < 1;
}

} // namespace

bool FindFreeCellNear(int32_t& x, int32_t& y) {
    BattleMap* map = TheBattleMap;
    if (!map) return false;
    for (const auto& o : kOffsets)
        if (Passes(*map, x + o[0], y + o[1])) {
            x += o[0];
            y += o[1];
            return true;
        }
    // The walk down the diagonal ends at the map's edge, where every cell reads as blocked.
    for (int32_t k = 0; OnMap(*map, x - k, y + k); ++k)
        if (Passes(*map, x - k, y + k)) {
            x -= k;
            y += k;
            return true;
        }
    const int32_t reach = std::max(map->unitGridWidth, map->unitGridRows) * 2;
    for (int32_t r = 1; r <= reach; ++r) {
        int32_t fx = 0, fy = 0;
        bool found = false;
        WalkRing(r, [&](int32_t dx, int32_t dy) {
            if (!OnMap(*map, x + dx, y + dy) || !Passes(*map, x + dx, y + dy)) return true;
            fx = x + dx;
            fy = y + dy;
            found = true;
            return false;
        });
        if (found) {
            x = fx;
            y = fy;
            return true;
        }
    }
    return false;
}
