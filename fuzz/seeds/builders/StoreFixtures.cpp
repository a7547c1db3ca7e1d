#include "fuzz/seeds/builders/StoreFixtures.h"

#include "engine/ByteReader.h"

#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace storefix {

Bytes IndexedImageSet(int count, const std::vector<Image8>& images, const std::vector<int>& slotImage) {
    ByteWriter w;
    w.zeros(size_t(count) * 4);
    std::vector<uint32_t> at;
    for (const Image8& image : images) {
        at.push_back(uint32_t(w.size()));
        w.u16(image.w);
        w.u16(image.h);
        w.bytes(image.indices.data(), image.indices.size());
    }
    for (int i = 0; i < count; ++i) {
        const int k = i < int(slotImage.size()) ? slotImage[i] : 0;
        w.patchU32(size_t(i) * 4, k < int(at.size()) ? at[k] : 0x7FFFFFF0u);
    }
    return w.buffer();
}

Bytes AnmFile(const std::vector<AnmFrameSpec>& frames, int32_t count) {
    ByteWriter w;
    w.u32(uint32_t(count >= 0 ? count : int32_t(frames.size())));
    for (const AnmFrameSpec& f : frames) {
        w.u32(uint32_t(f.w) | uint32_t(f.h) << 16);
        if (f.w == 0 && f.h == 0) continue;
        w.u32(uint32_t(uint16_t(f.x)) | uint32_t(uint16_t(f.y)) << 16);
        w.bytes(f.indices.data(), f.indices.size());
    }
    return w.buffer();
}

Bytes ActFile(const std::vector<ActSpec>& actions, int32_t count) {
    ByteWriter w;
    w.u32(uint32_t(count >= 0 ? count : int32_t(actions.size())));
    for (const ActSpec& a : actions) {
        w.u8(uint8_t(a.steps.size()));
        for (auto [value, frame] : a.steps) {
            w.u8(value);
            w.u16(frame);
        }
    }
    return w.buffer();
}

Bytes PicFile(uint32_t stride, const std::vector<PortraitSpec>& portraits) {
    ByteWriter w;
    w.u32(stride);
    for (size_t n = 0; n < portraits.size(); ++n) {
        const size_t start = 4 + n * stride;
        if (w.size() < start) w.zeros(start - w.size());
        w.u32(portraits[n].w);
        w.u32(portraits[n].h);
        w.u32(0);
        for (uint16_t p : portraits[n].pixels)
            w.u16(p);
    }
    return w.buffer();
}

Bytes KingdomCel(const std::vector<CellSpec>& ground, const std::vector<CellSpec>& layer,
                 const std::vector<SpriteSpec>& sprites, int64_t spriteCount) {
    ByteWriter w;
    for (const auto* table : {&ground, &layer}) {
        w.u32(uint32_t(table->size()));
        for (const CellSpec& c : *table) {
            w.u32(c.present ? 1 : 0);
            if (!c.present) continue;
            for (int i = 0; i < 400; ++i)
                w.u16(i < int(c.pixels.size()) ? c.pixels[i] : 0);
        }
    }
    w.u32(uint32_t(spriteCount >= 0 ? spriteCount : int64_t(sprites.size())));
    for (const SpriteSpec& s : sprites) {
        w.u32(s.present ? 1 : 0);
        if (!s.present) continue;
        w.u32(11);
        w.u32(22);
        w.u32(s.w);
        w.u32(s.h);
        w.u32(0x1234);
        for (uint16_t p : s.pixels)
            w.u16(p);
    }
    return w.buffer();
}

Bytes PaletteFile() {
    Bytes rgb(768);
    for (int i = 0; i < 256; ++i) {
        rgb[3 * i] = uint8_t(i);
        rgb[3 * i + 1] = uint8_t(255 - i);
        rgb[3 * i + 2] = uint8_t(i / 2);
    }
    return rgb;
}

uint16_t PaletteColour(int i, bool is555) {
    const uint8_t r = uint8_t(i), g = uint8_t(255 - i), b = uint8_t(i / 2);
    const uint16_t p565 = uint16_t(((r & 0xF8) << 8) | ((g & 0xFC) << 3) | (b >> 3));
    return is555 ? uint16_t(((p565 >> 1) & 0x7FE0) | (p565 & 0x1F)) : p565;
}

Bytes BmpFile8(int width, int height, bool topDown) {
    const int rowSize = (width + 3) / 4 * 4;
    ByteWriter w;
    w.bytes("BM", 2);
    w.u32(uint32_t(14 + 40 + 1024 + rowSize * height));
    w.u32(0);
    w.u32(14 + 40 + 1024);
    w.u32(40);
    w.i32(width);
    w.i32(topDown ? -height : height);
    w.u16(1);
    w.u16(8);
    w.u32(0);
    w.u32(uint32_t(rowSize * height));
    w.u32(2835);
    w.u32(2835);
    w.u32(0);
    w.u32(0);
    for (int i = 0; i < 256; ++i) { // RGBQUAD: blue, green, red, 0
        w.u8(uint8_t(i / 2));
        w.u8(uint8_t(255 - i));
        w.u8(uint8_t(i));
        w.u8(0);
    }
    for (int r = 0; r < height; ++r) {
        const int y = topDown ? r : height - 1 - r;
        for (int x = 0; x < rowSize; ++x)
            w.u8(x < width ? uint8_t((x + 2 * y) % 256) : 0);
    }
    return w.buffer();
}

