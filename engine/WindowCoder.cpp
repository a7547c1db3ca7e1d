// The sliding-window coder of Zu_LzwCodec: a 512-byte ring of the bytes already produced. After a
// 32-bit unpacked size, each item is a flag bit, then either an 8-bit literal (flag 0) or a 9-bit ring
// position and a 3-bit length of 1 to 7 bytes (flag 1).
#include "engine/LzwCodec.h"

#include <algorithm>

namespace {

constexpr size_t kRing = 512;
constexpr size_t kMaxMatch = 7;
constexpr size_t kSizeField = 4;

} // namespace

std::optional<Zu_LzwCodec::Buffer> Zu_LzwCodec::PackWindow(const uint8_t* data, size_t length) {
    if (!data || length < 1 || length > kMaxUnpackedSize) return std::nullopt;
    // Worst case: every byte a 9-bit literal.
    BeginWrite(length + length / 8 + 2);
    size_t i = 0;
    while (i < length) {
        size_t bestLen = 0, bestDist = 0;
        const size_t maxDist = i < kRing - 1 ? i : kRing - 1;
        for (size_t d = 1; d <= maxDist; ++d) {
            size_t l = 0;
            while (l < kMaxMatch && i + l < length && data[i - d + l] == data[i + l])
                ++l;
            if (l > bestLen) {
                bestLen = l;
                bestDist = d;
                if (l == kMaxMatch) break;
            }
        }
        // A match costs 13 bits, a literal 9: only two bytes or more are worth a match.
        if (bestLen >= 2) {
            WriteBits(1, 1);
            WriteBits(9, static_cast<uint32_t>((i - bestDist) % kRing));
            WriteBits(3, static_cast<uint32_t>(bestLen));
            i += bestLen;
        } else {
            WriteBits(1, 0);
            WriteBits(8, data[i]);
            ++i;
        }
    }
    Buffer bits = TakeOutput();
    Buffer out(kSizeField + bits.size());
    for (size_t k = 0; k < kSizeField; ++k)
        out[k] = static_cast<uint8_t>(length >> (8 * k));
    std::copy(bits.begin(), bits.end(), out.begin() + kSizeField);
    return out;
}

std::optional<Zu_LzwCodec::Buffer> Zu_LzwCodec::UnpackWindow(const uint8_t* block, size_t available) {
    if (!block || available < kSizeField) return std::nullopt;
    const uint32_t unpacked = static_cast<uint32_t>(block[0]) | (static_cast<uint32_t>(block[1]) << 8) |
                              (static_cast<uint32_t>(block[2]) << 16) |
                              (static_cast<uint32_t>(block[3]) << 24);
    if (unpacked < 1 || unpacked > kMaxUnpackedSize) return std::nullopt;
    uint8_t ring[kRing] = {};
    Buffer out(unpacked);
    size_t w = 0;
    BeginRead(block + kSizeField, available - kSizeField);
    while (w < unpacked) {
        const int flag = ReadBits(1);
        if (flag < 0) break;
        if (flag == 0) {
            const int literal = ReadBits(8);
            if (literal < 0) break;
            ring[w % kRing] = static_cast<uint8_t>(literal);
            out[w++] = static_cast<uint8_t>(literal);
            continue;
        }
        const int pos = ReadBits(9);
        const int len = ReadBits(3);
        if (pos < 0 || len < 1 || static_cast<size_t>(len) > unpacked - w) break;
        for (int k = 0; k < len; ++k) {
            const uint8_t b = ring[(static_cast<size_t>(pos) + static_cast<size_t>(k)) % kRing];
            ring[w % kRing] = b;
            out[w++] = b;
        }
    }
    input = nullptr;
    if (w != unpacked) return std::nullopt;
    return out;
}
