#include "Program/GameController.h"
#include "net/TroopCommands.h"
#include "platform/CRand.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "troops/TroopOrder.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"
#include "world/UnitPath.h"

#include <cstdlib>

namespace {
using L = OfficerLayout;

constexpr uint32_t kRouteStart = 188; // "初始天條件"
constexpr int32_t kPassiveHolder = 5;
constexpr int16_t kRetreatHold = 18;
// Beyond this distance to the last node a path that stopped was cut short.
constexpr int32_t kCutShortX = 96000;
constexpr int32_t kCutShortY = 64000;
constexpr uint8_t kNoPath = 0xFF;

GameController* Controller() {
    return TheGameController;
}

bool Alive(const Troop* t) {
    return t && !t->IsGone() && !t->outOfPlay;
}

// The city whose cells the troop stands on, or null.
City* CityUnder(const Troop& t) {
    if (!TheBattleMap) return nullptr;
    const MapCell* cell = TheBattleMap->GetCell(t.cellX, 2 * t.cellY);
    return cell && cell->cityId != 0 ? TheBattleMap->CityById(cell->cityId) : nullptr;
}

// The enemy check runs while the troop stands, walks an order's route or guards.
bool WatchesForEnemies(const Troop& t) {
    const TroopOrder& o = *t.order;
    if (t.state == 10 || t.actionCode == 3 || t.actionCode == 4) return true;
    if (t.state == 0 && t.actionCode == 0) {
        if (o.orderState == 20) return true;
        if (o.orderState != 16 && ((o.pursue & 0x80) || o.spare[0] != 0 || (t.flags & 0x200))) return true;
    }
    return t.state == 1 && t.actionCode == 0 && t.targetTroop && t.targetTroop->OfficerKind() == 17 &&
           o.orderState != 0;
}

// The leader step's formation keeping: true when the troop's frame ends here, false when it goes on
// to its retreat hold and path.
bool FollowLeader(Troop& t) {
    const uint8_t d = t.KeepFormation();
    if (d == 0) {
        if (t.blocked != 0) return false;
        if (t.state != 10) {
            t.SetMoveDirection(t.leader->facing);
            t.ApplyHalt();
        }
        return true;
    }
    if (t.state == 10) {
        if (t.cellX != t.goalX || t.cellY != t.goalY) t.ApplyCmd02(t.goalX, t.goalY);
        return true;
    }
    t.nextDirection = d;
    t.SetMoveDirection(d);
    if (t.blocked != 0) return false;
    t.TickRetreat();
    return true;
}

void StartRoute(Troop& t) {
    if (t.OfficerValue(L::kActionAi) == 0 || t.routeStage != 0) return;
    if (t.OfficerValue(kRouteStart) != 0 && t.routeTrigger == 0) return;
    t.routeStage = 1;
    t.routeWait = 0;
    if (t.order) t.order->orderState = 20;
}
} // namespace

