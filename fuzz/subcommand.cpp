// Feeds a code-48 sub-command to its receive side over a fresh small battle: byte 0 bit 0 picks
// host or client station, bit 1 whether it came from a client; the rest is the payload.
#include "StateFuzzWorld.h"

#include "net/SubCommands.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    StateFuzzWorld world(data[0] & 1);
    const std::span<const uint8_t> payload(data + 1, size - 1);
    std::vector<uint8_t> relay;
    const CommandOutcome outcome = ReceiveSubCommand(payload, (data[0] & 2) != 0, relay);
    // Only a sub-command that was read can be passed on, and a re-stamped one keeps its size.
    if (outcome != CommandOutcome::Drop && !UnpackSubCommand(payload)) std::abort();
    if (!relay.empty() && relay.size() != payload.size()) std::abort();
    return 0;
}
