// Run-length blocks from a file: unpack whatever arrives, and pack-unpack the raw bytes back.
#include "engine/RunLength.h"

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Huge claimed sizes only slow the search down; their refusal past the cap is tested elsewhere.
    if (size < 4 || (data[2] | data[3]) == 0) {
        const auto out = Zu_LzwCodec::UnpackRle(data, size);
        if (out && out->empty()) std::abort();
    }
    if (const auto packed = Zu_LzwCodec::PackRle(data, size)) {
        const auto back = Zu_LzwCodec::UnpackRle(packed->data(), packed->size());
        if (!back || back->size() != size || !std::equal(back->begin(), back->end(), data)) std::abort();
    }
    return 0;
}
