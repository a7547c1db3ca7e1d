#include "engine/SurfaceText.h"
#include "support/TempFolder.h"

#include "DrawingFixture.h"
#include "engine/PixelRoutines.h"
#include "platform/GdiText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

namespace {

const char* kSanGuo = "\xA4\x54\xB0\xEA"; // 三國

// An off-screen surface with padded rows, filled with one value, released at the end.
struct Canvas {
    platform::Surface* s;
    Canvas(int w, int h, int layout, uint16_t fill = 0)
        : s(new platform::Surface(w, h, layout, w * 2 + 10, platform::DDSCAPS_OFFSCREENPLAIN)) {
        platform::DDSURFACEDESC2 d;
        s->Lock(nullptr, &d, platform::DDLOCK_WAIT);
        for (int y = 0; y < h; ++y)
            FillPixels16(reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch), fill,
                         w);
        s->Unlock(nullptr);
    }
    ~Canvas() { s->Release(); }
    std::vector<uint16_t> pixels() { return SurfacePixels(s); }
};

int countValue(const std::vector<uint16_t>& px, uint16_t v) {
    int n = 0;
    for (uint16_t p : px)
        n += p == v;
    return n;
}

// Restores the palette entries a test changes.
struct PaletteGuard {
    uint16_t saved[256];
    PaletteGuard() { std::memcpy(saved, Palette16, sizeof saved); }
    ~PaletteGuard() { std::memcpy(Palette16, saved, sizeof saved); }
};

} // namespace

TEST(SurfaceTextTest, SizeFallsBackTo16AfterEveryCallEvenWhenNothingIsDrawn) {
    TestDisplay display(565);
    PaletteGuard palette;
    Palette16[7] = 0xFFFF;
    Big5BitmapFont font;
    EXPECT_EQ(font.fontSize, 16);

    Canvas a(200, 40, 565), b(200, 40, 565);
    font.fontSize = 24;
    font.DrawSurfaceText(0, 0, kSanGuo, a.s, 7);
    EXPECT_EQ(font.fontSize, 16);
    font.DrawSurfaceText(0, 0, kSanGuo, a.s, 7); // second call: size 16 again
    font.DrawSurfaceText(0, 0, kSanGuo, b.s, 7);
    EXPECT_EQ(a.pixels(), [&] {
        Canvas c(200, 40, 565);
        font.fontSize = 24;
        font.DrawSurfaceText(0, 0, kSanGuo, c.s, 7);
        font.DrawSurfaceText(0, 0, kSanGuo, c.s, 7);
        return c.pixels();
    }());

    // Failed context (busy surface) and no surface at all: nothing drawn, size reset all the same.
    Canvas busy(50, 20, 565);
    busy.s->SimulateBusy(1);
    font.fontSize = 12;
    font.DrawSurfaceText(0, 0, "A", busy.s, 7);
    EXPECT_EQ(font.fontSize, 16);
    EXPECT_EQ(countValue(busy.pixels(), 0), 50 * 20);
    font.fontSize = 20;
    font.DrawSurfaceText(0, 0, "A", nullptr, 7);
    EXPECT_EQ(font.fontSize, 16);
}

TEST(SurfaceTextTest, FontTableSizesAndColoursFromThePalette) {
    for (int layout : {565, 555}) {
        TestDisplay display(layout);
        ASSERT_TRUE(display.ok);
        PaletteGuard palette;
        Palette16[0x31] = layout == 565 ? 0xFFE0 : 0x7FE0;
        Palette16[0xF0] = layout == 565 ? 0xF81F : 0x7C1F;
        Big5BitmapFont font;
        auto draw = [&](int size, int colour, const char* text, uint16_t fill = 0x0421) {
            Canvas c(220, 40, layout, fill);
            font.fontSize = size;
            font.DrawSurfaceText(2, 3, text, c.s, colour);
            return c.pixels();
        };
        std::string text = std::string("Ab") + kSanGuo;
        // 12 and 14 share the 12-pixel font; each other size draws differently.
        EXPECT_EQ(draw(12, 0x31, text.c_str()), draw(14, 0x31, text.c_str()));
        std::set<std::vector<uint16_t>> shapes;
        for (int size : {12, 15, 16, 20, 24}) {
            auto px = draw(size, 0xF0, text.c_str());
            // Only the background and exactly the palette colour.
            EXPECT_EQ(std::set<uint16_t>(px.begin(), px.end()), (std::set<uint16_t>{0x0421, Palette16[0xF0]}))
                << size;
            shapes.insert(px);
        }
        EXPECT_EQ(shapes.size(), 5u);
        // A size outside the table draws with the context's own font (16 pixels).
        EXPECT_EQ(draw(13, 0x31, text.c_str()), draw(16, 0x31, text.c_str()));
        // Colour index 0 gives 0: text that the colour key later makes transparent.
        auto black = draw(16, 0, text.c_str());
        EXPECT_GT(countValue(black, 0), 0);
    }
}

