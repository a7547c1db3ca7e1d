#include "engine/ResourceStoreFormats.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto lines = DecodeHelpLines({data, size}, 77);
    if (lines.size() > 77) __builtin_trap();
    for (const auto& line : lines)
        if (line.size() > 126) __builtin_trap();
    return 0;
}
