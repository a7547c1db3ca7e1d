#include "engine/ResourceStoreFormats.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (SpriteFrame* f : DecodeSpriteFrames({data, size}, 800)) {
        if (f) {
            volatile uint8_t last = f->pixels[size_t(f->width) * f->height - 1];
            (void)last;
        }
        FreeSpriteFrame(f);
    }
    return 0;
}
