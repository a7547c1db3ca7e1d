#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "net/StateCommands.h"
#include "net/TroopCommands.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "troops/DiamondRing.h"
#include "troops/Troop.h"
#include "troops/TroopOrder.h"
#include "troops/TroopSearch.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"
#include "world/Coordinates.h"
#include "world/UnitPath.h"

#include <cstdlib>
#include <cstring>

namespace {
using L = OfficerLayout;

constexpr int32_t kOccupantCap = 32;
constexpr uint32_t kSkillReach = 52; // the second "x保留x" column of a skill block

// The order in which the eight sectors are tried, by the direction toward the target.
constexpr int8_t kSectorOrder[8][8] = {
    {0, 1, 7, 2, 6, 3, 5, 4}, {1, 0, 2, 3, 7, 4, 6, 5}, {2, 1, 3, 0, 4, 5, 7, 6}, {3, 2, 4, 1, 5, 0, 6, 7},
    {4, 3, 5, 2, 6, 1, 7, 0}, {5, 4, 6, 3, 7, 2, 0, 1}, {6, 5, 7, 4, 0, 3, 1, 2}, {7, 0, 6, 4, 1, 2, 5, 3},
};
// Attack direction code 1..8 to the move direction it faces.
constexpr uint8_t kCodeFacing[9] = {0, 7, 6, 5, 4, 3, 2, 1, 8};

int32_t MapSpan() {
    return TheScreenSettings ? TheScreenSettings->mapWidth + TheScreenSettings->mapHeight : 0x7FFF;
}

bool AtWar(int32_t a, int32_t b) {
    return KingdomRelation(a, b) == 3;
}

bool HasCityByte(int32_t x, int32_t y) {
    return TheBattleMap && TheBattleMap->GetCell(x, 2 * y)->cityId != 0;
}

bool Wall(int32_t x, int32_t y) {
    return IsCellWall(x, 2 * y);
}

int32_t OrderState(const Troop* t) {
    return t->order ? t->order->orderState : 0;
}

// Status 0x2000 belongs to the group: it is cleared on the living leader, else on the troop.
void ClearGroupGuard(Troop* t) {
    Troop* on = TroopActive(t->leader) ? t->leader : t;
    NetCmdSkillEffect(on, 0x2000, 2);
}

int32_t SkillColumn(int32_t skill, uint32_t offset) {
    const uint8_t* block = SkillBlock(skill);
    if (!block) return 0;
    int32_t v = 0;
    std::memcpy(&v, block + offset, 4);
    return v;
}

} // namespace

int8_t Troop::IsWithinRange(int32_t x, int32_t y, int32_t s, int32_t e) {
    const int32_t dx = goalX - x, dy = goalY - y;
    const int32_t a = std::abs(dx), b = std::abs(dy);
    if (e < 3) {
        // Reach counts in pixels of the 40 x 20 tiles: twice as many rows as columns.
        if (a * 40 > e * 40 || b * 20 > e * 40) return 0;
        // A troop on the wall and one on the ground cannot trade blows.
        const int32_t there = GetCellObstacle(goalX, 2 * goalY);
        if (there <= 0 && there != GetCellObstacle(x, 2 * y)) return 0;
    } else if (a > e || b > e) {
        return 0;
    }
    if (a < s && b < s) return -1;
    auto alongY = [&] { return int8_t(dy <= 0 ? 5 : 1); };
    auto alongX = [&] { return int8_t(dx < 0 ? 3 : 7); };
    auto diagonal = [&] {
        if (dx < 0) return int8_t(dy <= 0 ? 4 : 2);
        return int8_t(dy < 0 ? 6 : 8);
    };
    if (a < 2 && b < 2) {
        if (a == 0) return alongY();
        if (b == 0) return alongX();
        return diagonal();
    }
    if (a < 2) return alongY();
    if (b < 2) return alongX();
    return diagonal();
}

