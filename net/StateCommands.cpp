#include "net/StateCommands.h"

#include "Program/GameController.h"
#include "Program/SoundEffects.h"
#include "engine/Random.h"
#include "net/CommandLookups.h"
#include "net/TroopCommands.h"
#include "net/WireLayout.h"
#include "platform/CRand.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/Persons.h"
#include "records/RecordTables.h"
#include "troops/SoldierTypeColumns.h"
#include "troops/Troop.h"
#include "troops/TroopOrder.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"
#include "world/Coordinates.h"
#include "world/Zu_SkillEffect.h"

#include <functional>

namespace {

const WireLayout kDefeat{4, 4, 4, 4, 4, 4, 4, 4};
const WireLayout kSkillEffect{4, 4, 1, -3};
const WireLayout kCityAction{4, 2, 2};
const WireLayout kSwitchForce{4, 4};
const WireLayout kStandMove{4, 4, 4, 1, -3, 4, 4};

const WireLayout* LayoutOf(uint8_t code) {
    switch (code) {
    case kTroopDefeatedCommand:
        return &kDefeat;
    case kSkillEffectCommand:
        return &kSkillEffect;
    case kCityActionCommand:
        return &kCityAction;
    case kSwitchForceCommand:
        return &kSwitchForce;
    case kStandMoveCommand:
        return &kStandMove;
    default:
        return nullptr;
    }
}

// Single play and the host apply; a networked station sends, a client only where its role lets
// it.
void Enter(uint8_t code, const std::vector<uint8_t>& payload, bool clientSends,
           const std::function<void()>& apply) {
    if (DecidesHere()) apply();
    if (!GameNetworked() || (!DecidesHere() && !clientSends)) return;
    if (GameCommandSender send = CurrentGameCommandSender()) send(code, payload.data(), payload.size());
}

uint32_t U(int32_t v) {
    return static_cast<uint32_t>(v);
}
int32_t I(uint32_t v) {
    return static_cast<int32_t>(v);
}

// Whether items may drop for that side: networked, a side no computer plays; alone, the player's.
bool DropSide(int32_t side) {
    if (side <= 0 || side >= BattleMap::kSides || !TheBattleMap) return false;
    if (GameNetworked()) return TheBattleMap->sideActive[side] == 0;
    return side == PlayerKingdom();
}

bool Controllable(const Troop* t) {
    return t && t->officer && t->officer->Get(OfficerLayout::kControllable) != 0;
}

constexpr int32_t kSpecialFirst = 432, kSpecialLast = 437;

// One defeat in the tallies of the winning and the losing kingdom: officers, the special troops
// and every other troop count apart.
void Tally(Troop* t, int32_t killerSide) {
    const int32_t person = t->officer ? t->officer->Get(OfficerLayout::kPersonNumber) : 0;
    const bool officer = t->OfficerKind() == 1;
    const bool famous = officer && t->officer->Get(OfficerLayout::kFamous) != 0;
    const bool special = person >= kSpecialFirst && person <= kSpecialLast;
    if (Kingdom* k = KingdomOfSide(U(killerSide))) ++k->tally[officer ? (famous ? 1 : 0) : special ? 2 : 3];
    if (Kingdom* k = KingdomOfSide(U(t->owner))) ++k->tally[officer ? (famous ? 5 : 4) : 6];
}

void RemoveFromSelection(Troop* t) {
    t->selected = 0;
    if (TheGameController && TheGameController->selection)
        while (TheGameController->selection->RemoveValue(reinterpret_cast<uintptr_t>(t))) {
        }
}

// The summoned troop of effect kind 6: the caster's side, its cell and home city.
void Summon(Troop* caster, int32_t value) {
    const bool lesser = value >= 102 && value <= 104;
    auto* officer = new OfficerRecord(caster->owner, lesser ? 455 : 456);
    auto* t = new Troop(0, 10, caster->cellX, caster->cellY, caster->owner, caster->homeCity, 0, officer);
    t->pieceMode = static_cast<uint8_t>(lesser ? value - 102 : value - 117);
    t->waitCounter = 1;
    if (Kingdom* k = KingdomOfSide(U(caster->owner))) k->AddFieldUnit(t);
    t->SyncPixelPosition();
    const int32_t player = PlayerKingdom();
    if (caster->owner == player || KingdomRelation(player, caster->owner) == 1) t->UpdateSight();
}

// Town persons count against the battle's cap; one that falls makes room for another.
void LowerPersonCount(const Troop* t) {
    const int32_t kind = TheGameController ? TheGameController->gameKind : 0;
    if (kind != 1 && kind != 3) return;
    const int32_t person = t->officer ? t->officer->Get(OfficerLayout::kPersonNumber) : 0;
    if (person >= 401 && person <= 405 && PersonCount > 0) --PersonCount;
}

bool SkillExists(int32_t id) {
    return id > 0 && SkillBlock(id) != nullptr;
}

} // namespace

