// Feeds arbitrary bytes to the talk file reader as one talk table.
#include "stagefiles/TalkTexts.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint8_t* texts[TalkTable::kEntries] = {};
    int32_t numbers[TalkTable::kEntries] = {};
    const TalkTable table{texts, numbers};
    ReadTalkFile({data, size}, table);
    ClearTalkTable(table);
    return 0;
}
