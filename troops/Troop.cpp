#include "troops/Troop.h"

#include "engine/ResourceStore.h"

#include "Program/GameParameters.h"
#include "Program/StageSet.h"
#include "engine/LinkList.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/SubCastle.h"
#include "troops/SoldierTypeColumns.h"
#include "troops/TroopOrder.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"
#include "world/Coordinates.h"
#include "world/UnitPath.h"
#include "world/Zu_SkillEffect.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr uint32_t kKingdomAlert = 56;   // "武將警戒"
constexpr uint32_t kKingdomPursue = 60;  // "武將追捕"
constexpr uint32_t kKingdomRetreat = 64; // "武將撤退"
constexpr uint32_t kKingdomPolicy = 68;  // "行動方針"
constexpr uint32_t kReferSelf = 136;     // "參照自己"
constexpr uint32_t kOfficerAlert = 140;  // "武將警戒"
constexpr uint32_t kOfficerPursue = 144; // "武將追捕"

int32_t KingdomValue(const Kingdom* k, uint32_t offset) {
    int32_t v = 0;
    std::memcpy(&v, k->block + offset, 4);
    return v;
}

void SetKingdomValue(Kingdom* k, uint32_t offset, int32_t v) {
    std::memcpy(k->block + offset, &v, 4);
}

bool OnOccupancy() {
    return TheBattleMap && TheBattleMap->occupancy;
}
} // namespace

Troop::Troop(int32_t mode, uint8_t stateArg, int16_t x, int16_t y, int8_t ownerArg, int16_t homeCityArg,
             uint32_t, OfficerRecord* officerArg) {
    frameGeometry[4] = 0;
    speed = static_cast<int16_t>(SoldierTypeValue(1, SoldierColumn::kSpeed));
    if (mode < 0) {
        order = new TroopOrder;
        cellX = x;
        cellY = y;
        return;
    }
    officer = officerArg;
    officerData = officer ? officer->block : nullptr;
    baseType = currentType = officer ? officer->Get(OfficerLayout::kSoldierType) : 0;
    sightRadius = static_cast<int16_t>(SoldierTypeValue(currentType, SoldierColumn::kSight));
    if (OfficerKind() == 1) followers = new LinkList;

    cellX = previousX = x;
    cellY = previousY = y;
    worldX = TileToWorldX(x);
    worldY = TileToWorldY(y);
    const int32_t base = SoldierTypeValue(currentType, SoldierColumn::kFootprint);
    footprint[0] = static_cast<int16_t>(base / 2);
    footprint[1] = static_cast<int16_t>(base / 2);
    footprint[2] = footprint[3] = static_cast<int16_t>(base);

    owner = ownerArg;
    homeCity = homeCityArg;
    state = stateArg;

    if (baseType >= 0) {
        LoadActionFrames(ActionRow());
        SetFrameDelay(1);
        SetStepDelay(currentType >= 119 && currentType <= 121 ? 2 : 1);
    }
    pixelX = posX = static_cast<int16_t>(x * 40 - 100);
    pixelY = posY = static_cast<int16_t>(y * 20 - 170);
    if (baseType >= 0 && OnOccupancy() && x != 0 && y != 0) TheBattleMap->AddObjectAt(x, y, uintptr_t(this));

    if (!HasSoldierType(currentType)) currentType = 1;
    TakeTypeValues();

    order = new TroopOrder;
    if (Kingdom* k = TroopKingdom(owner)) {
        const int32_t kAlert = KingdomValue(k, kKingdomAlert);
        const int32_t kPursue = KingdomValue(k, kKingdomPursue);
        int32_t retreat = KingdomValue(k, kKingdomRetreat);
        const bool player = owner == PlayerKingdom();
        if (!player || (officer && officer->Get(kReferSelf) != 0)) {
            order->alert = static_cast<int8_t>(kAlert);
            order->pursue = static_cast<uint8_t>(kPursue);
        } else {
            // The kingdom's setting picks an entry of the four-entry tables; a value from a file
            // outside them counts as the nearest end.
            const GameParameters& p = GameParams();
            order->alert = static_cast<int8_t>(p.ConstAlarmRegion[std::clamp(kAlert, 0, 3)]);
            if (officer) officer->Set(OfficerLayout::kPhysiqueRest, 1);
            SetKingdomValue(k, kKingdomPolicy, 1);
            order->pursue = p.ConstPursueRegion[1];
        }
        if (officer) {
            officer->Set(OfficerLayout::kRetreat, retreat);
            if (officer->Get(kOfficerAlert) == 0) order->alert = static_cast<int8_t>(kAlert);
            if (officer->Get(kOfficerPursue) == 0) order->pursue = static_cast<uint8_t>(kPursue);
        }
    }
    order->orderState = stateArg == 3 ? 12 : 0;

    const int32_t kind = OfficerKind();
    const int32_t tmpl = OfficerValue(OfficerLayout::kPersonNumber);
    switch (kind) {
    case 5:
        flags = 0x06 | (tmpl == 441 ? 0x20000u : 0u);
        break;
    case 8:
        flags = 0x0C;
        pieceMode = tmpl == 455 ? 0 : 3;
        break;
    case 9:
    case 17:
        flags = 0x0A;
        break;
    case 10:
        flags = 0x06;
        break;
    case 13:
    case 18:
        flags = 0x0C;
        break;
    case 14:
        flags = 0x08;
        break;
    default:
        break;
    }
    if (tmpl == 470) flags |= 0x02;
}

