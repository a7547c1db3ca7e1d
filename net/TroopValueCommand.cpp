#include "net/TroopValueCommand.h"

#include "Program/GameController.h"
#include "engine/ByteReader.h"
#include "net/TroopCommands.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"

#include <algorithm>
#include <vector>

namespace {
bool ValueColumns(int32_t kind, uint32_t& column, uint32_t& maximum) {
    if (kind == 1) {
        column = OfficerLayout::kHp;
        maximum = OfficerLayout::kMaxHp;
        return true;
    }
    if (kind == 2) {
        column = OfficerLayout::kMp;
        maximum = OfficerLayout::kMaxMp;
        return true;
    }
    return false;
}

void Apply(Troop* troop, int32_t value, uint32_t column, uint32_t maximum) {
    const int32_t top = std::max(0, troop->officer->Get(maximum));
    troop->officer->Set(column, std::clamp(value, 0, top));
}
} // namespace

void NetCmdAddTroopValue(Troop* troop, int32_t delta, int32_t kind) {
    uint32_t column = 0, maximum = 0;
    if (!troop || !troop->officer || !ValueColumns(kind, column, maximum)) return;
    const int32_t value = troop->officer->Get(column) + delta;
    if (DecidesHere()) Apply(troop, value, column, maximum);
    if (!GameNetworked()) return;
    GameCommandSender send = CurrentGameCommandSender();
    if (!send) return;
    ByteWriter out;
    out.u32(troop->UnitId());
    out.u32(static_cast<uint32_t>(troop->owner));
    out.u32(static_cast<uint32_t>(troop->homeCity));
    out.u32(troop->garrison != 0 ? 1u : 0u);
    out.u32(static_cast<uint32_t>(value));
    out.u32(static_cast<uint32_t>(kind));
    send(kTroopValueCommand, out.buffer().data(), out.size());
}

bool ReceiveTroopValueCommand(std::span<const uint8_t> payload) {
    if (payload.size() != kTroopValueCommandSize) return false;
    ByteReader in(payload.data(), payload.size());
    const uint32_t id = in.u32();
    in.u32(); // side
    in.u32(); // home city
    const uint32_t scope = in.u32();
    const auto value = static_cast<int32_t>(in.u32());
    const auto kind = static_cast<int32_t>(in.u32());
    uint32_t column = 0, maximum = 0;
    if (!in.ok() || scope != 0 || !ValueColumns(kind, column, maximum)) return false;
    Troop* troop = FindTroopById(id);
    if (!troop || !troop->officer) return false;
    Apply(troop, value, column, maximum);
    return true;
}