void Troop::Think() {
    GameController* c = Controller();
    if (!c || !c->running || garrison != 0 || state == 13 || outOfPlay) return;
    if (++decisionPhase < 0 || decisionPhase > 7) decisionPhase = 0;
    if (skillLaunched != 0 && ++skillLaunched > 100) skillLaunched = 0;
    if (skillDelay > 0) --skillDelay;
    if (c->networked && !c->isHost) {
        ThinkAsClient();
        return;
    }

    const bool myTurn = officer && decisionPhase == static_cast<int8_t>(officer->serial % 8);
    TroopOrder& o = *order;
    if (myTurn) {
        if ((o.orderState == 17 || o.orderState == 18) && orderWait > 0) --orderWait;
        if (OfficerKind() == 5) JoinNearbyKingdom(6);
        if (flags & 0x40) {
            JoinNearbyKingdom(7);
            const int32_t served = OfficerValue(L::kPolicy);
            // A commanding kingdom outside the table, or one that does not exist, gives no place.
            const Kingdom* k = served >= 1 && served <= BattleMap::kSides ? TroopKingdom(served) : nullptr;
            if (o.orderState == 0 || state != 10 || !k || k->NationKind() == 3 || c->gameKind == 0) return;
            if (served == owner) {
                if (City* city = FindNearestCity(owner, 0, true)) NetCmdFollowTarget(this, city, 0);
            } else if (City* city = FindNearestCity(served, 5, false)) {
                NetCmdFollowTarget(this, city, 5);
            }
            return;
        }
        if ((state == 1 || state == 11) && IsFarFromLeader(cellX, cellY)) {
            NetCmd02(this, leader->cellX, leader->cellY);
            return;
        }
    }

    if (state == 11) {
        if (currentFrame == 3) {
            if (skill >= 0) {
                ApplyHalt();
            } else {
                if (actionCode == 12)
                    ContinueCityAttack();
                else
                    ContinueTroopAttack();
                CheckRetreat();
                if (City* city = CityUnder(*this)) ArriveAtCityCell(city);
            }
        }
        return;
    }

    if (myTurn) {
        if (flags & 0x200) KeepEscort();
        if (OfficerValue(L::kPhysiqueRest) == kPassiveHolder && state == 10) MoveTowardHostile(5);
        StartRoute(*this);
        if (o.orderState == 4)
            if (City* home = HomeCity(); home && !home->dead && home->ownerSide != owner) NetCmdHalt(this);
        if (WatchesForEnemies(*this)) {
            uint8_t cityNear = 0;
            if (ScanForEnemy(0, cityNear) || (cityNear != 0 && ScanForHostileCity()) || ChooseSkill(false))
                return;
        }
        if (o.stormThenRoam != 0 && state == 10 && AttackNearestEnemy(-1)) return;
        if (o.orderState != 0) {
            if (state == 10)
                RunOrder();
            else if (state == 0 && CheckOrderArrival())
                return;
        }
    }

    if (formationFollow && leader && (state == 10 || state == 0)) {
        if (!Alive(leader)) return;
        if (!(flags & 0x10) && leader->state == 11 && Alive(leader->targetTroop) &&
            NetCmdTargetTroop(this, leader->targetTroop)) {
            MarkOrderEngaged();
            return;
        }
        if (!(flags & 0x10) && FollowLeader(*this)) return;
    }

    TickRetreat();
    if (state == 10) return;
    if (state == 1 && (actionCode == 2 ? StepCityAttack() : StepTroopAttack())) return;

    // The last node of the path: arrived, or stopped short of it.
    PathWaypoint* last = waypoints && !waypoints->next ? waypoints : nullptr;
    if (last && IsStepNotCloser(worldX, worldY, last->x, last->y, velX, velY)) {
        if (keep[0] == 0 && keep[1] == 0) {
            if (std::abs(last->x - worldX) > kCutShortX || std::abs(last->y - worldY) > kCutShortY) {
                City* city = actionCode == 6 ? FindNearestCity(owner, 0, true) : nullptr;
                if (city)
                    NetCmdFollowTarget(this, city, 0);
                else
                    NetCmdHalt(this);
                return;
            }
            if (DoArrivalAction()) return;
            if (actionCode == 2 && targetCity && ApplyCmd09(targetCity, targetWord)) return;
            const uint8_t pursue = o.pursue;
            ApplyHalt();
            if (o.orderState == 20 && routeStage >= 1 && routeStage <= 6 && !(pursue & 0xC0)) routeWait = -2;
            const int32_t kind = OfficerKind();
            if (!c->networked && o.orderState == 0 && (kind == 1 || kind == 5)) HaltIdleSharingDestination();
            return;
        }
        const int16_t kx = goalX, ky = goalY;
        const uint8_t keepMove = keep[1];
        ApplyHalt();
        ApplyCmd02(kx, ky);
        keep[1] = keepMove;
    }

    if (retreating != 0) return;
    pathEndHold = 0;
    if (nextDirection == 0)
        FindBestCellAround(goalX, goalY, cellX, cellY, goalX, goalY, 0, 40, true, false, 0, 1);
    const uint8_t d = FindUnitPath(this, cellX, cellY, goalX, goalY);
    if (d == 0) {
        OnNoPath();
    } else if (d == kNoPath) {
        if (!DoArrivalAction()) ApplyHalt();
    } else {
        SetMoveDirection(d);
        if (!(flags & 0x04)) TriggerTrapsAround();
        if (!(flags & 0x04))
            if (City* city = CityUnder(*this)) ArriveAtCityCell(city);
    }
}