Troop::~Troop() {
    for (Zu_SkillEffect*& e : attachedEffects) {
        delete e;
        e = nullptr;
    }
    // Skill movies and map effects the troop cast lose their caster.
    if (ResourceStore* store = TheResourceStore)
        for (LinkList* effects : {store->firstEffects, store->secondEffects})
            if (effects) {
                // The list may be in the middle of its own walk: its cursor is put back.
                const uintptr_t cursor = effects->Current();
                for (uintptr_t v = effects->First(); v != 0; v = effects->Next())
                    if (auto* e = reinterpret_cast<Zu_SkillEffect*>(v); e->owner == this) e->owner = nullptr;
                if (cursor) effects->Find(cursor);
            }
    if (OnOccupancy()) TheBattleMap->RemoveObjectAt(cellX, cellY, uintptr_t(this));
    if (followers) {
        // A convoy owns the soldiers it carries; a general's escorts belong to the field.
        if (sourceCity != 0)
            for (uintptr_t v = followers->First(); v != 0; v = followers->Next())
                delete reinterpret_cast<Troop*>(v);
        followers->RemoveAll();
        delete followers;
    }
    FreeUnitPath(this);
    FreeUnitSearchNodes(this);
    delete officer;
    delete order;
    delete carried;
    ClearFrames();
}

int32_t Troop::OfficerKind() const {
    return OfficerValue(OfficerLayout::kAttribute);
}

int32_t Troop::OfficerValue(uint32_t offset) const {
    return officer ? officer->Get(offset) : 0;
}

uint32_t Troop::UnitId() const {
    return officer ? officer->serial : 0;
}

void Troop::TakeTypeValues() {
    rangeStart = static_cast<int16_t>(SoldierTypeValue(currentType, SoldierColumn::kRangeStart));
    rangeEnd = static_cast<int16_t>(SoldierTypeValue(currentType, SoldierColumn::kRangeEnd));
    missileKind = static_cast<uint8_t>(SoldierTypeValue(currentType, SoldierColumn::kMissile));
}

void Troop::EnterCell() {
    previousX = cellX;
    previousY = cellY;
    pixelX = posX = static_cast<int16_t>(cellX * 40 - 100);
    pixelY = posY = static_cast<int16_t>(cellY * 20 - 170);
    worldX = TileToWorldX(cellX);
    worldY = TileToWorldY(cellY);
}

void Troop::PlaceAt(int16_t x, int16_t y) {
    cellX = x;
    cellY = y;
    EnterCell();
    if (OnOccupancy()) TheBattleMap->AddObjectAt(x, y, uintptr_t(this));
    StartActionAnimation();
    if (Kingdom* k = TroopKingdom(owner)) k->fieldUnits.Add(uintptr_t(this));
}

void Troop::SetCell(int16_t x, int16_t y, int16_t garrisonValue) {
    if (OnOccupancy()) TheBattleMap->RemoveObjectAt(cellX, cellY, uintptr_t(this));
    cellX = x;
    cellY = y;
    EnterCell();
    if (OnOccupancy()) TheBattleMap->AddObjectAt(x, y, uintptr_t(this));
    garrison = garrisonValue;
    if (garrison != 0)
        flags |= 0x06;
    else if (!(flags & 0x40))
        flags &= ~0x06u;
    StartActionAnimation();
}

void Troop::SetUnitType(int32_t type) {
    if (afloat) {
        // Remembered for the landing; the sea type stays.
        overrideType = overrideType == 0 ? type : 0;
        return;
    }
    if (type < 0) {
        currentType = baseType;
        overrideType = 0;
    } else {
        currentType = overrideType = type;
    }
    TakeTypeValues();
    StartActionAnimation();
}

void Troop::SetMoveDirection(uint8_t dir) {
    moveDirection = dir;
    if (dir != 0) facing = dir;
}

bool Troop::IsValidTarget(const Troop* other) const {
    if (!other || other == this || other->outOfPlay || other->IsGone()) return false;
    const int32_t kind = other->OfficerKind();
    if (kind == 7 || kind == 8) return false;
    if (kind == 17 &&
        (other->owner == owner || ((flags & 0x40) && other->owner == OfficerValue(OfficerLayout::kPolicy))))
        return false;
    // One group stands aside for each other until one of them fights.
    const bool group = other->leader == this || leader == other || (leader && leader == other->leader);
    if (group && state != 1 && state != 11 && other->state != 1 && other->state != 11) return false;
    return true;
}

void Troop::SortCarriedList() {
    if (!carried) return;
    std::vector<uintptr_t> items;
    for (uintptr_t v = carried->First(); v != 0; v = carried->Next())
        items.push_back(v);
    std::stable_sort(items.begin(), items.end());
    carried->RemoveAll();
    for (uintptr_t v : items)
        carried->Add(v);
}
