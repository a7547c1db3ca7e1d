#include "engine/PcxFile.h"

#include "engine/ByteReader.h"
#include "engine/ResourceStoreFiles.h"

uint8_t PcxColourTable[256 * 6];
uint8_t PcxKeyColours[2][3];

namespace {
constexpr int kMaxSide = 16384;
}

std::vector<uint8_t> DecodePcx(std::span<const uint8_t> bytes) {
    if (bytes.size() < 128 + 768) return {};
    ByteReader h(bytes.data(), 128);
    const uint8_t manufacturer = h.u8();
    const uint8_t version = h.u8();
    h.u8(); // encoding
    const uint8_t bits = h.u8();
    const uint16_t xMin = h.u16(), yMin = h.u16(), xMax = h.u16(), yMax = h.u16();
    h.seek(65);
    const uint8_t planes = h.u8();
    const uint16_t bytesPerLine = h.u16();
    if (manufacturer != 10 || version != 5 || bits != 8 || planes != 1 || xMax < xMin || yMax < yMin)
        return {};
    const int width = xMax - xMin + 1, height = yMax - yMin + 1;
    if (width > kMaxSide || height > kMaxSide || bytesPerLine < width) return {};

    std::vector<uint8_t> out(4 + size_t(width) * height);
    out[0] = uint8_t(width - 1);
    out[1] = uint8_t((width - 1) >> 8);
    out[2] = uint8_t(height - 1);
    out[3] = uint8_t((height - 1) >> 8);
    const size_t end = bytes.size() - 768;
    size_t pos = 128;
    std::vector<uint8_t> line(bytesPerLine);
    for (int y = 0; y < height; ++y) {
        size_t filled = 0;
        while (filled < line.size()) {
            if (pos >= end) return {};
            uint8_t b = bytes[pos++];
            size_t run = 1;
            if (b >= 0xC0) {
                run = b & 0x3F;
                if (pos >= end) return {};
                b = bytes[pos++];
            }
            // A run crossing the end of the line is cut there.
            for (; run > 0 && filled < line.size(); --run)
                line[filled++] = b;
        }
        std::copy(line.begin(), line.begin() + width, out.begin() + 4 + size_t(y) * width);
    }
    const uint8_t* pal = bytes.data() + end;
    for (int i = 0; i < 256; ++i) {
        uint8_t r = pal[3 * i], g = pal[3 * i + 1], b = pal[3 * i + 2];
        if (i == 0 || i == 255) {
            uint8_t* key = PcxKeyColours[i == 0 ? 0 : 1];
            key[0] = r;
            key[1] = g;
            key[2] = b;
            r = g = b = 0;
        }
        const uint16_t p = uint16_t(((r & 0xF8) << 8) | ((g & 0xFC) << 3) | (b >> 3));
        uint8_t* e = PcxColourTable + 6 * i;
        e[0] = uint8_t(p);
        e[1] = uint8_t(p >> 8);
        e[2] = r;
        e[3] = g;
        e[4] = b;
        e[5] = 0;
    }
    return out;
}

std::vector<uint8_t> ReadPcx(const char* path) {
    std::vector<uint8_t> bytes;
    if (!ReadGameFile(path, bytes)) return {};
    return DecodePcx(bytes);
}
