#include "world/UnitPath.h"

#include "Program/GameController.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "troops/TroopOrder.h"
#include "world/BattleMap.h"
#include "world/Coordinates.h"
#include "world/PathSearch.h"
#include "world/RouteGraph.h"

#include <algorithm>
#include <cstdlib>

namespace {

Troop* AsTroop(uintptr_t id) {
    return reinterpret_cast<Troop*>(id);
}

// The first occupant of the unit cell that the troop may not walk through.
Troop* ValidTargetAt(Troop* troop, int32_t x, int32_t y) {
    if (!TheBattleMap) return nullptr;
    Troop* found = nullptr;
    for (uintptr_t id = TheBattleMap->FirstObjectAt(x, y); id != 0; id = TheBattleMap->NextObjectAt()) {
        if (troop->IsValidTarget(AsTroop(id))) {
            found = AsTroop(id);
            break;
        }
    }
    TheBattleMap->occupancyCursor = nullptr;
    return found;
}

PathNode* LegStart(PathNode* goal) {
    while (goal && goal->parent)
        goal = goal->parent;
    return goal;
}

// Searches the second leg from the end of the first and hangs it on; the first leg stays when
// the second is not found, and the route carries on from there next time.
PathNode* JoinLeg(PathNode* first, int32_t tx, int32_t ty) {
    uint8_t result = 0;
    PathNode* second = SearchGridPath(nullptr, nullptr, first->x, first->y, tx, ty, 1, 0, result);
    if (!second) return first;
    LegStart(second)->parent = first;
    return second;
}

void PopRouteStep(Troop* troop) {
    RouteStep* used = troop->route;
    troop->route = used->next;
    delete used;
}

bool SamePosition(const PathWaypoint* w, const Troop* t) {
    return w->x == t->worldX && w->y == t->worldY;
}

void DropWaypointsAtPosition(Troop* troop) {
    while (troop->waypoints && SamePosition(troop->waypoints, troop)) {
        PathWaypoint* w = troop->waypoints;
        troop->waypoints = w->next;
        delete w;
    }
}

int32_t CampaignStage() {
    return TheGameController ? TheGameController->campaignStage : 0;
}

// Makes a new path into the troop's waypoint list; false when there is none (the result to
// return is left in `answer`).
bool MakePath(Troop* troop, int32_t sx, int32_t sy, int32_t tx, int32_t ty, uint8_t& answer) {
    answer = 0xFF;
    uint8_t result = 0;
    PathNode* goal = nullptr;
    bool wall = false;
    if (troop->route && troop->routeMode == 1) {
        RouteStep* node = troop->route;
        goal = SearchGridPath(nullptr, nullptr, sx, sy, node->x, node->y, 1, 0, result);
        if (!goal) {
            ResetPathSearch();
            FreeUnitSearchNodes(troop);
            troop->routeMode = 0;
            return false;
        }
        if (!node->next) {
            goal = JoinLeg(goal, tx, ty);
            troop->routeMode = 0;
        }
        PopRouteStep(troop);
    } else {
        if (troop->routeMode == 2) {
            FreeUnitSearchNodes(troop);
            troop->routeMode = 0;
        }
        int32_t limit = 1000;
        if (CampaignStage() >= 1 && CampaignStage() <= 6) limit = 3000;
        if (troop->formationFollow) limit = 300;
        wall = troop->order->orderState == 22 && troop->state == 1;
        goal = wall ? SearchWallPath(troop, sx, sy, tx, ty, 5, limit, result)
                    : SearchGridPath(nullptr, nullptr, sx, sy, tx, ty, 5, limit, result);
        if (!goal) {
            ResetPathSearch();
            if (result == kSearchNoPath) {
                troop->blocked = 0;
                return false;
            }
            if (troop->noRoute) {
                troop->noRoute = 0;
                answer = 0;
                return false;
            }
            if (troop->formationFollow || wall) {
                troop->blocked = 0;
                return false;
            }
            if (!PlanRouteViaGraph(troop, sx, sy, tx, ty)) return false;
            RouteStep* node = troop->route;
            goal = SearchGridPath(nullptr, nullptr, sx, sy, node->x, node->y, 1, 0, result);
            if (!goal) {
                ResetPathSearch();
                FreeUnitSearchNodes(troop);
                troop->routeMode = 0;
                return false;
            }
            if (!node->next) {
                goal = JoinLeg(goal, tx, ty);
                troop->routeMode = 0;
            } else {
                goal = JoinLeg(goal, node->next->x, node->next->y);
                troop->routeMode = 1;
            }
            PopRouteStep(troop);
        }
    }
    if (!goal || !goal->parent) {
        ResetPathSearch();
        return false;
    }
    troop->waypoints = wall ? WallPathToWaypoints(goal) : StraightenPath(goal);
    ResetPathSearch();
    return true;
}

uint8_t StepToFirstWaypoint(Troop* troop) {
    PathWaypoint* w = troop->waypoints;
    troop->nextDirection = ComputeStepVelocity(w->x, w->y, troop->worldX, troop->worldY, troop->velX,
                                               troop->velY, false, troop->speed);
    return troop->nextDirection;
}

} // namespace

