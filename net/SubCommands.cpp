#include "net/SubCommands.h"

#include "net/CommandLookups.h"
#include "net/PendingValues.h"
#include "net/TroopCommands.h"
#include "net/WireLayout.h"
#include "records/City.h"
#include "records/ItemRecord.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "records/SubCastle.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "windows/city/Win23Window.h"
#include "windows/city/Win98Window.h"
#include "windows/unit/Win05Window.h"
#include "windows/unit/Win07Window.h"
#include "windows/unit/Win29Window.h"
#include "world/BattleMap.h"
#include "world/MapObject.h"
#include "world/Zu_SkillEffect.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr uint32_t kPendingFamily = 48;
// The effect slot the summoned guard's mark takes.
constexpr size_t kEscortEffectSlot = 5;

const WireLayout* LayoutOf(uint8_t sub) {
    static const WireLayout k15{1, -3, 4, 4, 4, 4, 4, 4};
    static const WireLayout k1Field{1, -3, 4};
    static const WireLayout k3Fields{1, -3, 4, 4, 4};
    static const WireLayout k4Fields{1, -3, 4, 4, 4, 4};
    static const WireLayout k19{1, -3, 4, 4, 4, 4, 4, 1, -3, 4};
    static const WireLayout k1d{1, -3, 4, 4, 4, 4, 4, 4, 1, -3};
    static const WireLayout k1f{1, -3, 4, 4, 4, 4, 4, 4, 4, 4};
    static const WireLayout k21{1, -3, 4, 2, -2, 4};
    switch (sub) {
    case kSubSetEquipment:
        return &k15;
    case kSubUseItem:
    case kSubCityItemList:
    case kSubCreateOfficer:
        return &k3Fields;
    case kSubPlaceMapObject:
    case kSubKeeperList:
    case kSubPlotKind:
    case kSubPickUp:
        return &k4Fields;
    case kSubCityTroopMove:
        return &k19;
    case kSubForceFocus:
    case kSubAutoAssign:
        return &k1Field;
    case kSubCityEvent:
        return &k1d;
    case kSubOrderMode:
        return &k1f;
    case kSubUnitAction:
        return &k21;
    default:
        return nullptr;
    }
}

// The field that carries a new unit id drawn by the sender, or -1.
int NewIdField(uint8_t sub) {
    switch (sub) {
    case kSubUseItem:
        return 3;
    case kSubCityTroopMove:
        return 7;
    case kSubCreateOfficer:
        return 3;
    default:
        return -1;
    }
}

int32_t I(uint32_t v) {
    return static_cast<int32_t>(v);
}

bool ItemOrNone(uint32_t item) {
    return item == 0 || (item <= 0x7FFFFFFF && ItemBlock(I(item)) != nullptr);
}

// The strength and skill points a potion restores.
constexpr uint32_t kItemHpAmount = 180, kItemMpAmount = 184;

// Slot n of an officer's ten item slots: six equipment, then four belt slots.
uint32_t SlotColumn(uint32_t slot) {
    return OfficerLayout::kWeapon + 4 * slot;
}

// An entry index of a list: negative none, else one of its entries.
bool IndexOrNone(int32_t index, const LinkList* list) {
    return index < 0 || (list && index < list->GetCount());
}

void RemoveAt(LinkList& list, int32_t index) {
    if (index < 0 || index >= list.GetCount()) return;
    if (list.GetAt(index) != 0) list.RemoveCurrent();
}

// Adds after the last entry, wherever the list's cursor rests.
void Append(LinkList& list, uintptr_t value) {
    list.Last();
    list.Add(value);
}

// Sends through the session when networked; single play and the host apply first through the
// receive side itself, so both run one code.
void Enter(const std::vector<uint8_t>& payload) {
    if (DecidesHere()) {
        std::vector<uint8_t> relay;
        ReceiveSubCommand(payload, false, relay);
    }
    if (!GameNetworked()) return;
    if (GameCommandSender send = CurrentGameCommandSender())
        send(kSubCommandCode, payload.data(), payload.size());
}

