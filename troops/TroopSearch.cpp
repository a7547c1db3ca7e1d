#include "troops/TroopSearch.h"

#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "net/StateCommands.h"
#include "net/TroopCommands.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "troops/DiamondRing.h"
#include "troops/SoldierTypeColumns.h"
#include "troops/Troop.h"
#include "troops/TroopOrder.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"
#include "world/Coordinates.h"

#include <cstdlib>

namespace {
constexpr int32_t kOccupantCap = 32;

bool InsideValidBounds(int32_t x, int32_t y) {
    if (!TheBattleMap) return false;
    const CellBounds& b = TheBattleMap->validBounds;
    return x >= b.left && y >= b.top && x < b.right && y < b.bottom;
}

// Own cell, its eight neighbours, the own cell last.
constexpr int8_t kNineCells[9][2] = {{0, 1},   {-1, 0}, {0, -1}, {1, 0}, {-1, 1},
                                     {-1, -1}, {1, -1}, {1, 1},  {0, 0}};

bool AtWar(int32_t a, int32_t b) {
    return KingdomRelation(a, b) == 3;
}

// Walks rings 1..r around (x, y); visit(cell x, cell y) returns false to stop.
template <typename Visit>
void WalkArea(int32_t x, int32_t y, int32_t r, Visit&& visit) {
    for (int32_t ring = 1; ring <= r; ++ring)
        if (!WalkRing(ring, [&](int32_t dx, int32_t dy) { return visit(x + dx, y + dy); })) return;
}
} // namespace

bool TroopActive(const Troop* t) {
    return t && !t->IsGone() && t->outOfPlay == 0;
}

int32_t CollectOccupants(int32_t x, int32_t y, Troop** out, int32_t cap) {
    if (!TheBattleMap) return 0;
    int32_t n = 0;
    for (uintptr_t v = TheBattleMap->FirstObjectAt(x, y); v != 0 && n < cap; v = TheBattleMap->NextObjectAt())
        out[n++] = reinterpret_cast<Troop*>(v);
    TheBattleMap->occupancyCursor = nullptr;
    return n;
}

bool IsCityCellAt(int32_t x, int32_t y, int32_t dx, int32_t dy, int16_t& outX, int16_t& outY,
                  int32_t cityIndex) {
    const int32_t cx = x + dx, cy = y + dy;
    if (!InsideValidBounds(cx, cy)) return false;
    const MapCell* c = TheBattleMap->GetCell(cx, 2 * cy);
    if (c->zoneByte == 24 || c->zoneByte == 36 || c->cityId != cityIndex) return false;
    outX = static_cast<int16_t>(cx);
    outY = static_cast<int16_t>(cy);
    return true;
}

bool FindCityCellInRings(int16_t& x, int16_t& y, int32_t cityIndex, int32_t r0, int32_t r1) {
    const int32_t cx = x, cy = y;
    for (int32_t r = std::max(r0, 1); r < r1; ++r)
        if (!WalkRing(r,
                      [&](int32_t dx, int32_t dy) { return !IsCityCellAt(cx, cy, dx, dy, x, y, cityIndex); }))
            return true;
    return false;
}

bool IsFreeCell(int32_t x, int32_t y, bool wallRequired) {
    if (!TheBattleMap || TheBattleMap->FirstObjectAt(x, y) != 0) return false;
    if (GetCellObstacle(x, 2 * y) > 0) return false;
    return !wallRequired || IsCellWall(x, 2 * y);
}

bool FindFreeCellInSector(int32_t x, int32_t y, int16_t& outX, int16_t& outY, int32_t r0, int32_t r1,
                          int32_t sector, bool wallRequired) {
    auto take = [&](int32_t dx, int32_t dy) {
        if (!IsFreeCell(x + dx, y + dy, wallRequired)) return false;
        outX = static_cast<int16_t>(x + dx);
        outY = static_cast<int16_t>(y + dy);
        return true;
    };
    // Rows or columns that widen by one cell per step outward.
    auto band = [&](int32_t sign, bool rows) {
        int32_t w = r0;
        for (int32_t d = r0; d <= r1 - 1; ++d, ++w)
            for (int32_t s = -w; s <= w - 1; ++s)
                if (rows ? take(s, sign * d) : take(sign * d, s)) return true;
        return false;
    };
    // Diagonal runs of one ring quarter each.
    auto quarter = [&](int32_t sx, int32_t sy) {
        for (int32_t r = r0; r <= r1; ++r)
            for (int32_t k = 0; k < r; ++k)
                if (take(sx * (r - k), sy * k)) return true;
        return false;
    };
    switch (sector) {
    case 0:
        return band(-1, true);
    case 1:
        return quarter(1, -1);
    case 2:
        return band(1, false);
    case 3:
        return quarter(1, 1);
    case 4:
        return band(1, true);
    case 5:
        return quarter(-1, 1);
    case 6:
        return band(-1, false);
    case 7:
        return quarter(-1, -1);
    default:
        return false;
    }
}

