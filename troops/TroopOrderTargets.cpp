#include "troops/Troop.h"

#include "Program/GameController.h"
#include "engine/LinkList.h"
#include "net/SubCommands.h"
#include "net/TroopCommands.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/SubCastle.h"
#include "troops/TroopOrder.h"
#include "troops/TroopOrderCounts.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"
#include "world/MapCell.h"
#include "world/MapView.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {
bool ValidCity(const City* c) {
    return c && !c->dead;
}

bool StrictlyInside(const City* c) {
    const CellBounds& b = TheBattleMap->validBounds;
    return c->CellX() > b.left && c->CellY() > b.top && c->CellX() < b.right && c->CellY() < b.bottom;
}
} // namespace

namespace {
// Units a sub-castle holds at most, by its kind.
constexpr int32_t kSubCastleCapacity[6] = {17, 9, 9, 9, 8, 8};

// A missing sub-castle is never full: the city still takes the troop.
bool SubCastleFull(const SubCastle* s) {
    if (!s) return false;
    const int32_t kind = s->Kind();
    const int32_t capacity = kind >= 0 && kind < 6 ? kSubCastleCapacity[kind] : 0;
    return s->units.GetCount() >= capacity;
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
            if (!ValidCity(c) || !kindOk(c->Kind()) || c->ownerSide != ownerWanted || !StrictlyInside(c))
                continue;
            if (subKind != 0 && SubCastleFull(c->FindSubCastleOfKind(subKind))) continue;
            const int32_t d = std::abs(c->CellX() - cellX) + std::abs(c->CellY() - cellY);
            if (!best || d < bestDistance) {
                best = c;
                bestDistance = d;
            }
        }
        return best;
    };
    City* found = search([](int32_t k) { return k == 0 || k == 2 || k == 3 || k == 10; });
    if (!found && fallback) found = search([](int32_t k) { return k == 1 || k == 6; });
    return found;
}

namespace {
template <class Pred>
uint16_t CountTroops(int32_t kingdom, Pred pred) {
    Kingdom* k = TroopKingdom(kingdom);
    if (!k) return 0;
    uint16_t n = 0;
    for (uintptr_t v = k->fieldUnits.First(); v != 0; v = k->fieldUnits.Next()) {
        const auto* t = reinterpret_cast<const Troop*>(v);
        if (t->IsGone() || t->outOfPlay || (t->flags & 0x02)) continue;
        if (pred(*t)) ++n;
    }
    return n;
}

bool InOrder(const Troop& t, int32_t homeCityId, int8_t s, bool matchHome) {
    return t.order->orderState == s && (!matchHome || t.homeCity == homeCityId);
}
} // namespace

uint16_t CountKingdomTroopsInOrder(int32_t kingdom, int32_t homeCityId, int8_t s, bool matchHome) {
    return CountTroops(kingdom, [&](const Troop& t) { return InOrder(t, homeCityId, s, matchHome); });
}

uint16_t CountMovingTroopsInOrder(int32_t kingdom, int32_t homeCityId, int8_t s, bool matchHome) {
    return CountTroops(kingdom,
                       [&](const Troop& t) { return t.state != 10 && InOrder(t, homeCityId, s, matchHome); });
}

uint16_t CountTroopsNearCell(int32_t kingdom, int32_t x, int32_t y) {
    return CountTroops(kingdom, [&](const Troop& t) {
        const int8_t s = t.order->orderState;
        return (s == 2 || s == 6) && (std::abs(t.cellX - x) < 12 || std::abs(t.cellY - y) < 12);
    });
}