uint32_t U(int32_t v) {
    return static_cast<uint32_t>(v);
}

uint32_t CityKey(City* city) {
    return U(CityIndexOf(city));
}

SubCastle* Keeper(City* city) {
    return city ? city->FindSubCastleOfKind(4) : nullptr;
}

using O = CommandOutcome;

O SetEquipment(const std::vector<uint32_t>& v) {
    // troop, side, home city, scope, slot, item
    if (v[3] > 2 || v[4] >= 10 || !ItemOrNone(v[5])) return O::Drop;
    Troop* t = FindTroopInScope(v[0], v[1], v[2], v[3]);
    if (!t || !t->officer) return O::Drop;
    // A worn slot (0-5) takes back the old item's bonuses and gives the new one's.
    if (v[4] < 6) t->ApplyItemBonus(t->officer->Get(SlotColumn(v[4])), -1);
    t->officer->Set(SlotColumn(v[4]), I(v[5]));
    if (v[4] < 6) t->ApplyItemBonus(I(v[5]), +1);
    RefreshUnitPanel(t, 13);
    return O::Relay;
}

O UseItem(const std::vector<uint32_t>& v) {
    // troop, slot, new unit id
    Troop* t = FindTroopById(v[0]);
    if (!t || !t->officer || v[1] >= 10) return O::Drop;
    NoteCarriedUnitId(v[2]);
    const int32_t item = t->officer->Get(SlotColumn(v[1]));
    if ((t->flags & 0x40) || item <= 0 || !ItemBlock(item)) return O::Relay;
    const int32_t category = ItemColumn(item, ItemLayout::kCategory);
    if (category == 7) {
        // A potion is spent only when a gauge it restores has room.
        OfficerRecord& o = *t->officer;
        const int32_t hp = ItemColumn(item, kItemHpAmount), mp = ItemColumn(item, kItemMpAmount);
        const bool hpFull = o.Get(OfficerLayout::kHp) >= o.Get(OfficerLayout::kMaxHp);
        const bool mpFull = o.Get(OfficerLayout::kMp) >= o.Get(OfficerLayout::kMaxMp);
        if ((hp > 0 && hpFull) || (mp > 0 && mpFull)) return O::Relay;
        if (hp > 0)
            o.Set(OfficerLayout::kHp, std::min(o.Get(OfficerLayout::kHp) + hp, o.Get(OfficerLayout::kMaxHp)));
        if (mp > 0)
            o.Set(OfficerLayout::kMp, std::min(o.Get(OfficerLayout::kMp) + mp, o.Get(OfficerLayout::kMaxMp)));
        o.Set(SlotColumn(v[1]), 0);
    }
    if (category == 11 && item >= 287 && item <= 290) {
        t->ApplyEngage(nullptr, t->cellX, t->cellY, item - 167);
        t->officer->Set(SlotColumn(v[1]), 0);
    }
    if (category == 9 && t->NextCarrySlot() >= 0 && t->CreateEscort(item + 154, v[2]))
        t->officer->Set(SlotColumn(v[1]), 0);
    if (category == 10 && !t->attachedEffects[kEscortEffectSlot] && item >= 281 && item <= 286 &&
        t->CreateEscort(item + 151, v[2])) {
        t->attachedEffects[kEscortEffectSlot] = new Zu_SkillEffect(3, 11, t->pixelX + 64, t->pixelY + 52);
        t->officer->Set(SlotColumn(v[1]), 0);
    }
    RefreshUnitPanel(t, 13);
    return O::Relay;
}

