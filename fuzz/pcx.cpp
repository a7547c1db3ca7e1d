#include "engine/PcxFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto pic = DecodePcx({data, size});
    if (!pic.empty()) {
        const size_t w = size_t(pic[0] | pic[1] << 8) + 1, h = size_t(pic[2] | pic[3] << 8) + 1;
        if (pic.size() != 4 + w * h) __builtin_trap();
    }
    return 0;
}