int8_t DirectionFromDelta(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    const int32_t dx = x1 - x0, dy = y1 - y0;
    const int32_t ax = std::abs(dx), ay = std::abs(dy);
    if (ay > 4 * ax) return dy <= 0 ? 4 : 0;
    if (ax < 4 * ay) {
        if (dx < 0) return dy <= 0 ? 3 : 1;
        return dy <= 0 ? 5 : 7;
    }
    return dx < 0 ? 2 : 6;
}

int16_t CountEnemiesAround(const Troop* caller, int32_t x, int32_t y, int32_t r) {
    int16_t n = 0;
    Troop* here[kOccupantCap];
    WalkArea(x, y, r, [&](int32_t cx, int32_t cy) {
        const int32_t count = CollectOccupants(cx, cy, here, kOccupantCap);
        for (int32_t i = 0; i < count; ++i) {
            Troop* t = here[i];
            // Kind-20 pieces count wherever they stand and for any side.
            if (t->OfficerKind() == 20) {
                ++n;
                continue;
            }
            if (t->cellX != cx || t->cellY != cy || t == caller || !TroopActive(t) || (t->flags & 0x06))
                continue;
            if (caller && AtWar(caller->owner, t->owner)) ++n;
        }
        return true;
    });
    return n;
}

int16_t CountEnemyTowersAround(const Troop* caller, int32_t x, int32_t y, int32_t r) {
    int16_t n = 0;
    Troop* here[kOccupantCap];
    WalkArea(x, y, r, [&](int32_t cx, int32_t cy) {
        const int32_t count = CollectOccupants(cx, cy, here, kOccupantCap);
        for (int32_t i = 0; i < count; ++i) {
            Troop* t = here[i];
            const int32_t kind = t->OfficerKind();
            if (t->cellX == cx && t->cellY == cy && t != caller && TroopActive(t) &&
                (kind == 7 || kind == 8) && caller && AtWar(caller->owner, t->owner))
                ++n;
        }
        return true;
    });
    return n;
}

int16_t CountStateElevenAllies(const Troop* caller, int32_t x, int32_t y, int32_t r, int32_t orderState) {
    int16_t n = 0;
    Troop* here[kOccupantCap];
    WalkArea(x, y, r, [&](int32_t cx, int32_t cy) {
        const int32_t count = CollectOccupants(cx, cy, here, kOccupantCap);
        for (int32_t i = 0; i < count; ++i) {
            Troop* t = here[i];
            if (t->cellX != cx || t->cellY != cy || !caller || t->owner != caller->owner || t->state != 11 ||
                !TroopActive(t))
                continue;
            if (orderState < 0 || (t->order && t->order->orderState == orderState)) ++n;
        }
        return true;
    });
    return n;
}

bool Troop::TryAttackCityAt(int32_t x, int32_t y, int32_t dx, int32_t dy) {
    const int32_t cx = x + dx, cy = y + dy;
    if (!InsideValidBounds(cx, cy)) return false;
    const MapCell* c = TheBattleMap->GetCell(cx, 2 * cy);
    if (c->zoneByte == 24 || c->zoneByte == 36 || c->cityId == 0) return false;
    City* city = (TheBattleMap ? TheBattleMap->CityById(c->cityId) : nullptr);
    if (!city || city->ownerSide < 0 || !TroopKingdom(city->ownerSide) || city->dead) return false;
    if (!AtWar(owner, city->ownerSide)) return false;
    if (!order || order->orderState != 6) MarkPursuitStart();
    NetCmd09(this, city, skill);
    return true;
}

bool Troop::ScanForHostileCity() {
    const int32_t os = order ? order->orderState : 0;
    const int32_t kind = OfficerKind();
    if (os == 22 || os == 23 || kind == 13 || kind == 14 || kind == 20 || (flags & 0x0A)) return false;
    if (OfficerValue(OfficerLayout::kPhysiqueRest) == 5) return false;
    const int32_t r = std::min<int32_t>(order ? order->alert : 0, 15);
    bool acted = false;
    WalkArea(cellX, cellY, r, [&](int32_t cx, int32_t cy) {
        acted = TryAttackCityAt(cx, cy, 0, 0);
        return !acted;
    });
    return acted;
}

