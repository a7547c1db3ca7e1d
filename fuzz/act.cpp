#include "engine/ResourceStoreFormats.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (SpriteAction& a : DecodeSpriteActions({data, size}, 150)) {
        if (a.stepCount < 0) __builtin_trap();
        for (int i = 0; i < a.stepCount; ++i) {
            volatile uint16_t frame = a.steps[i].frame;
            (void)frame;
        }
        FreeSpriteActionSteps(a);
    }
    return 0;
}
