#include "platform/GdiText.h"
#include "platform/Big5.h"
#include "platform/FontFinder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

using namespace platform;

namespace {

// A 16-bit target with padding at the end of each row and guard rows around it, pre-filled with a
// pattern so that a transparent background and writes outside the target both show.
struct PaddedTarget {
    static constexpr uint16_t kFill = 0x1234;
    static constexpr uint16_t kGuard = 0xBEEF;
    int width, height, pitchPixels;
    std::vector<uint16_t> store;

    PaddedTarget(int w, int h, int padPixels = 7)
        : width(w), height(h), pitchPixels(w + padPixels),
          store(static_cast<size_t>(pitchPixels) * (h + 2), kGuard) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                at(x, y) = kFill;
    }
    uint16_t& at(int x, int y) { return store[static_cast<size_t>(y + 1) * pitchPixels + x]; }
    DeviceContext dc(bool layout555) {
        DeviceContext c;
        c.bits = &at(0, 0);
        c.pitch = pitchPixels * 2;
        c.width = width;
        c.height = height;
        c.format = PixelFormatFor(layout555 ? kLayout555 : kLayout565);
        return c;
    }
    bool guardsIntact() {
        for (int y = -1; y <= height; ++y)
            for (int x = 0; x < pitchPixels; ++x) {
                bool inside = y >= 0 && y < height && x < width;
                if (!inside && store[static_cast<size_t>(y + 1) * pitchPixels + x] != kGuard) return false;
            }
        return true;
    }
};

LOGFONTA gameFont(int size, const char* faceBig5) {
    LOGFONTA lf;
    lf.lfHeight = -size;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = CHINESEBIG5_CHARSET;
    lf.lfOutPrecision = OUT_STROKE_PRECIS;
    lf.lfClipPrecision = CLIP_STROKE_PRECIS;
    lf.lfQuality = DRAFT_QUALITY;
    lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    std::strncpy(lf.lfFaceName, faceBig5, LF_FACESIZE - 1);
    return lf;
}

const char* kMing = "\xB2\xD3\xA9\xFA\xC5\xE9"; // 細明體
const char* kKai = "\xBC\xD0\xB7\xA2\xC5\xE9";  // 標楷體
const char* kSanGuo = "\xA4\x54\xB0\xEA";       // 三國

// Draws text and returns the set of distinct pixel values inside the target and the bounding box
// of the pixels that changed.
struct DrawResult {
    std::set<uint16_t> values;
    int minX = 1 << 30, minY = 1 << 30, maxX = -1, maxY = -1;
    int changed = 0;
};

DrawResult draw(PaddedTarget& t, bool layout555, int size, const char* face, int x, int y, const char* text,
                COLORREF colour) {
    DeviceContext dc = t.dc(layout555);
    LOGFONTA lf = gameFont(size, face);
    HFONT font = CreateFontIndirectA(&lf);
    HGDIOBJ old = SelectObject(&dc, font);
    SetBkMode(&dc, TRANSPARENT);
    SetTextColor(&dc, colour);
    EXPECT_TRUE(TextOutA(&dc, x, y, text, static_cast<int>(std::strlen(text))));
    SelectObject(&dc, old);
    DeleteObject(font);
    DrawResult r;
    for (int yy = 0; yy < t.height; ++yy)
        for (int xx = 0; xx < t.width; ++xx) {
            uint16_t v = t.at(xx, yy);
            r.values.insert(v);
            if (v != PaddedTarget::kFill) {
                ++r.changed;
                r.minX = std::min(r.minX, xx);
                r.minY = std::min(r.minY, yy);
                r.maxX = std::max(r.maxX, xx);
                r.maxY = std::max(r.maxY, yy);
            }
        }
    return r;
}

} // namespace

TEST(FontFinderTest, GameFacesMapToArphicFacesAndOthersFallBackToMing) {
    struct Case {
        std::string face;
        const char* family;
        const char* file;
    } cases[] = {
        {kMing, "AR PL UMing TW", "uming.ttc"},
        {"\xB7\x73\xB2\xD3\xA9\xFA\xC5\xE9", "AR PL UMing TW", "uming.ttc"}, // 新細明體
        {kKai, "AR PL UKai TW", "ukai.ttc"},
        {"標楷體", "AR PL UKai TW", "ukai.ttc"},
        {"No Such Face", "AR PL UMing TW", "uming.ttc"},
    };
    for (const auto& c : cases) {
        auto f = FindGameFont(c.face);
        ASSERT_TRUE(f.has_value()) << c.family;
        EXPECT_EQ(f->family, c.family);
        EXPECT_EQ(f->index, 2) << c.family;
        EXPECT_NE(f->path.find(c.file), std::string::npos) << f->path;
    }
    // fontconfig would answer some other family for a name it does not know: that is refused.
    EXPECT_FALSE(FindFontFamily("No Such Face").has_value());
}

TEST(Big5Test, ConvertsThroughCodePage950) {
    EXPECT_EQ(Big5PairToUnicode(0xA4, 0x54), 0x4E09u); // 三
    EXPECT_EQ(Big5PairToUnicode(0xB0, 0xEA), 0x570Bu); // 國
    EXPECT_EQ(Big5PairToUnicode(0xA1, 0x40), 0x3000u); // ideographic space
    EXPECT_EQ(Big5PairToUnicode(0x41, 0x42), 0u);      // not a pair
    EXPECT_EQ(Big5PairToUnicode(0xA4, 0x20), 0u);      // bad trail byte
    EXPECT_EQ(Big5ToUtf8(std::string("A") + kSanGuo + "1"), "A三國1");
    EXPECT_EQ(Utf8ToBig5("版本 2.02T"), "\xAA\xA9\xA5\xBB 2.02T"); // 版本
    // What does not convert becomes one '?' per bad byte (Big5) or per character (UTF-8).
    EXPECT_EQ(Big5ToUtf8("a\xA4"), "a?");
    EXPECT_EQ(Utf8ToBig5("x\xF0\x9F\x98\x80y"), "x?y");
}

