#include "engine/AniFrame.h"
#include "engine/EffectAnimationCache.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const EffectAnimationRow row{"fuzz.ani", nullptr, 1, 1};
    EffectAnimation* a = DecodeEffectAnimation({data, size}, row);
    int n = 0;
    for (AniFrameCell* c = a->frames; c; c = c->next)
        ++n;
    if (n != a->frameCount) __builtin_trap();
    FreeEffectAnimation(a);
    return 0;
}
