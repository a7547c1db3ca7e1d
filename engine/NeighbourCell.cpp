#include "engine/NeighbourCell.h"

const NeighbourOffset NeighbourOffsets[8] = {{0, 0}, {-1, 1}, {0, 1},   {1, 1},
                                             {1, 0}, {1, -1}, {-1, -1}, {0, -1}};

namespace {
bool InsideMap(const NeighbourCellMap& map, int32_t x, int32_t y) {
    return x >= 0 && x < map.MapWidth() && y >= 0 && y < map.MapHeight();
}
} // namespace

bool IsCellFree(const NeighbourCellMap& map, int32_t x, int32_t y) {
    // Cell rows are half-height: a cell's ground lies at row 2y.
    return InsideMap(map, x, y) && map.FirstObjectAt(x, y) == 0 && map.CellObstacle(x, 2 * y) <= 0;
}

int32_t IsNeighbourCellFree(const NeighbourCellMap& map, CellTarget& target, int32_t x, int32_t y) {
    for (const auto& offset : NeighbourOffsets) {
        const int32_t cx = x + offset.dx;
        const int32_t cy = y + offset.dy;
        if (IsCellFree(map, cx, cy)) {
            target = {cx, cy};
            return 1;
        }
    }
    return 0;
}

int32_t FindFreeNeighbourCell(const NeighbourCellMap& map, CellTarget& target, int32_t x, int32_t y) {
    if (IsNeighbourCellFree(map, target, x, y)) return 1;
    for (int i = 1; i < 8; ++i) {
        const int32_t cx = x + NeighbourOffsets[i].dx;
        const int32_t cy = y + NeighbourOffsets[i].dy;
        if (!InsideMap(map, cx, cy) || (cx == x && cy == y)) continue;
        target = {cx, cy};
        if (IsNeighbourCellFree(map, target, cx, cy)) return 1;
    }
    return 0;
}
