// Feeds a code-32 game record to the record channel over a fresh small battle: byte 0 picks host
// or client station, the rest is the record.
#include "StateFuzzWorld.h"

#include "net/GameRecordChannel.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    StateFuzzWorld world(data[0] & 1);
    const std::span<const uint8_t> record(data + 1, size - 1);
    const CommandOutcome outcome = ReceiveGameRecord(record);
    // A record this station cannot read is passed on only whole: its header must be there.
    if (outcome != CommandOutcome::Drop && record.size() < 8) std::abort();
    return 0;
}