int8_t Troop::DestinationInRange(int32_t s, int32_t e) const {
    const int32_t a = std::abs(goalX - cellX), b = std::abs(goalY - cellY);
    if (a > e || b > e) return 0;
    if (a < s && b < s) return -1;
    return 1;
}

bool Troop::IsBeyondLeash(int32_t x, int32_t y) const {
    const int32_t d = std::abs(x - cellX) + std::abs(y - cellY);
    if (rangeStart <= d && d <= rangeEnd) return false;
    const uint8_t p = order ? order->pursue : 0;
    if (p & 0x80) {
        const int32_t n = p & 0x3F;
        if (std::abs(x - order->postX) > n || std::abs(y - order->postY) > n) return true;
    }
    return (p & 0x40) && !Wall(x, y);
}

bool Troop::IsFarFromLeader(int32_t x, int32_t y) const {
    if (!formationFollow || !TroopActive(leader) || leader->state == 1 || leader->state == 11) return false;
    return std::abs(x - leader->cellX) >= 6 || std::abs(y - leader->cellY) >= 6;
}

Troop* Troop::RateEnemyAtCell(Troop* best, int32_t x, int32_t y, int32_t dx, int32_t dy,
                              int32_t& bestDistance, uint8_t& cityNear) {
    const int32_t cx = x + dx, cy = y + dy;
    if (!TheBattleMap) return best;
    const MapCell* cell = TheBattleMap->GetCell(cx, 2 * cy);
    if (cell->cityId != 0 && cell->zoneByte != 24 && cell->zoneByte != 36 && cell->cityId != homeCity)
        cityNear = 1;
    Troop* here[kOccupantCap];
    const int32_t count = CollectOccupants(cx, cy, here, kOccupantCap);
    const int32_t ownKind = OfficerKind();
    for (int32_t i = 0; i < count; ++i) {
        Troop* t = here[i];
        if (t == this || !TroopActive(t) || !AtWar(owner, t->owner)) continue;
        const int32_t kind = t->OfficerKind();
        if (kind == 14 || kind == 9) continue;
        if (kind == 17 && GetCellObstacle(t->cellX, 2 * t->cellY) > 0) continue;
        if (t->statusBits & 0x2000) continue;
        if (ownKind == 13 && kind == 20) {
            Kingdom* k = TroopKingdom(owner);
            if (k && k->NationKind() == 2) continue;
        }
        if (!(flags & 0x08) && IsBeyondLeash(t->cellX, t->cellY)) continue;
        if (IsFarFromLeader(t->cellX, t->cellY)) continue;
        if ((flags & 0x08) && std::abs(t->cellX - cellX) < rangeStart &&
            std::abs(t->cellY - cellY) < rangeStart)
            continue;
        if (Wall(cx, cy) && !HasCityByte(cellX, cellY) && !Wall(cellX, cellY)) continue;
        if (t->flags & 0x04) continue;
        const int32_t dist = std::abs(t->cellX - cellX) + std::abs(t->cellY - cellY);
        if (statusBits & 0x2000) {
            NetCmdSkillEffect(t, 33, 0);
            t->hitFlash = 1;
            t->flashColour = 0;
            best = t;
            continue;
        }
        const bool kindOne = ownKind == 1;
        const int32_t mode = OfficerValue(L::kPhysiqueRest);
        // Kind-1 officers with a combat mode rate by it; everyone else by the order's preference.
        bool byMode = kindOne && mode >= 1 && mode <= 4;
        int32_t p = byMode ? mode : (OrderState(this) == 0 && order ? order->spare[1] : 0);
        if (best && best->OfficerKind() == 17) {
            if (kind == 17) {
                p = kindOne ? 3 : 0;
                byMode = kindOne;
            } else {
                // Any other troop goes before a gate piece.
                best = nullptr;
                bestDistance = MapSpan();
            }
        }
        const int32_t bestDist = bestDistance;
        auto take = [&] {
            best = t;
            bestDistance = dist;
        };
        if (byMode) {
            if ((p == 1 || p == 2) && dist < bestDist && (!best || best->OfficerKind() != p)) take();
            if ((p == 3 || p == 4) && dist < bestDist) {
                take();
                return best;
            }
            continue;
        }
        switch (p) {
        case 0:
            if (dist < bestDist) {
                take();
                return best;
            }
            break;
        case 1: {
            const int32_t hp = t->OfficerValue(L::kHp), bestHp = best ? best->OfficerValue(L::kHp) : 0;
            if (!best || hp < bestHp || (hp == bestHp && dist < bestDist)) take();
            break;
        }
        case 2:
            if (!best || t->rangeEnd > best->rangeEnd || (t->rangeEnd == best->rangeEnd && dist < bestDist))
                take();
            break;
        default:
            break;
        }
    }
    return best;
}

