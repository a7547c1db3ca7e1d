#pragma once

#include <cstdint>

// The diamond of size n whose top cell is (x, y): 2n - 1 staggered rows of 1 .. n .. 1 cells.
// Calls visit(column, row, position, rowIndex, rowLength, indexInRow) for every position, on the map
// or not; position counts over the whole walk so tables indexed by it keep their places at the
// map's edges.
template <typename Visit>
void WalkDiamond(int32_t x, int32_t y, int32_t n, Visit&& visit) {
    if (n < 1) return;
    int32_t start = x;
    int32_t length = 1;
    int32_t position = 0;
    for (int32_t i = 0; i <= 2 * n - 2; ++i) {
        const int32_t row = y + i;
        for (int32_t k = 0; k < length; ++k)
            visit(start + k, row, position++, i, length, k);
        if (i + 1 < n) {
            if ((row & 1) == 0) --start;
            ++length;
        } else {
            if ((row & 1) != 0) ++start;
            --length;
        }
    }
}
