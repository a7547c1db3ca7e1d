// Feeds arbitrary bytes to the stage's event file reader and writes back what it took.
#include "engine/ByteReader.h"
#include "engine/LinkList.h"
#include "events/EventFile.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LinkList events;
    if (ReadEventFile(std::span<const uint8_t>(data, size), events)) {
        ByteWriter out;
        WriteEventFile(events, out);
    }
    DeleteEvents(events);
    return 0;
}
