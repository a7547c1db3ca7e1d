// Feeds a state command (codes 19, 21, 23-28) to its receive side over a fresh small battle: byte
// 0 picks host or client, byte 1 the code, the rest is the payload.
#include "StateFuzzWorld.h"

#include "net/ChatCommand.h"
#include "net/LevelUpCommand.h"
#include "net/StateCommands.h"
#include "net/TroopValueCommand.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    StateFuzzWorld world(data[0] & 1);
    const std::span<const uint8_t> payload(data + 2, size - 2);
    switch (data[1]) {
    case kTroopValueCommand:
        (void)ReceiveTroopValueCommand(payload);
        break;
    case kLevelUpCommand:
        (void)ReceiveLevelUpCommand(payload);
        break;
    case kChatCommand:
        if (auto line = UnpackChatLine(payload)) {
            // What a station passes on reads back as the same line.
            auto again = UnpackChatLine(PackChatLine(*line));
            if (!again || again->text != line->text || again->whisperPeer != line->whisperPeer) std::abort();
        }
        break;
    default:
        (void)ReceiveStateCommand(data[1], payload);
    }
    return 0;
}