void FreeWaypoints(PathWaypoint* list) {
    while (list) {
        PathWaypoint* next = list->next;
        delete list;
        list = next;
    }
}

void FreeUnitPath(Troop* troop) {
    FreeWaypoints(troop->waypoints);
    troop->waypoints = nullptr;
}

void FreeUnitSearchNodes(Troop* troop) {
    FreeRouteSteps(troop->route);
    troop->route = nullptr;
}

uint8_t FindUnitPath(Troop* troop, int32_t sx, int32_t sy, int32_t tx, int32_t ty) {
    bool fresh = false;
    if (troop->nextDirection == 0) {
        FreeUnitPath(troop);
        ResetPathSearch();
        uint8_t answer = 0xFF;
        if (!MakePath(troop, sx, sy, tx, ty, answer)) {
            if (answer == 0xFF) StopUnitStep(troop);
            return answer;
        }
        fresh = true;
    }
    PathWaypoint* w = troop->waypoints;
    if (!w) {
        StopUnitStep(troop);
        return 0xFF;
    }
    if (fresh || IsStepNotCloser(troop->worldX, troop->worldY, w->x, w->y, troop->velX, troop->velY)) {
        troop->waypoints = w->next;
        delete w;
        DropWaypointsAtPosition(troop);
        if (!troop->waypoints) {
            StopUnitStep(troop);
            return 0xFF;
        }
        StepToFirstWaypoint(troop);
    }
    // The animation step walks the troop while this is set.
    troop->moving = troop->velX != 0 || troop->velY != 0;
    return troop->nextDirection;
}

void StopUnitStep(Troop* troop) {
    troop->moving = 0;
    troop->velX = troop->velY = 0;
}

uint8_t ComputeStepVelocity(int32_t wx, int32_t wy, int32_t px, int32_t py, int32_t& vx, int32_t& vy,
                            bool noFacing, int32_t speed) {
    const int32_t dx = wx - px, dy = wy - py;
    vx = vy = 0;
    if (dx == 0 && dy == 0) return 0;
    const int32_t adx = std::abs(dx), ady = std::abs(dy);
    if (adx > ady) {
        vx = std::min(speed * 16000 / 100, adx);
        vy = vx > 0 ? ady / (adx / vx) : 0;
    } else {
        vy = std::min(speed * 8000 / 100, ady);
        vx = vy > 0 ? adx / (ady / vy) : 0;
    }
    if (dx < 0) vx = -vx;
    if (dy < 0) vy = -vy;
    return noFacing ? 1 : DirectionOfVector(dx, dy);
}

uint8_t DirectionOfVector(int32_t dx, int32_t dy) {
    const float r = dy == 0 ? 100.0f : float(std::abs(dx)) / float(std::abs(dy));
    if (r < 0.3f) return dy >= 0 ? 7 : 3;
    if (r <= 3.0f) {
        if (dy >= 0) return dx >= 0 ? 8 : 6;
        return dx >= 0 ? 2 : 4;
    }
    return dx >= 0 ? 1 : 5;
}

bool IsStepNotCloser(int32_t px, int32_t py, int32_t wx, int32_t wy, int32_t vx, int32_t vy) {
    const int64_t after =
        std::llabs(int64_t(wx) - (int64_t(px) + vx)) + std::llabs(int64_t(wy) - (int64_t(py) + vy));
    const int64_t now = std::llabs(int64_t(wx) - px) + std::llabs(int64_t(wy) - py);
    return after >= now;
}

bool IsLineObstructed(int32_t wx, int32_t wy, int32_t vx, int32_t vy) {
    for (int32_t i = 1; i <= 10; ++i) {
        const int32_t px = wx + i * (vx / 10), py = wy + i * (vy / 10);
        if (GetCellObstacle(px / 40000, py / 10000) > 0) return true;
        if (GetCellObstacle(px / 40000, 2 * (py / 20000)) > 0) return true;
    }
    return false;
}

void SetBlockedWait(Troop* troop, Troop* blocker) {
    troop->waiting = 1;
    troop->blocked = 0;
    const bool idle = troop->state == 0;
    const bool holding = blocker && blocker->state == 10;
    if (idle)
        troop->waitCounter = holding ? 1 : 20;
    else
        troop->waitCounter = holding ? 19 : 20;
}

