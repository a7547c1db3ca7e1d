#include "net/TroopFateCommands.h"
#include "net/room/GameCommandTable.h"

namespace {
using Receiver = bool (*)(std::span<const uint8_t>);

void RegisterHostOnly(GameCommandTable& table, uint8_t code, size_t size, Receiver receive) {
    GameCommandRule rule;
    rule.minSize = rule.maxSize = static_cast<uint32_t>(size);
    // Deaths, captures and tallies are decided by the host; a client's copy is refused.
    rule.clientMaySend = false;
    rule.handler = [receive](GameCommandContext& c) {
        return receive(std::span<const uint8_t>(c.payload, c.size)) ? CommandOutcome::Applied
                                                                    : CommandOutcome::Drop;
    };
    table.Register(code, std::move(rule));
}
} // namespace

void RegisterTroopFateCommands(GameCommandTable& table) {
    RegisterHostOnly(table, kKillCommand, kKillCommandSize, &ReceiveKillCommand);
    RegisterHostOnly(table, kCaptureCommand, kCaptureCommandSize, &ReceiveCaptureCommand);
    RegisterHostOnly(table, kUnitCountersCommand, kUnitCountersCommandSize, &ReceiveUnitCountersCommand);
}
