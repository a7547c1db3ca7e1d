#pragma once

#include <cstdint>

// Sight radii past this are kept to it.
constexpr int32_t kMaxSightRadius = 31;

// Visits the cells (column, half-row) of the sight diamond of radius r around unit cell (x, y):
// 4r + 1 half-rows from half-row 2(y - r), one cell more per half-row up to the middle, then one
// fewer. Cells off the map are visited too; callers keep to the grid.
template <class Visit>
void ForEachSightCell(int32_t x, int32_t y, int32_t r, Visit&& visit) {
    if (r <= 0) return;
    const int32_t h0 = 2 * (y - r);
    int32_t start = x;
    for (int32_t i = 0; i <= 4 * r; ++i) {
        const int32_t h = h0 + i;
        int32_t count;
        if (i <= 2 * r) {
            // Growing: the first column moves one left after an even half-row.
            if (i > 0 && ((h - 1) & 1) == 0) --start;
            count = i + 1;
        } else {
            // Shrinking: one right after an odd half-row.
            if (((h - 1) & 1) != 0) ++start;
            count = 4 * r + 1 - i;
        }
        for (int32_t c = 0; c < count; ++c)
            visit(start + c, h);
    }
}
bool InSightDiamond(int32_t cx, int32_t cy, int32_t r, int32_t x, int32_t h);
