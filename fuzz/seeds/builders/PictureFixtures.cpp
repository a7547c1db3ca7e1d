#include "fuzz/seeds/builders/PictureFixtures.h"

namespace picfix {

void le32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void be32(Bytes& b, uint32_t v) {
    for (int i = 3; i >= 0; --i)
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void be16(Bytes& b, uint16_t v) {
    b.push_back(static_cast<uint8_t>(v >> 8));
    b.push_back(static_cast<uint8_t>(v));
}

// u32 width, u32 height, bottom-up rows of blue, green, red padded to 4 bytes.
Bytes bgrPicture(uint32_t w, uint32_t h, Rgb (*colour)(uint32_t x, uint32_t y)) {
    Bytes b;
    le32(b, w);
    le32(b, h);
    for (uint32_t i = 0; i < h; ++i) {
        uint32_t y = h - 1 - i;
        for (uint32_t x = 0; x < w; ++x) {
            Rgb c = colour(x, y);
            b.insert(b.end(), {c.b, c.g, c.r});
        }
        for (uint32_t p = w * 3; p % 4; ++p)
            b.push_back(0xCC);
    }
    return b;
}

Rgb gradient(uint32_t x, uint32_t y) {
    return {static_cast<uint8_t>(x * 40 + 7), static_cast<uint8_t>(y * 50 + 3),
            static_cast<uint8_t>(x * y * 9)};
}

uint16_t pack565(Rgb c) {
    return static_cast<uint16_t>(((c.r & 0xF8) << 8) | ((c.g & 0xFC) << 3) | (c.b >> 3));
}
uint16_t pack555(Rgb c) {
    return static_cast<uint16_t>(((c.r & 0xF8) << 7) | ((c.g & 0xF8) << 2) | (c.b >> 3));
}

Bytes rawChannel(const Bytes& bytes) {
    Bytes b;
    be16(b, 0);
    b.insert(b.end(), bytes.begin(), bytes.end());
    return b;
}

Bytes packedChannel(const std::vector<Bytes>& rows) {
    Bytes b;
    be16(b, 1);
    for (const auto& r : rows)
        be16(b, static_cast<uint16_t>(r.size()));
    for (const auto& r : rows)
        b.insert(b.end(), r.begin(), r.end());
    return b;
}

Bytes psdFile(uint32_t w, uint32_t h, const std::vector<Layer>& layers, int16_t count) {
    Bytes b = {'8', 'B', 'P', 'S'};
    be16(b, 1);
    b.insert(b.end(), 6, 0);
    be16(b, 3);
    be32(b, h);
    be32(b, w);
    be16(b, 8);
    be16(b, 3);
    be32(b, 0); // colour mode data
    be32(b, 4); // image resources
    b.insert(b.end(), {1, 2, 3, 4});
    be32(b, 0xFFFF); // section lengths, not looked at
    be32(b, 0xFFFF);
    be16(b, static_cast<uint16_t>(count));
    for (const auto& l : layers) {
        be32(b, static_cast<uint32_t>(l.top));
        be32(b, static_cast<uint32_t>(l.left));
        be32(b, static_cast<uint32_t>(l.bottom));
        be32(b, static_cast<uint32_t>(l.right));
        be16(b, static_cast<uint16_t>(l.channels.size()));
        for (size_t c = 0; c < l.channels.size(); ++c) {
            be16(b, static_cast<uint16_t>(c));
            be32(b, static_cast<uint32_t>(l.channels[c].size()));
        }
        b.insert(b.end(), {'8', 'B', 'I', 'M', 'n', 'o', 'r', 'm', 255, 0, 0, 0});
        be32(b, 3);
        b.insert(b.end(), {9, 9, 9});
    }
    for (const auto& l : layers)
        for (const auto& c : l.channels)
            b.insert(b.end(), c.begin(), c.end());
    return b;
}

// A 3 x 2 document whose one layer covers it whole: red raw, green and blue packed.
Bytes simplePsd(int16_t count) {
    Layer l{0, 0, 2, 3, {}};
    l.channels.push_back(rawChannel({0xFF, 0x80, 0x00, 0x10, 0x20, 0x30}));
    l.channels.push_back(packedChannel({{0xFE, 0x44}, {0x02, 1, 2, 0xFC}})); // 3 x 0x44; 1, 2, 0xFC
    l.channels.push_back(packedChannel({{0x00, 0x08, 0xFF, 0x10}, {0xFE, 0xF8}}));
    return psdFile(3, 2, {l}, count);
}

} // namespace picfix
