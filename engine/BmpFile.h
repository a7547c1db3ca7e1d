#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// A Windows BMP of 1, 4, 8 or 24 bits a pixel without compression, rows held top to bottom.
class BmpFile {
public:
    // Reads a file of the working folder; ok() tells whether it was read whole.
    explicit BmpFile(const char* path);
    explicit BmpFile(std::span<const uint8_t> bytes);

    bool ok() const { return ok_; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    int32_t RowSize() const { return rowSize_; }
    int BitsPerPixel() const { return bits_; }
    // biClrUsed, or 2, 16, 256 for 1, 4, 8 bits, else 0.
    int ColourCount() const;
    // 256 RGB triples (red, green, blue).
    void Palette(uint8_t rgb[768]) const;
    const uint8_t* Row(int y) const { return pixels.data() + size_t(y) * size_t(rowSize_); }

    std::vector<uint8_t> pixels; // rows top to bottom, RowSize() bytes each
    uint8_t fileHeader[14] = {};
    uint8_t info[40 + 1024] = {}; // BITMAPINFOHEADER and 256 RGBQUAD

    // Pictures larger than this on a side are refused.
    static constexpr int32_t kMaxSide = 16384;

private:
    void Read(std::span<const uint8_t> bytes);

    bool ok_ = false;
    int32_t width_ = 0;
    int32_t height_ = 0;
    int32_t rowSize_ = 0;
    int bits_ = 0;
};
