#include "net/DiplomacyCommand.h"
#include "net/room/GameCommandTable.h"

void RegisterDiplomacyCommands(GameCommandTable& table) {
    // Relations are decided on the host alone; it applies its own and re-sends them to everybody.
    GameCommandRule rule;
    rule.minSize = rule.maxSize = static_cast<uint32_t>(kDiplomacyCommandSize);
    rule.clientMaySend = false;
    rule.handler = [](GameCommandContext& c) {
        return ReceiveDiplomacyCommand(std::span<const uint8_t>(c.payload, c.size)) ? CommandOutcome::Relay
                                                                                    : CommandOutcome::Drop;
    };
    table.Register(kDiplomacyCommand, std::move(rule));
}
