#include "engine/BmpFile.h"

#include "engine/ByteReader.h"
#include "engine/ResourceStoreFiles.h"

#include <cstring>

BmpFile::BmpFile(const char* path) {
    std::vector<uint8_t> bytes;
    if (ReadGameFile(path, bytes)) Read(bytes);
}

BmpFile::BmpFile(std::span<const uint8_t> bytes) {
    Read(bytes);
}

void BmpFile::Read(std::span<const uint8_t> bytes) {
    ByteReader in(bytes);
    if (!in.bytes(fileHeader, 14) || fileHeader[0] != 'B' || fileHeader[1] != 'M') return;
    if (!in.bytes(info, 40)) return;
    ByteReader h(info, 40);
    const uint32_t size = h.u32();
    const int32_t width = h.i32();
    const int32_t height = h.i32();
    const uint16_t planes = h.u16();
    const uint16_t bits = h.u16();
    const uint32_t compression = h.u32();
    const uint32_t sizeImage = h.u32();
    if (size != 40 || planes != 1 || (bits != 1 && bits != 4 && bits != 8 && bits != 24) || compression != 0)
        return;
    // A negative height is a top-down picture; sizes are held to what a picture can be.
    const bool topDown = height < 0;
    const int64_t rows = topDown ? -int64_t(height) : height;
    if (width <= 0 || rows <= 0 || width > kMaxSide || rows > kMaxSide) return;
    if (bits <= 8 && !in.bytes(info + 40, 1024)) return;
    const int64_t rowSize = ((int64_t(width) * bits + 7) / 8 + 3) & ~int64_t(3);
    const int64_t needed = rowSize * rows;
    // A size of 0 (allowed for BI_RGB) means the rows themselves; one too small cannot hold them.
    if (sizeImage != 0 && sizeImage < needed) return;
    if (!in.has(size_t(needed))) return;
    width_ = width;
    height_ = int32_t(rows);
    rowSize_ = int32_t(rowSize);
    bits_ = bits;
    pixels.resize(size_t(needed));
    for (int64_t r = 0; r < rows; ++r) {
        const int64_t y = topDown ? r : rows - 1 - r;
        in.bytes(pixels.data() + size_t(y * rowSize), size_t(rowSize));
    }
    ok_ = true;
}

int BmpFile::ColourCount() const {
    const uint32_t used =
        uint32_t(info[32]) | uint32_t(info[33]) << 8 | uint32_t(info[34]) << 16 | uint32_t(info[35]) << 24;
    if (used) return int(used > 256 ? 256 : used);
    switch (bits_) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

void BmpFile::Palette(uint8_t rgb[768]) const {
    for (int i = 0; i < 256; ++i) {
        rgb[3 * i] = info[40 + 4 * i + 2];
        rgb[3 * i + 1] = info[40 + 4 * i + 1];
        rgb[3 * i + 2] = info[40 + 4 * i];
    }
}
