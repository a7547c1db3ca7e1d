#include "Program/GameController.h"
#include "Program/StageSet.h"
#include "net/GameRecordChannel.h"
#include "net/StateCommands.h"
#include "records/City.h"
#include "records/CityTroopLists.h"
#include "records/FormationTable.h"
#include "records/ItemRecord.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "records/SubCastle.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "windows/city/CityPanelSwitch.h"
#include "world/BattleMap.h"
#include "world/Zu_SkillEffect.h"

#include <cstring>

using namespace citylists;

namespace {

constexpr int32_t kExitOffsets[7][2] = {{0, 0}, {1, 0}, {0, 1}, {1, -1}, {-1, 1}, {2, -1}, {-1, 2}};

bool FreeForExit(int32_t x, int32_t y) {
    BattleMap* map = TheBattleMap;
    if (!map || x < 0 || y < 0 || x >= map->unitGridWidth || y >= map->unitGridRows) return false;
    const MapCell* cell = map->GetCell(x, 2 * y);
    return map->FirstObjectAt(x, y) == 0 && cell && cell->obstacle < 1;
}

// Hidden inside, the city's unit list holds the troop: it is off the map and out of the field list.
void HideInside(Troop* t) {
    t->hidden = 1;
    t->inCity = 1;
    LeaveCell(t);
    LeaveFieldList(t);
}

// Whether the player's sight follows the troop: own or allied, or working for the player.
bool SightForPlayer(const Troop* t) {
    const int32_t player = PlayerKingdom();
    const int32_t policy = t->OfficerValue(OfficerLayout::kPolicy);
    return (policy == 0 && t->owner == player) || policy == player ||
           (t->owner != player && KingdomRelation(player, t->owner) == 1);
}

int32_t GameKind() {
    return TheGameController ? TheGameController->gameKind : 0;
}

// The item columns an equipment step reads.
constexpr uint32_t kItemAnyClass = 40; // "全員可裝備", then one flag per class 1..5
constexpr uint32_t kBelt1 = 264;       // "腰帶1"

int32_t ItemValue(const uint8_t* item, uint32_t offset) {
    int32_t v;
    std::memcpy(&v, item + offset, 4);
    return v;
}

const uint8_t* ItemBlock(uintptr_t id) {
    return id > 0 && id < static_cast<uintptr_t>(kItemTableSize) ? ItemTable[id] : nullptr;
}

bool FitsSlot(int32_t category, int slot) {
    switch (slot) {
    case 0:
        return category == 1;
    case 1:
        return category == 2;
    case 2:
    case 5:
        return category == 5 || category == 6 || category == 11;
    case 3:
        return category == 4;
    case 4:
        return category == 3;
    default:
        return false;
    }
}

bool ClassMayWear(const uint8_t* item, int32_t job) {
    if (ItemValue(item, kItemAnyClass) != 0) return true;
    return job >= 1 && job <= 5 && ItemValue(item, kItemAnyClass + 4 * static_cast<uint32_t>(job)) != 0;
}
} // namespace

Troop* City::FindUnitBySerial(uint32_t serial) {
    if (serial == 0) return nullptr;
    for (Troop* t : Snapshot(units))
        if (t->UnitId() == serial) return t;
    return nullptr;
}

void City::RequestTroopEntry(Troop* troop) {
    if (!troop) return;
    if (DecidesHere()) ApplyTroopEntry(troop);
    if (GameNetworked()) SendTroopEntry(troop);
}

void City::SendTroopEntry(Troop* troop) {
    if (GameRecordChannel* channel = RecordChannel(); channel && troop)
        channel->SendTroopEntry(this, static_cast<uint8_t>(Kind()), troop);
}