City* Troop::PickFallbackCity(int32_t kingdom) {
    Kingdom* k = TroopKingdom(kingdom);
    if (!k) return nullptr;
    City* kept[3] = {};
    int32_t keptDistance[3] = {};
    int n = 0;
    for (uintptr_t v = k->cities.First(); v != 0; v = k->cities.Next()) {
        City* c = reinterpret_cast<City*>(v);
        if (!ValidCity(c) || c->Kind() != 0) continue;
        const int32_t d = std::abs(c->CellX() - cellX) + std::abs(c->CellY() - cellY);
        int at = 0;
        while (at < n && keptDistance[at] <= d)
            ++at;
        if (at >= 3) continue;
        for (int i = std::min(n, 2); i > at; --i) {
            kept[i] = kept[i - 1];
            keptDistance[i] = keptDistance[i - 1];
        }
        kept[at] = c;
        keptDistance[at] = d;
        if (n < 3) ++n;
    }
    if (n > 0) return kept[cellY % n];
    City* best = nullptr;
    int32_t bestDistance = 0;
    for (uintptr_t v = k->cities.First(); v != 0; v = k->cities.Next()) {
        City* c = reinterpret_cast<City*>(v);
        if (!ValidCity(c) || (c->Kind() != 1 && c->Kind() != 6)) continue;
        const int32_t d = std::abs(c->CellX() - cellX) + std::abs(c->CellY() - cellY);
        if (!best || d < bestDistance) {
            best = c;
            bestDistance = d;
        }
    }
    return best;
}

City* Troop::FindCapitalCity() {
    if (!TheBattleMap) return nullptr;
    City* best = nullptr;
    int32_t bestDistance = 0;
    const int32_t count = std::min<int32_t>(TheBattleMap->cityCount, BattleMap::kCities);
    for (int32_t i = 0; i < count; ++i) {
        City* c = TheBattleMap->cities[i];
        if (!ValidCity(c) || c->Kind() != 0 || !StrictlyInside(c) || !c->FindSubCastleOfKind(4)) continue;
        const int32_t d = std::abs(c->CellX() - cellX) + std::abs(c->CellY() - cellY);
        if (!best || d < bestDistance) {
            best = c;
            bestDistance = d;
        }
    }
    return best;
}

int8_t Troop::PickTargetFromHomeCity() {
    City* home = HomeCity();
    if (!ValidCity(home)) return -1;
    if (home->campaignTarget == 0) {
        Kingdom* k = TroopKingdom(owner);
        if (!k) return 0;
        City* best = nullptr;
        int32_t bestDistance = 0;
        for (uintptr_t v = k->cities.First(); v != 0; v = k->cities.Next()) {
            City* c = reinterpret_cast<City*>(v);
            if (!ValidCity(c) || c->campaignTarget <= 0) continue;
            const int32_t d = std::abs(c->CellX() - home->CellX()) + std::abs(c->CellY() - home->CellY());
            if (!best || d < bestDistance) {
                best = c;
                bestDistance = d;
            }
        }
        if (!best) return 0;
        NetCmdFollowTarget(this, best, 0);
        order->orderState = 25;
        order->targetCityId = -1;
        return 1;
    }
    if (home->campaignTarget == -1) {
        // The map object a city holds beside it is not kept by the cities here: nothing to follow.
        order->targetCityId = -1;
        return 0;
    }
    order->targetCityId = home->campaignTarget;
    return 1;
}

int8_t Troop::MarchOnTarget() {
    City* target = OrderTargetCity();
    if (!ValidCity(target)) {
        const int8_t r = PickTargetFromHomeCity();
        if (r < 1) {
            if (order->orderState != 0)
                if (City* c = FindNearestCity(owner, 0, true)) NetCmdFollowTarget(this, c, 0);
            return r;
        }
        return 0;
    }
    const int32_t gx = target->CellX() - 2, gy = target->CellY() - 2;
    if (TheBattleMap && gx >= 0 && gy >= 0 && gx < TheBattleMap->unitGridWidth &&
        gy < TheBattleMap->unitGridRows) {
        int16_t x = static_cast<int16_t>(gx), y = static_cast<int16_t>(gy);
        if (FindBestCellAround(gx, gy, cellX, cellY, x, y, 0, 20, false)) NetCmd02(this, x, y);
    }
    return 1;
}

