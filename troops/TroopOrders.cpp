#include "troops/Troop.h"

#include "engine/LinkList.h"
#include "net/StateCommands.h"
#include "net/TroopCommands.h"
#include "platform/CRand.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/SubCastle.h"
#include "troops/TroopOrder.h"
#include "troops/TroopOrderCounts.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"

#include <cstdlib>
#include <vector>

namespace {
constexpr uint32_t kRouteWaitDays = 196; // "定點靜止天數"
constexpr uint32_t kRouteLeash = 200;    // "定點間格數"
constexpr int32_t kCloseInWaitLimit = 201;

bool ValidCity(const City* c) {
    return c && !c->dead;
}

int32_t Manhattan(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    return std::abs(x1 - x2) + std::abs(y1 - y2);
}
} // namespace

City* Troop::HomeCity() const {
    return TheBattleMap ? TheBattleMap->CityById(homeCity) : nullptr;
}

City* Troop::OrderTargetCity() const {
    return TheBattleMap ? TheBattleMap->CityById(order->targetCityId) : nullptr;
}

bool Troop::AttachedFollower() const {
    return formationFollow && leader;
}

void Troop::FollowCity(City* city) {
    if (city) NetCmdFollowTarget(this, city, 0);
}

void Troop::RunOrder() {
    if (AttachedFollower() || pathWait != 0) return;
    City* home = HomeCity();
    const bool homeValid = ValidCity(home);
    int8_t& s = order->orderState;
    switch (s) {
    case 4:
    case 8: {
        if (!homeValid) return;
        const int32_t patrolling = CountKingdomTroopsInOrder(owner, homeCity, 4, true) +
                                   CountKingdomTroopsInOrder(owner, homeCity, 8, true);
        if (home->ownerSide != owner)
            s = 6;
        else if (patrolling > home->muster[0])
            FollowCity(home);
        else if (platform::rand() % 5 == 4) {
            s = 4;
            RandomWanderA(this, 0);
        }
        return;
    }
    case 3:
    case 7:
        StartAdvance();
        return;
    case 17:
    case 18:
        if (orderWait <= 0 && homeValid) FollowCity(home);
        return;
    case 5:
    case 11:
    case 16:
        s = 1;
        MarchOnTarget();
        return;
    case 6:
        AttackNearestEnemy(order->targetCityId);
        return;
    case 9: {
        City* target = OrderTargetCity();
        if (ValidCity(target)) {
            NetCmd09(this, target, skill);
        } else {
            NetCmdHalt(this);
            s = 6;
        }
        return;
    }
    case 10: {
        Troop* held = heldObject;
        if (held && !held->IsGone() && !held->outOfPlay) {
            NetCmdTargetTroop(this, held);
        } else {
            NetCmdHalt(this);
            s = 6;
        }
        heldObject = nullptr;
        return;
    }
    case 1:
    case 2: {
        City* target = OrderTargetCity();
        const bool usable =
            ValidCity(target) && target->ownerSide != owner && KingdomRelation(owner, target->ownerSide) == 3;
        if (!usable) {
            if (homeValid && home->ownerSide == owner)
                FollowCity(home);
            else
                FollowCity(FindNearestCity(owner, 0, true));
            return;
        }
        if (s == 1) {
            MarchOnTarget();
        } else if (orderWait < kCloseInWaitLimit) {
            ++orderWait;
        } else {
            orderWait = 0;
            OrderAllInState(2, 0);
        }
        return;
    }
    case 20: {
        if (routeStage < 1 || routeStage > 6) return;
        if (routeWait > OfficerValue(kRouteWaitDays) || routeWait == -2) {
            int16_t x = goalX, y = goalY;
            const int8_t stage = NextRouteStep(x, y);
            if (stage == 7) {
                if (NetCmd27(this, 2)) return;
            } else {
                goalX = x;
                goalY = y;
                NetCmd27(this, 1);
            }
            routeWait = -1;
        }
        if (routeWait == -1) routeWait = 0;
        return;
    }
    case 12:
    case 13:
        RandomRoam(this, 10, 20);
        return;
    case 21:
        // The capital's sub-castle: the kind-4 one of the nearest capital.
        if (City* capital = FindCapitalCity()) NetCmdFollowTarget(this, capital, 4);
        return;
    case 25:
        FollowCity(FindNearestCity(owner, 0, true));
        return;
    case 22:
        GoToWallPost();
        return;
    case 23:
        RoamOnWall();
        return;
    default:
        return;
    }
}

