#pragma once

#include <cstdint>

// The soldier types that troops have taken as their current type, program-wide, with the count of
// distinct ones. Types beyond the table are not recorded.
struct SoldierTypesSeenTable {
    static constexpr int32_t kSize = 150;
    uint8_t seen[kSize] = {};
    int32_t count = 0;

    void Mark(int32_t type);
    void Clear();
};

SoldierTypesSeenTable& SoldierTypesSeen();
