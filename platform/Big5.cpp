#include "platform/Big5.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <iconv.h>
#include <mutex>

namespace platform {
namespace {

// glibc's CP950 holds Microsoft's tables, which is what the game's text was written with.
class Converter {
public:
    Converter(const char* to, const char* from, bool fromUtf8 = false)
        : cd_(iconv_open(to, from)), fromUtf8_(fromUtf8) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much as possible; each input byte that does not convert becomes the mark, or is
    // dropped when the mark is 0.
    std::string run(std::string_view in, char mark = '?') {
        std::lock_guard lock(mutex_);
        std::string out;
        if (!ok()) return out;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        auto* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        std::array<char, 256> buf;
        while (srcLeft > 0) {
            char* dst = buf.data();
            size_t dstLeft = buf.size();
            size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buf.data(), buf.size() - dstLeft);
            if (r == static_cast<size_t>(-1)) {
                if (errno == E2BIG) continue;
                // Invalid or cut-off sequence: mark it and go on past one byte.
                if (mark) out.push_back(mark);
                ++src;
                --srcLeft;
                // The rest of a UTF-8 sequence goes with its first byte.
                while (fromUtf8_ && srcLeft > 0 && (static_cast<uint8_t>(*src) & 0xC0) == 0x80) {
                    ++src;
                    --srcLeft;
                }
                iconv(cd_, nullptr, nullptr, nullptr, nullptr);
            }
        }
        return out;
    }

    // Converts exactly one whole input sequence; false when it has no mapping.
    bool one(const char* in, size_t n, char* out, size_t& outLen) {
        std::lock_guard lock(mutex_);
        if (!ok()) return false;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        auto* src = const_cast<char*>(in);
        size_t srcLeft = n;
        char* dst = out;
        size_t dstLeft = outLen;
        size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
        if (r == static_cast<size_t>(-1) || srcLeft != 0) return false;
        outLen -= dstLeft;
        return true;
    }

private:
    iconv_t cd_;
    bool fromUtf8_;
    std::mutex mutex_;
};

Converter& toUnicode() {
    static Converter c("UTF-32LE", "CP950");
    return c;
}

} // namespace

uint32_t Big5PairToUnicode(uint8_t lead, uint8_t trail) {
    if (!IsBig5LeadByte(lead) || !IsBig5TrailByte(trail)) return 0;
    const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
    unsigned char out[8];
    size_t outLen = sizeof out;
    if (!toUnicode().one(in, 2, reinterpret_cast<char*>(out), outLen) || outLen != 4) return 0;
    return static_cast<uint32_t>(out[0]) | (static_cast<uint32_t>(out[1]) << 8) |
           (static_cast<uint32_t>(out[2]) << 16) | (static_cast<uint32_t>(out[3]) << 24);
}

std::string Big5ToUtf8(std::string_view big5) {
    static Converter c("UTF-8", "CP950");
    return c.run(big5);
}

std::string Utf8ToBig5(std::string_view utf8, bool dropUnmapped) {
    static Converter c("CP950", "UTF-8", true);
    return c.run(utf8, dropUnmapped ? 0 : '?');
}

} // namespace platform
