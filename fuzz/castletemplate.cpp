// Feeds arbitrary bytes to the castle template reader: a u32 length, the template stage of that
// length, then the door file.
#include "world/CastleTemplate.h"
#include "engine/ByteReader.h"
#include "records/City.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteReader in(data, size);
    const uint32_t length = in.u32();
    if (!in.ok() || length > in.remaining()) return 0;
    const std::span<const uint8_t> stage(data + 4, length);
    const std::span<const uint8_t> door(data + 4 + length, size - 4 - length);
    CastleTemplate t;
    t.Parse(stage, &door);
    for (int i = 0; i < t.CityCount(); ++i)
        (void)t.CityAt(i)->Kind();
    return 0;
}
