#include "engine/Lh5.h"

#include <cstring>
#include <memory>
#include <new>

namespace Lh5 {
namespace {

constexpr int kBitBufSize = 16;
constexpr int kNpt = NT > NP ? NT : NP;
constexpr int kCTableBits = 12;
constexpr int kPtTableBits = 8;

uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// A Huffman table with a direct lookup of `bits` bits and a tree for the longer codes. Nodes are
// numbered from the symbol count up, as the lh5 format's reference decoder does.
template <int N, int Bits>
struct HuffTable {
    uint8_t len[N] = {};
    uint16_t table[1 << Bits] = {};
    uint16_t left[2 * N] = {};
    uint16_t right[2 * N] = {};

    void fill(uint16_t symbol) {
        std::memset(len, 0, sizeof len);
        for (auto& t : table)
            t = symbol;
    }

    // Builds the lookup from the code lengths of the first n symbols; false unless they form one
    // complete prefix code.
    bool build(int n) {
        uint32_t count[17] = {}, start[18] = {}, weight[17] = {};
        for (int i = 0; i < n; ++i) {
            if (len[i] > 16) return false;
            count[len[i]]++;
        }
        for (int i = 1; i <= 16; ++i)
            start[i + 1] = start[i] + (count[i] << (16 - i));
        if (start[17] != (1u << 16)) return false;

        const int jut = 16 - Bits;
        for (int i = 1; i <= Bits; ++i) {
            start[i] >>= jut;
            weight[i] = 1u << (Bits - i);
        }
        for (int i = Bits + 1; i <= 16; ++i)
            weight[i] = 1u << (16 - i);
        for (uint32_t i = start[Bits + 1] >> jut; i < (1u << Bits); ++i)
            table[i] = 0;

        uint32_t avail = static_cast<uint32_t>(n);
        const uint32_t mask = 1u << (15 - Bits);
        for (int ch = 0; ch < n; ++ch) {
            const int l = len[ch];
            if (l == 0) continue;
            const uint32_t next = start[l] + weight[l];
            if (l <= Bits) {
                if (next > (1u << Bits)) return false;
                for (uint32_t i = start[l]; i < next; ++i)
                    table[i] = static_cast<uint16_t>(ch);
            } else {
                uint32_t k = start[l];
                if ((k >> jut) >= (1u << Bits)) return false;
                uint16_t* p = &table[k >> jut];
                for (int i = l - Bits; i != 0; --i) {
                    if (*p == 0) {
                        if (avail >= 2 * static_cast<uint32_t>(n)) return false;
                        right[avail] = left[avail] = 0;
                        *p = static_cast<uint16_t>(avail++);
                    }
                    if (*p < n) return false; // a shorter code is a prefix of this one
                    p = (k & mask) ? &right[*p] : &left[*p];
                    k <<= 1;
                }
                *p = static_cast<uint16_t>(ch);
            }
            start[l] = next;
        }
        return true;
    }
};

class Decoder {
public:
    Decoder(const uint8_t* data, size_t length) : in_(data), inLeft_(length) { fillBuf(kBitBufSize); }

    bool run(uint8_t* out, size_t size) {
        size_t r = 0;
        while (r < size) {
            int c;
            if (!decodeC(c)) return false;
            if (c <= 255) {
                out[r++] = static_cast<uint8_t>(c);
                continue;
            }
            size_t n = static_cast<size_t>(c - (256 - THRESHOLD));
            int p;
            if (!decodeP(p)) return false;
            const size_t distance = static_cast<size_t>(p) + 1;
            if (distance > r) return false; // reaches before the start of the output
            if (n > size - r) n = size - r;
            const uint8_t* src = out + r - distance;
            for (size_t k = 0; k < n; ++k) // byte by byte: source and target may overlap
                out[r + k] = src[k];
            r += n;
        }
        return true;
    }

private:
    // Shifts n bits out of the 16-bit buffer and refills it; zero bytes follow the coded data.
    void fillBuf(int n) {
        bitBuf_ = static_cast<uint16_t>(bitBuf_ << n);
        while (n > bitCount_) {
            n -= bitCount_;
            bitBuf_ = static_cast<uint16_t>(bitBuf_ | (subBitBuf_ << n));
            if (inLeft_ != 0) {
                --inLeft_;
                subBitBuf_ = *in_++;
            } else {
                subBitBuf_ = 0;
            }
            bitCount_ = 8;
        }
        bitCount_ -= n;
        bitBuf_ = static_cast<uint16_t>(bitBuf_ | (subBitBuf_ >> bitCount_));
    }

    int getBits(int n) {
        if (n == 0) return 0;
        const int x = bitBuf_ >> (kBitBufSize - n);
        fillBuf(n);
        return x;
    }

