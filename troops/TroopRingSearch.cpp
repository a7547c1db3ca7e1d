#include "troops/Troop.h"

#include "records/City.h"
#include "records/Kingdom.h"
#include "records/SubCastle.h"
#include "troops/DiamondRing.h"
#include "world/BattleMap.h"
#include "world/Coordinates.h"
#include "world/UnitPath.h"

#include <cstdlib>

namespace {
bool InsideValidBounds(int32_t x, int32_t y) {
    if (!TheBattleMap) return false;
    const CellBounds& b = TheBattleMap->validBounds;
    return x > b.left && y > b.top && x < b.right && y < b.bottom;
}

// The cell's first occupant is none or the troop itself.
bool OccupiedByOtherThan(const Troop* troop, int32_t x, int32_t y) {
    if (!TheBattleMap) return false;
    const uintptr_t first = TheBattleMap->FirstObjectAt(x, y);
    return first != 0 && first != uintptr_t(troop);
}

bool IsCityCellAt(int32_t x, int32_t y, int32_t cityIndex) {
    // Cell byte 0 means no city: index 0 names none.
    if (cityIndex <= 0 || !InsideValidBounds(x, y)) return false;
    const MapCell* c = TheBattleMap->GetCell(x, 2 * y);
    return c->zoneByte != 24 && c->zoneByte != 36 && c->cityId == cityIndex;
}

bool CityCellWithin(int32_t x, int32_t y, int32_t cityIndex, int32_t r0, int32_t r1) {
    bool found = false;
    for (int32_t r = r0; r < r1 && !found; ++r)
        WalkRing(r, [&](int32_t dx, int32_t dy) {
            found = IsCityCellAt(x + dx, y + dy, cityIndex);
            return !found;
        });
    return found;
}
} // namespace

bool Troop::FindBestCellAround(int32_t x, int32_t y, int32_t gx, int32_t gy, int16_t& outX, int16_t& outY,
                               int32_t r0, int32_t r1, bool ignoreOccupants, bool matchObstacle,
                               int32_t obstacleValue, int32_t reachMode) {
    if (!TheBattleMap) return false;
    uint16_t best = 0x7FFF;
    const int32_t width = TheBattleMap->unitGridWidth, height = TheBattleMap->unitGridRows;
    auto rate = [&](int32_t cx, int32_t cy) {
        if (cx < 0 || cy < 3 || cx >= width - 1 || cy >= height) return false;
        // The obstacle byte reads signed here, so a wall cell (255) passes.
        const int8_t o = static_cast<int8_t>(GetCellObstacle(cx, 2 * cy));
        if (o > 0) return false;
        if (matchObstacle && uint8_t(o) != uint8_t(obstacleValue)) return false;
        if (!ignoreOccupants && OccupiedByOtherThan(this, cx, cy)) return false;
        const uint16_t d = static_cast<uint16_t>(std::abs(cx - gx) + std::abs(cy - gy));
        if (d >= best) return false;
        // Reach modes 1 and 2: a cell from which no path leads to the goal is no use.
        if (reachMode == 1 && IsTileUnreachable(nullptr, nullptr, gx, gy, cx, cy)) return false;
        if (reachMode == 2 && IsTileUnreachable(this, nullptr, gx, gy, cx, cy)) return false;
        best = d;
        outX = static_cast<int16_t>(cx);
        outY = static_cast<int16_t>(cy);
        return true;
    };
    if (r0 == 0) {
        if (rate(x, y)) return true;
        r0 = 1;
    }
    for (int32_t r = r0; r < r1; ++r) {
        bool any = false;
        WalkRing(r, [&](int32_t dx, int32_t dy) {
            any |= rate(x + dx, y + dy);
            return true;
        });
        if (any) return true;
    }
    return false;
}

bool Troop::FindBestCellInRings(int32_t x, int32_t y, int32_t gx, int32_t gy, int16_t& outX, int16_t& outY,
                                int32_t r0, int32_t r1, int32_t cityIndex) {
    uint16_t best = 0x7FFF;
    bool any = false;
    for (int32_t r = r0; r < r1; ++r)
        WalkRing(r, [&](int32_t dx, int32_t dy) {
            const int32_t cx = x + dx, cy = y + dy;
            const uint16_t d = static_cast<uint16_t>(std::abs(cx - gx) + std::abs(cy - gy));
            if (InsideValidBounds(cx, cy) && d < best && GetCellObstacle(cx, 2 * cy) <= 0 &&
                !OccupiedByOtherThan(this, cx, cy) && CityCellWithin(cx, cy, cityIndex, 1, 3)) {
                best = d;
                outX = static_cast<int16_t>(cx);
                outY = static_cast<int16_t>(cy);
                any = true;
            }
            return true;
        });
    return any;
}
