#pragma once

#include <cstdint>

// Unit cells and world positions: a world position is a pixel times 1000, and a unit cell's
// position is its centre.
inline int32_t TileToWorldX(int32_t x) {
    return (x * 40 + 20) * 1000;
}
inline int32_t TileToWorldY(int32_t y) {
    return (y * 20 + 10) * 1000;
}
// The 20 and 10 taken off are world units, not pixels; the division truncates toward zero.
inline int32_t WorldToTileX(int32_t wx) {
    return (wx - 20) / 40000;
}
inline int32_t WorldToTileY(int32_t wy) {
    return (wy - 10) / 20000;
}

// The obstacle byte of map cell (x, row) as the battle map's reader gives it, signed: 1..127 block.
int32_t GetCellObstacle(int32_t x, int32_t row);
// A wall top: units stand on it, walkers on the ground do not.
bool IsCellWall(int32_t x, int32_t row);
