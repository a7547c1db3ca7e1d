#include "engine/SurfaceText.h"

#include "engine/Big5Font.h"
#include "engine/PixelFormat.h"
#include "platform/Files.h"
#include "platform/GdiText.h"
#include "platform/Surface.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

struct FontRow {
    int fontSize;
    int32_t height;
    const char* face;
};

constexpr const char* kMingFace = "\xB2\xD3\xA9\xFA\xC5\xE9"; // 細明體
constexpr const char* kKaiFace = "\xBC\xD0\xB7\xA2\xC5\xE9";  // 標楷體

// Size 14 draws with the 12-pixel font: the window layouts were made with it.
constexpr FontRow kFontTable[] = {
    {12, -12, kMingFace}, {14, -12, kMingFace}, {15, -15, kMingFace},
    {16, -16, kMingFace}, {20, -20, kKaiFace},  {24, -24, kKaiFace},
};

const FontRow* fontRow(int fontSize) {
    for (const auto& row : kFontTable)
        if (row.fontSize == fontSize) return &row;
    return nullptr;
}

platform::LOGFONTA logFontOf(const FontRow& row) {
    return Big5FontSpec(row.height, row.face);
}

std::vector<uint8_t> readFile(const char* name, size_t limit) {
    std::vector<uint8_t> out;
    FILE* f = name ? platform::fopen(name, "rb") : nullptr;
    if (!f) return out;
    uint8_t buf[4096];
    size_t n;
    while (out.size() < limit && (n = std::fread(buf, 1, std::min(sizeof buf, limit - out.size()), f)) > 0)
        out.insert(out.end(), buf, buf + n);
    std::fclose(f);
    return out;
}

} // namespace

Big5BitmapFont::Big5BitmapFont() : fontSize(kDefaultSize) {}

void Big5BitmapFont::DrawSurfaceText(int x, int y, const char* text, platform::Surface* surface,
                                     int colourIndex, int) {
    platform::HDC dc = nullptr;
    if (surface && platform::SUCCEEDED(surface->GetDC(&dc))) {
        platform::HFONT font = nullptr;
        if (const FontRow* row = fontRow(fontSize)) {
            platform::LOGFONTA lf = logFontOf(*row);
            font = platform::CreateFontIndirectA(&lf);
            platform::SelectObject(dc, font);
        }
        platform::SetBkMode(dc, platform::TRANSPARENT);
        platform::SetTextColor(dc, PixelToColour(Palette16[colourIndex & 0xFF]));
        if (text) platform::TextOutA(dc, x, y, text, static_cast<int>(std::strlen(text)));
        platform::SelectObject(dc, platform::GetStockObject(platform::SYSTEM_FONT));
        if (font) platform::DeleteObject(font);
        surface->ReleaseDC(dc);
    }
    fontSize = kDefaultSize;
}

void Big5BitmapFont::LoadFont(const char* glyphFile, const char* indexFile) {
    std::vector<uint8_t> index = readFile(indexFile, static_cast<size_t>(kCellCount) * 2);
    if (!index.empty() || (indexFile && platform::FileExists(indexFile))) {
        cellIndex.assign(kCellCount, 0);
        for (size_t i = 0; i + 1 < index.size(); i += 2)
            cellIndex[i / 2] = static_cast<uint16_t>(index[i] | (index[i + 1] << 8));
    }
    std::vector<uint8_t> glyphs = readFile(glyphFile, SIZE_MAX);
    if (!glyphs.empty()) glyphData = std::move(glyphs);
}

uint16_t Big5BitmapFont::CellIndex(uint8_t lead, uint8_t trail) const {
    int column = 0;
    if (trail >= 0x40 && trail <= 0x7E)
        column = trail - 0x40;
    else if (trail >= 0xA1 && trail <= 0xFE)
        column = trail - 0x62;
    unsigned cell;
    if (lead == 0xC6 && trail >= 0xA1)
        cell = 0x8001 + (trail - 0xA1);
    else if (lead >= 0xA1 && lead <= 0xA3)
        cell = 0x8400 + (lead - 0xA1) * 157 + column;
    else if (lead >= 0xA4 && lead <= 0xC6)
        cell = 0x8800 + (lead - 0xA4) * 157 + column;
    else if (lead >= 0xC7 && lead <= 0xC8)
        cell = 0x805F + (lead - 0xC7) * 157 + column;
    else if (lead >= 0xC9 && lead <= 0xF9)
        cell = 0x9D19 + (lead - 0xC9) * 157 + column;
    else
        return 0;
    return static_cast<uint16_t>(cell);
}

void Big5BitmapFont::DrawBitmapString(const char* text, uint8_t* out, size_t outSize) const {
    if (!text || !out) return;
    const auto* s = reinterpret_cast<const uint8_t*>(text);
    for (size_t o = 0; s[0] != 0 && o + kGlyphBytes <= outSize; s += 2, o += kGlyphBytes) {
        uint8_t* dst = out + o;
        std::memset(dst, 0, kGlyphBytes);
        if (s[0] == 0x20) {
            if (s[1] == 0) break;
            continue;
        }
        // The glyph of a cell is entry cell - 0x7FFF of the index, counted from 1.
        long entry = static_cast<long>(CellIndex(s[0], s[1])) - 0x7FFF;
        if (entry >= 0 && static_cast<size_t>(entry) < cellIndex.size() && cellIndex[entry] != 0) {
            size_t at = (static_cast<size_t>(cellIndex[entry]) - 1) * kGlyphBytes;
            if (at + kGlyphBytes <= glyphData.size()) std::memcpy(dst, glyphData.data() + at, kGlyphBytes);
        }
        if (s[1] == 0) break; // an odd byte at the end: its pair ends the text
    }
}

void DrawTextIntoBuffer(Big5BitmapFont& font, int x, int y, const char* text, const PixelBuffer16& buffer,
                        platform::Surface* workSurface) {
    if (!text || !*text || !workSurface) return;
    platform::DDSURFACEDESC2 desc;
    if (platform::FAILED(workSurface->Lock(nullptr, &desc, platform::DDLOCK_WAIT))) return;
    const int rows = std::min<int>(20, static_cast<int>(desc.dwHeight));
    const size_t rowBytes = std::min<size_t>(640, static_cast<size_t>(desc.dwWidth) * 2);
    for (int r = 0; r < rows; ++r)
        std::memset(static_cast<uint8_t*>(desc.lpSurface) + r * desc.lPitch, 0x80, rowBytes);
    workSurface->Unlock(nullptr);

    font.DrawSurfaceText(0, 0, text, workSurface, 0xF0);

    if (platform::FAILED(workSurface->Lock(nullptr, &desc, platform::DDLOCK_WAIT))) return;
    ConstPixelBuffer16 work{static_cast<const uint16_t*>(desc.lpSurface), desc.lPitch / 2,
                            static_cast<int>(desc.dwWidth), static_cast<int>(desc.dwHeight)};
    BlitColorKeyed16(buffer, x, y, work, 0, 0, static_cast<int>(std::strlen(text)) * 8, 16);
    workSurface->Unlock(nullptr);
}
