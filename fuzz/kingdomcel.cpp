#include "engine/ResourceStoreFormats.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    KingdomCells cells;
    DecodeKingdomCells({data, size}, 12000, cells);
    for (const auto& s : cells.sprites)
        if (s.present && s.pixels.size() != size_t(s.head.width) * s.head.height) __builtin_trap();
    return 0;
}
