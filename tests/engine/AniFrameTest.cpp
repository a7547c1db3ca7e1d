#include "engine/AniFrame.h"
#include "DrawingFixture.h"
#include "engine/AniFrameStream.h"
#include "engine/ByteReader.h"
#include "engine/EffectAnimationCache.h"
#include "engine/PixelFormat.h"
#include "engine/SurfaceEffects.h"
#include "fuzz/seeds/builders/StoreFixtures.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct FrameDeleter {
    void operator()(AniFrame* f) const { FreeAniFrame(f); }
};
using FramePtr = std::unique_ptr<AniFrame, FrameDeleter>;

// A frame made in memory in the current layout.
FramePtr MakeFrame(int w, int h, std::vector<uint16_t> pixels, std::vector<uint8_t> mask, int x = 0,
                   int y = 0) {
    auto bytes = storefix::AniFile({{x, y, w, h, pixels, mask}});
    return FramePtr(DecodeAniFrame(bytes, 0));
}

uint16_t Rgb(int r, int g, int b) {
    return PixelFormat == 555 ? uint16_t(r << 10 | g << 5 | b) : uint16_t(r << 11 | g << 5 | b);
}

} // namespace

TEST(AniFrame, DecodesFramesByTheHeaderStrideAndRejectsWhatTheFileDoesNotHold) {
    PixelFormat = 565;
    const storefix::AniFrameSpec a{0, 0, 2, 2, {1, 2, 3, 4}, {0, 128, 255, 0}};
    const storefix::AniFrameSpec b{1, 0, 2, 2, {5, 6, 7, 8}, {9, 9, 9, 9}};
    const auto file = storefix::AniFile({a, b});
    FramePtr f1(DecodeAniFrame(file, 1));
    ASSERT_TRUE(f1);
    EXPECT_EQ(f1->xOffset, 1);
    EXPECT_EQ(f1->pixels[3], 8);
    EXPECT_EQ(f1->mask[0], 9);
    EXPECT_EQ(DecodeAniFrame(file, 2), nullptr);
    EXPECT_EQ(DecodeAniFrame(file, -1), nullptr);
    auto cut = file;
    cut.resize(cut.size() - 1);
    EXPECT_EQ(DecodeAniFrame(cut, 1), nullptr);
    // A frame header claiming more than the file has, and an absurd size.
    storefix::AniFrameSpec big{0, 0, 4000, 4000, {}, {}};
    EXPECT_EQ(DecodeAniFrame(storefix::AniFile({big}, 1, 1), 0), nullptr);
    storefix::AniFrameSpec huge{0, 0, 70000, 1, {}, {}};
    EXPECT_EQ(DecodeAniFrame(storefix::AniFile({huge}, 1, 1), 0), nullptr);
    // A header stride that points past the end.
    EXPECT_EQ(DecodeAniFrame(storefix::AniFile({a, b}, 1000, 1000), 1), nullptr);
    FreeAniFrame(nullptr);
}

TEST(AniFrame, ConvertsPixelsOnceOnA555Display) {
    PixelFormat = 555;
    FramePtr f = MakeFrame(1, 2, {0xFFFF, 0x0020}, {255, 255});
    ASSERT_TRUE(f);
    EXPECT_EQ(f->pixels[0], 0x7FFF);
    EXPECT_EQ(f->pixels[1], 0x0000);
    PixelFormat = 565;
}

class FrameDraw : public ::testing::TestWithParam<int> {};

