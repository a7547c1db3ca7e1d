#pragma once

#include <cstdint>

// Ring r around a cell: the 4r cells at Manhattan distance r, in four runs of r cells; every ring
// scan of the troops walks this order, so ties go to the earlier cell. visit(dx, dy) returns false
// to stop the walk; the result says whether the ring was walked to its end.
template <typename Visit>
bool WalkRing(int32_t r, Visit&& visit) {
    for (int32_t k = 0; k < r; ++k)
        if (!visit(-r + k, k)) return false;
    for (int32_t k = 1; k <= r; ++k)
        if (!visit(-r + k, -k)) return false;
    for (int32_t k = 0; k < r; ++k)
        if (!visit(r - k, -k)) return false;
    for (int32_t k = 1; k <= r; ++k)
        if (!visit(r - k, k)) return false;
    return true;
}
