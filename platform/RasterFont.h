#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace platform {

// One glyph as a one-byte-per-pixel coverage mask (0 or 1), placed relative to the pen position
// on the baseline.
struct RasterGlyph {
    int left = 0;
    int top = 0; // rows above the baseline
    int width = 0;
    int rows = 0;
    int advance = 0; // the face's own advance, used only to centre the glyph in its cell
    std::vector<uint8_t> bits;
};

// A FreeType face at one pixel size, with the glyphs it has rendered so far.
class RasterFont {
public:
    // The shared font of a file, face index and pixel size; null when the face cannot be opened.
    static RasterFont* Get(const std::string& path, int index, int pixelSize);

    ~RasterFont();
    RasterFont(const RasterFont&) = delete;
    RasterFont& operator=(const RasterFont&) = delete;

    int pixelSize() const { return pixelSize_; }
    int ascent() const { return ascent_; }

    // The glyph of a Unicode code point, or null when the face has none.
    const RasterGlyph* Glyph(uint32_t codePoint);

private:
    RasterFont() = default;
    bool open(const std::string& path, int index, int pixelSize);

    void* face_ = nullptr; // FT_Face
    int pixelSize_ = 0;
    int ascent_ = 0;
    std::mutex mutex_;
    std::unordered_map<uint32_t, std::unique_ptr<RasterGlyph>> glyphs_;
};

} // namespace platform