TEST(GdiTextTest, ExtentIsHalfTheSizePerByteAndTheSizePerPair) {
    PaddedTarget t(8, 8);
    DeviceContext dc = t.dc(false);
    struct Case {
        int size;
        std::string text;
        int cx;
    } cases[] = {
        {12, "AB", 12},  {12, kSanGuo, 24}, {16, std::string("A") + kSanGuo, 8 + 32},
        {15, "abc", 21}, {24, kSanGuo, 48}, {20, "\x01\t", 20}, // control bytes take half a cell
        {16, "\xA4", 8},                                        // a lone lead byte: half a cell
    };
    for (const auto& c : cases) {
        LOGFONTA lf = gameFont(c.size, kMing);
        HFONT f = CreateFontIndirectA(&lf);
        SelectObject(&dc, f);
        SIZE s;
        ASSERT_TRUE(GetTextExtentPoint32A(&dc, c.text.data(), static_cast<int>(c.text.size()), &s));
        EXPECT_EQ(s.cx, c.cx) << c.size << " " << c.text;
        EXPECT_EQ(s.cy, c.size);
        SelectObject(&dc, GetStockObject(SYSTEM_FONT));
        DeleteObject(f);
    }
}

TEST(GdiTextTest, TextPixelsAreExactlyThePackedColourOnATransparentBackground) {
    struct Case {
        bool layout555;
        int size;
        const char* face;
        COLORREF colour;
        uint16_t pixel;
    } cases[] = {
        {false, 12, kMing, RGB(255, 0, 0), 0xF800},     {true, 12, kMing, RGB(255, 0, 0), 0x7C00},
        {false, 16, kMing, RGB(248, 252, 248), 0xFFFF}, {true, 16, kMing, RGB(248, 248, 248), 0x7FFF},
        {false, 24, kKai, RGB(8, 4, 8), 0x0821},        {true, 20, kKai, RGB(8, 8, 8), 0x0421},
    };
    for (const auto& c : cases) {
        PaddedTarget t(200, 40);
        std::string text = std::string("Ag") + kSanGuo;
        DrawResult r = draw(t, c.layout555, c.size, c.face, 3, 2, text.c_str(), c.colour);
        EXPECT_EQ(r.values, (std::set<uint16_t>{PaddedTarget::kFill, c.pixel})) << c.size;
        EXPECT_GT(r.changed, c.size * 2) << c.size;
        // Everything lies in the cells: x from 3 over 2 half cells and 2 full cells, y from the top.
        EXPECT_GE(r.minX, 3);
        EXPECT_LT(r.maxX, 3 + 3 * c.size);
        EXPECT_GE(r.minY, 2);
        EXPECT_LE(r.maxY, 2 + c.size + c.size / 4) << c.size;
        EXPECT_TRUE(t.guardsIntact());
    }
}

TEST(GdiTextTest, EachCharacterStaysInItsOwnCell) {
    // The same character drawn alone at the cell position gives the same pixels as inside a string.
    PaddedTarget whole(120, 24), single(120, 24);
    std::string text = std::string("AB") + kSanGuo;
    draw(whole, false, 16, kMing, 0, 0, text.c_str(), RGB(255, 255, 255));
    draw(single, false, 16, kMing, 32, 0, "\xB0\xEA", RGB(255, 255, 255)); // 國 after A, B, 三
    for (int y = 0; y < 24; ++y)
        for (int x = 32; x < 48; ++x)
            EXPECT_EQ(whole.at(x, y), single.at(x, y)) << x << "," << y;
}

TEST(GdiTextTest, TextAtTheEdgesIsClippedToTheTarget) {
    for (bool layout555 : {false, true}) {
        for (auto [x, y] : {std::pair{-10, -6}, std::pair{30, 10}, std::pair{-500, 0}, std::pair{0, 500}}) {
            PaddedTarget t(40, 16);
            std::string text = std::string(kSanGuo) + "Wg" + kSanGuo;
            draw(t, layout555, 24, kKai, x, y, text.c_str(), RGB(255, 255, 255));
            EXPECT_TRUE(t.guardsIntact()) << x << "," << y;
        }
    }
}

TEST(GdiTextTest, UnknownCharactersDrawABoxAndBadArgumentsDrawNothing) {
    PaddedTarget t(40, 20);
    // 0xA3 0xFE is a valid pair shape with no mapping in code page 950.
    DrawResult r = draw(t, false, 16, kMing, 0, 0, "\xA3\xFE", RGB(255, 255, 255));
    EXPECT_EQ(t.at(1, 1), 0xFFFF);
    EXPECT_EQ(t.at(14, 14), 0xFFFF);
    EXPECT_EQ(r.maxX, 14);

    DeviceContext dc = t.dc(false);
    EXPECT_FALSE(TextOutA(nullptr, 0, 0, "A", 1));
    EXPECT_FALSE(TextOutA(&dc, 0, 0, nullptr, 1));
    EXPECT_TRUE(TextOutA(&dc, 0, 0, "", 0));
    EXPECT_EQ(SelectObject(&dc, nullptr), nullptr);
    EXPECT_TRUE(DeleteObject(GetStockObject(SYSTEM_FONT))); // stock objects survive deletion
    EXPECT_NE(GetStockObject(SYSTEM_FONT), nullptr);
}
