#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Big5 text as the game keeps it (Windows code page 950), and its conversion to Unicode.
namespace platform {

inline bool IsBig5LeadByte(uint8_t b) {
    return b >= 0x81 && b <= 0xFE;
}
inline bool IsBig5TrailByte(uint8_t b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0xA1 && b <= 0xFE);
}

// Code point of one double-byte character, or 0 when the pair has no mapping.
uint32_t Big5PairToUnicode(uint8_t lead, uint8_t trail);

// Whole-string conversions; a sequence that does not convert becomes '?' (or is dropped).
std::string Big5ToUtf8(std::string_view big5);
std::string Utf8ToBig5(std::string_view utf8, bool dropUnmapped = false);

} // namespace platform
