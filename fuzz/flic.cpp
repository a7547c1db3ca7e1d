#include "engine/FlicPlayer.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FlicPlayer flic;
    if (!flic.Open({data, size})) return 0;
    for (int i = 0; i < 4 && flic.NextFrame(); ++i) {
        flic.SaveFrame();
        flic.RestoreFrame();
    }
    return 0;
}
