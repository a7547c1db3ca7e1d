#include "engine/RunLength.h"

#include <algorithm>
#include <new>

namespace {

uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void WriteU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

} // namespace

std::optional<Zu_LzwCodec::Buffer> Zu_LzwCodec::UnpackRle(const uint8_t* block, size_t available) {
    using namespace RunLength;
    if (!block || available < kHeaderSize) return std::nullopt;
    const uint32_t unpacked = ReadU32(block);
    const uint32_t packed = ReadU32(block + 4);
    if (unpacked < 1 || packed < 1) return std::nullopt;
    if (unpacked > kMaxUnpackedSize || packed > available - kHeaderSize) return std::nullopt;

    Buffer out;
    try {
        // Codes that end early leave a zero tail rather than stale memory.
        out.assign(unpacked, 0);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    const uint8_t* codes = block + kHeaderSize;
    size_t w = 0;
    for (size_t r = 0; r < packed;) {
        const uint8_t code = codes[r++];
        if ((code & kRunMask) == kRunMask) {
            if (r >= packed) break; // a run code without its byte ends the codes
            const uint8_t value = codes[r++];
            const size_t count = code & 0x3F;
            if (count > unpacked - w) return std::nullopt;
            for (size_t k = 0; k < count; ++k)
                out[w++] = value;
        } else {
            if (w >= unpacked) return std::nullopt;
            out[w++] = code;
        }
    }
    return out;
}

std::optional<Zu_LzwCodec::Buffer> Zu_LzwCodec::PackRle(const uint8_t* data, size_t length) {
    using namespace RunLength;
    if (!data || length < 1 || length > 0xFFFFFFFFu) return std::nullopt;
    Buffer work;
    try {
        work.resize(length);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    size_t n = 0;
    auto emit = [&](uint8_t b) {
        if (n >= length) return false; // longer than the input: not worth packing
        work[n++] = b;
        return true;
    };
    for (size_t i = 0; i < length;) {
        // Count equal neighbouring pairs; the last two input bytes never start a run.
        int r = 0;
        for (size_t k = 0; i + k + 2 < length && r < kMaxRun && data[i + k] == data[i + k + 1]; ++k)
            ++r;
        if (r > 0) {
            if (!emit(static_cast<uint8_t>(kRunMask | r)) || !emit(data[i])) return std::nullopt;
            i += static_cast<size_t>(r);
        } else {
            if ((data[i] & kRunMask) == kRunMask && !emit(0xC1)) return std::nullopt;
            if (!emit(data[i])) return std::nullopt;
            ++i;
        }
    }
    Buffer block(kHeaderSize + n);
    WriteU32(block.data(), static_cast<uint32_t>(length));
    WriteU32(block.data() + 4, static_cast<uint32_t>(n));
    std::copy(work.begin(), work.begin() + static_cast<ptrdiff_t>(n), block.begin() + kHeaderSize);
    return block;
}