size_t StateCommandSize(uint8_t code) {
    const WireLayout* layout = LayoutOf(code);
    return layout ? layout->Size() : 0;
}

void NetCmdTroopDefeated(Troop* troop, int32_t killerSide, Troop* attacker) {
    if (!troop || !DecidesHere()) return;
    if (troop->officer) troop->officer->moreWords[0] = troop->officer->moreWords[1] = 0;
    delete troop->attachedEffects[0];
    troop->attachedEffects[0] = nullptr;
    const uint32_t scope = TroopScope(troop);
    uint32_t drop = 0;
    if (scope == 0) {
        if (DropSide(troop->owner) && Controllable(troop))
            drop = 2;
        else if (DropSide(killerSide) && Controllable(attacker))
            drop = 1;
    }
    const auto seed1 = U(platform::rand() % 77777 + 23456);
    const auto seed2 = U(platform::rand() % 77777 + 23456);
    const std::vector<uint8_t> payload = kDefeat.Write(
        {troop->UnitId(), U(killerSide), U(troop->owner), U(troop->homeCity), scope, drop, seed1, seed2});
    Enter(kTroopDefeatedCommand, payload, false,
          [&] { ApplyTroopDefeat(troop, killerSide, drop, seed1, seed2); });
}

void ApplyTroopDefeat(Troop* t, int32_t killerSide, uint32_t dropKind, uint32_t seed1, uint32_t seed2) {
    if (!t) return;
    RandomSeed = seed1;
    RandomMultiplier = seed2;
    if (const GameController* c = TheGameController; c && t->cellX >= c->viewLeft &&
                                                     t->cellX <= c->viewRight && 2 * t->cellY >= c->viewTop &&
                                                     2 * t->cellY <= c->viewBottom)
        PlaySoundEffect(SoldierTypeValue(t->currentType, SoldierColumn::kDeathSound));
    RemoveFromSelection(t);
    Tally(t, killerSide);
    Kingdom* k = KingdomOfSide(U(t->owner));
    if (TroopScope(t) == 1) {
        City* city = t->HomeCity();
        const auto key = reinterpret_cast<uintptr_t>(t);
        // The city's lists own their troops; a follower is only let go by its leader.
        bool owned = false;
        if (city) {
            owned = city->units.RemoveValue(key) != 0;
            owned = city->reserve.RemoveValue(key) != 0 || owned;
            if (city->currentUnit == t) city->currentUnit = nullptr;
        }
        if (t->leader && t->leader->followers) t->leader->followers->RemoveValue(key);
        t->leader = nullptr;
        if (k) owned = k->fieldUnits.RemoveValue(key) != 0 || owned;
        t->MarkRemoved();
        if (TheBattleMap) TheBattleMap->ForgetTroop(t);
        LowerPersonCount(t);
        if (owned) delete t;
        return;
    }
    t->kept = 0;
    t->deadFlag = 1;
    if (TheBattleMap) TheBattleMap->RemoveObjectAt(t->cellX, t->cellY, reinterpret_cast<uintptr_t>(t));
    if (dropKind != 0) t->DropCarriedItems(dropKind == 1 ? 1 : 0);
    LowerPersonCount(t);
}