bool Troop::AttackNearestEnemy(int32_t targetCityId) {
    if ((flags & 0x0A) || actionCode == 5) return false;
    bool limited = false;
    int32_t cx = 0, cy = 0;
    if (!order->stormThenRoam) {
        if (order->orderState != 0 && order->targetCityId < 1) {
            if (City* c = PickFallbackCity(owner)) NetCmdFollowTarget(this, c, 0);
            return false;
        }
        if (targetCityId >= 0) {
            City* city = TheBattleMap ? TheBattleMap->CityById(targetCityId) : nullptr;
            if (!ValidCity(city)) {
                if (order->orderState != 0)
                    if (City* c = PickFallbackCity(owner)) NetCmdFollowTarget(this, c, 0);
                return false;
            }
            limited = true;
            cx = city->CellX();
            cy = city->CellY();
        }
    }
    Troop* best = nullptr;
    int32_t limit = TheBattleMap ? TheBattleMap->unitGridWidth + TheBattleMap->unitGridRows : 0x7FFF;
    LinkList* kingdoms = StageKingdoms();
    std::vector<Kingdom*> enemies;
    if (kingdoms)
        for (uintptr_t v = kingdoms->First(); v != 0; v = kingdoms->Next()) {
            Kingdom* k = reinterpret_cast<Kingdom*>(v);
            if (k->nationIndex != owner && KingdomRelation(owner, k->nationIndex) == 3) enemies.push_back(k);
        }
    for (Kingdom* k : enemies)
        for (uintptr_t v = k->fieldUnits.First(); v != 0; v = k->fieldUnits.Next()) {
            Troop* t = reinterpret_cast<Troop*>(v);
            if (order->orderState != 0 && t->homeCity != order->targetCityId) continue;
            if ((t->statusBits & 0x2000) || t->OfficerKind() == 9 || t->IsGone() || t->outOfPlay ||
                (t->flags & 0x04))
                continue;
            if (limited && (std::abs(t->cellX - cx) >= 20 || std::abs(t->cellY - cy) >= 20)) continue;
            const int32_t d = std::abs(t->cellX - cellX) + std::abs(t->cellY - cellY);
            if (d < limit) {
                limit = d;
                best = t;
            }
        }
    if (!best) {
        City* city = OrderTargetCity();
        if (order->targetCityId > 0 && ValidCity(city) && KingdomRelation(owner, city->ownerSide) == 3) {
            NetCmd09(this, city, skill);
            ClearMoveFlags();
            return true;
        }
    } else if (NetCmdTargetTroop(this, best)) {
        ClearMoveFlags();
        return true;
    }
    if (order->orderState != 0) {
        City* c = PickFallbackCity(owner);
        if (!c && order->stormThenRoam) {
            order->orderState = 12;
            order->stormThenRoam = 0;
        } else if (c) {
            NetCmdFollowTarget(this, c, 0);
        }
    }
    return false;
}

bool Troop::CheckRetreat() {
    if (OfficerKind() != 1 || !TheGameController || TheGameController->gameKind == 0) return false;
    const int32_t hp = OfficerValue(OfficerLayout::kHp), maxHp = OfficerValue(OfficerLayout::kMaxHp);
    // A general at half strength first drinks the potion on his belt.
    const int32_t belt = OfficerValue(OfficerLayout::kCarried);
    if (order && order->orderState != 0 && hp < maxHp / 2 && belt >= 241 && belt <= 244) {
        NetCmdUseItem(this, 6);
        return false;
    }
    // Storming a gate from within a city's ground, he holds on.
    if (targetTroop && targetTroop->OfficerKind() == 17)
        if (const MapView* view = TheGameController->gameScreen)
            if (view->GetCell(cellX, 2 * cellY)->fogMark != 0) return false;
    const int32_t retreat = OfficerValue(OfficerLayout::kRetreat);
    const bool retreating = (retreat == 0 && hp < maxHp / 2) || (retreat == 1 && hp < maxHp / 4);
    if (!retreating) return false;
    City* home = HomeCity();
    if (ValidCity(home) && home->ownerSide == owner) {
        NetCmdFollowTarget(this, home, 0);
        return true;
    }
    if (City* c = PickFallbackCity(owner)) NetCmdFollowTarget(this, c, 0);
    return false;
}
