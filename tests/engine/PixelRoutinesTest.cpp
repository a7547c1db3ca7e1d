#include "engine/PixelRoutines.h"

#include "platform/Surface.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A pixel block with padding past each row and guard rows above and below, so that a write
// outside the block shows.
struct Block {
    static constexpr uint16_t kGuard = 0xDEAD;
    int width, height, pitch;
    std::vector<uint16_t> store;
    Block(int w, int h, uint16_t fill = 0, int pad = 5)
        : width(w), height(h), pitch(w + pad), store(static_cast<size_t>(pitch) * (h + 2), kGuard) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                at(x, y) = fill;
    }
    uint16_t& at(int x, int y) { return store[static_cast<size_t>(y + 1) * pitch + x]; }
    PixelBuffer16 buffer() { return {&at(0, 0), pitch, width, height}; }
    ConstPixelBuffer16 source() { return {&at(0, 0), pitch, width, height}; }
    bool guardsIntact() {
        for (int y = -1; y <= height; ++y)
            for (int x = 0; x < pitch; ++x)
                if ((y < 0 || y >= height || x >= width) &&
                    store[static_cast<size_t>(y + 1) * pitch + x] != kGuard)
                    return false;
        return true;
    }
};

// A surface that is released at the end of the test.
struct TestSurface {
    platform::Surface* s;
    TestSurface(int w, int h, int layout = platform::kLayout565, int pitch = 0)
        : s(new platform::Surface(w, h, layout, pitch, platform::DDSCAPS_OFFSCREENPLAIN)) {}
    ~TestSurface() { s->Release(); }
    void set(int x, int y, uint16_t v) {
        platform::DDSURFACEDESC2 d;
        ASSERT_EQ(s->Lock(nullptr, &d, platform::DDLOCK_WAIT), platform::DD_OK);
        reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch)[x] = v;
        s->Unlock(nullptr);
    }
    int count(uint16_t v) {
        int n = 0;
        for (int y = 0; y < s->height(); ++y)
            for (int x = 0; x < s->width(); ++x)
                n += s->PixelAt(x, y) == v;
        return n;
    }
};

} // namespace

