#pragma once

#include <cstdint>

// The search for a free map cell next to a position, for placing a troop.

struct NeighbourOffset {
    int32_t dx;
    int32_t dy;
};
// The order in which neighbours are tried; the cell itself first.
extern const NeighbourOffset NeighbourOffsets[8];

// What the search reads of the battle map.
class NeighbourCellMap {
public:
    virtual ~NeighbourCellMap() = default;
    virtual int32_t MapWidth() const = 0;
    virtual int32_t MapHeight() const = 0;
    // The first object id of the cell's occupancy list; 0 when empty.
    virtual int32_t FirstObjectAt(int32_t x, int32_t y) const = 0;
    // The obstacle byte of the map cell at (x, row); 0 or less is passable.
    virtual int8_t CellObstacle(int32_t x, int32_t row) const = 0;
};

// The troop's target cell, which the search writes.
struct CellTarget {
    int32_t x = 0;
    int32_t y = 0;
};

// Inside the map, nobody there, and the ground passable.
bool IsCellFree(const NeighbourCellMap& map, int32_t x, int32_t y);
// 1 when one of the eight cells around (x, y) (the cell itself first) is free, which becomes the target.
int32_t IsNeighbourCellFree(const NeighbourCellMap& map, CellTarget& target, int32_t x, int32_t y);
// As IsNeighbourCellFree, then the same around each neighbour inside the map. When nothing is found
// the target holds the last neighbour tried.
int32_t FindFreeNeighbourCell(const NeighbourCellMap& map, CellTarget& target, int32_t x, int32_t y);