bool Troop::ScanForEnemy(int32_t radius, uint8_t& cityNear) {
    cityNear = 0;
    const int32_t os = OrderState(this);
    const int32_t kind = OfficerKind();
    const int32_t gameKind = TheGameController ? TheGameController->gameKind : 0;
    if (os == 22 || os == 23) return false;
    if ((gameKind == 1 || gameKind == 3) && (kind == 13 || kind == 14)) return false;
    if ((formationFollow && leader) || (flags & 0x02) || actionCode == 5 ||
        OfficerValue(L::kPhysiqueRest) == 5)
        return false;
    int32_t r;
    if (statusBits & 0x2000) {
        r = 3;
    } else if (flags & 0x08) {
        r = rangeEnd;
    } else if (radius != 0) {
        r = radius;
    } else if (os >= 1 && os <= 4) {
        r = 3;
    } else {
        r = std::max<int32_t>(rangeEnd, order ? order->alert : 0);
    }
    r = std::min(r, 15);
    int32_t bestDistance = MapSpan();
    Troop* best = RateEnemyAtCell(nullptr, cellX, cellY, 0, 0, bestDistance, cityNear);
    for (int32_t ring = 1; ring <= r; ++ring)
        WalkRing(ring, [&](int32_t dx, int32_t dy) {
            best = RateEnemyAtCell(best, cellX, cellY, dx, dy, bestDistance, cityNear);
            return true;
        });
    if (!best) return false;
    if (os != 6) MarkPursuitStart();
    if (best->flags & 0x20000) {
        NetCmd02(this, best->cellX, best->cellY);
        return true;
    }
    if (retreating && targetTroop == best) return false;
    if (statusBits & 0x2000) ClearGroupGuard(this);
    if (NetCmdTargetTroop(this, best)) {
        MarkOrderEngaged();
        return true;
    }
    return false;
}

void Troop::Engage(Troop* victim) {
    if (!DecidesHere() || !TroopActive(victim)) return;
    if ((victim->state == 1 || victim->state == 11) && victim->targetTroop == this) return;
    if (victim->skillLaunched != 0) return;
    if (victim->statusBits & 0x2000) ClearGroupGuard(victim);
    if (victim->OfficerKind() == 17) {
        if (City* home = victim->HomeCity()) {
            home->RallyWallTroops(this, 0);
            home->DefendersAnswer(this);
        }
    }
    const int32_t ownKind = OfficerKind();
    if (victim->flags & 0x02) return;
    if ((flags & 0x04) && ownKind != 13) return;
    if (victim->actionCode == 5 || victim->actionCode == 6) return;
    const int32_t vos = OrderState(victim);
    if (vos == 11) return;
    if (Wall(cellX, cellY) && !HasCityByte(victim->cellX, victim->cellY) &&
        !Wall(victim->cellX, victim->cellY))
        return;
    if (vos == 0) {
        if (victim->state != 10 && victim->actionCode != 4) return;
    } else {
        if (victim->state == 1) return;
        if (victim->state == 11 && victim->targetTroop && victim->actionCode != 12) return;
    }
    if (ownKind == 13) {
        City* h = HomeCity();
        if (h && !h->dead && victim->OfficerKind() != 20 &&
            !(victim->state == 11 && victim->actionCode == 12 && victim->targetCity == h))
            NetCmd09(victim, h, victim->skill);
        return;
    }
    uint8_t cityNear = 0;
    if (victim->ScanForEnemy(0, cityNear)) return;
    if ((victim->flags & 0x08) && DestinationInRange(victim->rangeStart, victim->rangeEnd) <= 0) return;
    if (!NetCmdTargetTroop(victim, this) || GameNetworked()) return;
    switch (vos) {
    case 1:
    case 2:
    case 5:
    case 6:
        victim->CallForHelp(15, vos, 0, true);
        break;
    case 3:
    case 4:
    case 7:
    case 8:
    case 17:
    case 18:
        victim->RallyBand(3);
        break;
    default:
        break;
    }
}

