#include "net/LevelUpCommand.h"

#include "net/CommandLookups.h"
#include "net/TroopCommands.h"
#include "net/WireLayout.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"

namespace {
const WireLayout kLayout{4, 4, 4, 4, 4, 4, 4};
} // namespace

void SendLevelUp(const OfficerRecord& record, int32_t, int32_t, int32_t, int32_t extra, uint32_t seed1,
                 uint32_t seed2) {
    GameCommandSender send = CurrentGameCommandSender();
    if (!send) return;
    // The receivers find the officer's troop where it stands: on the field, in a city or a
    // sub-castle.
    const Troop* troop = FindTroopAnywhere(record.serial);
    const auto side = static_cast<uint32_t>(troop ? troop->owner : record.ownerSide);
    const auto home = static_cast<uint32_t>(troop ? troop->homeCity : 0);
    const uint32_t scope = TroopScope(troop);
    const std::vector<uint8_t> out =
        kLayout.Write({record.serial, side, home, scope, static_cast<uint32_t>(extra), seed1, seed2});
    send(kLevelUpCommand, out.data(), out.size());
}

bool ReceiveLevelUpCommand(std::span<const uint8_t> payload) {
    const auto fields = kLayout.Read(payload);
    if (!fields) return false;
    const std::vector<uint32_t>& v = *fields;
    Troop* troop = FindTroopInScope(v[0], v[1], v[2], v[3]);
    if (!troop || !troop->officer) return false;
    troop->officer->LevelUp(static_cast<int32_t>(v[4]), v[5], v[6]);
    return true;
}
