#include "engine/PictureReaders.h"
#include "platform/Surface.h"

#include <cstddef>
#include <cstdint>

// The surfaces are memory surfaces with padded rows, as the display makes them.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int32_t width = 0, height = 0;
    platform::Surface* s = DecodeRawPicture(
        std::span<const uint8_t>(data, size), 565,
        [](int w, int h) {
            return new platform::Surface(w, h, platform::kLayout565, w * 2 + 16,
                                         platform::DDSCAPS_OFFSCREENPLAIN);
        },
        &width, &height);
    if (s) {
        if (s->width() != width || s->height() != height) __builtin_trap();
        s->Release();
    }
    return 0;
}
