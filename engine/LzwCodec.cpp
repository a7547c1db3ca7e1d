#include "engine/LzwCodec.h"

#include <algorithm>
#include <new>
#include <unordered_map>

namespace {

constexpr int kCodeBits = 11;
constexpr int kMaxCodes = 1 << kCodeBits; // 2048
constexpr int kMaxString = 7;
constexpr size_t kBlockHeader = 8;

uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void PutU32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

} // namespace

Zu_LzwCodec::Zu_LzwCodec() {
    Reset();
}

Zu_LzwCodec::~Zu_LzwCodec() {
    Reset();
}

void Zu_LzwCodec::Reset() {
    readPos = -1;
    writePos = -1;
    inputLength = 0;
    outputCapacity = 0;
    input = nullptr;
    output.clear();
    output.shrink_to_fit();
    bitsLeft = 0;
    bitsUsed = 8;
}

void Zu_LzwCodec::BeginRead(const uint8_t* data, size_t length) {
    input = data;
    inputLength = data ? length : 0;
    readPos = -1;
    bitsLeft = 0;
}

int Zu_LzwCodec::ReadBits(int n) {
    if (n < 0 || n > 24) return -1;
    int value = 0;
    for (int i = 0; i < n; ++i) {
        if (bitsLeft == 0) {
            if (static_cast<size_t>(readPos + 1) >= inputLength) return -1;
            ++readPos;
            bitsLeft = 8;
        }
        --bitsLeft;
        value = (value << 1) | ((input[readPos] >> bitsLeft) & 1);
    }
    return value;
}

void Zu_LzwCodec::BeginWrite(size_t capacity) {
    output.assign(capacity, 0);
    outputCapacity = capacity;
    writePos = -1;
    bitsUsed = 8;
}

bool Zu_LzwCodec::WriteBits(int n, uint32_t value) {
    for (int i = n - 1; i >= 0; --i) {
        if (bitsUsed == 8) {
            if (static_cast<size_t>(writePos + 1) >= outputCapacity) return false;
            ++writePos;
            output[writePos] = 0;
            bitsUsed = 0;
        }
        if ((value >> i) & 1) output[writePos] = static_cast<uint8_t>(output[writePos] | (0x80 >> bitsUsed));
        ++bitsUsed;
    }
    return true;
}

Zu_LzwCodec::Buffer Zu_LzwCodec::TakeOutput() {
    Buffer out = std::move(output);
    out.resize(WrittenBytes());
    Reset();
    return out;
}

std::optional<Zu_LzwCodec::Buffer> Zu_LzwCodec::PackLzw(const uint8_t* data, size_t length) {
    if (!data || length < 1 || length > kMaxUnpackedSize) return std::nullopt;
    // Dictionary strings are (prefix code, last byte) pairs; codes below 256 are the single bytes.
    std::unordered_map<uint32_t, uint16_t> known;
    std::vector<uint8_t> lengthOf(kMaxCodes, 1);
    int nextCode = 256;
    // Packing pays only when the bits fit in fewer bytes than the input.
    BeginWrite(length - 1 > kBlockHeader ? length - 1 - kBlockHeader : 0);
    size_t i = 0;
    while (i < length) {
        int code = data[i];
        int len = 1;
        while (len < kMaxString + 1 && i + len < length) {
            auto it = known.find(static_cast<uint32_t>(code) << 8 | data[i + len]);
            if (it == known.end()) break;
            code = it->second;
            ++len;
        }
        if (!WriteBits(kCodeBits, static_cast<uint32_t>(code))) {
            Reset();
            return std::nullopt;
        }
        if (i + len < length && nextCode < kMaxCodes && lengthOf[code] < kMaxString) {
            known.emplace(static_cast<uint32_t>(code) << 8 | data[i + len], static_cast<uint16_t>(nextCode));
            lengthOf[nextCode++] = static_cast<uint8_t>(lengthOf[code] + 1);
        }
        i += static_cast<size_t>(len);
    }
    Buffer bits = TakeOutput();
    Buffer block(kBlockHeader + bits.size());
    PutU32(block, 0, static_cast<uint32_t>(length));
    PutU32(block, 4, static_cast<uint32_t>(bits.size()));
    std::copy(bits.begin(), bits.end(), block.begin() + kBlockHeader);
    return block;
}

std::optional<Zu_LzwCodec::Buffer> Zu_LzwCodec::UnpackLzw(const uint8_t* block, size_t available) {
    if (!block || available < kBlockHeader) return std::nullopt;
    const uint32_t unpacked = ReadU32(block);
    const uint32_t packed = ReadU32(block + 4);
    if (unpacked < 1 || unpacked > kMaxUnpackedSize || packed > available - kBlockHeader) return std::nullopt;

    struct Entry {
        uint16_t prefix;
        uint8_t last;
        uint8_t length;
        uint8_t first;
    };
    std::vector<Entry> dict(kMaxCodes);
    for (int c = 0; c < 256; ++c)
        dict[c] = {0, static_cast<uint8_t>(c), 1, static_cast<uint8_t>(c)};
    int nextCode = 256;

    Buffer out(unpacked);
    size_t w = 0;
    BeginRead(block + kBlockHeader, packed);
    int prev = -1;
    while (w < unpacked) {
        const int code = ReadBits(kCodeBits);
        if (code < 0) break;
        const bool adding = prev >= 0 && nextCode < kMaxCodes && dict[prev].length < kMaxString;
        if (code > nextCode || (code == nextCode && !adding)) break;
        if (adding) {
            // The new string is the previous one plus the first byte of this one; for a code that
            // is being defined right now, that byte is the previous string's first.
            const uint8_t first = code == nextCode ? dict[prev].first : dict[code].first;
            dict[nextCode] = {static_cast<uint16_t>(prev), first, static_cast<uint8_t>(dict[prev].length + 1),
                              dict[prev].first};
            ++nextCode;
        }
        const Entry& e = dict[code];
        if (e.length > unpacked - w) break;
        int c = code;
        for (int k = e.length - 1; k >= 0; --k) {
            out[w + static_cast<size_t>(k)] = dict[c].last;
            c = dict[c].prefix;
        }
        w += e.length;
        prev = code;
    }
    input = nullptr;
    if (w != unpacked) return std::nullopt;
    return out;
}