bool Troop::MoveTowardHostile(int32_t radius) {
    int32_t limit = TheScreenSettings ? TheScreenSettings->mapWidth + TheScreenSettings->mapHeight : 0x7FFF;
    Troop* best = nullptr;
    Troop* here[kOccupantCap];
    WalkArea(cellX, cellY, radius, [&](int32_t cx, int32_t cy) {
        const int32_t count = CollectOccupants(cx, cy, here, kOccupantCap);
        for (int32_t i = 0; i < count; ++i) {
            Troop* t = here[i];
            if (t->cellX != cx || t->cellY != cy || t == this || !TroopActive(t) || (t->flags & 0x06) ||
                !AtWar(owner, t->owner))
                continue;
            const int32_t d = std::abs(t->cellX - cellX) + std::abs(t->cellY - cellY);
            if (d < limit) {
                limit = d;
                best = t;
            }
            break;
        }
        return true;
    });
    if (best) MoveTowardCell(best->cellX, best->cellY);
    return best != nullptr;
}

int16_t Troop::FindSkillCell(int16_t& outX, int16_t& outY, int32_t area) {
    const int32_t r = SoldierTypeValue(currentType, SoldierColumn::kSight);
    outX = cellX;
    outY = cellY;
    int16_t best = 0;
    Troop* here[kOccupantCap];
    WalkArea(cellX, cellY, r, [&](int32_t cx, int32_t cy) {
        const int32_t count = CollectOccupants(cx, cy, here, kOccupantCap);
        for (int32_t i = 0; i < count; ++i) {
            Troop* t = here[i];
            if (t == this || !TroopActive(t) || (t->flags & 0x06) || !AtWar(owner, t->owner)) continue;
            const int16_t s = CountEnemiesAround(this, cx, cy, area);
            if (s > best) {
                best = s;
                outX = static_cast<int16_t>(cx);
                outY = static_cast<int16_t>(cy);
            }
        }
        return true;
    });
    return best;
}

void Troop::TriggerTrapsAround() {
    Troop* here[kOccupantCap];
    for (const auto& o : kNineCells) {
        const int32_t count = CollectOccupants(cellX + o[0], cellY + o[1], here, kOccupantCap);
        for (int32_t i = 0; i < count; ++i) {
            Troop* t = here[i];
            const int32_t kind = t->OfficerKind();
            // A spent piece (mode -1) stays quiet.
            if (t == this || (kind != 7 && kind != 8) || int8_t(t->pieceMode) < 0 || !AtWar(owner, t->owner))
                continue;
            NetCmdEngage(t, nullptr, t->cellX, t->cellY, 124 + int8_t(t->pieceMode));
            t->pieceMode = 0xFF;
        }
    }
}

void Troop::HaltIdleSharingDestination() {
    Troop* here[kOccupantCap];
    WalkArea(cellX, cellY, 8, [&](int32_t cx, int32_t cy) {
        const int32_t count = CollectOccupants(cx, cy, here, kOccupantCap);
        for (int32_t i = 0; i < count; ++i) {
            Troop* t = here[i];
            if (t->cellX != cx || t->cellY != cy || t == this || !TroopActive(t) || t->OfficerKind() != 1)
                continue;
            if ((t->order && t->order->orderState != 0) || t->state != 0 || t->actionCode != 0) continue;
            if (t->goalX == goalX && t->goalY == goalY) t->ApplyHalt();
        }
        return true;
    });
}

int16_t Troop::CountWoundedAround(int32_t radius) {
    int16_t sum = 0;
    Troop* here[kOccupantCap];
    WalkArea(cellX, cellY, radius, [&](int32_t cx, int32_t cy) {
        const int32_t count = CollectOccupants(cx, cy, here, kOccupantCap);
        for (int32_t i = 0; i < count; ++i) {
            Troop* t = here[i];
            if (!TroopActive(t) || t->OfficerKind() != 1 || t->owner != owner) continue;
            sum = static_cast<int16_t>(sum + t->OfficerValue(OfficerLayout::kMaxHp) -
                                       t->OfficerValue(OfficerLayout::kHp));
        }
        return true;
    });
    return sum;
}

void Troop::UncoverHiddenAround() {
    if ((order && order->orderState != 0) || hidden) return;
    Troop* here[kOccupantCap];
    WalkArea(cellX, cellY, 4, [&](int32_t cx, int32_t cy) {
        const int32_t count = CollectOccupants(cx, cy, here, kOccupantCap);
        for (int32_t i = 0; i < count; ++i) {
            Troop* t = here[i];
            if (!(t->flags & 0x10000) || t == this || !TroopActive(t) || !t->hidden) continue;
            const int32_t rebel = t->OfficerValue(OfficerLayout::kRebel);
            if (rebel != 0 && rebel != OfficerValue(OfficerLayout::kPersonNumber)) continue;
            t->flags &= ~0x10000u;
            if (t->OfficerKind() != 5) t->flags &= ~0x26u;
            t->hidden = 0;
        }
        return true;
    });
}
