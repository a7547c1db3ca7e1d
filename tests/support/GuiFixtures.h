#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes ".gui" window layouts: blocks of {kind, count} and element records of seven 32-bit words,
// each followed by its rows of 16-bit pixels when both sizes are non-zero, ended by 0xFFFFFFFF.
namespace guifixture {

// The pixel at (x, y) of a picture made by the writer: a pattern that is never 0 (transparent)
// unless `fill` is 0, so tests can tell pictures and their rows apart.
uint16_t PatternPixel(uint16_t fill, int x, int y);

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
    // Writes the bytes to a file; false when it cannot.
    bool Write(const std::string& path) const;

private:
    std::vector<uint8_t> bytes_;
};

// The sample window used by the control tests and the render check: a 320 x 240 background with a
// title strip, two picture buttons, a plain hot area, a text button, a text label and a gauge label,
// a scroll bar on a 16 x 100 track and two toggles.
std::vector<uint8_t> SampleWindowLayout();

} // namespace guifixture
