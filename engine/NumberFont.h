#pragma once

#include "platform/GlobalMemory.h"

#include <cstdint>

struct StoreImage;

// A 16-bit image: width x height pixels, rows packed, in one locked global block.
struct GlyphImage {
    int32_t width = 0;
    int32_t height = 0;
    uint16_t* pixels = nullptr;
    platform::HGLOBAL block = nullptr;
};

// A 16-bit pixel area for the copies below: pitch in pixels, writes kept inside width x height.
struct GlyphTarget {
    uint16_t* pixels = nullptr;
    int pitch = 0;
    int width = 0;
    int height = 0;
};

// Copies image to (x, y) of the target; with skipZero source pixels of 0 leave the target as it
// was. Cut to the target.
void BlitMasked16(const GlyphTarget& destination, int x, int y, const GlyphImage& image, bool skipZero);
// The byte form of BlitMasked16 without transparency: count bytes of one row.
void CopyRow8(uint8_t* out, const uint8_t* in, int count);

// Digit glyphs cut from the store's three digit strips: glyphs 0..9 the digits, 10 plus, 11 minus,
// 12 a suffix mark; each also in a recoloured copy (0x00FE replaced by 0x007A).
class NumberFont {
public:
    static constexpr int kSizes = 3;
    static constexpr int kMaxGlyphs = 17;
    static constexpr int kGlyphCounts[kSizes] = {16, 16, 17};
    static constexpr int kFieldGlyphs = 8;

    // Cuts the strips of the store that start-up made (graphics images 9, 10 and 11).
    NumberFont();
    // Cuts the given strips; a missing strip, or one narrower than its glyph count, leaves that
    // size without glyphs.
    explicit NumberFont(const StoreImage* const strips[kSizes]);
    ~NumberFont();
    NumberFont(const NumberFont&) = delete;
    NumberFont& operator=(const NumberFont&) = delete;

    void SetStyle(uint16_t first, uint16_t second, uint8_t byte1, uint8_t byte2);
    void SetStyle(uint16_t first, uint16_t second, uint8_t byte1, uint8_t byte2, int32_t x, int32_t y);
    static int DigitCount(int32_t value);
    // The game's one number-drawing call: it draws nothing.
    void DrawNumber(int32_t value, int32_t x, int32_t y, int32_t a, int32_t b, int32_t c, int32_t d,
                    int32_t e);

    // Fills a field of eight glyph positions at (x, y) with the first style colour, then draws the
    // digits of value right- or left-aligned, with a sign glyph in front (minus for a negative
    // value, plus when withSign is set) and the suffix glyph behind when wanted. At most eight
    // glyphs are drawn; those past the field are dropped.
    void DrawDigits(const GlyphTarget& target, int x, int y, int size, int32_t value, bool rightAligned,
                    bool recoloured, bool withSign, bool withSuffix) const;
    // The same for a number given as text (digits, '+', '-'; other characters are skipped).
    void DrawDigitText(const GlyphTarget& target, int x, int y, int size, const char* text, bool rightAligned,
                       bool recoloured, bool withSuffix) const;

    const GlyphImage* Glyph(int size, int index, bool recoloured) const;

    uint16_t firstColour = 0x00FE;
    uint16_t secondColour = 0x00F1;
    uint8_t styleByte1 = 0;
    uint8_t styleByte2 = 0;
    GlyphImage* normal[kSizes][kMaxGlyphs] = {};
    GlyphImage* recoloured[kSizes][kMaxGlyphs] = {};
    uint8_t glyphWidth[kSizes] = {};
    uint8_t glyphHeight[kSizes] = {};
    int32_t positionX = 0;
    int32_t positionY = 0;

private:
    void Build(const StoreImage* const strips[kSizes]);
    void DrawGlyphRun(const GlyphTarget& target, int x, int y, int size, const int* glyphs, int count,
                      bool rightAligned, bool recoloured) const;
};

extern NumberFont* TheNumberFont;
