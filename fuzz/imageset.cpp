#include "engine/ResourceStoreFormats.h"
#include "engine/StoreImage.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint16_t palette[256];
    for (int i = 0; i < 256; ++i)
        palette[i] = uint16_t(i * 257);
    for (int i = 0; i < 8; ++i) {
        StoreImage* image = DecodeIndexedImage({data, size}, i, 8, palette);
        if (image && image->pixels.size() != size_t(image->width) * image->height) __builtin_trap();
        delete image;
    }
    return 0;
}