void NetCmdSkillEffect(Troop* troop, int32_t value, uint8_t kind) {
    if (!troop) return;
    const std::vector<uint8_t> payload = kSkillEffect.Write({troop->UnitId(), U(value), kind});
    Enter(kSkillEffectCommand, payload, true, [&] { ApplySkillEffectCommand(troop, value, kind); });
}

void ApplySkillEffectCommand(Troop* troop, int32_t value, uint8_t kind) {
    if (!troop) return;
    switch (kind) {
    case 2:
        troop->ClearStatus(U(value), false);
        break;
    case 3:
        if (value < 0) {
            troop->statusBits &= ~0x40000u;
            troop->SetUnitType(-1);
        } else if (const uint8_t* skill = SkillBlock(value)) {
            troop->ApplySkillStatus(skill);
            troop->SetUnitType(value + 3);
        }
        troop->ApplyHalt();
        break;
    case 6:
        Summon(troop, value);
        break;
    case 0:
        // The skill number comes from a peer: one that names no skill adds nothing.
        if (const uint8_t* skill = SkillBlock(value)) troop->ApplySkillStatus(skill);
        break;
    case 4:
        troop->ConvertToKingdom(value);
        break;
    case 5:
        troop->CureAllStatus();
        break;
    default:
        // Kind 1 does nothing; what kind 7 does is its receiver's to decide.
        break;
    }
}

void NetCmdCityAction(City* city, int32_t x, int32_t y) {
    const int32_t index = CityIndexOf(city);
    if (index < 0) return;
    const std::vector<uint8_t> payload = kCityAction.Write({U(index), U(x), U(y)});
    Enter(kCityActionCommand, payload, true, [&] { ApplyCityAction(city, x, y); });
}

bool ApplyCityAction(City* city, int32_t x, int32_t y) {
    Kingdom* k = city ? KingdomOfSide(U(city->ownerSide)) : nullptr;
    if (!k) return false;
    Troop* unit = nullptr;
    for (Troop* t : ListValues<Troop>(city->units)) {
        const int32_t kind = t->officer ? t->officer->Get(OfficerLayout::kPersonNumber) : 0;
        if (kind >= 421 && kind <= 423) {
            unit = t;
            break;
        }
    }
    if (!unit) return false;
    int16_t cx = static_cast<int16_t>(city->CellX() - 8), cy = static_cast<int16_t>(city->CellY() + 2);
    int16_t fx = cx, fy = cy;
    if (unit->FindBestCellAround(cx, cy, cx, cy, fx, fy, 0, 10, false) && UnitCellOnMap(fx, fy)) {
        cx = fx;
        cy = fy;
    }
    // Without a cell on the map the unit stays inside.
    if (!UnitCellOnMap(cx, cy)) return false;
    city->units.RemoveValue(reinterpret_cast<uintptr_t>(unit));
    if (city->currentUnit == unit) city->currentUnit = nullptr;
    unit->outgoingMark = 1;
    // Out on the wall it is a field troop: no longer kept inside, so its decisions and steps run.
    unit->garrison = 0;
    unit->hidden = 0;
    unit->inCity = 0;
    k->AddFieldUnit(unit);
    unit->SetCell(cx, cy, 0);
    unit->worldX = TileToWorldX(cx);
    unit->worldY = TileToWorldY(cy);
    unit->SyncPixelPosition();
    unit->order->orderState = 22;
    unit->waitCounter = 10;
    unit->ApplyCmd02(x, y);
    if (KingdomRelation(PlayerKingdom(), unit->owner) != 3) unit->UpdateSight();
    if (city->actionWords[0] < INT16_MAX) ++city->actionWords[0];
    return true;
}

void NetCmdSwitchTroopForce(Troop* troop, int32_t kingdom) {
    if (!troop || !DecidesHere()) return;
    const std::vector<uint8_t> payload = kSwitchForce.Write({troop->UnitId(), U(kingdom)});
    Enter(kSwitchForceCommand, payload, false, [&] { ApplyForceSwitch(troop, kingdom); });
}

