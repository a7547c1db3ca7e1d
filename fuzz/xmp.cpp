#include "engine/PictureReaders.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::span<const uint8_t> bytes(data, size);
    auto image = DecodeXmpPicture(bytes, 565);
    if (image && image->pixels.size() != static_cast<size_t>(image->width) * image->height) __builtin_trap();
    DecodeXmpPicture(bytes, 555);
    return 0;
}
