#include "engine/PixelFormat.h"
#include "engine/DisplayDevice.h"
#include "platform/Present.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class PixelFormatTest : public ::testing::Test {
protected:
    void TearDown() override {
        ReleaseSurfaces();
        ReleaseDirectDraw();
        platform::ResetPresenterForTest();
    }
    void OpenWithLayout(int layout) {
        platform::ResetPresenterForTest();
        platform::SetPixelLayout(layout);
        ASSERT_NE(CreateDirectDraw(nullptr), nullptr);
        SetDisplayWidth(800);
        SetDisplayHeight(600);
        SetDisplayBitDepth(16);
        ApplyDisplayMode(0x11);
        ASSERT_EQ(SetDisplayMode(), 1);
    }
};

int Floor256(int d, int s, int alpha) {
    return (d * (256 - alpha) + s * alpha) / 256;
}

} // namespace

TEST_F(PixelFormatTest, ProbeReadsTheLayoutAndAFailureNeverLeavesZero) {
    for (int layout : {555, 565}) {
        OpenWithLayout(layout);
        PixelFormat = 0;
        EXPECT_EQ(ProbePrimarySurfaceFormat(), 1);
        EXPECT_EQ(PixelFormat, layout);
        ReleaseSurfaces();
        ReleaseDirectDraw();
    }
    // No primary surface: the probe fails.
    PixelFormat = 0;
    EXPECT_EQ(ProbePrimarySurfaceFormat(), 0);
    EXPECT_EQ(PixelFormat, 565);
    PixelFormat = 555;
    EXPECT_EQ(ProbePrimarySurfaceFormat(), 0);
    EXPECT_EQ(PixelFormat, 555);
}

TEST_F(PixelFormatTest, Convert565To555) {
    struct Case {
        uint16_t in, out;
    } cases[] = {{0xFFFF, 0x7FFF}, {0xF800, 0x7C00}, {0x07E0, 0x03E0}, {0x0020, 0x0000},
                 {0x001F, 0x001F}, {0x0040, 0x0020}, {0x0000, 0x0000}};
    std::vector<uint16_t> pixels;
    for (const Case& c : cases)
        pixels.push_back(c.in);
    ConvertRgb565To555(pixels.data(), int(pixels.size()), 1);
    for (size_t i = 0; i < pixels.size(); ++i)
        EXPECT_EQ(pixels[i], cases[i].out) << std::hex << cases[i].in;

    // Rect form: 2 x 2 inside rows 3 pixels apart; the third column stays.
    uint16_t area[] = {0xF800, 0xFFFF, 0xF800, 0x07E0, 0x0020, 0xF800};
    ConvertRgb565To555Rect(area, 2, 2, 3);
    const uint16_t want[] = {0x7C00, 0x7FFF, 0xF800, 0x03E0, 0x0000, 0xF800};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(area[i], want[i]) << i;
}

TEST_F(PixelFormatTest, ComponentTablePerLayout) {
    struct Case {
        int layout;
        uint16_t p;
        uint8_t r, g, b;
    } cases[] = {{565, 0xFFFF, 31, 63, 31}, {565, 0xF800, 31, 0, 0},   {565, 0x07E0, 0, 63, 0},
                 {565, 0x8421, 16, 33, 1},  {555, 0x7FFF, 31, 31, 31}, {555, 0x7C00, 31, 0, 0},
                 {555, 0x03E0, 0, 31, 0},   {555, 0x8000, 0, 0, 0},    {555, 0xFFFF, 0, 0, 0}};
    for (const Case& c : cases) {
        PixelFormat = c.layout;
        BuildColourTables();
        const uint8_t* e = &ComponentTable[size_t(c.p) * 3];
        EXPECT_EQ(e[0], c.r) << c.layout << " " << std::hex << c.p;
        EXPECT_EQ(e[1], c.g) << c.layout << " " << std::hex << c.p;
        EXPECT_EQ(e[2], c.b) << c.layout << " " << std::hex << c.p;
    }
}

