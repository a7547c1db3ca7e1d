#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Writers of the picture readers' formats: the BGR pictures (".xmp" and raw) and layered
// documents, for the tests and the fuzz seeds.
namespace picfix {

using Bytes = std::vector<uint8_t>;

void le32(Bytes& b, uint32_t v);
void be32(Bytes& b, uint32_t v);
void be16(Bytes& b, uint16_t v);

struct Rgb {
    uint8_t r, g, b;
};

// u32 width, u32 height, bottom-up rows of blue, green, red padded to 4 bytes.
Bytes bgrPicture(uint32_t w, uint32_t h, Rgb (*colour)(uint32_t x, uint32_t y));
Rgb gradient(uint32_t x, uint32_t y);
uint16_t pack565(Rgb c);
uint16_t pack555(Rgb c);

// One layer of a layered document: its rectangle and its channels' encoded data (compression
// code first).
struct Layer {
    int32_t top, left, bottom, right;
    std::vector<Bytes> channels;
};

Bytes rawChannel(const Bytes& bytes);
Bytes packedChannel(const std::vector<Bytes>& rows);
Bytes psdFile(uint32_t w, uint32_t h, const std::vector<Layer>& layers, int16_t count);
// A 3 x 2 document whose one layer covers it whole: red raw, green and blue packed.
Bytes simplePsd(int16_t count = 1);

} // namespace picfix