TEST(SurfaceTextTest, CellIndexOfBig5Pairs) {
    Big5BitmapFont font;
    struct Case {
        uint8_t lead, trail;
        uint16_t cell;
    } cases[] = {
        {0xA4, 0x40, 0x8800},
        {0xC6, 0xA1, 0x8001},
        {0xA4, 0xA1, 0x8800 + 63},
        {0xC6, 0xFE, 0x8001 + 93},
        {0xC6, 0x40, 0x8800 + 34 * 157},
        {0xA1, 0x7E, 0x8400 + 62},
        {0xA3, 0x41, 0x8400 + 2 * 157 + 1},
        {0xC8, 0xA2, 0x805F + 157 + 64},
        {0xF9, 0xFE, 0x9D19 + 48 * 157 + 156},
        {0xA4, 0x20, 0x8800},
        {0x80, 0x40, 0},
        {0xFA, 0x40, 0},
        {0x41, 0x42, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(font.CellIndex(c.lead, c.trail), c.cell) << std::hex << int(c.lead);
}

TEST(SurfaceTextTest, BitmapFontCopiesGlyphsAndNeverReadsPastItsTables) {
    testsupport::TempFolder folder;
    // Index: cell 0x8800 (entry 0x801) holds glyph 2, cell 0x8801 glyph 1; glyph file of two glyphs.
    std::vector<uint8_t> index(Big5BitmapFont::kCellCount * 2, 0);
    index[0x801 * 2] = 2;
    index[0x802 * 2] = 1;
    std::vector<uint8_t> glyphs(60);
    for (int i = 0; i < 60; ++i)
        glyphs[i] = static_cast<uint8_t>(i < 30 ? 0x11 : 0x22);
    testsupport::TempFolder::Write("font.idx", index);
    testsupport::TempFolder::Write("font.bin", glyphs);

    Big5BitmapFont font;
    font.LoadFont("missing.bin", "missing.idx"); // skipped
    EXPECT_TRUE(font.glyphData.empty());
    font.LoadFont("font.bin", "font.idx");
    ASSERT_EQ(font.cellIndex.size(), static_cast<size_t>(Big5BitmapFont::kCellCount));

    // 0xA4 0x40 -> glyph 2; space pair -> zeros; 0xA4 0x41 -> glyph 1; 0xF9 0xFE lies past the
    // index table and 0x41 0x41 has no cell: zeros; then the output buffer ends.
    const char* text = "\xA4\x40  \xA4\x41\xF9\xFE\x41\x41\xA4\x40";
    std::vector<uint8_t> out(30 * 5 + 29, 0xEE);
    font.DrawBitmapString(text, out.data(), out.size());
    auto glyph = [&](int n) { return std::vector<uint8_t>(out.begin() + n * 30, out.begin() + n * 30 + 30); };
    EXPECT_EQ(glyph(0), std::vector<uint8_t>(30, 0x22));
    EXPECT_EQ(glyph(1), std::vector<uint8_t>(30, 0));
    EXPECT_EQ(glyph(2), std::vector<uint8_t>(30, 0x11));
    EXPECT_EQ(glyph(3), std::vector<uint8_t>(30, 0));
    EXPECT_EQ(glyph(4), std::vector<uint8_t>(30, 0));
    EXPECT_EQ(std::vector<uint8_t>(out.begin() + 150, out.end()), std::vector<uint8_t>(29, 0xEE));

    // A glyph number past the glyph file gives zeros; an odd last byte ends the text.
    font.glyphData.resize(40);
    std::vector<uint8_t> two(60, 0xEE);
    font.DrawBitmapString("\xA4\x40\xA4", two.data(), two.size());
    EXPECT_EQ(two, std::vector<uint8_t>(60, 0));
}

TEST(SurfaceTextTest, TextIntoBufferGoesThroughTheWorkSurface) {
    TestDisplay display(565);
    PaletteGuard palette;
    Palette16[0xF0] = 0xFFFF;
    Big5BitmapFont font;
    Canvas work(320, 20, 565);
    std::vector<uint16_t> store(100 * 30, 0x1111);
    PixelBuffer16 buffer{store.data(), 100, 90, 30}; // 10 pixels of each row lie outside the buffer
    DrawTextIntoBuffer(font, 70, 20, "AB", buffer, work.s);
    // 16 rows of 16 pixels from (70, 20), cut at the bottom (row 29) and kept to the 90 columns.
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 100; ++x) {
            uint16_t p = store[y * 100 + x];
            bool inside = x >= 70 && x < 86 && y >= 20;
            if (!inside) {
                ASSERT_EQ(p, 0x1111) << x << "," << y;
            } else {
                ASSERT_TRUE(p == 0x8080 || p == 0xFFFF) << x << "," << y;
            }
        }
    EXPECT_GT(countValue(store, 0xFFFF), 5);
    DrawTextIntoBuffer(font, 0, 0, "", buffer, work.s);
    DrawTextIntoBuffer(font, 0, 0, "A", buffer, nullptr);
}

// A frame as the game draws it: fills, colour-keyed sprites over every edge, an outlined name label
// and Big5 and ASCII text in three sizes and two colours, on the padded back surface. The result is
// compared with the same scene drawn by plain per-pixel code into a packed buffer.
TEST(SurfaceTextTest, SceneOnThePaddedBackSurfaceInBothLayouts) {
    std::vector<uint16_t> textMasks[2];
    for (int li = 0; li < 2; ++li) {
        const int layout = li == 0 ? 565 : 555;
        TestDisplay display(layout, 24);
        ASSERT_TRUE(display.ok);
        platform::Surface* back = GetBackSurface();
        ASSERT_TRUE(back);
        ASSERT_GT(back->pitch(), 1600);
        PaletteGuard palette;
        const uint16_t white = layout == 565 ? 0xFFFF : 0x7FFF;
        const uint16_t red = layout == 565 ? 0xF800 : 0x7C00;
        const uint16_t yellow = layout == 565 ? 0xFFE0 : 0x7FE0;
        Palette16[0xF0] = white;
        Palette16[0x31] = yellow;
        const int W = 800, H = 600;
        std::vector<uint16_t> want(W * H, 0);
        auto ref = [&](int x, int y) -> uint16_t* {
            return x >= 0 && y >= 0 && x < W && y < H ? &want[y * W + x] : nullptr;
        };

        // A 40 x 30 sprite with a hole pattern of 0.
        std::vector<uint16_t> sprite(40 * 30);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                sprite[y * 40 + x] = (x + y) % 5 == 0 ? 0 : static_cast<uint16_t>(0x0841 * (1 + (x ^ y) % 7));
        const std::pair<int, int> spots[] = {{-15, -10}, {780, 590}, {-20, 300},
                                             {400, -25}, {770, -5},  {300, 200}};

        platform::DDSURFACEDESC2 d;
        ASSERT_EQ(back->Lock(nullptr, &d, platform::DDLOCK_WAIT), platform::DD_OK);
        PixelBuffer16 target{static_cast<uint16_t*>(d.lpSurface), d.lPitch / 2, W, H};
        for (int y = 100; y < 180; ++y)
            FillPixels16(target.pixels + y * target.pitch + 50, 0x0010, 300);
        for (auto [x, y] : spots)
            BlitColorKeyed16(target, x, y, {sprite.data(), 40, 40, 30}, 0, 0, 40, 30);
        back->Unlock(nullptr);
        for (int y = 100; y < 180; ++y)
            for (int x = 50; x < 350; ++x)
                *ref(x, y) = 0x0010;
        for (auto [sx, sy] : spots)
            for (int y = 0; y < 30; ++y)
                for (int x = 0; x < 40; ++x)
                    if (uint16_t* p = ref(sx + x, sy + y); p && sprite[y * 40 + x]) *p = sprite[y * 40 + x];

        // Text straight onto the back surface.
        struct Line {
            int size, x, y, colour;
            std::string text;
        } lines[] = {
            {12, 10, 400, 0xF0, std::string("Kardol ") + kSanGuo},
            {16, 10, 420, 0x31, std::string(kSanGuo) + " 16px"},
            {24, 10, 450, 0xF0, std::string("\xAA\xA9\xA5\xBB 2.02T")}, // 版本
            {24, 780, 580, 0x31, std::string(kSanGuo)},                 // over the bottom-right edge
            {16, -8, 250, 0xF0, std::string("Edge") + kSanGuo},         // over the left edge
        };
        Big5BitmapFont font;
        for (const auto& l : lines) {
            font.fontSize = l.size;
            font.DrawSurfaceText(l.x, l.y, l.text.c_str(), back, l.colour);
            // The reference: the same text through a context on a plain packed buffer.
            std::vector<uint16_t> plain(W * H, 0);
            platform::DeviceContext dc;
            dc.bits = plain.data();
            dc.pitch = W * 2;
            dc.width = W;
            dc.height = H;
            dc.format = platform::PixelFormatFor(layout);
            platform::LOGFONTA lf;
            lf.lfHeight = -l.size;
            std::strcpy(lf.lfFaceName,
                        l.size >= 20 ? "\xBC\xD0\xB7\xA2\xC5\xE9" : "\xB2\xD3\xA9\xFA\xC5\xE9");
            platform::HFONT f = platform::CreateFontIndirectA(&lf);
            platform::SelectObject(&dc, f);
            platform::SetBkMode(&dc, platform::TRANSPARENT);
            platform::SetTextColor(&dc, PixelToColour(Palette16[l.colour]));
            platform::TextOutA(&dc, l.x, l.y, l.text.data(), static_cast<int>(l.text.size()));
            platform::DeleteObject(f);
            int ink = 0;
            for (int i = 0; i < W * H; ++i)
                if (plain[i]) {
                    EXPECT_EQ(plain[i], Palette16[l.colour]);
                    want[i] = plain[i];
                    ++ink;
                }
            EXPECT_GT(ink, l.size) << l.text;
        }

        // A name label: cleared, text in red, outlined around the red pixels, blitted keyed at the
        // bottom edge of the frame.
        Canvas label(300, 18, layout, 0x5555);
        ClearSurface16(label.s, 300, 18);
        Palette16[0x10] = red;
        font.DrawSurfaceText(0, 0, kSanGuo, label.s, 0x10);
        OutlineColourPixels(label.s, red, 0x0800, 18, 300);
        std::vector<uint16_t> lab = label.pixels();
        for (int y = 0; y < 18; ++y)
            for (int x = 0; x < 300; ++x) {
                uint16_t p = lab[y * 300 + x];
                if (p == red) {
                    // Every neighbour of a text pixel inside the label is text or outline.
                    for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                        int nx = x + dx, ny = y + dy;
                        if (nx < 0 || ny < 0 || nx >= 300 || ny >= 18) continue;
                        uint16_t n = lab[ny * 300 + nx];
                        EXPECT_TRUE(n == red || n == 0x0800) << x << "," << y;
                    }
                } else {
                    EXPECT_TRUE(p == 0 || p == 0x0800);
                }
            }
        ASSERT_EQ(back->Lock(nullptr, &d, platform::DDLOCK_WAIT), platform::DD_OK);
        BlitColorKeyed16({static_cast<uint16_t*>(d.lpSurface), d.lPitch / 2, W, H}, 700, 590,
                         {lab.data(), 300, 300, 18}, 0, 0, 300, 18);
        back->Unlock(nullptr);
        for (int y = 0; y < 18; ++y)
            for (int x = 0; x < 300; ++x)
                if (uint16_t* p = ref(700 + x, 590 + y); p && lab[y * 300 + x]) *p = lab[y * 300 + x];

        std::vector<uint16_t> got = SurfacePixels(back);
        ASSERT_EQ(got.size(), want.size());
        int diffs = 0;
        for (int i = 0; i < W * H; ++i)
            if (got[i] != want[i] && ++diffs < 5)
                ADD_FAILURE() << layout << " pixel " << i % W << "," << i / W;
        EXPECT_EQ(diffs, 0) << layout;

        // The frame presents as drawn.
        EXPECT_EQ(PresentFrame(), 1);
        platform::PresentedFrame frame = platform::LastPresentedFrame();
        EXPECT_EQ(frame.pixels, got);

        std::vector<uint16_t>& mask = textMasks[li];
        for (uint16_t p : got)
            mask.push_back(p == white || p == yellow);
    }
    // The text lands on the same pixels in both layouts.
    EXPECT_EQ(textMasks[0], textMasks[1]);
}
