#include "platform/RasterFont.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <map>
#include <tuple>

namespace platform {
namespace {

std::mutex& libraryMutex() {
    static std::mutex m;
    return m;
}

FT_Library library() {
    static FT_Library lib = [] {
        FT_Library l = nullptr;
        if (FT_Init_FreeType(&l) != 0) l = nullptr;
        return l;
    }();
    return lib;
}

} // namespace

RasterFont* RasterFont::Get(const std::string& path, int index, int pixelSize) {
    using Key = std::tuple<std::string, int, int>;
    static std::map<Key, std::unique_ptr<RasterFont>> fonts;
    std::lock_guard lock(libraryMutex());
    Key key{path, index, pixelSize};
    auto it = fonts.find(key);
    if (it != fonts.end()) return it->second.get();
    std::unique_ptr<RasterFont> font(new RasterFont);
    if (!font->open(path, index, pixelSize)) font.reset();
    RasterFont* result = font.get();
    fonts.emplace(key, std::move(font));
    return result;
}

RasterFont::~RasterFont() {
    if (face_) FT_Done_Face(static_cast<FT_Face>(face_));
}

bool RasterFont::open(const std::string& path, int index, int pixelSize) {
    FT_Library lib = library();
    if (!lib || pixelSize <= 0) return false;
    FT_Face face = nullptr;
    if (FT_New_Face(lib, path.c_str(), index, &face) != 0) return false;
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0) {
        FT_Done_Face(face);
        return false;
    }
    face_ = face;
    pixelSize_ = pixelSize;
    bool strike = false;
    for (int i = 0; i < face->num_fixed_sizes; ++i)
        if ((face->available_sizes[i].y_ppem >> 6) == pixelSize) strike = true;
    if (strike || !FT_IS_SCALABLE(face)) {
        // The hand-made bitmaps carry their own line metrics.
        ascent_ = static_cast<int>(face->size->metrics.ascender >> 6);
    } else {
        // The cell is one em high, shared between ascender and descender as the face divides it.
        double asc = face->ascender;
        double desc = -static_cast<double>(face->descender);
        ascent_ = asc + desc > 0 ? static_cast<int>(std::lround(pixelSize * asc / (asc + desc))) : pixelSize;
    }
    if (ascent_ > pixelSize) ascent_ = pixelSize;
    return true;
}

const RasterGlyph* RasterFont::Glyph(uint32_t codePoint) {
    std::lock_guard lock(mutex_);
    auto it = glyphs_.find(codePoint);
    if (it != glyphs_.end()) return it->second.get();

    std::unique_ptr<RasterGlyph> glyph;
    auto face = static_cast<FT_Face>(face_);
    FT_UInt gi = FT_Get_Char_Index(face, codePoint);
    {
        std::lock_guard libLock(libraryMutex());
        if (gi != 0 && FT_Load_Glyph(face, gi, FT_LOAD_TARGET_MONO | FT_LOAD_RENDER) == 0) {
            FT_GlyphSlot slot = face->glyph;
            if (slot->format != FT_GLYPH_FORMAT_BITMAP) FT_Render_Glyph(slot, FT_RENDER_MODE_MONO);
            const FT_Bitmap& bm = slot->bitmap;
            glyph = std::make_unique<RasterGlyph>();
            glyph->left = slot->bitmap_left;
            glyph->top = slot->bitmap_top;
            glyph->width = static_cast<int>(bm.width);
            glyph->rows = static_cast<int>(bm.rows);
            glyph->advance = static_cast<int>(slot->advance.x >> 6);
            glyph->bits.assign(static_cast<size_t>(glyph->width) * glyph->rows, 0);
            for (int r = 0; r < glyph->rows; ++r) {
                const unsigned char* row = bm.buffer + static_cast<ptrdiff_t>(r) * bm.pitch;
                for (int c = 0; c < glyph->width; ++c) {
                    bool on = false;
                    if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
                        on = (row[c >> 3] >> (7 - (c & 7))) & 1;
                    else if (bm.pixel_mode == FT_PIXEL_MODE_GRAY)
                        on = row[c] >= 128; // a grey bitmap strike: keep the edge hard
                    glyph->bits[static_cast<size_t>(r) * glyph->width + c] = on ? 1 : 0;
                }
            }
        }
    }
    const RasterGlyph* result = glyph.get();
    glyphs_.emplace(codePoint, std::move(glyph));
    return result;
}

} // namespace platform
