#include "net/LevelUpCommand.h"
#include "net/TroopCommandCodec.h"
#include "net/TroopCommands.h"
#include "net/TroopValueCommand.h"
#include "net/room/GameCommandTable.h"
#include "net/room/NetSession.h"
#include "records/OfficerRecord.h"

namespace {
// The troop orders leave through the running session, which sends to the host or, on the host,
// to every peer.
void SendThroughSession(uint8_t code, const uint8_t* payload, size_t length) {
    if (TheNetSession) TheNetSession->SendGameCommand(code, payload, length);
}
} // namespace

void RegisterTroopCommands(GameCommandTable& table) {
    for (uint8_t code = kFirstTroopCommand; code <= kLastTroopCommand; ++code) {
        const auto size = static_cast<uint32_t>(TroopCommandSize(code));
        GameCommandRule rule;
        rule.minSize = size;
        rule.maxSize = size;
        rule.clientMaySend = ClientMaySendTroopCommand(code);
        rule.handler = [](GameCommandContext& c) {
            switch (ReceiveTroopCommand(c.code, std::span<const uint8_t>(c.payload, c.size))) {
            case TroopCommandOutcome::Applied:
                return CommandOutcome::Applied;
            case TroopCommandOutcome::Relay:
                return CommandOutcome::Relay;
            case TroopCommandOutcome::Drop:
                break;
            }
            return CommandOutcome::Drop;
        };
        table.Register(code, std::move(rule));
    }
    // A troop's strength or second gauge: any station may send it, the host re-sends it.
    GameCommandRule value;
    value.minSize = value.maxSize = static_cast<uint32_t>(kTroopValueCommandSize);
    value.handler = [](GameCommandContext& c) {
        return ReceiveTroopValueCommand(std::span<const uint8_t>(c.payload, c.size)) ? CommandOutcome::Relay
                                                                                     : CommandOutcome::Drop;
    };
    table.Register(kTroopValueCommand, std::move(value));
    // A level-up comes from whichever station applied it, and is applied as it arrives.
    GameCommandRule levelUp;
    levelUp.minSize = levelUp.maxSize = static_cast<uint32_t>(kLevelUpCommandSize);
    levelUp.handler = [](GameCommandContext& c) {
        return ReceiveLevelUpCommand(std::span<const uint8_t>(c.payload, c.size)) ? CommandOutcome::Applied
                                                                                  : CommandOutcome::Drop;
    };
    table.Register(kLevelUpCommand, std::move(levelUp));
    SetGameCommandSender(&SendThroughSession);
    SetLevelUpSender(&SendLevelUp);
}
