#include "engine/GameFileWriters.h"

#include "engine/ByteReader.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace gamefiles {

uint16_t PatternPixel(uint16_t fill, int x, int y) {
    if (fill == 0) return 0;
    const uint16_t p = uint16_t(fill + x * 3 + y * 7);
    return p ? p : 1;
}

LayoutWriter& LayoutWriter::Word(uint32_t word) {
    for (int i = 0; i < 4; ++i)
        bytes_.push_back(uint8_t(word >> (8 * i)));
    return *this;
}

LayoutWriter& LayoutWriter::Block(uint32_t kind, uint32_t count) {
    return Word(kind).Word(count);
}

LayoutWriter& LayoutWriter::ElementPixels(int left, int top, int right, int bottom, int width, int height,
                                          int value, const std::vector<uint16_t>& pixels) {
    for (int w : {left, top, right, bottom, width, height, value})
        Word(uint32_t(w));
    for (uint16_t p : pixels) {
        bytes_.push_back(uint8_t(p));
        bytes_.push_back(uint8_t(p >> 8));
    }
    return *this;
}

LayoutWriter& LayoutWriter::Element(int left, int top, int right, int bottom, int width, int height,
                                    int value, uint16_t fill) {
    std::vector<uint16_t> pixels;
    if (width > 0 && height > 0)
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                pixels.push_back(PatternPixel(fill, x, y));
    return ElementPixels(left, top, right, bottom, width, height, value, pixels);
}

LayoutWriter& LayoutWriter::Solid(int left, int top, int right, int bottom, uint16_t colour, int value) {
    const int w = right - left, h = bottom - top;
    return ElementPixels(left, top, right, bottom, w, h, value, std::vector<uint16_t>(size_t(w) * h, colour));
}

bool LayoutWriter::Write(const std::string& path) const {
    return WriteBytes(path, bytes_);
}

namespace {

uint16_t Scale565(uint16_t c, int num, int den) {
    int r = (c >> 11) & 31, g = (c >> 5) & 63, b = c & 31;
    r = std::min(31, r * num / den);
    g = std::min(63, g * num / den);
    b = std::min(31, b * num / den);
    return uint16_t((r << 11) | (g << 5) | b);
}

std::vector<uint16_t> Face(int w, int h, uint16_t body, uint16_t light, uint16_t dark) {
    std::vector<uint16_t> p(size_t(std::max(w, 0)) * std::max(h, 0), body);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint16_t& q = p[size_t(y) * w + x];
            if (x < 2 || y < 2)
                q = light;
            else if (x >= w - 2 || y >= h - 2)
                q = dark;
            // Never 0: a face has no transparent pixel.
            if (q == 0) q = 0x0821;
        }
    return p;
}

} // namespace

std::vector<std::vector<uint16_t>> ButtonFaces(int width, int height, uint16_t colour) {
    const uint16_t grey = 0x8410;
    return {Face(width, height, colour, Scale565(colour, 3, 2), Scale565(colour, 1, 2)),
            Face(width, height, Scale565(colour, 2, 3), Scale565(colour, 1, 3), Scale565(colour, 3, 2)),
            Face(width, height, Scale565(colour, 4, 3), 0xFFFF, Scale565(colour, 2, 3)),
            Face(width, height, grey, 0xC618, 0x4208)};
}

Bytes ScreenLayout(const LayoutBox& frame, const std::vector<uint16_t>& background,
                   const std::vector<LayoutBox>& buttons, const std::vector<LayoutBox>& labels,
                   uint16_t buttonColour, int labelMode) {
    LayoutWriter w;
    w.Block(0, 1).ElementPixels(frame.left, frame.top, frame.right, frame.bottom, frame.Width(),
                                frame.Height(), 0, background);
    if (!buttons.empty()) {
        w.Block(1, uint32_t(buttons.size()));
        for (const LayoutBox& b : buttons)
            for (const std::vector<uint16_t>& face : ButtonFaces(b.Width(), b.Height(), buttonColour))
                w.ElementPixels(b.left, b.top, b.right, b.bottom, b.Width(), b.Height(), 0, face);
    }
    if (!labels.empty()) {
        w.Block(2, uint32_t(labels.size()));
        for (const LayoutBox& l : labels)
            w.Element(l.left, l.top, l.right, l.bottom, 0, 0, labelMode);
    }
    w.End();
    return w.Bytes();
}

Bytes AniFile(const std::vector<AniFrameSpec>& frames, int32_t headerW, int32_t headerH) {
    ByteWriter w;
    w.u32(uint32_t(frames.size()));
    w.i32(headerW >= 0 ? headerW : frames.empty() ? 0 : frames[0].w);
    w.i32(headerH >= 0 ? headerH : frames.empty() ? 0 : frames[0].h);
    for (const AniFrameSpec& f : frames) {
        w.i32(f.x);
        w.i32(f.y);
        w.i32(f.w);
        w.i32(f.h);
        for (uint16_t p : f.pixels)
            w.u16(p);
        w.bytes(f.mask.data(), f.mask.size());
    }
    return w.buffer();
}

Bytes PaletteFile(const uint8_t (&rgb)[256][3]) {
    Bytes out;
    out.reserve(768);
    for (const auto& entry : rgb)
        out.insert(out.end(), entry, entry + 3);
    return out;
}

bool WriteBytes(const std::string& path, const Bytes& bytes) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!out) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) std::remove(temporary.c_str());
    return !ec;
}

} // namespace gamefiles
