#include "net/ChatCommand.h"
#include "net/StateCommands.h"
#include "net/room/GameCommandTable.h"

#include <span>

void RegisterStateCommands(GameCommandTable& table) {
    // Deaths, side switches and stand/move orders are the host's to decide.
    for (uint8_t code : {kTroopDefeatedCommand, kSkillEffectCommand, kCityActionCommand, kSwitchForceCommand,
                         kStandMoveCommand}) {
        GameCommandRule rule;
        rule.minSize = rule.maxSize = static_cast<uint32_t>(StateCommandSize(code));
        rule.clientMaySend = code == kSkillEffectCommand || code == kCityActionCommand;
        rule.handler = [](GameCommandContext& c) {
            return ReceiveStateCommand(c.code, std::span<const uint8_t>(c.payload, c.size));
        };
        table.Register(code, std::move(rule));
    }
    GameCommandRule chat;
    chat.minSize = chat.maxSize = static_cast<uint32_t>(kChatCommandSize);
    chat.handler = &ReceiveChatCommand;
    table.Register(kChatCommand, std::move(chat));
}
