#include "Program/GameController.h"
#include "net/CommandLookups.h"
#include "net/GameRecordChannel.h"
#include "records/City.h"
#include "records/CityTroopLists.h"
#include "records/DeployedOrder.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/SubCastle.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "windows/city/CityPanelSwitch.h"
#include "world/BattleMap.h"

using namespace citylists;

namespace {
bool AtFullStrength(const Troop* t) {
    return t->OfficerValue(OfficerLayout::kHp) >= t->OfficerValue(OfficerLayout::kMaxHp);
}

bool Idle(const Troop* t) {
    return t->officer && t->officer->StatusWord() == 0;
}

bool Networked() {
    return GameNetworked() && RecordChannel() != nullptr;
}

uint32_t IndexKey(const City* city) {
    return static_cast<uint32_t>(CityIndexOf(city));
}
} // namespace

int City::RequestDeployUnit(Troop* unit, uint8_t raid) {
    if (!unit) return 0;
    int result = 1;
    const uint32_t serial = unit->UnitId();
    if (DecidesHere()) result = ApplyDeployUnit(unit, raid);
    if (Networked()) RecordChannel()->SendDeployUnit(this, serial, raid);
    unit->ReturnHome(1, raid != 0);
    return result;
}

int City::ApplyDeployUnit(Troop* unit, uint8_t raid) {
    PutUnitOnMap(unit);
    // Raiders leave without taking anything from the stock.
    if (raid == 0) EquipFromStock(unit);
    return 1;
}

int City::RequestDeployUnitFollow(Troop* unit, City* target) {
    if (!unit) return 0;
    int result = 1;
    const uint32_t serial = unit->UnitId();
    if (DecidesHere()) result = ApplyDeployUnitFollow(unit, target);
    if (Networked()) RecordChannel()->SendDeployUnitFollow(this, serial, target);
    return result;
}

int City::ApplyDeployUnitFollow(Troop* unit, City* target) {
    if (!unit) return 1;
    PutUnitOnMap(unit);
    unit->ApplyFollow(target, target, 0);
    unit->state = 25;
    return 1;
}

void City::RequestAdmitUnit(Troop* unit, SubCastle* from) {
    if (!unit || !from) return;
    const uint32_t serial = unit->UnitId();
    if (DecidesHere()) ApplyAdmitUnit(unit, from);
    if (Networked()) RecordChannel()->SendAdmitUnit(this, serial);
}

void City::ApplyAdmitUnit(Troop* unit, SubCastle* from) {
    if (!unit || !from) return;
    if (unit == from->leader) {
        from->leader = nullptr;
        from->leaderWord = 0;
    } else {
        from->units.RemoveValue(reinterpret_cast<uintptr_t>(unit));
    }
    if (from->unitsShown && from->ownerSide == PlayerKingdom()) {
        if (TheGameController) TheGameController->DeselectTroop(unit);
        from->RelocateUnit(true);
        RefreshSubCastlePanel(from, false);
    }
    // Whatever stood on the map leaves it: the city's list alone holds the unit now.
    LeaveCell(unit);
    LeaveFieldList(unit);
    unit->owner = static_cast<int8_t>(ownerSide);
    unit->homeCity = static_cast<int16_t>(id);
    if (unit->officer) {
        unit->officer->StatusWord() = 0;
        unit->officer->Set(OfficerLayout::kPolicy, 0);
    }
    unit->hidden = 1;
    unit->inCity = 1;
    unit->outgoingMark = 0;
    unit->statusBits = 0;
    if (!Holds(units, unit)) units.Add(reinterpret_cast<uintptr_t>(unit));
}

int City::RequestDeployUnitWithOrder(Troop* unit) {
    if (!unit) return 0;
    int result = 1;
    // The record names the targets as they are before the unit leaves.
    uint32_t target = 0, target2 = 0;
    switch (deployOrder) {
    case 1:
        target = unit->targetTroop ? unit->targetTroop->UnitId() : 0;
        break;
    case 2:
        // A sub-castle target: its kind in the high half of the key, its city's index in the low.
        if (auto* aim = dynamic_cast<SubCastle*>(unit->targetObject)) {
            target2 = static_cast<uint32_t>(aim->Kind());
            target = (target2 & 0xFFFF) << 16 | (IndexKey(unit->targetCity) & 0xFFFF);
        }
        break;
    case 3:
        target = IndexKey(unit->targetCity);
        break;
    default:
        break;
    }
    const uint32_t serial = unit->UnitId();
    const auto x = static_cast<uint32_t>(unit->goalX), y = static_cast<uint32_t>(unit->goalY);
    if (DecidesHere()) result = ApplyDeployUnitWithOrder(unit, deployOrder);
    if (Networked())
        RecordChannel()->SendDeployUnitWithOrder(static_cast<uint16_t>(deployOrder), this,
                                                 static_cast<uint8_t>(Kind()), serial, target, target2, x, y);
    return result;
}

int City::ApplyDeployUnitWithOrder(Troop* unit, int32_t orderCode) {
    if (!unit) return 1;
    PutUnitOnMap(unit);
    totalStrength -= unit->OfficerValue(OfficerLayout::kHp);
    StartDeployedOrder(unit, ownerSide, orderCode);
    return 1;
}

void City::DeployRaiders() {
    bool otherMet = false;
    if (raidOthers > 0) {
        for (Troop* t : Snapshot(units)) {
            if (t->hidden || t->OfficerKind() == 1) continue;
            otherMet = true;
            if (RequestDeployUnit(t, 1)) {
                --raidOthers;
                break;
            }
        }
        if (raidOthers > 0 && !otherMet) {
            raidGenerals += raidOthers;
            raidOthers = 0;
        }
    }
    bool generalMet = false;
    if (raidGenerals > 0) {
        for (Troop* t : Snapshot(units)) {
            if (t->hidden || t->OfficerKind() != 1 || !AtFullStrength(t)) continue;
            generalMet = true;
            if (RequestDeployUnit(t, 1)) {
                --raidGenerals;
                break;
            }
        }
    }
    if (raidOthers > 0 && !generalMet) raidOthers = raidGenerals = 0;
}

void City::DeploySortie() {
    if (sortieCount <= 0 || ownerSide < 0 || ownerSide > BattleMap::kSides || !TheBattleMap ||
        !TheBattleMap->sideActive[ownerSide])
        return;
    int32_t ready = 0;
    for (Troop* t : Snapshot(units))
        if (!t->hidden && AtFullStrength(t)) ++ready;
    if (sortieCount > ready) return;
    for (Troop* t : Snapshot(units)) {
        if ((Kind() == 0 && t == currentUnit) || !Idle(t) || t->hidden || !AtFullStrength(t)) continue;
        if (RequestDeployUnit(t, 0)) {
            --sortieCount;
            return;
        }
    }
}

void City::DeployMarkedUnits() {
    bool considered = false;
    bool sent = false;
    for (Troop* t : Snapshot(units)) {
        if (t->pendingSortie == 0 || t->hidden) continue;
        considered = true;
        if (markedMode == 3 && deployOrder == 2 && t->targetObject == this) {
            // Marked to follow its own city: it stays.
            t->pendingSortie = 0;
            continue;
        }
        if (sent) continue;
        sent = true;
        // A unit that left keeps the byte as its group flag; one still inside (a client only
        // asked) loses its mark so it is not asked for again.
        if (RequestDeployUnitWithOrder(t) && Holds(units, t)) t->pendingSortie = 0;
    }
    if (!considered) markedMode = 0;
}