void City::ApplyTroopEntry(Troop* troop) {
    if (!troop) return;
    if (troop->OfficerValue(OfficerLayout::kPersonNumber) == 441) {
        if (TheGameController) TheGameController->DeselectTroop(troop);
        LeaveCell(troop);
        ApplyCityEvent(14, troop->UnitId(), 0, 0, 0, 0);
        troop->hidden = 1;
        troop->inCity = 0;
        return;
    }
    if (troop->statusBits & 0x40000) ApplySkillEffectCommand(troop, -1, 3);
    troop->ClearStatus(0, true);
    troop->homeCity = static_cast<int16_t>(id);
    troop->RevealForPlayer(2);
    if (troop->ledUnit != 0) {
        // Back inside, the city's own files carry the unit; the soldier file must not as well.
        troop->outgoingMark = 0;
        if (!Holds(units, troop)) units.Add(reinterpret_cast<uintptr_t>(troop));
        if (unitsShown == 0 || !PlaceEnteringUnit(troop)) HideInside(troop);
    }
    if (Kind() == 1 || Kind() == 6) {
        if (troop->owner != ownerSide && KingdomRelation(troop->owner, ownerSide) == 3) {
            ReleaseGarrison();
            SpawnGenerals();
            for (Zu_SkillEffect*& e : effects) {
                delete e;
                e = nullptr;
            }
        }
    }
    for (Troop* t : Company(troop)) {
        t->homeCity = static_cast<int16_t>(id);
        t->RevealForPlayer(2);
        HideInside(t);
    }
}

bool City::PlaceEnteringUnit(Troop* troop) {
    const int32_t kind = Kind();
    int32_t count = kind == 0 ? 1 : 0;
    for (Troop* t : Snapshot(units))
        if (t != currentUnit) ++count;
    if ((kind == 0 && count > 16) || (kind != 0 && count >= 9)) return false;
    const Formation f = FormationOf(kind);
    if (!f.rows) return true;
    RefreshCityPanel(this, 1);
    const int32_t row = kind == 0 && troop == currentUnit ? 0 : count;
    // A camp's table has four rows; later units stay inside.
    if (row >= f.count) return false;
    troop->SetCell(static_cast<int16_t>(CellX() + f.rows[row].dx),
                   static_cast<int16_t>(CellY() / 2 + f.rows[row].dy), 1);
    troop->facing = static_cast<uint8_t>(f.rows[row].facing);
    // On its formation cell the unit stands on the map, which holds it.
    troop->inCity = 0;
    return true;
}

void City::ArrangeUnits(bool removeFirst) {
    if (removeFirst) RemoveUnitFromMap();
    if (unitsShown != 0) return;
    unitsShown = 1;
    const int32_t kind = Kind();
    const Formation f = FormationOf(kind);
    const int limit = kind == 0 ? 16 : 8;
    int counter = kind == 1 ? 0 : 1;
    for (Troop* t : Snapshot(units)) {
        // A unit left unplaced stays inside, the city's own.
        if (!f.rows) {
            // A kind without a formation places nobody but marks everyone arranged.
            t->arranged = 1;
            t->inCity = 1;
            continue;
        }
        if (counter > limit) {
            t->inCity = 1;
            continue;
        }
        int row;
        if (t == currentUnit && kind != 8) {
            row = 0;
        } else {
            row = counter++;
        }
        if (row >= f.count) {
            t->inCity = 1;
            continue;
        }
        t->PlaceAt(static_cast<int16_t>(CellX() + f.rows[row].dx),
                   static_cast<int16_t>(CellY() / 2 + f.rows[row].dy));
        t->facing = static_cast<uint8_t>(f.rows[row].facing);
        t->arranged = 1;
        // Standing on its formation cell it is seen.
        t->hidden = 0;
        t->inCity = 0;
    }
}

void City::RemoveUnitFromMap() {
    if (unitsShown == 0) return;
    unitsShown = 0;
    for (Troop* t : Snapshot(units)) {
        LeaveCell(t);
        t->arranged = 1;
        t->hidden = 1;
        t->inCity = 1;
        LeaveFieldList(t);
    }
}