void Troop::ThinkAsClient() {
    if (state == 11) {
        if (skill >= 0 && currentFrame == 3) ApplyHalt();
        return;
    }
    StartRoute(*this);
    if (formationFollow && leader && (state == 10 || state == 0)) {
        if (!Alive(leader)) return;
        if (!(flags & 0x10) && FollowLeader(*this)) return;
    }
    TickRetreat();
    if (state == 10) return;
    if (state == 1 && actionCode == 0) {
        if (FollowTargetAsClient()) return;
        // Within reach (or too close) the host turns to strike or backs off where the troop
        // stands; a client that walked on would part from the host's copy.
        if (IsWithinRange(cellX, cellY, rangeStart, rangeEnd) != 0) return;
    }
    PathWaypoint* last = waypoints && !waypoints->next ? waypoints : nullptr;
    if (last && IsStepNotCloser(worldX, worldY, last->x, last->y, velX, velY)) {
        if (keep[0] == 0 && keep[1] == 0) {
            if (actionCode == 2 && targetCity && ApplyCmd09(targetCity, targetWord)) return;
            ApplyHalt();
            return;
        }
        const int16_t kx = goalX, ky = goalY;
        const uint8_t keepMove = keep[1];
        ApplyHalt();
        ApplyCmd02(kx, ky);
        keep[1] = keepMove;
    }
    if (retreating != 0) return;
    pathEndHold = 0;
    if (nextDirection == 0)
        FindBestCellAround(goalX, goalY, cellX, cellY, goalX, goalY, 0, 40, true, false, 0, 1);
    const uint8_t d = FindUnitPath(this, cellX, cellY, goalX, goalY);
    if (d == kNoPath)
        ApplyHalt();
    else if (d != 0)
        SetMoveDirection(d);
}

void Troop::TickRetreat() {
    if (retreating == 0) return;
    if (retreatTimer > 0) --retreatTimer;
    if (order && order->orderState != 0 && retreatTimer == kRetreatHold && state != 10 && actionCode != 6) {
        Troop* target = state == 1 ? targetTroop : nullptr;
        const int16_t kx = goalX, ky = goalY;
        ApplyHalt();
        velX = velY = 0;
        retreatTimer = kRetreatHold;
        retreating = 1;
        targetTroop = target;
        goalX = kx;
        goalY = ky;
    }
    if (retreatTimer > 0) return;
    retreatTimer = 0;
    retreating = 0;
    if (actionCode == 6 && !(flags & 0x40)) {
        if (City* city = CityUnder(*this); city && city->ownerSide != owner) ApplyHalt();
        return;
    }
    const int16_t kx = goalX, ky = goalY;
    ApplyHalt();
    velX = velY = 0;
    goalX = kx;
    goalY = ky;
}

bool Troop::DoArrivalAction() {
    switch (actionCode) {
    case 3:
        RandomRoam(this, 10, 20);
        return false;
    case 4:
        NetCmdMoveTo(this, order->secondX & 0xFFFF, order->secondY & 0xFFFF, -1, -1);
        return true;
    case 5:
        if (!targetTroop) return false;
        NetCmdTargetTroop(this, targetTroop);
        return true;
    case 6:
        return true;
    default:
        return false;
    }
}

bool Troop::KeepEscort() {
    if (!Alive(escortTarget)) {
        flags &= ~0x200u;
        escortTarget = nullptr;
        NetCmdHalt(this);
        return true;
    }
    if (state == 10) {
        // The decision cycle runs on the host alone, so the runtime's generator decides here.
        const int32_t r1 = platform::rand(), r2 = platform::rand();
        NetCmd02(this, escortTarget->cellX + 4 - r1 % 7, escortTarget->cellY + 4 - r2 % 7);
    }
    return true;
}

void Troop::ArriveAtCityCell(City* city) {
    if (!city || city->dead || KingdomRelation(owner, city->ownerSide) != 3 || (flags & 0x04)) return;
    if (city->Kind() == 0) {
        city->RallyWallTroops(this, true);
        city->DefendersAnswer(this);
    }
    if (city->ownerSide >= 0 && city->ownerSide <= BattleMap::kSides && TheBattleMap &&
        TheBattleMap->sideActive[city->ownerSide]) {
        RallyDefenders(city, 2);
        city->lastAttackerX = cellX;
        city->lastAttackerY = cellY;
    }
    const GameController* c = Controller();
    if (!c || c->gameKind == 0 || c->gameKind == 2) return;
    for (Troop* guard : city->garrison)
        if (Alive(guard) && guard->state != 1 && guard->state != 11) NetCmdTargetTroop(guard, this);
}