int32_t DetourAroundOccupant(Troop* troop) {
    if (troop->velX == 0 && troop->velY == 0) return 0;
    const int32_t cx = WorldToTileX(troop->worldX + troop->velX);
    const int32_t cy = WorldToTileY(troop->worldY + troop->velY);
    Troop* blocker = ValidTargetAt(troop, cx, cy);
    if (!blocker) {
        troop->waiting = 0;
        troop->waitCounter = 0;
        return 1;
    }
    if (!troop->waiting && troop->state != 1 && blocker->state != 10 && blocker->state != 11) {
        if (troop->waitCounter == 0) {
            troop->waitCounter = 8 + (troop->cellX * troop->cellY) % 4;
            return 0;
        }
        if (troop->waitCounter > 1) {
            --troop->waitCounter;
            return 0;
        }
        troop->waitCounter = 0;
    }
    const int32_t blockerKind = blocker->officer ? blocker->officer->Get(OfficerLayout::kAttribute) : 0;
    if (blockerKind == 17 && troop->state == 1 && troop->targetTroop && !troop->targetTroop->IsGone() &&
        troop->targetTroop->groupId == blocker->groupId) {
        troop->targetTroop = blocker;
        troop->ApplyCmd05(troop->IsWithinRange(troop->cellX, troop->cellY));
        return 0;
    }
    if (troop->order->orderState == 22 && troop->state == 1) {
        troop->ResetCombatState();
        return 0;
    }

    // The detour target: the first waypoint that is free, else the goal.
    PathWaypoint* target = nullptr;
    for (PathWaypoint* w = troop->waypoints; w; w = w->next) {
        if (!ValidTargetAt(troop, WorldToTileX(w->x), WorldToTileY(w->y))) {
            target = w;
            break;
        }
    }
    if (!target && troop->formationFollow) troop->blocked = 1;
    for (int attempt = 0; attempt < 2; ++attempt) {
        int32_t tx = troop->goalX, ty = troop->goalY;
        if (target) {
            tx = WorldToTileX(target->x);
            ty = WorldToTileY(target->y);
        }
        if (std::abs(tx - troop->cellX) <= 1 && std::abs(ty - troop->cellY) <= 1 &&
            ValidTargetAt(troop, tx, ty)) {
            if (troop->order->orderState == 20 && troop->routeStage >= 1 && troop->routeStage <= 6) {
                troop->ApplyHalt();
                if ((troop->routeTrigger & 0xC0) == 0) troop->routeStage = 0;
                return 0;
            }
            if (!troop->waiting) {
                SetBlockedWait(troop, blocker);
                return 0;
            }
        }
        uint8_t result = 0;
        PathNode* goal = SearchGridPath(troop, troop, troop->cellX, troop->cellY, tx, ty, 1, 500, result);
        if (goal) {
            PathWaypoint* detour = NodesToWaypoints(goal);
            ResetPathSearch();
            // The detour replaces the occupied waypoints before the target.
            PathWaypoint* rest = target;
            PathWaypoint* old = troop->waypoints;
            while (old && old != rest) {
                PathWaypoint* next = old->next;
                delete old;
                old = next;
            }
            if (!rest) FreeWaypoints(old);
            PathWaypoint** tail = &detour;
            while (*tail)
                tail = &(*tail)->next;
            *tail = rest;
            troop->waypoints = detour;
            DropWaypointsAtPosition(troop);
            troop->waitCounter = 0;
            if (troop->waypoints) StepToFirstWaypoint(troop);
            return 1;
        }
        ResetPathSearch();
        if (target) {
            target = nullptr; // once more toward the goal
            continue;
        }
        if (troop->waiting) return 0;
        const int32_t kind = blocker->officer ? blocker->officer->Get(OfficerLayout::kAttribute) : 0;
        if (blocker->state == 11 || kind == 17) {
            SetBlockedWait(troop, blocker);
            return 0;
        }
        FreeUnitPath(troop);
        troop->velX = troop->velY = 0;
        troop->nextDirection = 0;
        troop->blocked = 0;
        return 1;
    }
    return 0;
}

int32_t ReplanPathEnd(Troop* troop, int32_t tx, int32_t ty) {
    if (troop->route && troop->routeMode != 0) {
        troop->routeMode = 2;
        return 0;
    }
    if (!troop->waypoints) return 0;
    int32_t count = 0;
    for (PathWaypoint* w = troop->waypoints; w; w = w->next)
        ++count;
    PathWaypoint* thirdLast = nullptr;
    int32_t sx = WorldToTileX(troop->worldX), sy = WorldToTileY(troop->worldY);
    if (count >= 3) {
        thirdLast = troop->waypoints;
        for (int32_t i = 0; i < count - 3; ++i)
            thirdLast = thirdLast->next;
        sx = WorldToTileX(thirdLast->x);
        sy = WorldToTileY(thirdLast->y);
    }
    uint8_t result = 0;
    PathNode* goal = SearchGridPath(nullptr, nullptr, sx, sy, tx, ty, 1, 500, result);
    if (!goal) {
        ResetPathSearch();
        return 0;
    }
    PathWaypoint* leg = StraightenPath(goal);
    ResetPathSearch();
    PathWaypoint* first = leg;
    leg = leg->next;
    delete first;
    if (thirdLast) {
        FreeWaypoints(thirdLast->next);
        thirdLast->next = leg;
        return 1;
    }
    // The new leg starts the list: the old list goes once, whole.
    FreeUnitPath(troop);
    troop->waypoints = leg;
    if (leg) StepToFirstWaypoint(troop);
    return 1;
}

bool IsTileUnreachable(Troop* unit, Troop* self, int32_t tx, int32_t ty, int32_t sx, int32_t sy) {
    uint8_t result = 0;
    SearchGridPath(unit, self, sx, sy, tx, ty, 1, 500, result);
    ResetPathSearch();
    CapPathSearchExpansions(501);
    return result == kSearchNoPath;
}
