// Feeds arbitrary bytes to the reader of the history text as the stage's history events.
#include "engine/LinkList.h"
#include "events/EventFile.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LinkList events;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ReadHistoryText(text, events, [](int32_t id) { return id % 2 == 0; });
    DeleteEvents(events);
    return 0;
}