TEST_P(FrameDraw, MasksAndBlendFlagsGiveTheExpectedPixels) {
    TestDisplay display(GetParam());
    ASSERT_TRUE(display.ok);
    const bool is555 = GetParam() == 555;
    const uint16_t red = is555 ? 0x7C00 : 0xF800;
    const uint16_t blue = 0x001F;
    const uint16_t white = is555 ? 0x7FFF : 0xFFFF;
    // Pixels given in 5-6-5 on file: converted by the loader.
    const uint16_t fileRed = 0xF800, fileWhite = 0xFFFF;
    FramePtr f = MakeFrame(4, 1, {0, fileRed, 0x001F, fileWhite}, {255, 0, 128, 0});
    ASSERT_TRUE(f);
    FramePtr zeroMask = MakeFrame(2, 1, {0, fileRed}, {0, 0});

    platform::Surface* s = CreateOffscreenSurface(8, 4);
    ASSERT_TRUE(s);
    const uint16_t grey = Rgb(16, is555 ? 16 : 32, 16);
    auto fill = [&](uint16_t v) {
        platform::DDSURFACEDESC2 d;
        ASSERT_EQ(s->Lock(nullptr, &d, platform::DDLOCK_WAIT), platform::DD_OK);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 8; ++x)
                reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch)[x] = v;
        s->Unlock(nullptr);
    };
    fill(grey);
    DrawAniFrameOnSurface(f.get(), 1, 1, s, true);
    // mask 255 copies even 0; mask 0 writes non-zero pixels; 128 gives the rounded-down midpoint.
    EXPECT_EQ(s->PixelAt(1, 1), 0);
    EXPECT_EQ(s->PixelAt(2, 1), red);
    EXPECT_EQ(s->PixelAt(3, 1), Rgb(8, is555 ? 8 : 16, 23));
    EXPECT_EQ(s->PixelAt(4, 1), white);
    EXPECT_EQ(s->PixelAt(0, 1), grey);
    EXPECT_EQ(s->PixelAt(1, 0), grey);

    // Blend flag 0 ignores the mask: every non-zero pixel is copied.
    fill(grey);
    DrawAniFrameOnSurface(f.get(), 1, 1, s, false);
    EXPECT_EQ(s->PixelAt(1, 1), grey);
    EXPECT_EQ(s->PixelAt(3, 1), blue);

    // Mask 0 never writes a source pixel of 0.
    fill(grey);
    DrawAniFrameOnSurface(zeroMask.get(), 0, 0, s, true);
    EXPECT_EQ(s->PixelAt(0, 0), grey);
    EXPECT_EQ(s->PixelAt(1, 0), red);

    // At the edges the frame is cut; pixels inside are as without the cut.
    fill(grey);
    DrawAniFrameOnSurface(f.get(), 6, 3, s, false);
    EXPECT_EQ(s->PixelAt(7, 3), red);
    DrawAniFrameOnSurface(f.get(), -2, 0, s, false);
    EXPECT_EQ(s->PixelAt(0, 0), blue);
    EXPECT_EQ(s->PixelAt(1, 0), white);
    DrawAniFrameOnSurface(f.get(), 100, -100, s, true);
    DrawAniFrameOnSurface(nullptr, 0, 0, s, true);
    s->Release();
}

TEST_P(FrameDraw, OffsetFramesReadOnlyInsideTheirBlocks) {
    TestDisplay display(GetParam());
    // 3 x 2 frame, offsets (1, 1): the walk starts at pixel (1, 1) and only (3-1) x (2-1) lies inside.
    FramePtr f = MakeFrame(3, 2, {1, 2, 3, 4, 5, 6}, {255, 255, 255, 255, 255, 255}, 1, 1);
    ASSERT_TRUE(f);
    std::vector<uint16_t> area(4 * 3, 0x77);
    DrawAniFrameBits(f.get(), 0, 0, area.data(), 8, 4, 3, true);
    EXPECT_EQ(area,
              (std::vector<uint16_t>{5, 6, 0x77, 0x77, 0x77, 0x77, 0x77, 0x77, 0x77, 0x77, 0x77, 0x77}));
    FramePtr neg = MakeFrame(2, 2, {1, 2, 3, 4}, {255, 255, 255, 255}, -1, 0);
    std::fill(area.begin(), area.end(), 0x77);
    DrawAniFrameBits(neg.get(), 0, 0, area.data(), 8, 4, 3, true);
    EXPECT_EQ(area[0], 0x77);
    EXPECT_EQ(area[1], 1);
    EXPECT_EQ(area[5], 3);
    // Offsets and positions at the ends of the integer range draw nothing.
    for (int32_t o : {INT32_MIN, INT32_MAX}) {
        FramePtr far = MakeFrame(1, 1, {1}, {255}, o, o);
        std::fill(area.begin(), area.end(), 0x77);
        DrawAniFrameBits(far.get(), 0, 0, area.data(), 8, 4, 3, true);
        DrawAniFrameBits(neg.get(), o, o, area.data(), 8, 4, 3, true);
        EXPECT_EQ(area, std::vector<uint16_t>(12, 0x77));
    }
}