TEST_F(PixelFormatTest, AlphaTablesFollowTheFlooredFormula) {
    PixelFormat = 565;
    BuildColourTables();
    for (int a = 0; a < 64; ++a)
        for (int b = 0; b < 64; ++b)
            for (int alpha : {0, 1, 100, 128, 254, 255}) {
                ASSERT_EQ(AlphaTable6[a * 16384 + b * 256 + alpha], Floor256(a, b, alpha));
                if (a < 32 && b < 32) {
                    ASSERT_EQ(AlphaTable5[a * 8192 + b * 256 + alpha], Floor256(a, b, alpha));
                }
            }
    // Alpha 0 keeps the destination; alpha 255 gives s when d >= s and s - 1 when d < s.
    EXPECT_EQ(AlphaTable5[20 * 8192 + 7 * 256 + 0], 20);
    EXPECT_EQ(AlphaTable5[20 * 8192 + 7 * 256 + 255], 7);
    EXPECT_EQ(AlphaTable5[3 * 8192 + 7 * 256 + 255], 6);
    EXPECT_EQ(AlphaTable6[7 * 16384 + 7 * 256 + 255], 7);
}

TEST_F(PixelFormatTest, BlendRuleInBothLayouts) {
    struct Case {
        int layout;
        uint16_t d, s;
        int alpha;
        uint16_t want;
    } cases[] = {
        // 565: red 31 over 0 at 128 gives 15; green 63 over 0 gives 31.
        {565, 0x0000, 0xFFFF, 128, uint16_t((15 << 11) | (31 << 5) | 15)},
        {565, 0x1234, 0xFFFF, 0, 0x1234},
        {565, 0xFFFF, 0x0000, 255, 0x0000},
        {565, 0x0000, 0xFFFF, 255, uint16_t((30 << 11) | (62 << 5) | 30)},
        {555, 0x0000, 0x7FFF, 128, uint16_t((15 << 10) | (15 << 5) | 15)},
        {555, 0x7C00, 0x001F, 64, uint16_t((23 << 10) | (0 << 5) | 7)},
    };
    for (const Case& c : cases) {
        PixelFormat = c.layout;
        BuildColourTables();
        EXPECT_EQ(BlendPixel16(c.d, c.s, c.alpha), c.want)
            << c.layout << " " << std::hex << c.d << " " << c.s;
    }
}

TEST_F(PixelFormatTest, PackingAndColourRoundTrip) {
    struct Case {
        int layout;
        uint8_t r, g, b;
        uint16_t packed;
    } cases[] = {{565, 255, 255, 255, 0xFFFF}, {565, 255, 0, 0, 0xF800}, {565, 0, 4, 0, 0x0020},
                 {555, 255, 255, 255, 0x7FFF}, {555, 0, 4, 0, 0x0000},   {555, 0, 8, 0, 0x0020}};
    for (const Case& c : cases) {
        PixelFormat = c.layout;
        BuildColourTables();
        const uint16_t p = PackRgb16(c.r, c.g, c.b);
        EXPECT_EQ(p, c.packed) << c.layout;
        // The colour handed to text drawing packs back to the same pixel.
        const uint32_t colour = PixelToColour(p);
        EXPECT_EQ(PackRgb16(uint8_t(colour), uint8_t(colour >> 8), uint8_t(colour >> 16)), p) << c.layout;
    }
}

TEST_F(PixelFormatTest, PaletteIndicesAndCellAverage) {
    for (int i = 0; i < 256; ++i)
        Palette16[i] = uint16_t(i * 3);
    const uint8_t idx[] = {0, 1, 255, 7};
    uint16_t out[4] = {};
    EXPECT_EQ(PaletteToPixels16(out, idx, 4), 4);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[2], 765);
    EXPECT_EQ(out[3], 21);

    EXPECT_EQ(AverageCellColour(nullptr), 0);
    std::vector<uint16_t> cell(400, 0);
    EXPECT_EQ(AverageCellColour(cell.data()), 0);
    // Half red, half blue; zeros do not count.
    cell[0] = 0xF800;
    cell[1] = 0x001F;
    // Red sum 248 / 2 = 124 -> 0x7800 after masking; blue 248 / 2 = 124 -> 15.
    EXPECT_EQ(AverageCellColour(cell.data()), uint16_t(((124 << 8) & 0xF800) | (124 >> 3)));
}
