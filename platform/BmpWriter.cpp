#include "platform/BmpWriter.h"

#include <cstdio>
#include <unistd.h>

namespace platform {

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// Widens a 5- or 6-bit field to 8 bits, repeating the top bits so white stays 255.
uint8_t Widen(uint32_t v, int bits) {
    return uint8_t((v << (8 - bits)) | (v >> (2 * bits - 8)));
}

} // namespace

std::vector<uint8_t> EncodeBmp16(const uint16_t* pixels, int width, int height, int layout) {
    std::vector<uint8_t> out;
    if (width <= 0 || height <= 0 || !pixels) return out;
    const uint32_t rowBytes = (uint32_t(width) * 3 + 3) & ~3u;
    const uint32_t imageBytes = rowBytes * uint32_t(height);
    out.reserve(54 + imageBytes);
    out.push_back('B');
    out.push_back('M');
    Put32(out, 54 + imageBytes);
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, uint32_t(width));
    Put32(out, uint32_t(height));
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);
    Put32(out, imageBytes);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    for (int y = height - 1; y >= 0; --y) {
        const uint16_t* row = pixels + size_t(y) * size_t(width);
        for (int x = 0; x < width; ++x) {
            const uint16_t p = row[x];
            uint8_t r, g, b;
            if (layout == 555) {
                r = Widen((p >> 10) & 31, 5);
                g = Widen((p >> 5) & 31, 5);
            } else {
                r = Widen(p >> 11, 5);
                g = Widen((p >> 5) & 63, 6);
            }
            b = Widen(p & 31, 5);
            out.push_back(b);
            out.push_back(g);
            out.push_back(r);
        }
        for (uint32_t pad = uint32_t(width) * 3; pad < rowBytes; ++pad)
            out.push_back(0);
    }
    return out;
}

bool WriteBmp16(const std::string& path, const uint16_t* pixels, int width, int height, int layout) {
    const std::vector<uint8_t> bytes = EncodeBmp16(pixels, width, height, layout);
    if (bytes.empty()) return false;
    const std::string tmp = path + ".tmp" + std::to_string(getpid());
    FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !ok) {
        std::remove(tmp.c_str());
        return false;
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

} // namespace platform
