#include "engine/PictureReaders.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto image = DecodePsdPicture(std::span<const uint8_t>(data, size));
    if (image && image->pixels.size() != static_cast<size_t>(image->width) * image->height) __builtin_trap();
    return 0;
}