bool Troop::CheckOrderArrival() {
    if (AttachedFollower() || state != 0 || actionCode != 0 || order->orderState == 0 ||
        (order->pursue & 0x80) || (flags & 0x40))
        return false;
    const int32_t gp = Manhattan(order->gatherX, order->gatherY, cellX, cellY);
    const int32_t gd = Manhattan(order->gatherX, order->gatherY, goalX, goalY);
    const int32_t pd = Manhattan(cellX, cellY, goalX, goalY);
    bool halt = false;
    switch (order->orderState) {
    case 1:
        halt = 2 * gd <= 3 * gp || pd < 40;
        break;
    case 2: {
        City* target = OrderTargetCity();
        const int32_t radius = !ValidCity(target) || target->Kind() == 0 ? 50 : 25;
        halt = pd < radius + rangeEnd / 3;
        break;
    }
    case 3:
        halt = 9 * pd < 10 * gp;
        break;
    case 20: {
        const int32_t leash = OfficerValue(kRouteLeash);
        if (routeStage >= 1 && routeStage <= 6 && leash != 0 &&
            leash < Manhattan(cellX, cellY, anchorX, anchorY) / 2) {
            routeWait = 0;
            NetCmd27(this, 0);
        }
        return false;
    }
    default:
        return false;
    }
    if (!halt) return false;
    NetCmdHalt(this);
    OnOrderLegDone();
    return true;
}

void Troop::OnOrderLegDone() {
    City* home = HomeCity();
    if (!ValidCity(home)) {
        order->orderState = 6;
        NetCmdHalt(this);
        return;
    }
    const uint8_t* muster = home->muster;
    const uint8_t closeIn = home->parent ? home->parent->muster[3] : muster[3];
    switch (order->orderState) {
    case 1:
        if (CountKingdomTroopsInOrder(owner, homeCity, 1, false) >= muster[2]) StartCloseIn();
        return;
    case 2: {
        City* target = OrderTargetCity();
        const int32_t limit = ValidCity(target) && target->Kind() != 0 ? 3 * closeIn / 2 : 3 * closeIn;
        const bool others = CountKingdomTroopsInOrder(owner, homeCity, 1, false) > 0 ||
                            CountMovingTroopsInOrder(owner, homeCity, 2, false) > 0 ||
                            CountKingdomTroopsInOrder(owner, homeCity, 2, false) < closeIn;
        if (others && CountTroopsNearCell(owner, cellX, cellY) < limit) return;
        OrderAllInState(2, 0);
        return;
    }
    case 3:
        if (CountKingdomTroopsInOrder(owner, homeCity, 3, true) >= muster[1]) StartAdvance();
        return;
    default:
        return;
    }
}

void Troop::MarkOrderEngaged() {
    int8_t& s = order->orderState;
    switch (s) {
    case 3:
        s = 7;
        break;
    case 4:
        s = 8;
        break;
    case 17:
        s = 18;
        break;
    case 1:
        s = 5;
        break;
    case 2:
        s = 6;
        break;
    default:
        break;
    }
}

void Troop::StartAdvance() {
    order->orderState = 1;
    MarchOnTarget();
}

void Troop::StartCloseIn() {
    City* target = OrderTargetCity();
    if (!ValidCity(target)) return;
    order->orderState = 2;
    NetCmd02(this, target->CellX() - 2, target->CellY() - 2);
    orderWait = 0;
}

void Troop::StartAssault() {
    const int8_t s = order->orderState;
    bool attacked = false;
    if (s == 3 || s == 17 || s == 4)
        attacked = AttackNearestEnemy(-1);
    else if (s != 0)
        attacked = AttackNearestEnemy(order->targetCityId);
    if (attacked) order->orderState = 6;
}

int16_t Troop::OrderAllInState(int8_t wanted, int32_t targetCityId) {
    Kingdom* k = TroopKingdom(owner);
    if (!k) return 0;
    int16_t touched = 0;
    std::vector<Troop*> members;
    for (uintptr_t v = k->fieldUnits.First(); v != 0; v = k->fieldUnits.Next())
        members.push_back(reinterpret_cast<Troop*>(v));
    for (Troop* t : members) {
        if (t->OfficerKind() != 1 || t->state != 10 || t->outOfPlay || t->actionCode != 0 ||
            t->order->orderState != wanted || (t->flags & 0x0A))
            continue;
        if (targetCityId == 0) {
            t->StartAssault();
            t->orderWait = 0;
        } else {
            t->order->targetCityId = targetCityId;
        }
        ++touched;
    }
    return touched;
}

