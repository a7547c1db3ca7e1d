// Packed archive blocks: the lh5 decoder and the stored method on arbitrary bytes.
#include "engine/Lh5.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Lh5::PackedHeader header;
    // Huge claimed sizes only slow the search down; their refusal past the cap is tested elsewhere.
    if (Lh5::ReadPackedHeader(data, size, header) && header.unpackedSize > (1u << 16)) return 0;
    const auto out = Lh5::Unpack(data, size);
    if (out && (!Lh5::ReadPackedHeader(data, size, header) || out->size() != header.unpackedSize))
        std::abort();
    return 0;
}
