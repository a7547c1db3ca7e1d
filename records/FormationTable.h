#pragma once

#include <cstdint>

// Where the units of a city stand when they are shown: one row per unit, a cell offset from the
// city's cell and the facing the unit takes there.
struct FormationRow {
    int16_t dx, dy;
    int16_t facing;
};

// The castle's rows; row 0 is the current unit's. The preparation preview uses them too.
inline constexpr int kFormationRows = 17;
inline constexpr FormationRow FormationTable[kFormationRows] = {
    {-2, 4, 8}, {0, 4, 6},  {-2, 6, 2}, {1, 5, 6},  {-1, 7, 2}, {2, 6, 6},  {0, 8, 2}, {3, 7, 6}, {1, 9, 2},
    {1, 3, 6},  {-3, 7, 2}, {2, 4, 6},  {-2, 8, 2}, {3, 5, 6},  {-1, 9, 2}, {4, 6, 6}, {0, 10, 2}};
inline constexpr FormationRow TownFormationTable[9] = {
    {1, 4, 4}, {0, 3, 8}, {-1, 2, 8}, {1, 2, 8}, {-1, 4, 8}, {0, 1, 8}, {-2, 3, 8}, {2, 3, 8}, {0, 5, 8}};
inline constexpr FormationRow CampFormationTable[4] = {{0, 3, 8}, {0, 1, 8}, {-1, 2, 8}, {1, 2, 8}};

struct Formation {
    const FormationRow* rows = nullptr;
    int count = 0;
};

// The table of a city kind; kinds without one show no units.
inline Formation FormationOf(int32_t kind) {
    switch (kind) {
    case 0:
        return {FormationTable, kFormationRows};
    case 1:
    case 6:
    case 7:
        return {TownFormationTable, 9};
    case 8:
        return {CampFormationTable, 4};
    default:
        return {};
    }
}
