#include "Program/ScreenSettings.h"
#include "engine/LinkList.h"
#include "engine/Random.h"
#include "net/StateCommands.h"
#include "net/TroopCommands.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "troops/TroopOrder.h"
#include "troops/TroopSearch.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"
#include "world/Coordinates.h"

#include <cstdlib>

namespace {
// Wall troops a city may keep, by "城規模"; a size outside the table keeps none.
constexpr int16_t kWallTroopLimit[12] = {150, 6, 8, 10, 12, 7, 2, 2, 2, 2, 8, 3};

int32_t WallTroopLimit(int32_t scale) {
    return scale >= 0 && scale < 12 ? kWallTroopLimit[scale] : 0;
}

bool HoldsWallOfficer(City& city) {
    for (uintptr_t v = city.units.First(); v != 0; v = city.units.Next()) {
        const Troop* t = reinterpret_cast<const Troop*>(v);
        const int32_t n = t->OfficerValue(OfficerLayout::kPersonNumber);
        if (n >= 421 && n <= 423) return true;
    }
    return false;
}

// The owner kingdom's troops that this city calls its own.
template <typename Visit>
void ForHomeTroops(City& city, Visit&& visit) {
    Kingdom* k = TroopKingdom(city.ownerSide);
    if (!k) return;
    std::vector<Troop*> list;
    for (uintptr_t v = k->fieldUnits.First(); v != 0; v = k->fieldUnits.Next())
        list.push_back(reinterpret_cast<Troop*>(v));
    for (Troop* t : list)
        if (t->homeCity == city.id) visit(t);
}
} // namespace

void City::PickWallCell(int16_t& outX, int16_t& outY) {
    const int32_t r = GameRandom() % 4;
    const int32_t x = CellX(), y = CellY();
    for (int32_t k = 10; k <= 48; k += 2) {
        const int32_t cx = r == 0 ? x + k : r == 1 ? x - k : x;
        const int32_t cy = r == 2 ? y + k : r == 3 ? y - k : y;
        if (IsCellWall(cx, 2 * cy) && TheBattleMap && TheBattleMap->FirstObjectAt(cx, cy) == 0) {
            outX = static_cast<int16_t>(cx);
            outY = static_cast<int16_t>(cy);
            return;
        }
    }
}

void City::TryCityAction() {
    if (actionWords[0] >= WallTroopLimit(Scale()) || !HoldsWallOfficer(*this)) return;
    int16_t x = 0, y = -1;
    PickWallCell(x, y);
    if (y != -1) NetCmdCityAction(this, x, y);
}

void City::RallyWallTroops(Troop* attacker, bool all) {
    if (!attacker) return;
    ForHomeTroops(*this, [&](Troop* t) {
        if ((t->state != 10 && t->state != 0) || t->outOfPlay || !t->order || t->order->orderState != 22)
            return;
        if (!all) {
            if (IsCellWall(t->cellX, 2 * t->cellY)) NetCmdTargetTroop(t, attacker);
            return;
        }
        NetCmdTargetTroop(t, attacker);
        t->order->orderState = 23;
    });
}

void City::DefendersAnswer(Troop* attacker) {
    if (!attacker) return;
    for (Troop* d : towers) {
        if (!d || d->state == 1 || d->state == 11) continue;
        if (std::abs(d->cellX - attacker->cellX) < d->rangeEnd &&
            std::abs(d->cellY - attacker->cellY) < d->rangeEnd)
            NetCmdTargetTroop(d, attacker);
    }
}

void Troop::GoToWallPost() {
    City* home = HomeCity();
    if (!home || !order) return;
    int16_t x = 0, y = -1;
    home->PickWallCell(x, y);
    if (y == -1) return;
    order->orderState = 22;
    NetCmd02(this, x, y);
}

void Troop::RoamOnWall() {
    if (GameRandom() % 30 != 0) return;
    constexpr int8_t kStep[5] = {5, 4, 0, -4, -5};
    const int32_t dx = kStep[GameRandom() % 5];
    const int32_t dy = kStep[GameRandom() % 5];
    const int32_t x = cellX + dx, y = cellY + dy;
    const int32_t w = TheScreenSettings ? TheScreenSettings->mapWidth : 0;
    const int32_t h = TheScreenSettings ? TheScreenSettings->mapHeight : 0;
    if (x < 0 || y < 0 || x >= w || y >= h || !IsCellWall(x, 2 * y)) return;
    NetCmd02(this, x, y);
}
