#pragma once

#include <cstddef>
#include <cstdint>

// The display's 16-bit layout and the lookup tables every blend, tint and colour lookup uses.
// Data files hold 5-6-5 pixels; loaders convert them when the display is 5-5-5.

// 565 (red 15-11, green 10-5, blue 4-0) or 555 (red 14-10, green 9-5, blue 4-0); 0 until probed.
extern int32_t PixelFormat;

// {red, green, blue} raw field values of every pixel value, entry p at byte 3 * p.
extern uint8_t ComponentTable[65536 * 3];
// [a][b][alpha] at a * 8192 + b * 256 + alpha: (a * (256 - alpha) + b * alpha) / 256.
extern uint8_t AlphaTable5[32 * 32 * 256];
// [a][b][alpha] at a * 16384 + b * 256 + alpha, the same formula.
extern uint8_t AlphaTable6[64 * 64 * 256];
// The main palette in the display's layout; entry 0 stays 0, the transparent value.
extern uint16_t Palette16[256];

// Reads the primary surface's layout into PixelFormat: 555 only for the exact 5-5-5 masks.
// Returns 0 when the format cannot be read; PixelFormat is then 565 unless a probe set it before.
int ProbePrimarySurfaceFormat();
// Fills ComponentTable, AlphaTable5 and AlphaTable6 for the current PixelFormat.
void BuildColourTables();

void ConvertRgb565To555(uint16_t* pixels, int width, int height);
// The same over width x height pixels whose rows lie `pitch` pixels apart.
void ConvertRgb565To555Rect(uint16_t* pixels, int width, int height, int pitch);
// out[i] = Palette16[indices[i]]; returns count.
int PaletteToPixels16(uint16_t* out, const uint8_t* indices, int count);
// The average colour of the non-zero pixels of a 20 x 20 5-6-5 cell; 0 for none or a null cell.
uint16_t AverageCellColour(const uint16_t* cell);

inline uint16_t ConvertPixel565To555(uint16_t p) {
    return uint16_t(((p >> 1) & 0x7FE0) | (p & 0x1F));
}

// Packs an 8-bit-per-channel colour in the current layout.
inline uint16_t PackRgb16(uint8_t r, uint8_t g, uint8_t b) {
    if (PixelFormat == 555) return uint16_t(((r & 0xF8) << 7) | ((g & 0xF8) << 2) | (b >> 3));
    return uint16_t(((r & 0xF8) << 8) | ((g & 0xFC) << 3) | (b >> 3));
}

// A pixel as a GDI colour 0x00BBGGRR, through ComponentTable.
inline uint32_t PixelToColour(uint16_t p) {
    const uint8_t* c = &ComponentTable[size_t(p) * 3];
    const uint32_t r = uint32_t(c[0]) << 3;
    const uint32_t g = uint32_t(c[1]) << (PixelFormat == 555 ? 3 : 2);
    const uint32_t b = uint32_t(c[2]) << 3;
    return r | (g << 8) | (b << 16);
}

// Lays source pixel s over destination d with opacity alpha (0..255) through the tables.
inline uint16_t BlendPixel16(uint16_t d, uint16_t s, int alpha) {
    const size_t a = size_t(alpha & 255);
    if (PixelFormat == 555) {
        const size_t dr = (d >> 10) & 31, dg = (d >> 5) & 31, db = d & 31;
        const size_t sr = (s >> 10) & 31, sg = (s >> 5) & 31, sb = s & 31;
        return uint16_t((AlphaTable5[dr * 8192 + sr * 256 + a] << 10) |
                        (AlphaTable5[dg * 8192 + sg * 256 + a] << 5) | AlphaTable5[db * 8192 + sb * 256 + a]);
    }
    const uint8_t* dc = &ComponentTable[size_t(d) * 3];
    const uint8_t* sc = &ComponentTable[size_t(s) * 3];
    return uint16_t((AlphaTable5[dc[0] * 8192 + sc[0] * 256 + a] << 11) |
                    (AlphaTable6[dc[1] * 16384 + sc[1] * 256 + a] << 5) |
                    AlphaTable5[dc[2] * 8192 + sc[2] * 256 + a]);
}