O CityTroopMove(const std::vector<uint32_t>& v) {
    // city, unit, source troop, destination troop, template, kind, new unit id
    City* city = CityAtIndex(v[0]);
    if (!city || v[5] > 4) return O::Drop;
    Troop* destination = FindTroopAnywhere(v[3]);
    switch (v[5]) {
    case 0:
    case 1:
    case 2:
        if (!city->ApplyTroopMove(v[5], v[1], FindTroopAnywhere(v[2]), destination)) return O::Drop;
        RefreshUnitPanel(FindTroopAnywhere(v[2]), 2);
        RefreshUnitPanel(destination, 2);
        break;
    default: {
        // Kinds 3 and 4 make an escort from the template under the carried id.
        if (!GeneralTemplate(I(v[4])) || v[6] == 0 || v[6] >= 0x7FFFFFFF) return O::Drop;
        Troop* leader = v[5] == 3 ? FindUnitInList(city->units, v[3]) : destination;
        if (!leader) return O::Drop;
        NoteCarriedUnitId(v[6]);
        // A repeated copy makes nothing new.
        if (!FindUnitInFollowers(leader, v[6])) leader->CreateEscort(I(v[4]), v[6]);
        break;
    }
    }
    RefreshCityLists(city);
    return O::Relay;
}

O KeeperList(const std::vector<uint32_t>& v) {
    // city, index, item, value
    SubCastle* sub = Keeper(CityAtIndex(v[0]));
    Troop* keeper = sub ? sub->keeper : nullptr;
    if (!keeper || !keeper->officer) return O::Drop;
    if (!IndexOrNone(I(v[1]), keeper->carried) || !ItemOrNone(v[2])) return O::Drop;
    if (!DecidesHere() && I(v[3]) >= 0)
        ClientPendingValues().Echo(PendingKey(kPendingFamily, v[0], kSubKeeperList), I(v[3]));
    if (keeper->carried) RemoveAt(*keeper->carried, I(v[1]));
    if (v[2] != 0) {
        if (!keeper->carried) keeper->carried = new LinkList;
        Append(*keeper->carried, v[2]);
    }
    if (I(v[3]) >= 0) keeper->officer->Set(OfficerLayout::kMp, I(v[3]));
    RefreshCityLists(CityAtIndex(v[0]));
    return O::Relay;
}

O CityEvent(const std::vector<uint32_t>& v) {
    // city, unit or troop, list index, item, gold, food, operation
    City* city = CityAtIndex(v[0]);
    if (!city || v[6] > 15 || !ItemOrNone(v[3])) return O::Drop;
    if (v[6] == 0 && !FindUnitInList(city->reserve, v[1])) return O::Drop;
    if (v[6] == 1 && !FindUnitInList(city->packedTroops, v[1])) return O::Drop;
    if (v[6] == 5 && v[3] == 0) return O::Drop;
    if ((v[6] == 8 && I(v[4]) < 0) || (v[6] == 9 && I(v[5]) < 0)) return O::Drop;
    if (v[6] == 14 && !FindTroopAnywhere(v[1])) return O::Drop;
    if (v[6] == 13 || v[6] == 15) NoteCarriedUnitId(v[1]);
    city->ApplyCityEvent(v[6], v[1], I(v[2]), v[3], I(v[4]), I(v[5]));
    if (city == SelectedCity())
        if (Win23Window* transport = OpenTransportWindow(); transport && transport->city == city)
            transport->Refresh(v[6]);
    RefreshCityLists(city);
    return O::Relay;
}

O CreateOfficer(const std::vector<uint32_t>& v) {
    // city, template, new unit id
    City* city = CityAtIndex(v[0]);
    if (!city || v[1] == 0 || v[1] >= static_cast<uint32_t>(kGeneralTemplateTableSize) ||
        !GeneralTemplate(I(v[1])) || v[2] == 0 || v[2] >= 0x7FFFFFFF)
        return O::Drop;
    NoteCarriedUnitId(v[2]);
    // A repeated copy makes nothing new.
    if (CityHoldsGeneral(city, v[2])) return O::Relay;
    // The trained soldier waits in the city's reserve until it is assigned.
    auto* officer = new OfficerRecord(city->ownerSide, I(v[1]));
    officer->serial = v[2];
    auto* troop =
        new Troop(officer->Get(OfficerLayout::kSoldierType), 10, 0, 0, static_cast<int8_t>(city->ownerSide),
                  static_cast<int16_t>(city->id), 100, officer);
    troop->garrison = 1;
    troop->arranged = 1;
    city->reserve.Add(reinterpret_cast<uintptr_t>(troop));
    return O::Relay;
}

