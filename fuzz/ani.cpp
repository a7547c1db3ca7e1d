#include "engine/AniFrame.h"
#include "engine/PixelFormat.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::span<const uint8_t> bytes(data, size);
    PixelFormat = size % 2 ? 555 : 565;
    for (int n : {0, 1, 2}) {
        AniFrame* f = DecodeAniFrame(bytes, n);
        if (f) {
            uint16_t area[16 * 16] = {};
            DrawAniFrameBits(f, int(size % 7) - 3, int(size % 5) - 2, area, 32, 16, 16, n != 1);
        }
        FreeAniFrame(f);
    }
    return 0;
}
