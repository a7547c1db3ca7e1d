#include "gui/FrameAnimation.h"
#include "engine/PixelFormat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

class CountingAnim : public FrameAnimControl {
public:
    void Advance() override { ++advances; }
    uint8_t* UnpackFrame(const FrameRecord& f) override {
        ++unpacks;
        auto* out = new uint8_t[static_cast<size_t>(f.frameWidth) * f.frameHeight];
        for (int i = 0; i < f.frameWidth * f.frameHeight; ++i)
            out[i] = 7;
        return out;
    }
    int advances = 0;
    int unpacks = 0;
};

struct Frames {
    explicit Frames(int n, int16_t w = 4, int16_t h = 2) {
        for (int i = 0; i < n; ++i) {
            pixels.emplace_back(static_cast<size_t>(w) * h, static_cast<uint8_t>(i + 1));
            FrameRecord r;
            r.frameWidth = w;
            r.frameHeight = h;
            r.data = pixels.back().data();
            r.dataSize = static_cast<uint32_t>(pixels.back().size());
            records.push_back(r);
        }
    }
    std::vector<std::vector<uint8_t>> pixels;
    std::vector<FrameRecord> records;
};

} // namespace

TEST(FrameAnimation, StartAndStepLoopThroughTheRange) {
    Frames f(6);
    CountingAnim a;
    for (auto& r : f.records)
        a.AddFrame(&r);
    EXPECT_EQ(a.frameCount, 6);
    a.Start(3, 5);
    EXPECT_EQ(a.currentFrame, 3);
    EXPECT_EQ(a.frame, &f.records[2]);
    std::vector<int> seen;
    for (int i = 0; i < 3; ++i) {
        a.Step();
        seen.push_back(a.currentFrame);
    }
    EXPECT_EQ(seen, (std::vector<int>{4, 5, 3}));

    // Frame 0 and frames past the list keep the current frame.
    EXPECT_EQ(a.SelectFrame(3, 0), 0);
    EXPECT_EQ(a.SelectFrame(3, 7), 0);
    EXPECT_EQ(a.currentFrame, 3);
    EXPECT_EQ(a.frame, &f.records[2]);
    // Start with a first frame beyond the list keeps the old frame record.
    a.Start(9, 9);
    EXPECT_EQ(a.currentFrame, 0);
    EXPECT_EQ(a.frame, &f.records[2]);
}

TEST(FrameAnimation, TickAdvancesEveryStepDelayTicks) {
    CountingAnim a;
    for (int i = 0; i < 12; ++i)
        a.Tick();
    EXPECT_EQ(a.advances, 0);
    a.SetStepDelay(4);
    for (int i = 0; i < 12; ++i)
        a.Tick();
    EXPECT_EQ(a.advances, 3);
}

TEST(FrameAnimation, DrawClipsToTheScreenFromTheInnerColumn) {
    Frames f(1, 50, 20);
    CountingAnim a;
    a.AddFrame(&f.records[0]);
    a.Start(1, 1);
    a.posX = 10;
    a.posY = 100;
    f.records[0].offsetX = -30; // 20 pixels left of the screen
    FrameBlit b;
    ASSERT_TRUE(a.ComputeDrawBlit(0, 0, b));
    EXPECT_EQ(b.srcX, 20);
    EXPECT_EQ(b.dstX, 0);
    EXPECT_EQ(b.width, 30);
    EXPECT_EQ(a.bounds[0], -20);
    EXPECT_EQ(a.bounds[2], 30);
    // Past the right edge the width stops at the screen.
    a.posX = 790;
    f.records[0].offsetX = 0;
    ASSERT_TRUE(a.ComputeDrawBlit(0, 0, b));
    EXPECT_EQ(b.width, 10);
    // Wholly off screen: nothing to draw.
    a.posY = 700;
    EXPECT_FALSE(a.ComputeDrawBlit(0, 0, b));
}

TEST(FrameAnimation, DrawPathsPlaceOffsetsOppositely) {
    for (int i = 0; i < 256; ++i)
        Palette16[i] = static_cast<uint16_t>(0x1000 + i);
    Frames f(1, 2, 2);
    f.records[0].offsetX = 5;
    f.records[0].offsetY = 7;
    CountingAnim a;
    a.AddFrame(&f.records[0]);
    a.Start(1, 1);
    a.posX = 100;
    a.posY = 100;
    FrameBlit b;
    ASSERT_TRUE(a.ComputeDrawBlit(0, 0, b));
    EXPECT_EQ(b.dstX, 105);
    EXPECT_EQ(b.dstY, 107);

    std::vector<uint16_t> view(800 * 560, 0);
    ASSERT_EQ(a.DrawToBuffer(0, 0, view.data(), 800), 1);
    EXPECT_EQ(view[93 * 800 + 95], 0x1001);
    EXPECT_EQ(view[94 * 800 + 96], 0x1001);
    EXPECT_EQ(view[95 * 800 + 97], 0);
}

TEST(FrameAnimation, DrawToBufferSkipsZeroAndEdgeOnlyFrames) {
    Frames f(1, 3, 1);
    f.pixels[0] = {4, 0, 4};
    f.records[0].data = f.pixels[0].data();
    CountingAnim a;
    a.AddFrame(&f.records[0]);
    a.Start(1, 1);
    std::vector<uint16_t> view(800 * 560, 0xAAAA);
    a.posX = 10;
    a.posY = 10;
    ASSERT_EQ(a.DrawToBuffer(0, 0, view.data(), 800), 1);
    EXPECT_EQ(view[10 * 800 + 11], 0xAAAA);
    EXPECT_EQ(view[10 * 800 + 10], Palette16[4]);
    // A frame whose right edge only touches the view's left edge is not drawn.
    a.posX = -3;
    EXPECT_EQ(a.DrawToBuffer(0, 0, view.data(), 800), 0);
    // Scrolled view: the frame is drawn relative to the view origin (cells of 40 x 10).
    a.posX = 45;
    a.posY = 12;
    std::fill(view.begin(), view.end(), 0);
    ASSERT_EQ(a.DrawToBuffer(1, 1, view.data(), 800), 1);
    EXPECT_EQ(view[2 * 800 + 5], Palette16[4]);
}

TEST(FrameAnimation, PackedFramesAreUnpackedOnlyForTheCopy) {
    Frames f(1, 2, 2);
    CountingAnim a;
    a.AddFrame(&f.records[0]);
    EXPECT_EQ(f.records[0].packed, 0); // AddFrame clears it
    f.records[0].packed = 1;
    a.Start(1, 1);
    std::vector<uint16_t> view(800 * 560, 0);
    ASSERT_EQ(a.DrawToBuffer(0, 0, view.data(), 800), 1);
    EXPECT_EQ(a.unpacks, 1);
    EXPECT_EQ(view[0], Palette16[7]);
    EXPECT_EQ(f.records[0].data, f.pixels[0].data());
}

TEST(FrameAnimation, AFrameLargerThanItsBlockIsNotDrawn) {
    Frames f(1, 2, 2);
    f.records[0].frameWidth = 40; // claims 40 x 2 over a block of 4 bytes
    CountingAnim a;
    a.AddFrame(&f.records[0]);
    a.Start(1, 1);
    std::vector<uint16_t> view(800 * 560, 0);
    EXPECT_EQ(a.DrawToBuffer(0, 0, view.data(), 800), 0);
    EXPECT_EQ(std::count(view.begin(), view.end(), 0), static_cast<long>(view.size()));
    f.records[0].frameWidth = -2;
    EXPECT_EQ(a.DrawToBuffer(0, 0, view.data(), 800), 0);
}
