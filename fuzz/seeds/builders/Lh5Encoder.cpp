#include "fuzz/seeds/builders/Lh5Encoder.h"

#include <algorithm>
#include <queue>
#include <string>

namespace lh5enc {
namespace {

constexpr int NC = 510, NP = 14, NT = 19, CBIT = 9, PBIT = 4, TBIT = 5;
constexpr size_t kWindow = 8192, kMaxMatch = 256, kMinMatch = 3;
constexpr int kMaxLen = 16;

struct Token {
    uint16_t c; // literal byte, or match length + 253
    uint16_t p; // distance - 1 for a match
};

int BitLength(uint32_t v) {
    int n = 0;
    while (v) {
        v >>= 1;
        ++n;
    }
    return n;
}

// Code lengths of a Huffman code limited to 16 bits. One used symbol gets length 0 (the format then
// writes it as a table of a single symbol); returns the number of used symbols.
int HuffLengths(std::vector<uint32_t> freq, std::vector<uint8_t>& len) {
    const int n = static_cast<int>(freq.size());
    len.assign(n, 0);
    int used = 0;
    for (auto f : freq)
        used += f != 0;
    if (used < 2) return used;
    for (;;) {
        std::vector<int> parent(2 * n, -1);
        using Node = std::pair<uint64_t, int>;
        std::priority_queue<Node, std::vector<Node>, std::greater<Node>> heap;
        for (int i = 0; i < n; ++i)
            if (freq[i]) heap.push({freq[i], i});
        int next = n;
        while (heap.size() > 1) {
            auto a = heap.top();
            heap.pop();
            auto b = heap.top();
            heap.pop();
            parent[a.second] = parent[b.second] = next;
            heap.push({a.first + b.first, next++});
        }
        int longest = 0;
        for (int i = 0; i < n; ++i) {
            if (!freq[i]) continue;
            int d = 0;
            for (int j = i; parent[j] >= 0; j = parent[j])
                ++d;
            len[i] = static_cast<uint8_t>(d);
            longest = std::max(longest, d);
        }
        if (longest <= kMaxLen) return used;
        for (auto& f : freq)
            if (f) f = (f + 1) / 2;
    }
}

std::vector<uint16_t> Codes(const std::vector<uint8_t>& len) {
    uint32_t count[18] = {}, start[18] = {};
    for (auto l : len)
        count[l]++;
    for (int i = 1; i <= 16; ++i)
        start[i + 1] = (start[i] + count[i]) << 1;
    std::vector<uint16_t> code(len.size());
    for (size_t i = 0; i < len.size(); ++i)
        if (len[i]) code[i] = static_cast<uint16_t>(start[len[i]]++);
    return code;
}

int Only(const std::vector<uint32_t>& freq) {
    for (size_t i = 0; i < freq.size(); ++i)
        if (freq[i]) return static_cast<int>(i);
    return 0;
}

void WritePtLen(BitWriter& bw, const std::vector<uint8_t>& len, int nbit, int special) {
    int n = static_cast<int>(len.size());
    while (n > 0 && len[n - 1] == 0)
        --n;
    bw.put(nbit, static_cast<uint32_t>(n));
    int i = 0;
    while (i < n) {
        const int k = len[i++];
        if (k <= 6)
            bw.put(3, static_cast<uint32_t>(k));
        else
            bw.put(k - 3, (1u << (k - 3)) - 2);
        if (i == special) {
            while (i < 6 && len[i] == 0)
                ++i;
            bw.put(2, static_cast<uint32_t>((i - 3) & 3));
        }
    }
}

void SendBlock(BitWriter& bw, const std::vector<Token>& tokens) {
    std::vector<uint32_t> cFreq(NC), pFreq(NP);
    for (const auto& t : tokens) {
        cFreq[t.c]++;
        if (t.c > 255) pFreq[BitLength(t.p)]++;
    }
    std::vector<uint8_t> cLen, pLen, tLen;
    const int cUsed = HuffLengths(cFreq, cLen);
    const auto cCode = Codes(cLen);
    bw.put(16, static_cast<uint32_t>(tokens.size()));
    if (cUsed >= 2) {
        int n = NC;
        while (n > 0 && cLen[n - 1] == 0)
            --n;
        // Code lengths are themselves coded: 0 one zero, 1 a run of 3..18, 2 a run of 20..531.
        struct Item {
            int sym, extraBits;
            uint32_t extra;
        };
        std::vector<Item> items;
        for (int i = 0; i < n;) {
            const int k = cLen[i++];
            if (k != 0) {
                items.push_back({k + 2, 0, 0});
                continue;
            }
            int count = 1;
            while (i < n && cLen[i] == 0) {
                ++i;
                ++count;
            }
            if (count <= 2) {
                for (int j = 0; j < count; ++j)
                    items.push_back({0, 0, 0});
            } else if (count <= 18) {
                items.push_back({1, 4, static_cast<uint32_t>(count - 3)});
            } else if (count == 19) {
                items.push_back({0, 0, 0});
                items.push_back({1, 4, 15});
            } else {
                items.push_back({2, CBIT, static_cast<uint32_t>(count - 20)});
            }
        }
        std::vector<uint32_t> tFreq(NT);
        for (const auto& it : items)
            tFreq[it.sym]++;
        if (HuffLengths(tFreq, tLen) >= 2) {
            WritePtLen(bw, tLen, TBIT, 3);
        } else {
            bw.put(TBIT, 0);
            bw.put(TBIT, static_cast<uint32_t>(Only(tFreq)));
        }
        const auto tCode = Codes(tLen);
        bw.put(CBIT, static_cast<uint32_t>(n));
        for (const auto& it : items) {
            bw.put(tLen[it.sym], tCode[it.sym]);
            if (it.extraBits) bw.put(it.extraBits, it.extra);
        }
    } else {
        bw.put(TBIT, 0);
        bw.put(TBIT, 0);
        bw.put(CBIT, 0);
        bw.put(CBIT, static_cast<uint32_t>(Only(cFreq)));
    }
    if (HuffLengths(pFreq, pLen) >= 2) {
        WritePtLen(bw, pLen, PBIT, -1);
    } else {
        bw.put(PBIT, 0);
        bw.put(PBIT, static_cast<uint32_t>(Only(pFreq)));
    }
    const auto pCode = Codes(pLen);
    for (const auto& t : tokens) {
        bw.put(cLen[t.c], cCode[t.c]);
        if (t.c <= 255) continue;
        const int c = BitLength(t.p);
        bw.put(pLen[c], pCode[c]);
        if (c > 1) bw.put(c - 1, t.p & (0xFFFFu >> (17 - c)));
    }
}

std::vector<Token> Tokenize(const uint8_t* data, size_t size, bool matches) {
    std::vector<Token> tokens;
    constexpr size_t kHash = 1 << 15;
    std::vector<int64_t> head(kHash, -1), prev(size, -1);
    auto hash = [&](size_t i) {
        return ((static_cast<size_t>(data[i]) << 10) ^ (static_cast<size_t>(data[i + 1]) << 5) ^
                data[i + 2]) &
               (kHash - 1);
    };
    auto insert = [&](size_t i) {
        if (i + 2 >= size) return;
        const size_t h = hash(i);
        prev[i] = head[h];
        head[h] = static_cast<int64_t>(i);
    };
    size_t i = 0;
    while (i < size) {
        size_t bestLen = 0, bestDist = 0;
        if (matches && i + 2 < size) {
            int chain = 256;
            for (int64_t j = head[hash(i)]; j >= 0 && chain-- > 0; j = prev[j]) {
                const size_t dist = i - static_cast<size_t>(j);
                if (dist > kWindow) break;
                size_t l = 0;
                while (l < kMaxMatch && i + l < size && data[j + l] == data[i + l])
                    ++l;
                if (l > bestLen) {
                    bestLen = l;
                    bestDist = dist;
                    if (l == kMaxMatch) break;
                }
            }
        }
        if (bestLen >= kMinMatch) {
            tokens.push_back({static_cast<uint16_t>(bestLen + 253), static_cast<uint16_t>(bestDist - 1)});
            for (size_t k = 0; k < bestLen; ++k)
                insert(i + k);
            i += bestLen;
        } else {
            tokens.push_back({data[i], 0});
            insert(i);
            ++i;
        }
    }
    return tokens;
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

} // namespace

void BitWriter::put(int n, uint32_t value) {
    for (int i = n - 1; i >= 0; --i) {
        acc_ = (acc_ << 1) | ((value >> i) & 1);
        if (++count_ == 8) {
            out_.push_back(static_cast<uint8_t>(acc_));
            acc_ = 0;
            count_ = 0;
        }
    }
}

std::vector<uint8_t> BitWriter::finish() {
    if (count_) put(8 - count_, 0);
    return std::move(out_);
}

std::vector<uint8_t> Encode(const uint8_t* data, size_t size, const Options& options) {
    const auto tokens = Tokenize(data, size, options.matches);
    BitWriter bw;
    const size_t per = std::clamp<size_t>(options.maxBlockCodes, 1, 65535);
    for (size_t at = 0; at < tokens.size(); at += per) {
        const size_t end = std::min(tokens.size(), at + per);
        SendBlock(bw, std::vector<Token>(tokens.begin() + static_cast<ptrdiff_t>(at),
                                         tokens.begin() + static_cast<ptrdiff_t>(end)));
    }
    return bw.finish();
}

std::vector<uint8_t> WithHeader(const std::vector<uint8_t>& coded, uint32_t unpackedSize, uint32_t method) {
    std::vector<uint8_t> out;
    PutU32(out, static_cast<uint32_t>(coded.size()));
    PutU32(out, unpackedSize);
    PutU32(out, method);
    out.insert(out.end(), coded.begin(), coded.end());
    return out;
}

std::vector<uint8_t> PackedBlock(const uint8_t* data, size_t size, const Options& options) {
    return WithHeader(Encode(data, size, options), static_cast<uint32_t>(size), 5);
}

std::vector<uint8_t> StoredBlock(const uint8_t* data, size_t size) {
    return WithHeader(std::vector<uint8_t>(data, data + size), static_cast<uint32_t>(size), 0);
}

std::vector<uint8_t> SampleText(size_t size, uint32_t seed) {
    static const char* const words[] = {"army ",  "city ",   "gate ", "officer ", "troop ", "river ",
                                        "horse ", "archer ", "the ",  "of ",      "and ",   "kingdom "};
    std::vector<uint8_t> out;
    out.reserve(size);
    uint32_t s = seed;
    auto next = [&] {
        s = s * 214013u + 2531011u;
        return (s >> 16) & 0x7FFF;
    };
    while (out.size() < size) {
        const uint32_t r = next();
        if (r % 17 == 0) {
            out.push_back(static_cast<uint8_t>(next())); // noise
        } else {
            const std::string w = words[r % 12];
            out.insert(out.end(), w.begin(), w.end());
        }
    }
    out.resize(size);
    return out;
}

} // namespace lh5enc
