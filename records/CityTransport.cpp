#include "records/City.h"
#include "records/CityTroopLists.h"
#include "windows/city/Win98Window.h"

#include "Program/SoundEffects.h"
#include "net/TroopCommands.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"
#include "world/Coordinates.h"

using namespace citylists;

namespace {

constexpr int32_t kConvoyPerson = 441;
constexpr int kMaxPackedItems = 10, kMaxPackedTroops = 32;
constexpr uint32_t kItemSlots = 10;

uint32_t ItemSlot(uint32_t n) {
    return OfficerLayout::kWeapon + 4 * n;
}

void Append(LinkList& list, uintptr_t value) {
    list.Last();
    list.Add(value);
}

Troop* TakeById(LinkList& list, uint32_t id) {
    for (uintptr_t v = list.First(); v != 0; v = list.Next()) {
        auto* t = reinterpret_cast<Troop*>(v);
        if (id != 0 && t->UnitId() == id) {
            list.RemoveCurrent();
            return t;
        }
    }
    return nullptr;
}

// Moves entries from the front of one list to the end of the other while there is room.
void MoveUpTo(LinkList& from, LinkList& to, int limit) {
    while (to.GetCount() < limit) {
        const uintptr_t v = from.First();
        if (v == 0) break;
        from.RemoveCurrent();
        Append(to, v);
    }
}

} // namespace

void City::PackTransportItems() {
    MoveUpTo(ItemStock(), packedItems, kMaxPackedItems);
}

void City::PackTransportTroops() {
    MoveUpTo(reserve, packedTroops, kMaxPackedTroops);
}

void City::CancelTransport() {
    MoveUpTo(packedItems, ItemStock(), packedItems.GetCount() + ItemStock().GetCount());
    MoveUpTo(packedTroops, reserve, packedTroops.GetCount() + reserve.GetCount());
    SetInt(CityLayout::kGold, Int(CityLayout::kGold) + packedGold);
    RefreshCityFields(this, 1);
    SetInt(CityLayout::kFood, Int(CityLayout::kFood) + packedFood);
    RefreshCityFields(this, 2);
    packedGold = packedFood = 0;
}

Troop* City::LaunchTransport(int followTarget, uint32_t serial) {
    Kingdom* side = TheBattleMap ? TheBattleMap->FindKingdom(ownerSide) : nullptr;
    if (!side) return nullptr;
    if (followTarget && (!side->mainCity || side->mainCity == this)) return nullptr;
    if (packedItems.GetCount() == 0 && packedTroops.GetCount() == 0 && packedGold == 0 && packedFood == 0)
        return nullptr;

    auto* officer = new OfficerRecord(ownerSide, kConvoyPerson);
    if (serial != 0) officer->serial = serial;
    auto* convoy = new Troop(officer->Get(OfficerLayout::kSoldierType), 10, 0, 0,
                             static_cast<int8_t>(ownerSide), static_cast<int16_t>(id), 100, officer);
    const int32_t sx = CellX() - 8, sy = CellY() + 2;
    int16_t x = 0, y = 0;
    // With no free cell near the city the goods stay packed.
    if (!convoy->FindBestCellAround(sx, sy, sx, sy, x, y, 0, 10, false)) {
        delete convoy;
        return nullptr;
    }
    side->AddFieldUnit(convoy);

    uint32_t slot = 0;
    for (uintptr_t v = packedItems.First(); v != 0 && slot < kItemSlots; v = packedItems.Next())
        officer->Set(ItemSlot(slot++), static_cast<int32_t>(v));
    if (!convoy->followers) convoy->followers = new LinkList;
    for (uintptr_t v = packedTroops.First(); v != 0; v = packedTroops.Next())
        Append(*convoy->followers, v);
    officer->Set(OfficerLayout::kHp, packedGold);
    officer->Set(OfficerLayout::kMp, packedFood);
    convoy->sourceCity = id;

    convoy->SetCell(x, y, 0);
    convoy->worldX = TileToWorldX(x);
    convoy->worldY = TileToWorldY(y);
    convoy->SyncPixelPosition();
    convoy->flags |= 0x06;
    if (KingdomRelation(convoy->owner, PlayerKingdom()) != 3) convoy->UpdateSight();
    if (followTarget)
        NetCmdFollowTarget(convoy, side->mainCity, 0);
    else
        convoy->entryFlag = 1;

    packedItems.RemoveAll();
    packedTroops.RemoveAll();
    packedGold = packedFood = 0;
    if (ownerSide == PlayerKingdom()) PlaySoundEffect(24);
    return convoy;
}

void City::ReceiveTransport(Troop* convoy) {
    if (!convoy || !convoy->officer) return;
    OfficerRecord* officer = convoy->officer;
    for (uint32_t slot = 0; slot < kItemSlots; ++slot) {
        const int32_t item = officer->Get(ItemSlot(slot));
        if (item != 0) Append(ItemStock(), static_cast<uintptr_t>(item));
        officer->Set(ItemSlot(slot), 0);
    }
    if (convoy->followers) {
        for (uintptr_t v = convoy->followers->First(); v != 0; v = convoy->followers->Next()) {
            auto* t = reinterpret_cast<Troop*>(v);
            t->homeCity = static_cast<int16_t>(id);
            Append(reserve, v);
        }
        convoy->followers->RemoveAll();
    }
    SetInt(CityLayout::kGold, Int(CityLayout::kGold) + officer->Get(OfficerLayout::kHp));
    SetInt(CityLayout::kFood, Int(CityLayout::kFood) + officer->Get(OfficerLayout::kMp));
    // Unloaded, the convoy carries nothing that a later count could find twice.
    officer->Set(OfficerLayout::kHp, 0);
    officer->Set(OfficerLayout::kMp, 0);
    RefreshCityFields(this, 3);
}

void City::ApplyCityEvent(uint32_t kind, uint32_t unit, int32_t index, uint32_t item, int32_t gold,
                          int32_t food) {
    switch (kind) {
    case 0:
        if (packedTroops.GetCount() >= kMaxPackedTroops) return;
        if (Troop* t = TakeById(reserve, unit)) Append(packedTroops, reinterpret_cast<uintptr_t>(t));
        return;
    case 1:
        if (Troop* t = TakeById(packedTroops, unit)) Append(reserve, reinterpret_cast<uintptr_t>(t));
        return;
    case 3:
        if (index >= 0 && index < packedItems.GetCount() && packedItems.GetAt(index) != 0)
            packedItems.RemoveCurrent();
        return;
    case 5:
        if (item != 0 && packedItems.GetCount() < kMaxPackedItems) Append(packedItems, item);
        return;
    case 8:
        packedGold = gold;
        RefreshCityFields(this, 1);
        return;
    case 9:
        packedFood = food;
        RefreshCityFields(this, 2);
        return;
    case 10:
        PackTransportTroops();
        return;
    case 11:
        PackTransportItems();
        return;
    case 12:
        CancelTransport();
        return;
    case 13:
        LaunchTransport(0, unit);
        return;
    case 14:
        for (int32_t side = 1; TheBattleMap && side < BattleMap::kSides; ++side)
            if (Kingdom* k = TheBattleMap->FindKingdom(side))
                for (Troop* t : Snapshot(k->fieldUnits))
                    if (t->UnitId() == unit && t->OfficerValue(OfficerLayout::kPersonNumber) == kConvoyPerson)
                        return ReceiveTransport(t);
        return;
    case 15:
        PackTransportTroops();
        LaunchTransport(1, unit);
        return;
    default:
        return;
    }
}