int City::FindExitCell() {
    const int32_t x = CellX(), y = CellY() / 2;
    for (const auto& d : kExitOffsets)
        if (FreeForExit(x + d[0], y + d[1])) {
            exitX = x + d[0];
            exitY = y + d[1];
            return 1;
        }
    for (int32_t k = 0; k <= 8; ++k)
        if (FreeForExit(x + k, y + k)) {
            exitX = x + k;
            exitY = y + k;
            return 1;
        }
    exitX = x;
    exitY = y;
    return 1;
}

void City::PutUnitOnMap(Troop* troop) {
    if (!troop) return;
    FindExitCell();
    const auto ex = static_cast<int16_t>(exitX), ey = static_cast<int16_t>(exitY);
    // A unit hidden inside stands on no cell.
    if (troop->hidden) LeaveCell(troop);
    troop->SetCell(ex, ey, 0);
    troop->hidden = 0;
    troop->inCity = 0;
    // Out of its city, the unit is the soldier file's to keep.
    troop->outgoingMark = 1;
    if (troop == currentUnit) {
        toggleFlag = 0;
        currentUnit = nullptr;
        clearedWords[0] = 0;
    }
    // Whatever its led-unit word, a unit out on the map is its kingdom's alone: left in the unit
    // list too, two owners would delete it.
    units.RemoveValue(reinterpret_cast<uintptr_t>(troop));
    if (SightForPlayer(troop)) troop->UpdateSight();
    Kingdom* k = KingdomOf(troop->owner);
    // A shown unit is in the list already; one past the formation's rows is not.
    JoinFieldList(k, troop);
    const int32_t player = PlayerKingdom();
    const bool seen = troop->owner == player || KingdomRelation(player, troop->owner) == 1;
    for (Troop* t : Company(troop)) {
        LeaveCell(t);
        t->SetCell(ex, ey, 0);
        t->hidden = 0;
        t->inCity = 0;
        JoinFieldList(k, t);
        if (seen) t->UpdateSight();
    }
    troop->StepMove();
}

void City::EquipFromStock(Troop* troop) {
    if (!troop || !troop->officer || GameKind() == 3) return;
    SubCastle* store = FindSubCastleOfKind(4);
    if (!store || !store->keeper || !store->keeper->carried) return;
    LinkList& stock = *store->keeper->carried;
    OfficerRecord& o = *troop->officer;
    const int32_t job = o.Get(OfficerLayout::kClass);
    auto take = [&](auto fits) -> int32_t {
        for (uintptr_t v = stock.First(); v != 0; v = stock.Next()) {
            const uint8_t* item = ItemBlock(v);
            if (!item || !fits(item)) continue;
            stock.RemoveCurrent();
            return ItemValue(item, ItemLayout::kNumber);
        }
        return 0;
    };
    for (int slot = 0; slot < 6; ++slot) {
        const uint32_t field = OfficerLayout::kWeapon + 4 * static_cast<uint32_t>(slot);
        if (o.Get(field) != 0) continue;
        const int32_t number = take([&](const uint8_t* item) {
            return ClassMayWear(item, job) && FitsSlot(ItemValue(item, ItemLayout::kCategory), slot);
        });
        if (number == 0) continue;
        o.Set(field, number);
        troop->ApplyItemBonus(number, 1);
    }
    if (o.Get(kBelt1) == 0) {
        const int32_t number = take([](const uint8_t* item) {
            const int32_t n = ItemValue(item, ItemLayout::kNumber);
            return n >= 241 && n <= 244;
        });
        if (number != 0) o.Set(kBelt1, number);
    }
}

void City::DeployWaitingUnits() {
    for (Troop* t : Snapshot(units)) {
        if (t->hidden || t->pendingSortie < 1 || t->pendingSortie > 6) continue;
        const uint32_t serial = t->UnitId();
        PutUnitOnMap(t);
        if (GameRecordChannel* channel = RecordChannel(); channel && GameNetworked() && DecidesHere())
            channel->SendDeployUnit(this, serial, 1);
    }
}
