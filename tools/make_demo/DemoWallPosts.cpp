#include "DemoWallPosts.h"

#include "DemoCastle.h"

#include "world/BattleMap.h"
#include "world/MapCell.h"

namespace demowalls {

void LayWallPosts(BattleMap& map, int cityX, int cityY) {
    constexpr int kStep[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    for (const auto& d : kStep) {
        int laid = 0;
        for (int k = 10; k <= 48 && laid < 2; k += 2) {
            const int x = cityX + d[0] * k, y = cityY + d[1] * k;
            MapCell* cell = x >= 0 && y >= 0 ? map.CellAt(x, 2 * y) : nullptr;
            if (!cell) continue;
            // 255 is the wall walk's obstacle value: troops may stand on it.
            cell->obstacle = 255;
            cell->overlayTile = democastle::kWallSprite;
            ++laid;
        }
    }
}

} // namespace demowalls