TEST_P(FrameDraw, TintMixesTowardTheColourAndColourZeroLeavesTheArea) {
    TestDisplay display(GetParam());
    const bool is555 = GetParam() == 555;
    platform::Surface* s = CreateOffscreenSurface(4, 2);
    ASSERT_TRUE(s);
    const uint16_t white = is555 ? 0x7FFF : 0xFFFF;
    platform::DDSURFACEDESC2 d;
    ASSERT_EQ(s->Lock(nullptr, &d, platform::DDLOCK_WAIT), platform::DD_OK);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch)[x] = white;
    s->Unlock(nullptr);
    TintSurface(0, s, 4, 2);
    EXPECT_EQ(s->PixelAt(0, 0), white);
    // Toward pure red at 100/256: red stays 31, green and blue (c * 156) / 256.
    TintSurface(is555 ? 0x7C00 : 0xF800, s, 2, 1);
    EXPECT_EQ(s->PixelAt(0, 0), Rgb(31, is555 ? 31 * 156 / 256 : 63 * 156 / 256, 31 * 156 / 256));
    EXPECT_EQ(s->PixelAt(2, 0), white);
    EXPECT_EQ(s->PixelAt(0, 1), white);
    TintSurface(0xF800, s, 1000, 1000); // cut to the surface
    s->Release();
}

INSTANTIATE_TEST_SUITE_P(Layouts, FrameDraw, ::testing::Values(565, 555));

// Frames read one at a time, each sized by its own header: skipped frames are passed over, the
// end and a frame cut short give null.
TEST(AniFrameStream, ReadsAndSkipsFramesInFileOrder) {
    testsupport::TempFolder folder;
    const storefix::AniFrameSpec a{0, 0, 2, 1, {0x1111, 0x2222}, {255, 255}};
    const storefix::AniFrameSpec b{3, 4, 1, 3, {0x3333, 0x4444, 0x5555}, {0, 128, 255}};
    const storefix::AniFrameSpec c{0, 0, 3, 1, {0x6666, 0x7777, 0x8888}, {1, 2, 3}};
    const storefix::Bytes bytes = storefix::AniFile({a, b, c});
    storefix::WriteBytes(folder.path() / "skill" / "Fire.ani", bytes);
    EXPECT_EQ(SkillAnimationPath("Fire.ani"), ".\\skill\\Fire.ani");

    AniFrameStream stream(SkillAnimationPath("fire.ANI").c_str());
    ASSERT_TRUE(stream.IsOpen());
    EXPECT_EQ(stream.FrameCount(), 3u);
    EXPECT_TRUE(stream.Skip(1));
    AniFrame* second = stream.Next();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->xOffset, 3);
    EXPECT_EQ(second->height, 3);
    EXPECT_EQ(second->pixels[2], 0x5555);
    EXPECT_EQ(second->mask[1], 128);
    FreeAniFrame(second);
    AniFrame* third = stream.Next();
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third->pixels[0], 0x6666);
    FreeAniFrame(third);
    EXPECT_EQ(stream.Next(), nullptr) << "three frames only";
    EXPECT_FALSE(stream.Skip(1));

    storefix::WriteBytes(folder.path() / "cut.ani", storefix::Bytes(bytes.begin(), bytes.end() - 2));
    AniFrameStream cut("cut.ani");
    EXPECT_TRUE(cut.Skip(2));
    EXPECT_EQ(cut.Next(), nullptr) << "the last frame is cut short";
    AniFrameStream missing("none.ani");
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_EQ(missing.Next(), nullptr);
}
