#include "DemoPictures.h"

#include <algorithm>
#include <cstring>

uint16_t Rgb565(int r, int g, int b) {
    r = std::clamp(r, 0, 255);
    g = std::clamp(g, 0, 255);
    b = std::clamp(b, 0, 255);
    return uint16_t(((r & 0xF8) << 8) | ((g & 0xFC) << 3) | (b >> 3));
}

namespace {

// The generator's own 5 x 7 letters: seven rows of five dots, '#' set.
struct Glyph {
    char c;
    const char* rows[7];
};

const Glyph Glyphs[] = {
    {'A', {" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
    {'B', {"#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "}},
    {'C', {" ####", "#    ", "#    ", "#    ", "#    ", "#    ", " ####"}},
    {'D', {"#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "}},
    {'E', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"}},
    {'F', {"#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    "}},
    {'G', {" ####", "#    ", "#    ", "#  ##", "#   #", "#   #", " ### "}},
    {'H', {"#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"}},
    {'I', {"#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "#####"}},
    {'J', {"  ###", "    #", "    #", "    #", "#   #", "#   #", " ### "}},
    {'K', {"#   #", "#  # ", "# #  ", "##   ", "# #  ", "#  # ", "#   #"}},
    {'L', {"#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"}},
    {'M', {"#   #", "## ##", "# # #", "#   #", "#   #", "#   #", "#   #"}},
    {'N', {"#   #", "##  #", "# # #", "#  ##", "#   #", "#   #", "#   #"}},
    {'O', {" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
    {'P', {"#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    "}},
    {'Q', {" ### ", "#   #", "#   #", "#   #", "# # #", "#  # ", " ## #"}},
    {'R', {"#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"}},
    {'S', {" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "}},
    {'T', {"#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "}},
    {'U', {"#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "}},
    {'V', {"#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "}},
    {'W', {"#   #", "#   #", "#   #", "# # #", "# # #", "## ##", "#   #"}},
    {'X', {"#   #", "#   #", " # # ", "  #  ", " # # ", "#   #", "#   #"}},
    {'Y', {"#   #", "#   #", " # # ", "  #  ", "  #  ", "  #  ", "  #  "}},
    {'Z', {"#####", "    #", "   # ", "  #  ", " #   ", "#    ", "#####"}},
    {'0', {" ### ", "#   #", "#  ##", "# # #", "##  #", "#   #", " ### "}},
    {'1', {"  #  ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
    {'2', {" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####"}},
    {'3', {"#### ", "    #", "    #", " ### ", "    #", "    #", "#### "}},
    {'4', {"#   #", "#   #", "#   #", "#####", "    #", "    #", "    #"}},
    {'5', {"#####", "#    ", "#    ", "#### ", "    #", "    #", "#### "}},
    {'6', {" ### ", "#    ", "#    ", "#### ", "#   #", "#   #", " ### "}},
    {'7', {"#####", "    #", "   # ", "  #  ", "  #  ", "  #  ", "  #  "}},
    {'8', {" ### ", "#   #", "#   #", " ### ", "#   #", "#   #", " ### "}},
    {'9', {" ### ", "#   #", "#   #", " ####", "    #", "    #", " ### "}},
    {'-', {"     ", "     ", "     ", "#####", "     ", "     ", "     "}},
    {'.', {"     ", "     ", "     ", "     ", "     ", "     ", "  #  "}},
    {'/', {"    #", "    #", "   # ", "  #  ", " #   ", "#    ", "#    "}},
    {':', {"     ", "  #  ", "     ", "     ", "     ", "  #  ", "     "}},
};

const Glyph* Find(char c) {
    for (const Glyph& g : Glyphs)
        if (g.c == c) return &g;
    return nullptr;
}

uint16_t Mix(uint16_t a, uint16_t b, int num, int den) {
    const int ar = a >> 11, ag = (a >> 5) & 63, ab = a & 31;
    const int br = b >> 11, bg = (b >> 5) & 63, bb = b & 31;
    return uint16_t(((ar + (br - ar) * num / den) << 11) | ((ag + (bg - ag) * num / den) << 5) |
                    (ab + (bb - ab) * num / den));
}

} // namespace

DemoPicture::DemoPicture(int width, int height, uint16_t fill)
    : width(width), height(height), pixels(size_t(width) * height, fill) {}

void DemoPicture::Fill(int left, int top, int right, int bottom, uint16_t colour) {
    for (int y = std::max(top, 0); y < std::min(bottom, height); ++y)
        for (int x = std::max(left, 0); x < std::min(right, width); ++x)
            pixels[size_t(y) * width + x] = colour;
}

void DemoPicture::Gradient(uint16_t top, uint16_t bottom) {
    for (int y = 0; y < height; ++y)
        Fill(0, y, width, y + 1, Mix(top, bottom, y, std::max(height - 1, 1)));
}

void DemoPicture::Frame(int left, int top, int right, int bottom, int t, uint16_t colour) {
    Fill(left, top, right, top + t, colour);
    Fill(left, bottom - t, right, bottom, colour);
    Fill(left, top, left + t, bottom, colour);
    Fill(right - t, top, right, bottom, colour);
}

void DemoPicture::Disc(int cx, int cy, int r, uint16_t colour) {
    for (int y = cy - r; y <= cy + r; ++y)
        for (int x = cx - r; x <= cx + r; ++x)
            if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r && x >= 0 && y >= 0 && x < width &&
                y < height)
                pixels[size_t(y) * width + x] = colour;
}

int DemoPicture::TextWidth(const std::string& text, int scale) {
    return text.empty() ? 0 : int(text.size()) * 6 * scale - scale;
}

void DemoPicture::Text(int x, int y, const std::string& text, int scale, uint16_t colour) {
    for (size_t i = 0; i < text.size(); ++i) {
        const Glyph* g = Find(text[i]);
        if (!g) continue;
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 5; ++col)
                if (g->rows[row][col] == '#')
                    Fill(x + (int(i) * 6 + col) * scale, y + row * scale, x + (int(i) * 6 + col + 1) * scale,
                         y + (row + 1) * scale, colour);
    }
}

void DemoPicture::CentredText(int left, int top, int right, int bottom, const std::string& text, int scale,
                              uint16_t colour) {
    const int w = TextWidth(text, scale), h = 7 * scale;
    Text(left + (right - left - w) / 2, top + (bottom - top - h) / 2, text, scale, colour);
}

void DemoPicture::Paste(const DemoPicture& other, int x, int y) {
    for (int j = 0; j < other.height; ++j)
        for (int i = 0; i < other.width; ++i) {
            const uint16_t p = other.pixels[size_t(j) * other.width + i];
            if (p != 0 && x + i >= 0 && y + j >= 0 && x + i < width && y + j < height)
                pixels[size_t(y + j) * width + x + i] = p;
        }
}