    template <int N>
    bool readPtLen(HuffTable<N, kPtTableBits>& t, int nn, int nbit, int special) {
        const int n = getBits(nbit);
        if (n == 0) {
            const int c = getBits(nbit);
            if (c >= nn) return false;
            t.fill(static_cast<uint16_t>(c));
            return true;
        }
        if (n > nn) return false;
        int i = 0;
        std::memset(t.len, 0, sizeof t.len);
        while (i < n) {
            int c = bitBuf_ >> (kBitBufSize - 3);
            if (c == 7) {
                uint32_t mask = 1u << (kBitBufSize - 1 - 3);
                while (mask & bitBuf_) {
                    mask >>= 1;
                    ++c;
                }
                if (c > 16) return false;
            }
            fillBuf(c < 7 ? 3 : c - 3);
            t.len[i++] = static_cast<uint8_t>(c);
            if (i == special) {
                int zeros = getBits(2);
                if (i + zeros > nn) return false;
                while (--zeros >= 0)
                    t.len[i++] = 0;
            }
        }
        return t.build(nn);
    }

    bool readCLen() {
        const int n = getBits(CBIT);
        if (n == 0) {
            const int c = getBits(CBIT);
            if (c >= NC) return false;
            c_.fill(static_cast<uint16_t>(c));
            return true;
        }
        if (n > NC) return false;
        std::memset(c_.len, 0, sizeof c_.len);
        int i = 0;
        while (i < n) {
            int c;
            if (!walk(t_, NT, kPtTableBits, c)) return false;
            fillBuf(t_.len[c]);
            if (c <= 2) {
                int zeros = c == 0 ? 1 : c == 1 ? getBits(4) + 3 : getBits(CBIT) + 20;
                if (i + zeros > NC) return false;
                while (--zeros >= 0)
                    c_.len[i++] = 0;
            } else {
                c_.len[i++] = static_cast<uint8_t>(c - 2);
            }
        }
        return c_.build(NC);
    }

    // Looks a symbol up through the direct table and, for long codes, the tree.
    template <typename Table>
    bool walk(const Table& t, int n, int bits, int& out) const {
        uint32_t j = t.table[bitBuf_ >> (kBitBufSize - bits)];
        uint32_t mask = 1u << (kBitBufSize - 1 - bits);
        for (int depth = 0; j >= static_cast<uint32_t>(n); ++depth) {
            if (depth >= 16 || j >= 2 * static_cast<uint32_t>(n)) return false;
            j = (bitBuf_ & mask) ? t.right[j] : t.left[j];
            mask >>= 1;
        }
        out = static_cast<int>(j);
        return true;
    }

    bool decodeC(int& c) {
        if (blockSize_ == 0) {
            blockSize_ = static_cast<uint16_t>(getBits(16));
            if (!readPtLen(t_, NT, TBIT, 3) || !readCLen() || !readPtLen(p_, NP, PBIT, -1)) return false;
        }
        --blockSize_;
        if (!walk(c_, NC, kCTableBits, c)) return false;
        fillBuf(c_.len[c]);
        return true;
    }

    bool decodeP(int& p) {
        int j;
        if (!walk(p_, NP, kPtTableBits, j)) return false;
        fillBuf(p_.len[j]);
        if (j != 0) j = (1 << (j - 1)) + getBits(j - 1);
        p = j;
        return true;
    }

    const uint8_t* in_;
    size_t inLeft_;
    uint16_t bitBuf_ = 0;
    uint32_t subBitBuf_ = 0;
    int bitCount_ = 0;
    uint16_t blockSize_ = 0;
    HuffTable<NC, kCTableBits> c_;
    HuffTable<kNpt, kPtTableBits> t_;
    HuffTable<kNpt, kPtTableBits> p_;
};

} // namespace

bool ReadPackedHeader(const uint8_t* block, size_t available, PackedHeader& out) {
    if (!block || available < kHeaderSize) return false;
    out.codedLength = ReadU32(block);
    out.unpackedSize = ReadU32(block + 4);
    out.method = ReadU32(block + 8);
    return true;
}

bool Plausible(const PackedHeader& header, size_t available) {
    if (available < kHeaderSize || header.unpackedSize > kMaxUnpackedSize) return false;
    return header.method != 0 || header.unpackedSize <= available - kHeaderSize;
}

std::optional<std::vector<uint8_t>> Unpack(const uint8_t* block, size_t available) {
    PackedHeader h;
    if (!ReadPackedHeader(block, available, h) || !Plausible(h, available)) return std::nullopt;
    const uint8_t* data = block + kHeaderSize;
    const size_t have = available - kHeaderSize;

    std::vector<uint8_t> out;
    try {
        out.resize(h.unpackedSize);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    if (h.method == 0) {
        if (h.unpackedSize) std::memcpy(out.data(), data, h.unpackedSize);
        return out;
    }
    if (h.unpackedSize == 0) return out;
    // The decoder's tables are large; keep them off the stack.
    auto decoder = std::make_unique<Decoder>(data, h.codedLength < have ? h.codedLength : have);
    if (!decoder->run(out.data(), out.size())) return std::nullopt;
    return out;
}

} // namespace Lh5
