#include "net/LevelUpCommand.h"

#include "engine/ByteReader.h"
#include "net/TroopCommands.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"

void SendLevelUp(const OfficerRecord& record, int32_t kingdom, int32_t homeCity, int32_t scope, int32_t extra,
                 uint32_t seed1, uint32_t seed2) {
    GameCommandSender send = CurrentGameCommandSender();
    if (!send) return;
    ByteWriter out;
    out.u32(record.serial);
    out.i32(kingdom);
    out.i32(homeCity);
    out.i32(scope);
    out.i32(extra);
    out.u32(seed1);
    out.u32(seed2);
    send(kLevelUpCommand, out.buffer().data(), out.size());
}

bool ReceiveLevelUpCommand(std::span<const uint8_t> payload) {
    if (payload.size() != kLevelUpCommandSize) return false;
    ByteReader in(payload.data(), payload.size());
    const uint32_t id = in.u32();
    in.skip(8); // kingdom, home city
    const uint32_t scope = in.u32();
    const auto extra = static_cast<int32_t>(in.u32());
    const uint32_t seed1 = in.u32();
    const uint32_t seed2 = in.u32();
    // Officers inside cities are found with the rest of the state commands.
    if (!in.ok() || scope != 0) return false;
    Troop* troop = FindTroopById(id);
    if (!troop || !troop->officer) return false;
    troop->officer->LevelUp(extra, seed1, seed2);
    return true;
}
