#include "platform/GdiText.h"

#include "platform/Big5.h"
#include "platform/FontFinder.h"
#include "platform/RasterFont.h"

#include <cstring>
#include <string>

namespace platform {
namespace {

constexpr int kDefaultPixelSize = 16;
constexpr const char* kSystemFace = "AR PL UMing TW";

RasterFont* rasterFor(const LOGFONTA& lf, int pixelSize) {
    std::string face(lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE));
    auto file = FindGameFont(face);
    if (!file) return nullptr;
    return RasterFont::Get(file->path, file->index, pixelSize);
}

GdiFont* systemFont() {
    static GdiFont* font = [] {
        auto* f = new GdiFont;
        f->stock = true;
        f->logFont.lfHeight = -kDefaultPixelSize;
        std::strncpy(f->logFont.lfFaceName, kSystemFace, LF_FACESIZE - 1);
        f->pixelSize = kDefaultPixelSize;
        f->raster = rasterFor(f->logFont, f->pixelSize);
        return f;
    }();
    return font;
}

GdiFont* currentFont(HDC dc) {
    auto* f = dynamic_cast<GdiFont*>(static_cast<GdiObject*>(dc->font));
    return f ? f : systemFont();
}

bool isLayout555(HDC dc) {
    return dc->format.dwGBitMask == 0x03E0;
}

// One character of a Big5 string: a single byte or a lead and trail pair.
struct Cell {
    int bytes = 1;
    bool draw = false;
    uint32_t codePoint = 0; // 0 with draw set: a box for a character without a glyph
};

Cell nextCell(const uint8_t* s, int i, int n) {
    Cell cell;
    uint8_t b = s[i];
    if (b < 0x20 || b == 0x7F) return cell;
    if (b < 0x80) {
        cell.draw = true;
        cell.codePoint = b;
        return cell;
    }
    cell.draw = true;
    if (IsBig5LeadByte(b) && i + 1 < n && IsBig5TrailByte(s[i + 1])) {
        cell.bytes = 2;
        cell.codePoint = Big5PairToUnicode(b, s[i + 1]);
    }
    return cell;
}

int advanceOf(const Cell& cell, int size) {
    return cell.bytes == 2 ? size : size / 2;
}

void putPixel(const DeviceContext& t, int x, int y, uint16_t value) {
    if (x < 0 || y < 0 || x >= t.width || y >= t.height) return;
    auto* row =
        reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(t.bits) + static_cast<ptrdiff_t>(y) * t.pitch);
    row[x] = value;
}

void drawBox(const DeviceContext& t, int x, int y, int w, int h, uint16_t value) {
    // Outline of the cell, one pixel in from its edges, for a character the face cannot show.
    if (w < 3 || h < 3) return;
    for (int c = 1; c < w - 1; ++c) {
        putPixel(t, x + c, y + 1, value);
        putPixel(t, x + c, y + h - 2, value);
    }
    for (int r = 1; r < h - 1; ++r) {
        putPixel(t, x + 1, y + r, value);
        putPixel(t, x + w - 2, y + r, value);
    }
}

void drawGlyph(const DeviceContext& t, const RasterGlyph& g, int cellX, int cellAdvance, int baseline,
               uint16_t value) {
    int x0 = cellX + g.left + (cellAdvance - g.advance) / 2;
    int y0 = baseline - g.top;
    for (int r = 0; r < g.rows; ++r) {
        int y = y0 + r;
        if (y < 0 || y >= t.height) continue;
        const uint8_t* bits = g.bits.data() + static_cast<size_t>(r) * g.width;
        for (int c = 0; c < g.width; ++c)
            if (bits[c]) putPixel(t, x0 + c, y, value);
    }
}

} // namespace

uint16_t PackColour16(COLORREF colour, bool layout555) {
    unsigned r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
    if (layout555) return static_cast<uint16_t>(((r & 0xF8) << 7) | ((g & 0xF8) << 2) | (b >> 3));
    return static_cast<uint16_t>(((r & 0xF8) << 8) | ((g & 0xFC) << 3) | (b >> 3));
}

HFONT CreateFontIndirectA(const LOGFONTA* logFont) {
    if (!logFont) return nullptr;
    auto* font = new GdiFont;
    font->logFont = *logFont;
    int h = logFont->lfHeight < 0 ? -logFont->lfHeight : logFont->lfHeight;
    font->pixelSize = h == 0 ? kDefaultPixelSize : h;
    font->raster = rasterFor(font->logFont, font->pixelSize);
    return font;
}

HGDIOBJ GetStockObject(int which) {
    return which == SYSTEM_FONT ? systemFont() : nullptr;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    if (!dc || !object) return nullptr;
    HGDIOBJ old = dc->font ? static_cast<GdiObject*>(dc->font) : systemFont();
    dc->font = object;
    return old;
}

bool DeleteObject(HGDIOBJ object) {
    if (!object) return false;
    if (!object->stock) delete object;
    return true;
}

int SetBkMode(HDC dc, int mode) {
    if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
    int old = dc->bkMode;
    dc->bkMode = mode;
    return old;
}

COLORREF SetTextColor(HDC dc, COLORREF colour) {
    if (!dc) return 0xFFFFFFFF;
    COLORREF old = dc->textColor;
    dc->textColor = colour;
    return old;
}

COLORREF SetBkColor(HDC dc, COLORREF colour) {
    if (!dc) return 0xFFFFFFFF;
    COLORREF old = dc->bkColor;
    dc->bkColor = colour;
    return old;
}

bool GetTextExtentPoint32A(HDC dc, const char* text, int count, SIZE* size) {
    if (!dc || !size || count < 0 || (count > 0 && !text)) return false;
    int px = currentFont(dc)->pixelSize;
    const auto* s = reinterpret_cast<const uint8_t*>(text);
    int width = 0;
    for (int i = 0; i < count;) {
        Cell cell = nextCell(s, i, count);
        width += advanceOf(cell, px);
        i += cell.bytes;
    }
    size->cx = width;
    size->cy = px;
    return true;
}

bool TextOutA(HDC dc, int x, int y, const char* text, int count) {
    if (!dc || count < 0 || (count > 0 && !text)) return false;
    GdiFont* font = currentFont(dc);
    const DeviceContext& t = *dc;
    if (!t.bits) return false;
    int px = font->pixelSize;
    bool layout555 = isLayout555(dc);
    uint16_t ink = PackColour16(dc->textColor, layout555);
    if (dc->bkMode == OPAQUE) {
        SIZE extent;
        GetTextExtentPoint32A(dc, text, count, &extent);
        uint16_t paper = PackColour16(dc->bkColor, layout555);
        for (int r = 0; r < extent.cy; ++r)
            for (int c = 0; c < extent.cx; ++c)
                putPixel(t, x + c, y + r, paper);
    }
    RasterFont* raster = font->raster;
    const auto* s = reinterpret_cast<const uint8_t*>(text);
    int pen = x;
    int baseline = y + (raster ? raster->ascent() : px);
    for (int i = 0; i < count;) {
        Cell cell = nextCell(s, i, count);
        int advance = advanceOf(cell, px);
        if (cell.draw) {
            const RasterGlyph* glyph = raster && cell.codePoint ? raster->Glyph(cell.codePoint) : nullptr;
            if (glyph)
                drawGlyph(t, *glyph, pen, advance, baseline, ink);
            else if (cell.codePoint != ' ')
                drawBox(t, pen, y, advance, px, ink);
        }
        pen += advance;
        i += cell.bytes;
    }
    return raster != nullptr;
}

} // namespace platform
