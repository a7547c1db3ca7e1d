// Packed archive blocks: the lh5 decoder and the stored method on arbitrary bytes.
#include "engine/Lh5.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Lh5::PackedHeader header;
    const auto out = Lh5::Unpack(data, size);
    if (out && (!Lh5::ReadPackedHeader(data, size, header) || out->size() != header.unpackedSize))
        std::abort();
    return 0;
}