O OrderMode(const std::vector<uint32_t>& v) {
    // troop, side, home city, scope, formation, spacing, emphasis, retreat
    if (v[3] > 2 || v[4] >= 8 || v[5] >= 3 || v[6] > 3 || v[7] >= 3) return O::Drop;
    Troop* t = FindTroopInScope(v[0], v[1], v[2], v[3]);
    if (!t || !t->officer) return O::Drop;
    t->officer->Set(OfficerLayout::kFormation, I(v[4]));
    t->officer->Set(OfficerLayout::kSpacing, I(v[5]));
    t->officer->Set(OfficerLayout::kAiType, I(v[6]));
    t->officer->Set(OfficerLayout::kRetreat, I(v[7]));
    // Missing here: the order-mode table for the order record's flag byte.
    if (t->Scope() == 0) t->StepMove();
    if (Win05Window* panel = UnitPanel()) {
        panel->equipmentPage->RefreshForTroop(t);
        panel->corpsPage->RefreshForTroop(t);
    }
    return O::Relay;
}

O UnitAction(const std::vector<uint32_t>& v) {
    // city, operation, troop
    City* city = CityAtIndex(v[0]);
    const uint32_t op = v[1];
    if (!city || op < 1 || op > 7) return O::Drop;
    Troop* t = nullptr;
    if (op == 1) {
        t = FindUnitInList(city->units, v[2]);
    } else if (SubCastle* sub = city->FindSubCastleOfKind(op == 2 || op == 7 ? 4 : 5)) {
        // The persons standing by a sub-castle are what its operations act on too.
        t = FindUnitInSubCastle(sub, v[2]);
        if (!t) t = FindUnitInList(sub->secondUnits, v[2]);
    }
    if (!t) return O::Drop;
    city->ApplyUnitAction(static_cast<int16_t>(op == 7 ? 6 : op), t);
    return O::Relay;
}

O PlaceMapObject(const std::vector<uint32_t>& v) {
    // owner, kind, x, y
    if (v[0] >= static_cast<uint32_t>(BattleMap::kSides) || !UnitCellOnMap(v[2], v[3]) ||
        !TheBattleMap->mapItems)
        return O::Drop;
    auto* object = new MapObject(I(v[1] & 0xFF), I(v[0]), 0, I(v[2]), I(v[3]));
    TheBattleMap->mapItems->Add(reinterpret_cast<uintptr_t>(object));
    return O::Relay;
}

O PickUp(const std::vector<uint32_t>& v) {
    // troop, value (unused), x, y
    Troop* t = FindTroopById(v[0]);
    if (!t || !UnitCellOnMap(v[2], v[3])) return O::Drop;
    // The first copy took the object; a later one finds the cell empty.
    if (MapObject* object = TheBattleMap->GetCellObject(I(v[2]), I(v[3]))) t->TakeMapObject(object);
    return O::Relay;
}

} // namespace

size_t SubCommandSize(uint8_t sub) {
    const WireLayout* layout = LayoutOf(sub);
    return layout ? layout->Size() : 0;
}

std::vector<uint8_t> PackSubCommand(uint8_t sub, std::initializer_list<uint32_t> fields) {
    const WireLayout* layout = LayoutOf(sub);
    if (!layout) return {};
    std::vector<uint32_t> values{sub};
    values.insert(values.end(), fields.begin(), fields.end());
    return layout->Write(values);
}

std::optional<std::vector<uint32_t>> UnpackSubCommand(std::span<const uint8_t> payload) {
    if (payload.empty()) return std::nullopt;
    const WireLayout* layout = LayoutOf(payload[0]);
    if (!layout) return std::nullopt;
    auto fields = layout->Read(payload);
    if (fields) fields->erase(fields->begin());
    return fields;
}