Bytes PcxFile8(int width, int height) {
    ByteWriter w;
    w.u8(10);
    w.u8(5);
    w.u8(1);
    w.u8(8);
    w.u16(0);
    w.u16(0);
    w.u16(uint16_t(width - 1));
    w.u16(uint16_t(height - 1));
    w.u16(72);
    w.u16(72);
    w.zeros(48);
    w.u8(0);
    w.u8(1);
    w.u16(uint16_t(width + (width & 1)));
    w.u16(1);
    w.zeros(128 - w.size());
    const int bytesPerLine = width + (width & 1);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < bytesPerLine; ++x) {
            const uint8_t v = uint8_t((x * 3 + y) % 256);
            if (v >= 0xC0) w.u8(0xC1); // a literal of 0xC0 or above goes as a run of one
            w.u8(v);
        }
    }
    w.u8(12);
    for (int i = 0; i < 256; ++i) {
        w.u8(uint8_t(i));
        w.u8(uint8_t(2 * i));
        w.u8(uint8_t(3 * i));
    }
    return w.buffer();
}

Bytes FlicFile(int width, int height) {
    ByteWriter w;
    w.u32(0);
    w.u16(0xAF12);
    w.u16(2);
    w.u16(uint16_t(width));
    w.u16(uint16_t(height));
    w.u16(8);
    w.u16(3);
    w.u32(70);
    w.zeros(128 - w.size());
    // Frame 1: COLOR_256 (entries 0..255 = i, i, i) and BYTE_RUN filling the frame with 7.
    {
        ByteWriter sub1;
        sub1.u16(1);
        sub1.u8(0);
        sub1.u8(0); // 256 colours
        for (int i = 0; i < 256; ++i) {
            sub1.u8(uint8_t(i));
            sub1.u8(uint8_t(i));
            sub1.u8(uint8_t(i));
        }
        ByteWriter sub2;
        for (int y = 0; y < height; ++y) {
            sub2.u8(1);
            int left = width;
            while (left > 0) {
                const int n = left > 127 ? 127 : left;
                sub2.u8(uint8_t(n));
                sub2.u8(7);
                left -= n;
            }
        }
        ByteWriter frame;
        frame.u32(0);
        frame.u16(0xF1FA);
        frame.u16(2);
        frame.zeros(8);
        frame.u32(uint32_t(6 + sub1.size()));
        frame.u16(4);
        frame.bytes(sub1.buffer().data(), sub1.size());
        if (sub2.size() & 1) sub2.u8(0);
        frame.u32(uint32_t(6 + sub2.size()));
        frame.u16(15);
        frame.bytes(sub2.buffer().data(), sub2.size());
        frame.patchU32(0, uint32_t(frame.size()));
        w.bytes(frame.buffer().data(), frame.size());
    }
    // Frame 2: DELTA_FLC setting pixel (1, 1) to 9 (a word: pixels 1 and 2 of line 1 become 9, 7).
    {
        ByteWriter sub;
        sub.u16(1);      // one line
        sub.u16(0xFFFF); // skip one line
        sub.u16(1);      // one packet
        sub.u8(1);       // skip one column
        sub.u8(1);       // one word follows
        sub.u8(9);
        sub.u8(7);
        ByteWriter frame;
        frame.u32(0);
        frame.u16(0xF1FA);
        frame.u16(1);
        frame.zeros(8);
        frame.u32(uint32_t(6 + sub.size()));
        frame.u16(7);
        frame.bytes(sub.buffer().data(), sub.size());
        frame.patchU32(0, uint32_t(frame.size()));
        w.bytes(frame.buffer().data(), frame.size());
    }
    w.patchU32(0, uint32_t(w.size()));
    return w.buffer();
}