TEST(PixelRoutinesTest, FillAndCopyWriteExactlyCountPixels) {
    std::vector<uint16_t> a(10, 7), b{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    FillPixels16(a.data() + 2, 0xABCD, 5);
    EXPECT_EQ(a, (std::vector<uint16_t>{7, 7, 0xABCD, 0xABCD, 0xABCD, 0xABCD, 0xABCD, 7, 7, 7}));
    CopyPixels16(a.data() + 1, b.data(), 3);
    EXPECT_EQ(a, (std::vector<uint16_t>{7, 1, 2, 3, 0xABCD, 0xABCD, 0xABCD, 7, 7, 7}));
    FillPixels16(a.data(), 0, 0);
    CopyPixels16(a.data(), b.data(), -3);
    EXPECT_EQ(a[0], 7);
}

TEST(PixelRoutinesTest, KeyedBlitSkipsZeroAndIsCutAtEveryEdge) {
    // The source has a hole of 0 in its middle: the destination keeps its pixel there.
    Block src(6, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x)
            src.at(x, y) = static_cast<uint16_t>(0x100 + y * 16 + x);
    src.at(2, 2) = 0;
    struct Case {
        int x, y, inX, inY, w, h;
    } cases[] = {
        {3, 2, 0, 0, 6, 5},   {0, 0, 1, 1, 4, 3},   {-2, -3, 0, 0, 6, 5},   {17, 8, 0, 0, 6, 5},
        {19, 11, 0, 0, 6, 5}, {3, 3, -2, -1, 6, 5}, {3, 3, 4, 3, 6, 5},     {0, 0, 0, 0, 0, 5},
        {0, 0, 0, 0, 6, 0},   {-40, 0, 0, 0, 6, 5}, {5, 5, 0, 0, 100, 100},
    };
    for (const auto& c : cases) {
        Block dst(20, 12, 0x7777);
        BlitColorKeyed16(dst.buffer(), c.x, c.y, src.source(), c.inX, c.inY, c.w, c.h);
        // Expected: every pixel of the rectangle that lies inside both blocks, as without clipping.
        for (int y = 0; y < dst.height; ++y)
            for (int x = 0; x < dst.width; ++x) {
                int sx = x - c.x + c.inX, sy = y - c.y + c.inY;
                bool inRect = x >= c.x && x < c.x + c.w && y >= c.y && y < c.y + c.h;
                bool inSrc = sx >= 0 && sx < src.width && sy >= 0 && sy < src.height;
                uint16_t want = 0x7777;
                if (inRect && inSrc && src.at(sx, sy) != 0) want = src.at(sx, sy);
                ASSERT_EQ(dst.at(x, y), want) << c.x << "," << c.y << " at " << x << "," << y;
            }
        EXPECT_TRUE(dst.guardsIntact());
    }
}

TEST(PixelRoutinesTest, IndexedBlitTakesTheFirstWordOfEachSixByteEntry) {
    std::vector<uint8_t> table(6 * 3, 0xEE);
    table[0] = 0x00, table[1] = 0x00;   // index 0 -> 0, copied all the same
    table[6] = 0x34, table[7] = 0x12;   // index 1 -> 0x1234
    table[12] = 0xFF, table[13] = 0xFF; // index 2 -> 0xFFFF
    std::vector<uint8_t> idx{0, 1, 2, 7, 1, 0};
    PixelBuffer8 in{idx.data(), 3, 3, 2};
    Block dst(4, 2, 0x5555);
    BlitIndexed16(dst.buffer(), 2, 0, in, 0, 0, 3, 2, table.data(), 3);
    EXPECT_EQ(dst.at(0, 0), 0x5555);
    EXPECT_EQ(dst.at(2, 0), 0x0000);
    EXPECT_EQ(dst.at(3, 0), 0x1234);
    EXPECT_EQ(dst.at(2, 1), 0x0000); // index 7 is past the table
    EXPECT_EQ(dst.at(3, 1), 0x1234);
    EXPECT_TRUE(dst.guardsIntact());
}

TEST(PixelRoutinesTest, OutlineSurroundsKeyRunsExceptPastTheLastRowAndColumn) {
    const uint16_t key = 0xFFFF, line = 0x0800;
    {
        Block b(12, 10);
        b.at(5, 5) = key;
        OutlineColourPixels16(b.buffer(), key, line, 10, 12);
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 12; ++x) {
                bool outline = (x == 5 && (y == 4 || y == 6)) || (y == 5 && (x == 4 || x == 6));
                EXPECT_EQ(b.at(x, y), outline ? line : (x == 5 && y == 5 ? key : 0)) << x << "," << y;
            }
    }
    {
        // A run touching the last row and column gets no outline below or right of it, and the
        // pixels beyond the treated rows and width are not looked at.
        Block b(8, 6);
        for (int x = 3; x < 8; ++x)
            b.at(x, 5) = key;
        b.at(1, 1) = key;
        OutlineColourPixels16(b.buffer(), key, line, 6, 8);
        EXPECT_EQ(b.at(2, 5), line);
        for (int x = 3; x < 8; ++x)
            EXPECT_EQ(b.at(x, 4), line);
        Block c(8, 6);
        c.at(1, 1) = key;
        OutlineColourPixels16(c.buffer(), key, line, 1, 8); // row 1 is outside the treated rows
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 8; ++x)
                EXPECT_EQ(c.at(x, y), x == 1 && y == 1 ? key : 0);
        EXPECT_TRUE(b.guardsIntact() && c.guardsIntact());
    }
    {
        // Width is cut to 1024 columns and rows and width to the surface.
        TestSurface s(1100, 4, platform::kLayout565, 2300);
        s.set(1030, 1, key);
        s.set(1000, 1, key);
        OutlineColourPixels(s.s, key, line, 50, 5000);
        EXPECT_EQ(s.count(line), 4);
        EXPECT_EQ(s.s->PixelAt(1030, 0), 0);
        EXPECT_EQ(s.s->PixelAt(1000, 0), line);
    }
    OutlineColourPixels(nullptr, key, line, 10, 10); // no surface: nothing to draw
}

