#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {
class Surface;
}

// A block of 16-bit pixels, rows `pitch` pixels apart. Every routine below keeps its writes and
// reads inside the blocks it is given: a rectangle reaching past an edge is cut at that edge.
struct PixelBuffer16 {
    uint16_t* pixels = nullptr;
    int pitch = 0; // pixels
    int width = 0;
    int height = 0;
};

struct ConstPixelBuffer16 {
    const uint16_t* pixels = nullptr;
    int pitch = 0; // pixels
    int width = 0;
    int height = 0;
};

struct PixelBuffer8 {
    const uint8_t* pixels = nullptr;
    int pitch = 0; // bytes
    int width = 0;
    int height = 0;
};

void FillPixels16(uint16_t* out, uint16_t value, int count);
void CopyPixels16(uint16_t* out, const uint16_t* in, int count);

// Copies a width x height rectangle from (inX, inY) of `in` to (x, y) of `out`, leaving the
// out-pixels under in-pixels of 0 as they were.
void BlitColorKeyed16(const PixelBuffer16& out, int x, int y, const ConstPixelBuffer16& in, int inX, int inY,
                      int width, int height);

// Like BlitColorKeyed16 from 8-bit indices, skipping nothing; index i takes the first 16-bit word
// (little-endian) of the 6-byte entry i of the colour table. Indices past the table give 0.
void BlitIndexed16(const PixelBuffer16& out, int x, int y, const PixelBuffer8& in, int inX, int inY,
                   int width, int height, const uint8_t* colourTable, size_t colourTableEntries);

// Zeroes the top-left width x height pixels.
void ClearPixels16(const PixelBuffer16& target, int width, int height);

// Draws a one-pixel outline in outlineColour around every area of keyColour in the top-left
// rows x width pixels (width cut to 1024): above, left of, below and right of each run, except
// past the last row or column.
void OutlineColourPixels16(const PixelBuffer16& target, uint16_t keyColour, uint16_t outlineColour, int rows,
                           int width);

// Blends colour at opacity (0..255) into the diamond-shaped group of map cells of group size
// `size` that holds the view point (x, y); only pixels inside 800 x 600 and inside the target.
// layout is 565 or 555.
void DrawCellDiamond16(const PixelBuffer16& target, int layout, int opacity, uint16_t colour, int size, int x,
                       int y, int viewX, int viewY);

// Surface forms: each locks the surface (ClearSurface16 without waiting, so a busy surface is
// left as it was), works on its pixels and unlocks. A null surface or a failed lock draws nothing.
void ClearSurface16(platform::Surface* surface, int width, int height);
void OutlineColourPixels(platform::Surface* surface, uint16_t keyColour, uint16_t outlineColour, int rows,
                         int width);
void DrawCellDiamond(int opacity, uint16_t colour, int size, int x, int y, int viewX, int viewY,
                     platform::Surface* surface);