void Troop::SetGatherCell() {
    City* home = HomeCity();
    if (!ValidCity(home)) return;
    order->gatherX = static_cast<int16_t>(home->CellX() - 2);
    order->gatherY = static_cast<int16_t>(home->CellY() - 2);
    order->wanderDirection = 0;
}

void Troop::ReturnHome(int32_t patrolParam, bool goHome) {
    if (goHome) {
        order->orderState = 17;
        orderWait = 10;
    }
    if (!DecidesHere() || AttachedFollower()) return;
    SetGatherCell();
    if (!TheBattleMap || !TheBattleMap->sideActive[owner > 0 ? owner : 0]) {
        order->orderState = 0;
        return;
    }
    City* home = HomeCity();
    if ((flags & 0x0A) || !ValidCity(home)) return;
    if (!goHome) {
        PickTargetFromHomeCity();
        RandomWanderB(this, patrolParam);
    } else if (home->rallyX < 1 && home->rallyY < 1) {
        FollowCity(home);
        orderWait = 1;
    } else {
        NetCmd02(this, home->rallyX, home->rallyY);
    }
}

void Troop::OrderEnterCity(int32_t cityId) {
    if (!DecidesHere()) return;
    SetGatherCell();
    City* city = TheBattleMap ? TheBattleMap->CityById(cityId) : nullptr;
    if (ValidCity(city)) {
        order->targetCityId = cityId;
        order->orderState = 9;
        NetCmd09(this, city, skill);
    } else {
        NetCmdHalt(this);
        order->orderState = 6;
    }
}

void Troop::OrderTargetObject(Troop* object) {
    if (!DecidesHere()) return;
    SetGatherCell();
    order->orderState = 10;
    if (object) NetCmdTargetTroop(this, object);
}

int8_t Troop::NextRouteStep(int16_t& x, int16_t& y) {
    static constexpr uint32_t kPoint[3] = {OfficerLayout::kOrderA, OfficerLayout::kOrderA + 12,
                                           OfficerLayout::kOrderA + 24};
    while (routeStage >= 1 && routeStage <= 6) {
        const uint32_t point = kPoint[(routeStage - 1) / 2];
        if (routeStage % 2 == 1) {
            const int32_t who = OfficerValue(point);
            Troop* t = who != 0 ? FindTroopByTemplate(who) : nullptr;
            if (t && !(t->flags & 0x40) && !t->IsGone() && !t->outOfPlay) {
                x = t->cellX;
                y = t->cellY;
                return routeStage;
            }
            ++routeStage;
            routeWait = -1;
        } else {
            const int32_t px = OfficerValue(point + 4), py = OfficerValue(point + 8) / 2;
            if (routeWait == -2 || (px == 0 && py == 0)) {
                ++routeStage;
                continue;
            }
            x = static_cast<int16_t>(px);
            y = static_cast<int16_t>(py);
            return routeStage;
        }
    }
    return routeStage;
}

bool Troop::ApplyRouteControl(int32_t mode) {
    switch (mode) {
    case 2: {
        const int32_t endAi = OfficerValue(OfficerLayout::kActionAi);
        if (endAi == 1) {
            order->orderState = 12;
            return true;
        }
        if (endAi == 3) {
            order->orderState = 2;
            order->stormThenRoam = 1;
            return true;
        }
        return false;
    }
    case 1:
        anchorX = cellX;
        anchorY = cellY;
        return ApplyCmd02(goalX, goalY);
    default:
        ApplyHalt();
        return true;
    }
}

void Troop::ResumeOrder() {
    if (order->orderState == 5) {
        order->orderState = 1;
        MarchOnTarget();
    } else if (order->orderState == 6) {
        City* target = OrderTargetCity();
        if (!ValidCity(target)) return;
        order->orderState = 2;
        NetCmd02(this, target->CellX() - 2, target->CellY() - 2);
        orderWait = 0;
    }
}

Troop* FindTroopByTemplate(int32_t templateId) {
    if (!TheBattleMap || !TheBattleMap->stageSet) return nullptr;
    LinkList* kingdoms = StageKingdoms();
    if (!kingdoms) return nullptr;
    for (uintptr_t k = kingdoms->First(); k != 0; k = kingdoms->Next()) {
        LinkList& units = reinterpret_cast<Kingdom*>(k)->fieldUnits;
        for (uintptr_t u = units.First(); u != 0; u = units.Next()) {
            auto* t = reinterpret_cast<Troop*>(u);
            if (t->OfficerValue(OfficerLayout::kPersonNumber) == templateId) return t;
        }
    }
    return nullptr;
}