CommandOutcome ReceiveSubCommand(std::span<const uint8_t> payload, bool fromClient,
                                 std::vector<uint8_t>& relay) {
    auto parsed = UnpackSubCommand(payload);
    if (!parsed) return O::Drop;
    std::vector<uint32_t>& v = *parsed;
    const uint8_t sub = payload[0];
    // A client's new unit id comes from its own counter and may be one another station already
    // uses: the host gives it one of its own before applying and passing it on.
    const int idField = NewIdField(sub);
    if (fromClient && idField >= 0 && (sub != kSubCityTroopMove || v[5] >= 3)) {
        v[static_cast<size_t>(idField) - 1] = DrawUnitId();
        std::vector<uint32_t> all{sub};
        all.insert(all.end(), v.begin(), v.end());
        relay = LayoutOf(sub)->Write(all);
    }
    switch (sub) {
    case kSubSetEquipment:
        return SetEquipment(v);
    case kSubUseItem:
        return UseItem(v);
    case kSubPlaceMapObject:
        return PlaceMapObject(v);
    case kSubCityItemList: {
        // city, index, item: an entry of the city's item stock leaves, an item joins it.
        City* city = CityAtIndex(v[0]);
        if (!city || !ItemOrNone(v[2]) || !IndexOrNone(I(v[1]), &city->ItemStock())) return O::Drop;
        RemoveAt(city->ItemStock(), I(v[1]));
        if (v[2] != 0) Append(city->ItemStock(), v[2]);
        RefreshCityLists(city);
        return O::Relay;
    }
    case kSubCityTroopMove:
        return CityTroopMove(v);
    case kSubForceFocus: {
        City* city = CityAtIndex(v[0]);
        Kingdom* k = city ? KingdomOfSide(U(city->ownerSide)) : nullptr;
        if (!k) return O::Drop;
        k->focusCity = city;
        k->focusKey = I(v[0]);
        return O::Relay;
    }
    case kSubKeeperList:
        return KeeperList(v);
    case kSubCityEvent:
        return CityEvent(v);
    case kSubCreateOfficer:
        return CreateOfficer(v);
    case kSubOrderMode:
        return OrderMode(v);
    case kSubPlotKind: {
        // city, x, y, kind (a map cell: the plot's site)
        City* city = CityAtIndex(v[0]);
        if (!city || !TheBattleMap || !TheBattleMap->CellAt(I(v[1]), I(v[2]))) return O::Drop;
        // A kind past the city's building slots names no building: nobody applies it.
        if (v[3] >= std::size(city->buildings)) return O::Drop;
        city->ApplyPlotKind(I(v[1]), I(v[2]), I(v[3]));
        return O::Relay;
    }
    case kSubUnitAction:
        return UnitAction(v);
    case kSubPickUp:
        return PickUp(v);
    case kSubAutoAssign: {
        City* city = CityAtIndex(v[0]);
        if (!city) return O::Drop;
        city->AutoAssignTroops();
        RefreshCityLists(city);
        return O::Relay;
    }
    default:
        return O::Drop;
    }
}

void NetCmdDropItem(Troop* troop, uint32_t slot, uint32_t item) {
    if (!troop) return;
    Enter(PackSubCommand(kSubSetEquipment, {troop->UnitId(), U(troop->owner), U(troop->homeCity),
                                            TroopScope(troop), slot, item}));
}

void NetCmdUseItem(Troop* troop, uint32_t slot) {
    if (!troop) return;
    Enter(PackSubCommand(kSubUseItem, {troop->UnitId(), slot, DrawUnitId()}));
}

void NetCmdPlaceMapObject(uint32_t owner, uint32_t kind, uint32_t x, uint32_t y) {
    Enter(PackSubCommand(kSubPlaceMapObject, {owner, kind & 0xFF, x, y}));
}

void NetCmdCityTroopMove(City* city, uint32_t unit, Troop* source, Troop* destination,
                         uint32_t templateNumber, uint8_t kind) {
    if (CityIndexOf(city) < 0) return;
    Enter(PackSubCommand(kSubCityTroopMove, {CityKey(city), unit, source ? source->UnitId() : 0,
                                             destination ? destination->UnitId() : 0, templateNumber, kind,
                                             kind >= 3 ? DrawUnitId() : 0}));
}

