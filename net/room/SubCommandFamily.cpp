#include "net/SubCommands.h"
#include "net/room/GameCommandTable.h"

#include <span>

void RegisterSubCommands(GameCommandTable& table) {
    GameCommandRule rule;
    // Each sub-command checks its own exact size.
    rule.minSize = 8;
    rule.maxSize = 36;
    rule.handler = [](GameCommandContext& c) {
        return ReceiveSubCommand(std::span<const uint8_t>(c.payload, c.size), c.fromClient, c.relayPayload);
    };
    table.Register(kSubCommandCode, std::move(rule));
}
