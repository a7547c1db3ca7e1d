#pragma once

#include "engine/PixelRoutines.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {
class Surface;
}

// Big5 text drawn into surfaces with the game's six fonts, and the Big5 bitmap-font tables.
// Callers set fontSize before a call; every DrawSurfaceText call puts it back to 16.
class Big5BitmapFont {
public:
    static constexpr int kDefaultSize = 16;
    static constexpr int kGlyphBytes = 30;
    static constexpr int kCellCount = 15106;

    Big5BitmapFont();
    virtual ~Big5BitmapFont() = default;

    // Draws NUL-terminated Big5 text with its top-left corner at (x, y) in the colour
    // Palette16[colourIndex], on a transparent background. The sixth argument is not used.
    void DrawSurfaceText(int x, int y, const char* text, platform::Surface* surface, int colourIndex,
                         int unused = 0);

    // Reads the cell index table (15,106 16-bit glyph numbers) and the glyph file; a file that does
    // not open is skipped.
    void LoadFont(const char* glyphFile, const char* indexFile);
    // Cell number of a Big5 pair, 157 cells per lead byte; 0 for a lead outside the table.
    uint16_t CellIndex(uint8_t lead, uint8_t trail) const;
    // Copies the 30-byte glyphs of the text's pairs into out (a space pair gives 30 zero bytes) until
    // a NUL byte or until out has no room for another glyph. A glyph the tables do not hold gives
    // zero bytes.
    void DrawBitmapString(const char* text, uint8_t* out, size_t outSize) const;

    int32_t fontSize = kDefaultSize;
    std::vector<uint8_t> glyphData;
    std::vector<uint16_t> cellIndex;
};

// Draws text at (0, 0) of the work surface in colour index 0xF0 over a background of 0x8080 pixels
// and copies its 16 rows, text length x 8 pixels wide, to (x, y) of the buffer, skipping pixels of
// value 0. Both copies stay inside the work surface and the buffer.
void DrawTextIntoBuffer(Big5BitmapFont& font, int x, int y, const char* text, const PixelBuffer16& buffer,
                        platform::Surface* workSurface);
