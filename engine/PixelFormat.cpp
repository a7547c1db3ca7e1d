#include "engine/PixelFormat.h"

#include "engine/DisplayDevice.h"
#include "platform/Surface.h"

#include <cstring>

int32_t PixelFormat = 0;
uint8_t ComponentTable[65536 * 3];
uint8_t AlphaTable5[32 * 32 * 256];
uint8_t AlphaTable6[64 * 64 * 256];
uint16_t Palette16[256];

int ProbePrimarySurfaceFormat() {
    platform::Surface* primary = GetPrimarySurface();
    platform::DDPIXELFORMAT format{};
    format.dwSize = 32;
    if (!primary || platform::FAILED(primary->GetPixelFormat(&format))) {
        // Code that tests for 555 and code that tests for 565 must agree: never leave 0.
        if (PixelFormat != 555 && PixelFormat != 565) PixelFormat = 565;
        return 0;
    }
    if (format.dwRBitMask == 0x7C00 && format.dwGBitMask == 0x03E0 && format.dwBBitMask == 0x001F)
        PixelFormat = 555;
    else
        PixelFormat = 565;
    return 1;
}

void BuildColourTables() {
    std::memset(ComponentTable, 0, sizeof ComponentTable);
    if (PixelFormat == 555) {
        for (uint32_t p = 0; p < 32768; ++p) {
            ComponentTable[p * 3] = uint8_t((p >> 10) & 31);
            ComponentTable[p * 3 + 1] = uint8_t((p >> 5) & 31);
            ComponentTable[p * 3 + 2] = uint8_t(p & 31);
        }
    } else {
        for (uint32_t p = 0; p < 65536; ++p) {
            ComponentTable[p * 3] = uint8_t(p >> 11);
            ComponentTable[p * 3 + 1] = uint8_t((p >> 5) & 63);
            ComponentTable[p * 3 + 2] = uint8_t(p & 31);
        }
    }
    for (uint32_t a = 0; a < 32; ++a)
        for (uint32_t b = 0; b < 32; ++b)
            for (uint32_t alpha = 0; alpha < 256; ++alpha)
                AlphaTable5[a * 8192 + b * 256 + alpha] = uint8_t((a * (256 - alpha) + b * alpha) / 256);
    for (uint32_t a = 0; a < 64; ++a)
        for (uint32_t b = 0; b < 64; ++b)
            for (uint32_t alpha = 0; alpha < 256; ++alpha)
                AlphaTable6[a * 16384 + b * 256 + alpha] = uint8_t((a * (256 - alpha) + b * alpha) / 256);
}

void ConvertRgb565To555(uint16_t* pixels, int width, int height) {
    if (!pixels || width <= 0 || height <= 0) return;
    const size_t n = size_t(width) * size_t(height);
    for (size_t i = 0; i < n; ++i)
        pixels[i] = ConvertPixel565To555(pixels[i]);
}

void ConvertRgb565To555Rect(uint16_t* pixels, int width, int height, int pitch) {
    if (!pixels || width <= 0 || height <= 0) return;
    for (int y = 0; y < height; ++y) {
        uint16_t* row = pixels + ptrdiff_t(y) * pitch;
        for (int x = 0; x < width; ++x)
            row[x] = ConvertPixel565To555(row[x]);
    }
}

int PaletteToPixels16(uint16_t* out, const uint8_t* indices, int count) {
    for (int i = 0; i < count; ++i)
        out[i] = Palette16[indices[i]];
    return count;
}

uint16_t AverageCellColour(const uint16_t* cell) {
    if (!cell) return 0;
    uint32_t r = 0, g = 0, b = 0, n = 0;
    for (int i = 0; i < 400; ++i) {
        const uint32_t p = cell[i];
        if (!p) continue;
        r += (p >> 8) & 0xF8;
        g += (p >> 3) & 0xFC;
        b += (p << 3) & 0xF8;
        ++n;
    }
    if (!n) return 0;
    r /= n;
    g /= n;
    b /= n;
    return uint16_t(((r << 8) & 0xF800) | ((g << 3) & 0x07E0) | (b >> 3));
}
