#include "net/TroopValueCommand.h"

#include "Program/GameController.h"
#include "net/CommandLookups.h"
#include "net/PendingValues.h"
#include "net/TroopCommands.h"
#include "net/WireLayout.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/SubCastle.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"
#include "world/Zu_SkillEffect.h"

#include <algorithm>
#include <vector>

namespace {
const WireLayout kLayout{4, 4, 4, 4, 4, 4};
constexpr uint32_t kFamily = 21;
// The value kind 3 adds to: the officer's gold.
constexpr uint32_t kPlainValue = OfficerLayout::kGold;
constexpr int16_t kRefillEffect = 15;

int32_t Column(int32_t kind) {
    switch (kind) {
    case 1:
        return OfficerLayout::kHp;
    case 2:
        return OfficerLayout::kMp;
    case 3:
        return kPlainValue;
    case 4:
        return OfficerLayout::kLoyalty;
    default:
        return -1;
    }
}

// What a station holds once the value is applied.
int32_t Effective(const OfficerRecord& o, int32_t value, int32_t kind) {
    switch (kind) {
    case 1:
        return std::clamp(value, 0, std::max(0, o.Get(OfficerLayout::kMaxHp)));
    case 2:
        return std::clamp(value, 0, std::max(0, o.Get(OfficerLayout::kMaxMp)));
    case 4:
        return std::clamp(value, 0, 100);
    case 6:
        return std::min(value, o.Get(OfficerLayout::kMaxHp));
    default:
        return value;
    }
}

bool HeldByCity(Troop* troop) {
    City* city = troop->HomeCity();
    if (!city) return false;
    const auto key = reinterpret_cast<uintptr_t>(troop);
    if (city->units.Contains(key) || city->reserve.Contains(key)) return true;
    for (SubCastle* sub : ListValues<SubCastle>(city->subCastles))
        if (sub->units.Contains(key) || sub->secondUnits.Contains(key) || sub->keeper == troop) return true;
    return false;
}

int64_t Add(int64_t a, int64_t b) {
    return std::clamp<int64_t>(a + b, INT32_MIN, INT32_MAX);
}
} // namespace

void NetCmdAddTroopValue(Troop* troop, int32_t delta, int32_t kind) {
    // Receivers know kinds 1..6 only; another would be applied here alone.
    if (!troop || !troop->officer || kind < 1 || kind > 6) return;
    OfficerRecord& o = *troop->officer;
    const int32_t column = Column(kind);
    const uint64_t key = PendingKey(kFamily, troop->UnitId(), static_cast<uint32_t>(kind));
    const bool client = !DecidesHere();
    int32_t value = 0;
    if (column >= 0) {
        const int32_t current = o.Get(static_cast<uint32_t>(column));
        const int32_t base = client ? ClientPendingValues().Base(key, current) : current;
        value = static_cast<int32_t>(Add(base, delta));
        if (kind == 4) value = std::clamp(value, 0, 100);
    } else if (kind == 6) {
        value = delta;
    }
    if (!client) ApplyTroopValue(troop, value, kind);
    if (!GameNetworked()) return;
    GameCommandSender send = CurrentGameCommandSender();
    if (!send) return;
    if (client && column >= 0) ClientPendingValues().Sent(key, value, Effective(o, value, kind));
    const std::vector<uint8_t> out = kLayout.Write(
        {troop->UnitId(), static_cast<uint32_t>(troop->owner), static_cast<uint32_t>(troop->homeCity),
         TroopScope(troop), static_cast<uint32_t>(value), static_cast<uint32_t>(kind)});
    send(kTroopValueCommand, out.data(), out.size());
}

void ApplyTroopValue(Troop* troop, int32_t value, int32_t kind) {
    if (!troop || !troop->officer) return;
    OfficerRecord& o = *troop->officer;
    const int32_t column = Column(kind);
    if (column >= 0) {
        o.Set(static_cast<uint32_t>(column), Effective(o, value, kind));
        return;
    }
    if (kind == 6) {
        if (!troop->HomeCity()) return;
        const int32_t top = o.Get(OfficerLayout::kMaxHp);
        o.Set(OfficerLayout::kHp, Effective(o, value, kind));
        if (value < top) return;
        if (troop->waitCounter > 1) troop->waitCounter = 1;
        troop->ApplyHalt();
        // A troop a city or sub-castle list holds stays theirs.
        if (Kingdom* k = KingdomOfSide(static_cast<uint32_t>(troop->owner));
            k && !k->fieldUnits.Contains(reinterpret_cast<uintptr_t>(troop)) && !HeldByCity(troop))
            k->AddFieldUnit(troop);
        if (TheBattleMap && UnitCellOnMap(troop->cellX, troop->cellY)) {
            TheBattleMap->RemoveObjectAt(troop->cellX, troop->cellY, reinterpret_cast<uintptr_t>(troop));
            TheBattleMap->AddObjectAt(troop->cellX, troop->cellY, reinterpret_cast<uintptr_t>(troop));
        }
        // The refilled troop flashes the repair effect; without an effect list nobody retires it.
        auto* refill = new Zu_SkillEffect(3, kRefillEffect, troop->cellX * 40, troop->cellY * 20);
        if (!refill->list) delete refill;
        return;
    }
    // Kind 5 and any other: the troop is reset and stands, its status words back to active.
    o.StatusWord() = 0;
    o.TerrainStatus() = 0;
    troop->flags = 6;
    troop->ApplyHalt();
}

bool ReceiveTroopValueCommand(std::span<const uint8_t> payload) {
    const auto fields = kLayout.Read(payload);
    if (!fields) return false;
    const std::vector<uint32_t>& v = *fields;
    const auto kind = static_cast<int32_t>(v[5]);
    if (kind < 1 || kind > 6 || v[3] > 2) return false;
    Troop* troop = FindTroopInScope(v[0], v[1], v[2], v[3]);
    if (!troop || !troop->officer) return false;
    const auto value = static_cast<int32_t>(v[4]);
    if (!DecidesHere() && Column(kind) >= 0)
        ClientPendingValues().Echo(PendingKey(kFamily, v[0], static_cast<uint32_t>(kind)), value);
    ApplyTroopValue(troop, value, kind);
    return true;
}
