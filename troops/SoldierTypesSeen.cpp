#include "troops/SoldierTypesSeen.h"

SoldierTypesSeenTable& SoldierTypesSeen() {
    static SoldierTypesSeenTable table;
    return table;
}

void SoldierTypesSeenTable::Mark(int32_t type) {
    if (type < 0 || type >= kSize || seen[type]) return;
    seen[type] = 1;
    ++count;
}

void SoldierTypesSeenTable::Clear() {
    *this = SoldierTypesSeenTable{};
}
