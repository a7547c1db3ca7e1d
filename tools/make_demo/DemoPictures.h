#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A 5-6-5 picture that the demo generator draws into.
class DemoPicture {
public:
    DemoPicture(int width, int height, uint16_t fill = 0);

    void Fill(int left, int top, int right, int bottom, uint16_t colour);
    // A vertical blend from top to bottom colour over the whole picture.
    void Gradient(uint16_t top, uint16_t bottom);
    // A frame of `thickness` pixels just inside the rectangle.
    void Frame(int left, int top, int right, int bottom, int thickness, uint16_t colour);
    void Disc(int cx, int cy, int radius, uint16_t colour);
    // Text in the generator's 5 x 7 letters (A-Z, 0-9, space and a few marks), each dot
    // scale x scale pixels, with its top-left corner at (x, y).
    void Text(int x, int y, const std::string& text, int scale, uint16_t colour);
    // Centred text within the rectangle.
    void CentredText(int left, int top, int right, int bottom, const std::string& text, int scale,
                     uint16_t colour);
    // Pastes another picture at (x, y), skipping its 0 pixels.
    void Paste(const DemoPicture& other, int x, int y);

    static int TextWidth(const std::string& text, int scale);

    int width;
    int height;
    std::vector<uint16_t> pixels;
};

uint16_t Rgb565(int r, int g, int b);
