#include "troops/Troop.h"

#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/SubCastle.h"
#include "troops/SoldierTypeColumns.h"
#include "troops/TroopOrder.h"

namespace {
constexpr uint8_t kAttackSubKind[9] = {7, 7, 6, 5, 4, 3, 2, 1, 8};
constexpr uint32_t kSoldierLandOrSea = 84; // the type's word 21
} // namespace

void Troop::DecideNextFrame() {
    // The remainder keeps the sign of the id, as the decision turn expects.
    decisionPhase = static_cast<int8_t>(static_cast<int32_t>(UnitId()) % 8 - 1);
}

void Troop::Restart() {
    StartActionAnimation();
}

void Troop::ApplyHalt() {
    if (IsGone()) return;
    DecideNextFrame();
    state = 10;
    actionCode = (flags & 0x40) ? 14 : 0;
    goalX = cellX;
    goalY = cellY;
    skill = -1;
    targetTroop = nullptr;
    ResetCombatState();
    moving = 0; // a halted troop takes no further step
    ClearMoveFlags();
    Restart();
}

bool Troop::ApplyCmd02(int32_t x, int32_t y) {
    if (IsGone() || x < 0 || y < 0) return false;
    DecideNextFrame();
    if (order->orderState != 0 && (statusBits & 0x40000)) {
        // The transformed form ends through its own clear, which gives back what it took.
        ClearStatus(0x40000, false);
        SetUnitType(-1);
    }
    if (flags & 0x08) return false;
    state = 0;
    actionCode = 0;
    Restart();
    goalX = static_cast<int16_t>(x);
    goalY = static_cast<int16_t>(y);
    targetObject = nullptr;
    skill = -1;
    ResetCombatState();
    ClearMoveFlags();
    waitCounter = 0;
    busyWord = 0;
    return true;
}

void Troop::ApplyRoam(int32_t x, int32_t y) {
    if (IsGone()) return;
    goalX = static_cast<int16_t>(x);
    goalY = static_cast<int16_t>(y);
    state = 0;
    actionCode = 3;
    Restart();
    ResetCombatState();
}

bool Troop::ApplyTarget(Troop* target) {
    if (IsGone() || !target || target->IsGone() || (target->flags & 0x40) || (flags & 0x40)) return false;
    if (order->orderState == 10) savedTarget = targetTroop;
    state = 1;
    actionCode = 0;
    Restart();
    goalX = target->cellX;
    goalY = target->cellY;
    targetTroop = target;
    if (OfficerKind() == 13) DecideNextFrame();
    ResetCombatState();
    return true;
}

void Troop::ApplyCmd05(int kind) {
    if (IsGone() || kind < 0 || kind >= 9) return;
    state = 11;
    actionCode = 0;
    attackSubKind = kAttackSubKind[kind];
    Restart();
}

bool Troop::ApplyFollow(City* city, RootObject* target, uint32_t key) {
    if (IsGone() || (flags & 0x08) || !city || !target) return false;
    state = 0;
    actionCode = 6;
    Restart();
    goalX = city->CellX();
    goalY = city->CellY();
    targetWord = key;
    targetObject = target;
    targetCity = city;
    ResetCombatState();
    return true;
}

bool Troop::ApplyMoveTo(int32_t x, int32_t y, int32_t x2, int32_t y2) {
    if (IsGone() || (flags & 0x08)) return false;
    state = 0;
    actionCode = 4;
    Restart();
    goalX = static_cast<int16_t>(x);
    goalY = static_cast<int16_t>(y);
    if (x2 == 0xFFFF) {
        order->secondX = cellX;
        order->secondY = cellY;
    } else {
        order->secondX = x2;
        order->secondY = y2;
    }
    ResetCombatState();
    return true;
}

bool Troop::ApplyCmd08(int32_t x, int32_t y) {
    if (IsGone()) return false;
    state = 0;
    actionCode = 5;
    Restart();
    goalX = static_cast<int16_t>(x);
    goalY = static_cast<int16_t>(y);
    ResetCombatState();
    return true;
}

bool Troop::ApplyCmd09(City* city, uint32_t key) {
    if (IsGone() || (flags & 0x42) || !city || city->dead) return false;
    state = 1;
    actionCode = skill < 0 ? 2 : 8;
    Restart();
    goalX = static_cast<int16_t>(city->CellX() - 2);
    goalY = static_cast<int16_t>(city->CellY() - 2);
    targetObject = city;
    targetCity = city;
    targetWord = key;
    int16_t x = goalX, y = goalY;
    if (FindBestCellInRings(goalX, goalY, cellX, cellY, x, y, 1, 11, city->id)) {
        goalX = x;
        goalY = y;
    }
    ResetCombatState();
    return true;
}

void Troop::ApplyCmd10(int kind) {
    if (IsGone() || kind < 0 || kind >= 9) return;
    state = 11;
    actionCode = skill < 0 ? 12 : 17;
    attackSubKind = kAttackSubKind[kind];
    Restart();
}

bool Troop::ApplyEngage(Troop* target, int32_t x, int32_t y, int32_t attackKind) {
    if (IsGone()) return false;
    if (target && target->state == 13 && target->deadFlag) return false;
    state = 1;
    actionCode = 7;
    Restart();
    goalX = static_cast<int16_t>(x);
    goalY = static_cast<int16_t>(y);
    targetTroop = target;
    if (SoldierTypeValue(currentType, kSoldierLandOrSea) == 1 && attackKind >= 102 && attackKind <= 104)
        attackKind += 15;
    skill = attackKind;
    ResetCombatState();
    return true;
}

void Troop::ApplyCmd12() {
    if (IsGone()) return;
    state = 11;
    actionCode = 16;
    Restart();
}

bool Troop::ApplyWander(int32_t x, int32_t y, uint8_t direction, int8_t orderKind) {
    if (IsGone()) return false;
    order->wanderDirection = direction;
    order->orderState = orderKind;
    return ApplyCmd02(x, y);
}
