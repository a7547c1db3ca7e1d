#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// 256-colour PCX pictures: manufacturer 10, version 5, run-length rows, the palette at the end.

// The colour table the last picture filled: entry i is 6 bytes, the 5-6-5 value (little-endian)
// first, then red, green and blue, then 0. Entries 0 and 255 are black; their colours as read are
// kept in PcxKeyColours.
extern uint8_t PcxColourTable[256 * 6];
extern uint8_t PcxKeyColours[2][3];

// A picture: {16-bit width - 1, 16-bit height - 1, width x height 8-bit pixels}. Empty when the
// file is not such a picture or its rows or palette are not all there.
std::vector<uint8_t> DecodePcx(std::span<const uint8_t> bytes);
std::vector<uint8_t> ReadPcx(const char* path);
