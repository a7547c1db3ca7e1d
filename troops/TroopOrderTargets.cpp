#include "troops/Troop.h"

#include "records/OfficerRecord.h"
#include "records/StageWorldSeam.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"

#include <cstdlib>

namespace {
bool ValidCity(const City* c) {
    return c && !c->fallen;
}

bool StrictlyInside(const City* c) {
    const CellBounds& b = TheBattleMap->validBounds;
    return c->cellX > b.left && c->cellY > b.top && c->cellX < b.right && c->cellY < b.bottom;
}
} // namespace

City* Troop::FindNearestCity(int32_t kingdom, int32_t subKind, bool fallback) {
    if (!TheBattleMap) return nullptr;
    const int32_t ownerWanted = (flags & 0x40) ? OfficerValue(OfficerLayout::kPolicy) : kingdom;
    auto search = [&](auto kindOk) -> City* {
        City* best = nullptr;
        int32_t bestDistance = 0;
        const int32_t count = std::min<int32_t>(TheBattleMap->cityCount, BattleMap::kCities);
        for (int32_t i = 0; i < count; ++i) {
            City* c = TheBattleMap->cities[i];
            if (!ValidCity(c) || !kindOk(c->kind) || c->ownerSide != ownerWanted || !StrictlyInside(c))
                continue;
            const int32_t d = std::abs(c->cellX - cellX) + std::abs(c->cellY - cellY);
            if (!best || d < bestDistance) {
                best = c;
                bestDistance = d;
            }
        }
        return best;
    };
    (void)subKind;
    City* found = search([](int32_t k) { return k == 0 || k == 2 || k == 3 || k == 10; });
    if (!found && fallback) found = search([](int32_t k) { return k == 1 || k == 6; });
    return found;
}