bool Troop::StepTroopAttack() {
    if (rangeEnd == 0) rangeEnd = 1;
    if (skill >= 0) {
        // A skill number that names no record casts nothing: the troop stands.
        if (!SkillBlock(skill)) {
            skill = -1;
            NetCmdHalt(this);
            return true;
        }
        const int8_t d = IsWithinRange(cellX, cellY, 0, SkillColumn(skill, kSkillReach));
        NetCmd12(this, targetTroop, goalX, goalY, skill, uint8_t(d));
        return true;
    }
    Troop* t = targetTroop;
    if (!TroopActive(t) || (t->flags & 0x04) || t->garrison != 0) {
        if (!(flags & 0x08) && order && (order->pursue & 0x80))
            ReturnFromPursuit();
        else
            NetCmdHalt(this);
        return true;
    }
    const int32_t os = OrderState(this);
    if (t->cellX != goalX || t->cellY != goalY) {
        if (os == 22) {
            goalX = t->cellX;
            goalY = t->cellY;
            ResetCombatState();
            return false;
        }
        if ((worldY / 10000) % 2 == 0) {
            goalX = t->cellX;
            goalY = t->cellY;
            ReplanPathEnd(this, goalX, goalY);
        }
    }
    const int8_t d = IsWithinRange(cellX, cellY, rangeStart, rangeEnd);
    if (d < 0) {
        if (flags & 0x08)
            NetCmdHalt(this);
        else if (!ChooseSkill(true))
            BackOffFromTarget();
        return true;
    }
    if (d == 0) {
        if (flags & 0x08) {
            NetCmdHalt(this);
            return true;
        }
        if (os == 23) {
            if (!HasCityByte(cellX, cellY)) GoToWallPost();
            return false;
        }
        const uint8_t p = order ? order->pursue : 0;
        if (p & 0x80) {
            const int32_t n = p & 0x3F;
            if (n == 0) return false;
            const bool offWall = (p & 0x40) && !Wall(cellX, cellY) && !Wall(goalX, goalY);
            if (offWall || std::abs(goalX - order->postX) > n || std::abs(goalY - order->postY) > n) {
                if (!(p & 0x40))
                    ReturnFromPursuit();
                else
                    NetCmdHalt(this);
                return true;
            }
        }
        return false;
    }
    if (!ChooseSkill(true)) NetCmd05(this, t, goalX, goalY, uint8_t(d));
    return true;
}

bool Troop::StepCityAttack() {
    if (!targetCity) {
        if (order && (order->pursue & 0x80))
            ReturnFromPursuit();
        else
            NetCmdHalt(this);
        return true;
    }
    int16_t x = cellX, y = cellY;
    const int32_t r1 = rangeEnd == 1 ? 3 : rangeEnd + 1;
    if (!FindCityCellInRings(x, y, targetCity->id, rangeStart, r1)) return false;
    goalX = x;
    goalY = y;
    int8_t d = IsWithinRange(cellX, cellY, rangeStart, 100);
    if (d == -1) d = 1;
    NetCmd10(this, targetCity, goalX, goalY, uint8_t(d));
    return true;
}

