#include "engine/NumberFont.h"

#include "engine/ResourceStore.h"
#include "engine/StoreImage.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

NumberFont* TheNumberFont = nullptr;

namespace {

GlyphImage* NewGlyph(int w, int h) {
    auto* g = new GlyphImage;
    g->width = w;
    g->height = h;
    g->block = platform::GlobalAlloc(platform::GHND, size_t(w) * size_t(h) * 2);
    g->pixels = static_cast<uint16_t*>(platform::GlobalLock(g->block));
    if (!g->pixels) {
        platform::GlobalFree(g->block);
        delete g;
        return nullptr;
    }
    return g;
}

void FreeGlyph(GlyphImage* g) {
    if (!g) return;
    platform::GlobalUnlock(g->block);
    platform::GlobalFree(g->block);
    delete g;
}

} // namespace

void BlitMasked16(const GlyphTarget& destination, int x, int y, const GlyphImage& image, bool skipZero) {
    if (!destination.pixels || !image.pixels) return;
    const int64_t r0 = std::max<int64_t>(0, -int64_t(y)), c0 = std::max<int64_t>(0, -int64_t(x));
    const int64_t r1 = std::min<int64_t>(image.height, int64_t(destination.height) - y);
    const int64_t c1 = std::min<int64_t>(image.width, int64_t(destination.width) - x);
    for (int64_t r = r0; r < r1; ++r) {
        uint16_t* out = destination.pixels + ptrdiff_t(y + r) * destination.pitch;
        const uint16_t* in = image.pixels + ptrdiff_t(r) * image.width;
        for (int64_t c = c0; c < c1; ++c)
            if (!skipZero || in[c] != 0) out[x + c] = in[c];
    }
}

void CopyRow8(uint8_t* out, const uint8_t* in, int count) {
    if (out && in && count > 0) std::memcpy(out, in, size_t(count));
}

NumberFont::NumberFont() {
    const StoreImage* strips[kSizes] = {};
    if (TheResourceStore)
        for (int s = 0; s < kSizes; ++s)
            strips[s] = TheResourceStore->graphicsImages[9 + s];
    Build(strips);
}

NumberFont::NumberFont(const StoreImage* const strips[kSizes]) {
    Build(strips);
}

void NumberFont::Build(const StoreImage* const strips[kSizes]) {
    for (int s = 0; s < kSizes; ++s) {
        const StoreImage* strip = strips ? strips[s] : nullptr;
        const int count = kGlyphCounts[s];
        if (!strip || strip->width < count || strip->height <= 0 || strip->width > 255 * count ||
            strip->height > 255 || strip->pixels.size() < size_t(strip->width) * size_t(strip->height))
            continue;
        const int w = strip->width / count;
        const int h = strip->height;
        glyphWidth[s] = uint8_t(w);
        glyphHeight[s] = uint8_t(h);
        for (int i = 0; i < count; ++i) {
            GlyphImage* g = NewGlyph(w, h);
            GlyphImage* r = NewGlyph(w, h);
            if (!g || !r) {
                FreeGlyph(g);
                FreeGlyph(r);
                break;
            }
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const uint16_t p = strip->pixels[size_t(y) * strip->width + size_t(i) * w + x];
                    g->pixels[y * w + x] = p;
                    r->pixels[y * w + x] = p == 0x00FE ? 0x007A : p;
                }
            normal[s][i] = g;
            recoloured[s][i] = r;
        }
    }
    SetStyle(0x00FE, 0x00F1, 0, 0);
}

NumberFont::~NumberFont() {
    for (int s = 0; s < kSizes; ++s)
        for (int i = 0; i < kMaxGlyphs; ++i) {
            FreeGlyph(normal[s][i]);
            FreeGlyph(recoloured[s][i]);
            normal[s][i] = recoloured[s][i] = nullptr;
        }
}

void NumberFont::SetStyle(uint16_t first, uint16_t second, uint8_t byte1, uint8_t byte2) {
    firstColour = first;
    secondColour = second;
    styleByte1 = byte1;
    styleByte2 = byte2;
}

void NumberFont::SetStyle(uint16_t first, uint16_t second, uint8_t byte1, uint8_t byte2, int32_t x,
                          int32_t y) {
    SetStyle(first, second, byte1, byte2);
    positionX = x;
    positionY = y;
}

int NumberFont::DigitCount(int32_t value) {
    int64_t v = value < 0 ? -int64_t(value) : value;
    int n = 1;
    while (v >= 10) {
        v /= 10;
        ++n;
    }
    return n;
}

void NumberFont::DrawNumber(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {}

const GlyphImage* NumberFont::Glyph(int size, int index, bool recolouredSet) const {
    if (size < 0 || size >= kSizes || index < 0 || index >= kMaxGlyphs) return nullptr;
    return recolouredSet ? recoloured[size][index] : normal[size][index];
}

void NumberFont::DrawGlyphRun(const GlyphTarget& target, int x, int y, int size, const int* glyphs, int count,
                              bool rightAligned, bool recolouredSet) const {
    if (size < 0 || size >= kSizes || glyphWidth[size] == 0) return;
    const int w = glyphWidth[size], h = glyphHeight[size];
    for (int r = 0; r < h; ++r) {
        const int ty = y + r;
        if (ty < 0 || ty >= target.height || !target.pixels) continue;
        for (int c = 0; c < kFieldGlyphs * w; ++c) {
            const int tx = x + c;
            if (tx >= 0 && tx < target.width) target.pixels[ptrdiff_t(ty) * target.pitch + tx] = firstColour;
        }
    }
    if (count > kFieldGlyphs) count = kFieldGlyphs;
    const int start = rightAligned ? kFieldGlyphs - count : 0;
    for (int i = 0; i < count; ++i) {
        const GlyphImage* g = Glyph(size, glyphs[i], recolouredSet);
        if (g) BlitMasked16(target, x + (start + i) * w, y, *g, true);
    }
}

void NumberFont::DrawDigits(const GlyphTarget& target, int x, int y, int size, int32_t value,
                            bool rightAligned, bool recolouredSet, bool withSign, bool withSuffix) const {
    char text[16];
    std::snprintf(text, sizeof text, withSign && value >= 0 ? "+%d" : "%d", value);
    DrawDigitText(target, x, y, size, text, rightAligned, recolouredSet, withSuffix);
}

void NumberFont::DrawDigitText(const GlyphTarget& target, int x, int y, int size, const char* text,
                               bool rightAligned, bool recolouredSet, bool withSuffix) const {
    int glyphs[kFieldGlyphs + 1];
    int n = 0;
    for (const char* p = text ? text : ""; *p && n < kFieldGlyphs; ++p) {
        if (*p >= '0' && *p <= '9')
            glyphs[n++] = *p - '0';
        else if (*p == '+')
            glyphs[n++] = 10;
        else if (*p == '-')
            glyphs[n++] = 11;
    }
    if (withSuffix && n < kFieldGlyphs) glyphs[n++] = 12;
    DrawGlyphRun(target, x, y, size, glyphs, n, rightAligned, recolouredSet);
}