TEST(PixelRoutinesTest, ClearSurfaceZeroesTheAreaUnlessTheSurfaceIsBusy) {
    TestSurface s(10, 6, platform::kLayout565, 32);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x)
            s.set(x, y, 0x4321);
    s.s->SimulateBusy(1);
    ClearSurface16(s.s, 4, 3);
    EXPECT_EQ(s.count(0), 0); // busy: left as it was
    ClearSurface16(s.s, 4, 3);
    EXPECT_EQ(s.count(0), 12);
    EXPECT_EQ(s.s->PixelAt(3, 2), 0);
    EXPECT_EQ(s.s->PixelAt(4, 2), 0x4321);
    ClearSurface16(s.s, 400, 300); // cut to the surface
    EXPECT_EQ(s.count(0), 60);
    ClearSurface16(nullptr, 4, 4);
}

TEST(PixelRoutinesTest, CellDiamondHasTheShapeOfTheGroupAndBlendsInBothLayouts) {
    // Group size 1 at view (0, 0), point (1, 2): column 1, row 2 (even): left = 40 - 20 = 20, top = 20 - 10 =
    // 10; 20 rows.
    for (int layout : {platform::kLayout565, platform::kLayout555}) {
        Block b(100, 40, 0);
        DrawCellDiamond16(b.buffer(), layout, 128, layout == 565 ? 0xFFFF : 0x7FFF, 1, 1, 2, 0, 0);
        uint16_t half = layout == 565 ? 0x7BEF : 0x3DEF; // each component (0 * 128 + max * 128) / 256
        for (int r = 0; r < 20; ++r) {
            int start = r <= 10 ? 19 - 2 * r : -1 + 2 * (r - 10);
            int span = r <= 10 ? 2 + 4 * r : 42 - 4 * (r - 10);
            for (int x = 0; x < 100; ++x) {
                bool in = x >= 20 + start && x < 20 + start + span;
                ASSERT_EQ(b.at(x, 10 + r), in ? half : 0) << layout << " row " << r << " x " << x;
            }
        }
        EXPECT_EQ(b.at(30, 9), 0);
        EXPECT_EQ(b.at(30, 30), 0);
    }
    {
        // Odd group row, size 2, with a view origin: left = gx*80 - view*40, top = gy*20 - 10 - view*10.
        Block b(200, 80, 0);
        DrawCellDiamond16(b.buffer(), 565, 255, 0xF800, 2, 1, 3, 1, 0); // gx = 1, gy = 1
        // Row 0 covers 2 pixels from left + 39: left = 80 - 40 = 40, top = 20 - 10 = 10.
        EXPECT_NE(b.at(79, 10), 0);
        EXPECT_NE(b.at(80, 10), 0);
        EXPECT_EQ(b.at(78, 10), 0);
        EXPECT_EQ(b.at(81, 10), 0);
        EXPECT_EQ(b.at(79, 10) >> 11, (31 * 255) / 256);
    }
    {
        // At the edges of the target and of the 800 x 600 view nothing is written outside.
        Block small(30, 15, 0);
        DrawCellDiamond16(small.buffer(), 565, 100, 0xFFFF, 3, 0, 0, 0, 0);
        EXPECT_TRUE(small.guardsIntact());
        Block big(900, 700, 0);
        DrawCellDiamond16(big.buffer(), 565, 100, 0xFFFF, 2, 20, 60, 0, 0); // near 800 x 600
        for (int y = 0; y < 700; ++y)
            for (int x = 0; x < 900; ++x)
                if (x >= 800 || y >= 600) {
                    ASSERT_EQ(big.at(x, y), 0) << x << "," << y;
                }
        EXPECT_TRUE(big.guardsIntact());
    }
    TestSurface s(120, 60, platform::kLayout555);
    DrawCellDiamond(255, 0x7C00, 1, 1, 2, 0, 0, s.s);
    EXPECT_EQ(s.s->PixelAt(39, 10), ((31 * 255) / 256) << 10);
    DrawCellDiamond(255, 0x7C00, 1, 1, 2, 0, 0, nullptr);
}