bool Troop::ContinueTroopAttack() {
    Troop* t = targetTroop;
    auto leave = [&] {
        if (order && (order->pursue & 0x80))
            ReturnFromPursuit();
        else
            NetCmdHalt(this);
        return true;
    };
    if (!TroopActive(t) || t->garrison != 0 || (t->flags & 0x04) || !AtWar(owner, t->owner)) return leave();
    if (t->cellX != goalX || t->cellY != goalY) {
        goalX = t->cellX;
        goalY = t->cellY;
        const int8_t d = IsWithinRange(cellX, cellY, rangeStart, rangeEnd);
        if (d < 0 && ChooseSkill(true)) return true;
        if (d <= 0) {
            if (flags & 0x08)
                NetCmdHalt(this);
            else
                NetCmdTargetTroop(this, t);
            return true;
        }
        if (kCodeFacing[d] != facing) NetCmd05(this, t, goalX, goalY, uint8_t(d));
    }
    if (statusBits & 0x2000) ClearGroupGuard(this);
    if (rangeEnd < 3) {
        t->ReceiveAttack(this);
        Engage(t);
    }
    ChooseSkill(false);
    if (OrderState(this) == 11) {
        if (returnX == -1)
            NetCmd02(this, order->postX, order->postY);
        else
            NetCmd02(this, returnX, returnY);
    }
    return true;
}

bool Troop::ContinueCityAttack() {
    if (!targetCity || !AtWar(owner, targetCity->ownerSide)) {
        if (order && (order->pursue & 0x80))
            ReturnFromPursuit();
        else
            NetCmdHalt(this);
        return true;
    }
    if (rangeEnd < 3) AttackCity(targetCity);
    if (OrderState(this) == 11) {
        if (returnX == -1)
            NetCmd02(this, order->postX, order->postY);
        else
            NetCmd02(this, returnX, returnY);
    }
    return false;
}

bool Troop::FollowTargetAsClient() {
    if (rangeEnd == 0) rangeEnd = 1;
    Troop* t = targetTroop;
    if (skill >= 0 || !TroopActive(t) || (t->flags & 0x04) || t->garrison != 0) return true;
    if (t->cellX != goalX || t->cellY != goalY) {
        if (OrderState(this) == 22) {
            goalX = t->cellX;
            goalY = t->cellY;
            ResetCombatState();
            return false;
        }
        if ((worldY / 10000) % 2 == 0) {
            goalX = t->cellX;
            goalY = t->cellY;
            ReplanPathEnd(this, goalX, goalY);
        }
    }
    return false;
}

void Troop::BackOffFromTarget() {
    if (flags & 0x148) return;
    const int32_t dir = DirectionFromDelta(cellX, cellY, goalX, goalY);
    const int32_t c = std::max(std::abs(goalX - cellX), std::abs(goalY - cellY));
    if (c > rangeStart) return;
    const int32_t g = rangeStart - c;
    int16_t x = 0, y = 0;
    for (int32_t k = 0; k < 8; ++k)
        if (FindFreeCellInSector(cellX, cellY, x, y, g + 1, g + 3, kSectorOrder[dir][k], false)) {
            NetCmd08(this, x, y);
            return;
        }
}

void Troop::MoveTowardCell(int32_t x, int32_t y) {
    if (flags & 0x148) return;
    const int32_t dir = DirectionFromDelta(cellX, cellY, x, y);
    int16_t fx = 0, fy = 0;
    for (int32_t k = 0; k < 8; ++k)
        if (FindFreeCellInSector(cellX, cellY, fx, fy, 10, 20, kSectorOrder[dir][k], false)) {
            NetCmd02(this, fx, fy);
            return;
        }
}

void Troop::AttackCity(City* city) {
    if (city) city->OnAttacked(this);
}
