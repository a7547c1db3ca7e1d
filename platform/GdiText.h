#pragma once

#include "platform/Surface.h"

#include <cstdint>

// GDI text as the game uses it: Big5 strings drawn into 16-bit surfaces through a device context,
// with fonts chosen by face name and height. Text is drawn unsmoothed, every text pixel exactly the
// packed text colour, because other drawing code finds text pixels by their colour.
namespace platform {

using COLORREF = uint32_t;
constexpr COLORREF RGB(uint8_t r, uint8_t g, uint8_t b) {
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
constexpr uint8_t GetRValue(COLORREF c) {
    return static_cast<uint8_t>(c);
}
constexpr uint8_t GetGValue(COLORREF c) {
    return static_cast<uint8_t>(c >> 8);
}
constexpr uint8_t GetBValue(COLORREF c) {
    return static_cast<uint8_t>(c >> 16);
}

constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
constexpr int SYSTEM_FONT = 13;

constexpr uint8_t CHINESEBIG5_CHARSET = 136;
constexpr uint8_t OUT_STROKE_PRECIS = 3;
constexpr uint8_t CLIP_STROKE_PRECIS = 2;
constexpr uint8_t DRAFT_QUALITY = 1;
constexpr uint8_t FIXED_PITCH = 1;
constexpr uint8_t FF_MODERN = 0x30;
constexpr int FW_NORMAL = 400;
constexpr int LF_FACESIZE = 32;

struct LOGFONTA {
    int32_t lfHeight = 0;
    int32_t lfWidth = 0;
    int32_t lfEscapement = 0;
    int32_t lfOrientation = 0;
    int32_t lfWeight = 0;
    uint8_t lfItalic = 0;
    uint8_t lfUnderline = 0;
    uint8_t lfStrikeOut = 0;
    uint8_t lfCharSet = 0;
    uint8_t lfOutPrecision = 0;
    uint8_t lfClipPrecision = 0;
    uint8_t lfQuality = 0;
    uint8_t lfPitchAndFamily = 0;
    char lfFaceName[LF_FACESIZE] = {};
};

struct SIZE {
    int32_t cx = 0;
    int32_t cy = 0;
};

class GdiObject {
public:
    virtual ~GdiObject() = default;
    bool stock = false;
};
using HGDIOBJ = GdiObject*;

class RasterFont;

// A created font: its LOGFONT and the face it draws with (null when no face could be found).
class GdiFont : public GdiObject {
public:
    LOGFONTA logFont;
    int pixelSize = 16;
    RasterFont* raster = nullptr; // shared, owned by the font cache
};
using HFONT = GdiFont*;

HFONT CreateFontIndirectA(const LOGFONTA* logFont);
HGDIOBJ GetStockObject(int which);
// Device contexts come from Surface::GetDC (platform/Surface.h); a context that keeps no font draws
// with the stock system font.
// Selects a font into the context and returns the one it held; null for a null context or object.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// Deletes a created object; stock objects stay.
bool DeleteObject(HGDIOBJ object);
int SetBkMode(HDC dc, int mode);
COLORREF SetTextColor(HDC dc, COLORREF colour);
COLORREF SetBkColor(HDC dc, COLORREF colour);

// (x, y) is the top-left corner of the first character cell. A single byte advances half the font
// size, a Big5 pair the full size; control bytes draw nothing but take their half cell. Pixels
// outside the target are not drawn.
bool TextOutA(HDC dc, int x, int y, const char* text, int count);
bool GetTextExtentPoint32A(HDC dc, const char* text, int count, SIZE* size);

// The pixel value a colour takes in a 16-bit layout.
uint16_t PackColour16(COLORREF colour, bool layout555);

} // namespace platform
