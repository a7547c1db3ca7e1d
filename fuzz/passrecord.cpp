// Feeds arbitrary bytes to the campaign pass file reader.
#include "records/PassRecordTable.h"
#include "stagefiles/PassRecordFile.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PassRecordTable table;
    ReadPassRecordBytes(std::span<const uint8_t>(data, size), table);
    return 0;
}