void ApplyForceSwitch(Troop* troop, int32_t kingdom) {
    if (troop) troop->ApplySwitchKingdom(kingdom);
}

bool NetCmd27(Troop* troop, uint8_t action) {
    if (!troop || !DecidesHere()) return false;
    bool result = false;
    const std::vector<uint8_t> payload = kStandMove.Write(
        {troop->UnitId(), U(troop->worldX), U(troop->worldY), action, U(troop->goalX), U(troop->goalY)});
    Enter(kStandMoveCommand, payload, false, [&] { result = ApplyStandMove(troop, action); });
    return result;
}

bool ApplyStandMove(Troop* t, uint8_t action) {
    if (!t || action > 2) return false;
    // Only the route's end answers; standing and walking report nothing.
    const bool taken = t->ApplyRouteControl(action);
    return action == 2 && taken;
}

CommandOutcome ReceiveStateCommand(uint8_t code, std::span<const uint8_t> payload) {
    using O = CommandOutcome;
    const WireLayout* layout = LayoutOf(code);
    if (!layout) return O::Drop;
    const auto fields = layout->Read(payload);
    if (!fields) return O::Drop;
    const std::vector<uint32_t>& v = *fields;
    switch (code) {
    case kTroopDefeatedCommand: {
        // troop, killer side, side, home city, scope, drop kind, seeds
        if (v[4] > 2 || v[5] > 2 || v[1] >= static_cast<uint32_t>(BattleMap::kSides)) return O::Drop;
        Troop* t = FindTroopInScope(v[0], v[2], v[3], v[4]);
        if (!t || t->deadFlag != 0) return O::Drop;
        ApplyTroopDefeat(t, I(v[1]), v[4] == 0 ? v[5] : 0, v[6], v[7]);
        return O::Applied;
    }
    case kSkillEffectCommand: {
        Troop* t = FindTroopById(v[0]);
        const int32_t value = I(v[1]);
        if (!t || v[2] > 6) return O::Drop;
        if ((v[2] == 0 || (v[2] == 3 && value >= 0)) && !SkillExists(value)) return O::Drop;
        if (v[2] == 3 && value >= 0 && !HasSoldierType(value + 3)) return O::Drop;
        if (v[2] == 4 && !KingdomOfSide(v[1])) return O::Drop;
        if (v[2] == 6 && (value < 0 || !GeneralTemplate(value >= 102 && value <= 104 ? 455 : 456)))
            return O::Drop;
        ApplySkillEffectCommand(t, value, static_cast<uint8_t>(v[2]));
        // Every station runs the timed effects itself; the host passes none of them on.
        return O::Applied;
    }
    case kCityActionCommand: {
        City* city = CityAtIndex(v[0]);
        if (!city || !UnitCellOnMap(v[1], v[2])) return O::Drop;
        ApplyCityAction(city, I(v[1]), I(v[2]));
        return O::Relay;
    }
    case kSwitchForceCommand: {
        Troop* t = FindTroopById(v[0]);
        if (!t || !KingdomOfSide(v[1])) return O::Drop;
        ApplyForceSwitch(t, I(v[1]));
        return O::Applied;
    }
    case kStandMoveCommand: {
        // troop, world x, world y, action, x, y
        Troop* t = FindTroopById(v[0]);
        if (!t || v[3] > 2 || !UnitCellOnMap(v[4], v[5])) return O::Drop;
        const int32_t wx = I(v[1]), wy = I(v[2]);
        if (!UnitCellOnMap(wx / 40000, wy / 20000) || wx < 0 || wy < 0) return O::Drop;
        if (TroopScope(t) == 0) {
            t->worldX = wx;
            t->worldY = wy;
            t->SyncPixelPosition();
        }
        if (v[3] == 1) {
            t->goalX = static_cast<int16_t>(v[4]);
            t->goalY = static_cast<int16_t>(v[5]);
        }
        ApplyStandMove(t, static_cast<uint8_t>(v[3]));
        return O::Applied;
    }
    default:
        return O::Drop;
    }
}
