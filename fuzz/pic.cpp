#include "engine/ResourceStoreFormats.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (int n : {0, 1, 5}) {
        PortraitImage* p = DecodePortrait({data, size}, n);
        if (p) {
            volatile uint16_t last = p->pixels[size_t(p->width) * p->height - 1];
            (void)last;
        }
        FreePortraitImage(p);
    }
    return 0;
}