void NetCmdForceFocus(City* city) {
    if (CityIndexOf(city) < 0) return;
    Enter(PackSubCommand(kSubForceFocus, {CityKey(city)}));
}

void NetCmdListRemove(City* city, int32_t index, uint32_t item) {
    if (CityIndexOf(city) < 0) return;
    Enter(PackSubCommand(kSubCityItemList, {CityKey(city), U(index), item}));
}

int32_t KeeperGaugeBase(City* city) {
    SubCastle* sub = Keeper(city);
    if (!sub || !sub->keeper || !sub->keeper->officer) return 0;
    const int32_t current = sub->keeper->officer->Get(OfficerLayout::kMp);
    if (DecidesHere()) return current;
    return ClientPendingValues().Base(PendingKey(kPendingFamily, CityKey(city), kSubKeeperList), current);
}

void NetCmdSpecialWindowList(City* city, int32_t index, uint32_t item, int32_t value) {
    if (CityIndexOf(city) < 0) return;
    if (!DecidesHere() && GameNetworked() && value >= 0)
        ClientPendingValues().Sent(PendingKey(kPendingFamily, CityKey(city), kSubKeeperList), value, value);
    Enter(PackSubCommand(kSubKeeperList, {CityKey(city), U(index), item, U(value)}));
}

void NetCmdCityEvent(City* city, uint32_t unit, int32_t index, uint32_t item, int32_t gold, int32_t food,
                     uint8_t operation) {
    if (CityIndexOf(city) < 0) return;
    // A launch carries the id the convoy's officer takes, drawn here once for every station.
    if ((operation == 13 || operation == 15) && unit == 0) unit = DrawUnitId();
    Enter(PackSubCommand(kSubCityEvent, {CityKey(city), unit, U(index), item, U(gold), U(food), operation}));
}

void NetCmdCreateOfficer(City* city, uint32_t templateNumber) {
    if (CityIndexOf(city) < 0) return;
    Enter(PackSubCommand(kSubCreateOfficer, {CityKey(city), templateNumber, DrawUnitId()}));
}

void NetCmdSetOrderMode(Troop* troop, uint32_t formation, uint32_t spacing, uint32_t emphasis,
                        uint32_t retreat) {
    if (!troop) return;
    Enter(PackSubCommand(kSubOrderMode, {troop->UnitId(), U(troop->owner), U(troop->homeCity),
                                         TroopScope(troop), formation, spacing, emphasis, retreat}));
}

void NetSendSub20(City* city, uint32_t x, uint32_t y, uint32_t plotKind) {
    if (CityIndexOf(city) < 0) return;
    Enter(PackSubCommand(kSubPlotKind, {CityKey(city), x, y, plotKind}));
}

void NetCmdCheckAndSend(City* city, uint16_t operation, Troop* troop) {
    if (CityIndexOf(city) < 0 || !troop || TroopScope(troop) == 0) return;
    if (operation == 1 && troop->owner != PlayerKingdom()) return;
    Enter(PackSubCommand(kSubUnitAction, {CityKey(city), operation, troop->UnitId()}));
}

void NetSendSub21(City* city, uint16_t operation, Troop* troop) {
    if (CityIndexOf(city) < 0 || !troop || !GameNetworked()) return;
    if (GameCommandSender send = CurrentGameCommandSender()) {
        const auto payload = PackSubCommand(kSubUnitAction, {CityKey(city), operation, troop->UnitId()});
        send(kSubCommandCode, payload.data(), payload.size());
    }
}

void NetSendRemoveMapObject(Troop* troop, uint32_t x, uint32_t y) {
    if (!troop) return;
    Enter(PackSubCommand(kSubPickUp, {troop->UnitId(), 0, x, y}));
}

void NetCmdSub24(City* city) {
    if (CityIndexOf(city) < 0) return;
    Enter(PackSubCommand(kSubAutoAssign, {CityKey(city)}));
}
