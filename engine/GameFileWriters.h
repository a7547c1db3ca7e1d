#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writers of the game's own file formats, shared by the test fixtures and the demo folder
// generator: ".gui" window layouts, ".ani" animation files and 768-byte palettes.
namespace gamefiles {

using Bytes = std::vector<uint8_t>;

// The pixel at (x, y) of a picture made by the layout writer: a pattern that is never 0
// (transparent) unless `fill` is 0, so pictures and their rows can be told apart.
uint16_t PatternPixel(uint16_t fill, int x, int y);

// A ".gui" layout: blocks of {kind, count} and element records of seven 32-bit words, each
// followed by its rows of 16-bit pixels when both sizes are non-zero, ended by 0xFFFFFFFF.
class LayoutWriter {
public:
    LayoutWriter& Block(uint32_t kind, uint32_t count);
    // An element; with both sizes non-zero its pixels follow, PatternPixel(fill, x, y) each.
    LayoutWriter& Element(int left, int top, int right, int bottom, int width = 0, int height = 0,
                          int value = 0, uint16_t fill = 0x1234);
    // An element with exactly these pixels (rows packed).
    LayoutWriter& ElementPixels(int left, int top, int right, int bottom, int width, int height, int value,
                                const std::vector<uint16_t>& pixels);
    // An element with a solid picture of its own rectangle's size.
    LayoutWriter& Solid(int left, int top, int right, int bottom, uint16_t colour, int value = 0);
    LayoutWriter& Word(uint32_t word);
    LayoutWriter& End() { return Word(0xFFFFFFFFu); }

    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    // Writes the bytes to a file (a temporary file renamed into place); false when it cannot.
    bool Write(const std::string& path) const;

private:
    std::vector<uint8_t> bytes_;
};

// A rectangle of a layout record: right = left + width, bottom = top + height.
struct LayoutBox {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// The four pictures of a picture button (normal, pressed, hover, disabled): a bevelled face
// in the given 5-6-5 colour, darker when pressed, lighter under the cursor, grey when disabled.
std::vector<std::vector<uint16_t>> ButtonFaces(int width, int height, uint16_t colour);

// A screen layout: the background picture (frame.Width() x frame.Height() pixels), picture
// buttons (ids 0x100 + n) with ButtonFaces in buttonColour, and text labels (ids 0x200 + n) in the
// given draw mode, in that order of blocks.
Bytes ScreenLayout(const LayoutBox& frame, const std::vector<uint16_t>& background,
                   const std::vector<LayoutBox>& buttons, const std::vector<LayoutBox>& labels,
                   uint16_t buttonColour = 0x4A69, int labelMode = 150);

// One frame of a ".ani" file.
struct AniFrameSpec {
    int32_t x = 0, y = 0, w = 0, h = 0;
    std::vector<uint16_t> pixels; // w * h, 5-6-5
    std::vector<uint8_t> mask;    // w * h
};
// A ".ani" file; the header's width and height default to the first frame's.
Bytes AniFile(const std::vector<AniFrameSpec>& frames, int32_t headerW = -1, int32_t headerH = -1);

// A 768-byte palette of 256 RGB triples.
Bytes PaletteFile(const uint8_t (&rgb)[256][3]);

// Writes bytes to a file through a temporary file renamed into place.
bool WriteBytes(const std::string& path, const Bytes& bytes);

} // namespace gamefiles