void WriteBytes(const std::filesystem::path& file, const Bytes& bytes) {
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

namespace {

Bytes TextBytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

std::vector<uint16_t> Ramp(size_t n, uint16_t start, uint16_t step) {
    std::vector<uint16_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = uint16_t(start + i * step);
    return v;
}

} // namespace

void WriteStoreFolder(const std::filesystem::path& dir) {
    std::filesystem::create_directories(dir);
    // Main and picture palettes: entry i = (i, 255 - i, i / 2).
    WriteBytes(dir / "Kardol.pal", PaletteFile());
    WriteBytes(dir / "OldPalette.pal", PaletteFile());

    // windows.dat: slot 0 a 2 x 2 image {0, 1, 2, 3}, slots 1..329 a 3 x 1 image {5, 0, 7}, slot 330
    // an offset past the end.
    std::vector<int> slots(331, 1);
    slots[0] = 0;
    slots[330] = 9;
    WriteBytes(dir / "windows.dat", IndexedImageSet(331, {{2, 2, {0, 1, 2, 3}}, {3, 1, {5, 0, 7}}}, slots));
    // graphics.dat: slots 9, 10, 11 digit strips of 32 x 3, 48 x 4 and 34 x 3 (index x % 5 + 1),
    // every other slot a 1 x 1 image of index 200.
    std::vector<Image8> strips;
    for (auto [w, h] : {std::pair{32, 3}, {48, 4}, {34, 3}}) {
        Image8 s{uint16_t(w), uint16_t(h), {}};
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                s.indices.push_back(uint8_t(x % 5 + 1));
        strips.push_back(s);
    }
    strips.push_back({1, 1, {200}});
    std::vector<int> gslots(81, 3);
    gslots[9] = 0;
    gslots[10] = 1;
    gslots[11] = 2;
    WriteBytes(dir / "graphics.dat", IndexedImageSet(81, strips, gslots));

    // kingdom.cel: ground {a cell of 0x1234 .. , an all-zero cell}, layer {absent, a cell of 0xF800},
    // sprites {3 x 2 ramp from 0x0841, absent, 1 x 1 of 0xFFFF}.
    CellSpec g0{true, Ramp(400, 0x1234, 1)}, g1{true, std::vector<uint16_t>(400, 0)};
    CellSpec l0{false, {}}, l1{true, std::vector<uint16_t>(400, 0xF800)};
    SpriteSpec s0{true, 3, 2, Ramp(6, 0x0841, 0x0841)}, s1{false, 0, 0, {}}, s2{true, 1, 1, {0xFFFF}};
    WriteBytes(dir / "kingdom.cel", KingdomCel({g0, g1}, {l0, l1}, {s0, s1, s2}));

    // Weapon: frames {2 x 1 at (-1, 2), none, 1 x 3}; actions {2 steps, 0 steps}.
    WriteBytes(dir / "ani" / "Weapon.anm",
               AnmFile({{2, 1, -1, 2, {4, 5}}, {0, 0, 0, 0, {}}, {1, 3, 0, 0, {6, 7, 8}}}));
    WriteBytes(dir / "ani" / "Weapon.act", ActFile({{{{1, 2}, {3, 0x0102}}}, {{}}}));
    // Unit kind 1 (also kind 0): 2 frames, 1 action. Kind 5: frames only.
    WriteBytes(dir / "ani" / "001.anm", AnmFile({{1, 1, 0, 0, {9}}, {2, 2, 1, 1, {1, 2, 3, 4}}}));
    WriteBytes(dir / "ani" / "001.act", ActFile({{{{7, 1}}}}));
    WriteBytes(dir / "ani" / "005.anm", AnmFile({{1, 1, 0, 0, {3}}}));

    // Portraits: stride 20, two 2 x 2 portraits.
    WriteBytes(dir / "head_s.pic", PicFile(20, {{2, 2, {0xF800, 0x07E0, 0x001F, 0xFFFF}},
                                                {2, 2, {0x0841, 0x1082, 0x18C3, 0x2104}}}));

    // Head.ani and two effect files: 2 x 2 frames with masks {0, 128, 255, 0}.
    const AniFrameSpec f0{0, 0, 2, 2, {0, 0xF800, 0x001F, 0x07E0}, {0, 128, 255, 0}};
    const AniFrameSpec f1{0, 0, 2, 2, {0xFFFF, 0xFFFF, 0, 0}, {255, 255, 255, 255}};
    WriteBytes(dir / "Head.ani", AniFile({f0, f1}));
    WriteBytes(dir / "Cursor18.ani", AniFile({f0}));
    WriteBytes(dir / "AddHp.ani", AniFile({f0, f1}));

    // Help texts: two comments, a blank line, a text, then a 130-character line (two slots).
    WriteBytes(dir / "HelpMsgS.txt", TextBytes("# comment\r\n  # indented comment\r\n\r\nfirst text\r\n" +
                                               std::string(130, 'x') + "\r\n"));
    // A short myth.m: 1000 bytes of i % 33.
    Bytes myth(1000);
    for (size_t i = 0; i < myth.size(); ++i)
        myth[i] = uint8_t(i % 33);
    WriteBytes(dir / "myth.m", myth);
    WriteBytes(dir / "data.txt", TextBytes("1 a\r\n2.5 b\r\n-3 c\r\nend\r\n99 after\r\n"));

    WriteBytes(dir / "title.bmp", BmpFile8(5, 3));
    WriteBytes(dir / "pic.pcx", PcxFile8(5, 3));
    WriteBytes(dir / "anim.flc", FlicFile(4, 3));
}

} // namespace storefix
