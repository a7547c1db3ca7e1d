#include "engine/DisplayDevice.h"
#include "engine/PixelFormat.h"
#include "platform/Present.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

using namespace platform;

namespace {

// The start-up's display set-up: mode search, exclusive full screen or window, then the probe.
int OpenDisplay(int width, int height, bool windowMode) {
    if (!CreateDirectDraw(nullptr)) return 0;
    ReleaseSurfaces();
    const int count = CountDisplayModes();
    for (int i = 0; i < count; ++i) {
        DisplayModeInfo m;
        if (GetDisplayModeInfo(i, &m) && m.bits == 16 && int(m.width) == width && int(m.height) == height) {
            SetDisplayWidth(width);
            SetDisplayHeight(height);
            SetDisplayBitDepth(16);
            ApplyDisplayMode(0x11);
            break;
        }
    }
    if (windowMode) ApplyDisplayMode(8);
    const int r = SetDisplayMode();
    ProbePrimarySurfaceFormat();
    return r;
}

void FillBack(uint16_t value) {
    Surface* back = GetBackSurface();
    DDSURFACEDESC2 d;
    ASSERT_EQ(back->Lock(nullptr, &d, DDLOCK_WAIT), DD_OK);
    for (uint32_t y = 0; y < d.dwHeight; ++y) {
        auto* row = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch);
        for (uint32_t x = 0; x < d.dwWidth; ++x)
            row[x] = uint16_t(value + x % 7);
    }
    back->Unlock(nullptr);
}

class DisplayDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetPresenterForTest();
        SetDisplayModesForTest({});
        SetPitchPadding(24);
        PixelFormat = 0;
    }
    void TearDown() override {
        ReleaseSurfaces();
        ReleaseDirectDraw();
        SetDisplayModesForTest({});
        SetWindowedFlagSource(nullptr);
        SetDisplayClientRect(RECT{});
        ResetPresenterForTest();
    }
};

} // namespace

TEST_F(DisplayDeviceTest, OpensFullScreenAndProbesTheInjectedLayout) {
    for (int layout : {565, 555}) {
        SCOPED_TRACE(layout);
        SetPixelLayout(layout);
        PixelFormat = 0;
        ASSERT_EQ(OpenDisplay(800, 600, false), 1);
        EXPECT_EQ(PixelFormat, layout);
        EXPECT_EQ(GetDisplayModeFlags(), 0x11u);
        EXPECT_EQ(GetDisplayWidth(), 800);
        EXPECT_EQ(GetDisplayHeight(), 600);
        EXPECT_EQ(GetDisplayBitDepth(), 16);
        ASSERT_NE(GetPrimarySurface(), nullptr);
        ASSERT_NE(GetBackSurface(), nullptr);
        DDSURFACEDESC2 d;
        ASSERT_EQ(GetBackSurface()->Lock(nullptr, &d, DDLOCK_WAIT), DD_OK);
        EXPECT_EQ(d.dwWidth, 800u);
        EXPECT_EQ(d.dwHeight, 600u);
        EXPECT_EQ(d.lPitch, 800 * 2 + 24);
        GetBackSurface()->Unlock(nullptr);
        DDCOLORKEY key;
        ASSERT_EQ(GetBackSurface()->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
        EXPECT_EQ(key.dwColorSpaceLowValue, 0u);
        EXPECT_EQ(key.dwColorSpaceHighValue, 0u);
        ReleaseSurfaces();
        ReleaseDirectDraw();
    }
}

TEST_F(DisplayDeviceTest, SurfacesAreNullWithoutARecord) {
    EXPECT_EQ(GetPrimarySurface(), nullptr);
    EXPECT_EQ(GetBackSurface(), nullptr);
    EXPECT_EQ(PresentFrame(), 0);
    EXPECT_EQ(CountDisplayModes(), -1);
    ASSERT_EQ(OpenDisplay(800, 600, false), 1);
    EXPECT_NE(GetBackSurface(), nullptr);
    ReleaseSurfaces();
    ReleaseDirectDraw();
    EXPECT_EQ(TheDisplayDevice, nullptr);
    EXPECT_EQ(GetPrimarySurface(), nullptr);
    EXPECT_EQ(GetBackSurface(), nullptr);
    ReleaseDirectDraw();
    ReleaseSurfaces();
}

TEST_F(DisplayDeviceTest, FailedCreationLeavesAnEmptyRecord) {
    SetDirectDrawCreateFailsForTest(true);
    EXPECT_EQ(CreateDirectDraw(nullptr), nullptr);
    SetDirectDrawCreateFailsForTest(false);
    ASSERT_NE(TheDisplayDevice, nullptr);
    EXPECT_EQ(GetDirectDraw(), nullptr);
    EXPECT_EQ(SetDisplayMode(), 0);
    EXPECT_EQ(CreateOffscreenSurface(4, 4), nullptr);
    EXPECT_EQ(GetDisplayModeInfo(0, nullptr), 0);
}

TEST_F(DisplayDeviceTest, ModeTableHoldsAtMost199Entries) {
    std::vector<DisplayMode> many;
    for (uint32_t i = 0; i < 250; ++i)
        many.push_back(DisplayMode{640 + i, 480, 16});
    SetDisplayModesForTest(many);
    ASSERT_NE(CreateDirectDraw(nullptr), nullptr);
    EXPECT_EQ(CountDisplayModes(), 199);
    DisplayModeInfo m;
    struct Case {
        int index, result;
        uint32_t width;
    } cases[] = {{0, 1, 640}, {198, 1, 838}, {199, 0, 0}, {200, 0, 0}, {-1, 0, 0}};
    for (const Case& c : cases) {
        m = DisplayModeInfo{};
        EXPECT_EQ(GetDisplayModeInfo(c.index, &m), c.result) << c.index;
        EXPECT_EQ(m.width, c.width) << c.index;
    }
}

TEST_F(DisplayDeviceTest, NoMatchingModeLeavesNoSurfacesAndNothingCrashes) {
    SetDisplayModesForTest({DisplayMode{800, 600, 32}, DisplayMode{1024, 768, 32}});
    EXPECT_EQ(OpenDisplay(800, 600, false), 0);
    EXPECT_EQ(GetDisplayModeFlags(), 0u);
    EXPECT_EQ(GetPrimarySurface(), nullptr);
    EXPECT_EQ(GetBackSurface(), nullptr);
    EXPECT_EQ(PresentFrame(), 0);
    DrawDebugNumber(5);
    // A failed probe still leaves a layout that every caller agrees on.
    EXPECT_EQ(PixelFormat, 565);
}

TEST_F(DisplayDeviceTest, ApplyDisplayModeRebuildsOnlyAReadyDevice) {
    ASSERT_NE(CreateDirectDraw(nullptr), nullptr);
    SetDisplayWidth(1024);
    SetDisplayHeight(768);
    SetDisplayBitDepth(16);
    EXPECT_EQ(ApplyDisplayMode(0x11), 1);
    EXPECT_EQ(GetDisplayModeFlags(), 0x11u);
    EXPECT_EQ(TheDisplayDevice->ready, 0);
    EXPECT_EQ(GetBackSurface(), nullptr);
    ASSERT_EQ(SetDisplayMode(), 1);
    FillBack(0x1000);
    EXPECT_EQ(ApplyDisplayMode(0x11), 1);
    EXPECT_EQ(TheDisplayDevice->ready, 1);
    ASSERT_NE(GetBackSurface(), nullptr);
    EXPECT_EQ(GetBackSurface()->width(), 1024);
    EXPECT_EQ(GetBackSurface()->height(), 768);
    // A new back surface, zero-filled.
    EXPECT_EQ(GetBackSurface()->PixelAt(1, 1), 0);
}

TEST_F(DisplayDeviceTest, WindowModeTakesTheDesktopDepth) {
    SetClientSize(1024, 768);
    ASSERT_NE(CreateDirectDraw(nullptr), nullptr);
    SetDisplayWidth(1024);
    SetDisplayHeight(768);
    SetDisplayBitDepth(32);
    ApplyDisplayMode(8);
    ASSERT_EQ(SetDisplayMode(), 1);
    EXPECT_EQ(GetDisplayBitDepth(), 16);
    EXPECT_EQ(GetPrimarySurface()->width(), 1024);
    EXPECT_EQ(GetBackSurface()->width(), 1024);
}

TEST_F(DisplayDeviceTest, PresentShowsTheBackSurfaceAndDropsAFrameAfterALoss) {
    ASSERT_EQ(OpenDisplay(800, 600, false), 1);
    FillBack(0x0100);
    ASSERT_EQ(PresentFrame(), 1);
    EXPECT_EQ(PresentCount(), 1u);
    PresentedFrame f = LastPresentedFrame();
    ASSERT_EQ(f.width, 800);
    ASSERT_EQ(f.height, 600);
    EXPECT_EQ(f.pixels[599 * 800 + 799], 0x0100 + 799 % 7);

    // Lost: restored, the frame is dropped, and the result is still 1.
    FillBack(0x0200);
    GetPrimarySurface()->SimulateLost();
    EXPECT_EQ(PresentFrame(), 1);
    EXPECT_EQ(PresentCount(), 1u);
    EXPECT_EQ(GetPrimarySurface()->IsLost(), DD_OK);
    EXPECT_EQ(PresentFrame(), 1);
    EXPECT_EQ(PresentCount(), 2u);
    EXPECT_EQ(LastPresentedFrame().pixels[0], 0x0200);

    // A lost back surface is restored the same way.
    GetBackSurface()->SimulateLost();
    EXPECT_EQ(PresentFrame(), 1);
    EXPECT_EQ(PresentCount(), 2u);
    EXPECT_EQ(GetBackSurface()->IsLost(), DD_OK);

    // Still drawing: blitted again until it goes through.
    GetPrimarySurface()->SimulateBusy(3);
    EXPECT_EQ(PresentFrame(), 1);
    EXPECT_EQ(PresentCount(), 3u);
}

TEST_F(DisplayDeviceTest, WindowedFlagBlitsOnceIntoTheClientRectangle) {
    SetClientSize(800, 600);
    SetClientOrigin(100, 50);
    ASSERT_EQ(OpenDisplay(800, 600, true), 1);
    EXPECT_EQ(GetDisplayModeFlags(), 8u);
    int32_t windowed = 1;
    SetWindowedFlagSource(&windowed);
    FillBack(0x0300);
    // No client rectangle yet: nothing to blit into.
    EXPECT_EQ(PresentFrame(), 0);
    SetDisplayClientRect(RECT{100, 50, 900, 650});
    EXPECT_EQ(PresentFrame(), 1);
    EXPECT_EQ(LastPresentedFrame().pixels[10 * 800 + 10], 0x0300 + 10 % 7);
    // One blit only: a busy primary fails the frame.
    GetPrimarySurface()->SimulateBusy(1);
    EXPECT_EQ(PresentFrame(), 0);
    EXPECT_EQ(PresentFrame(), 1);
    // A half-size client area shows the frame scaled down.
    SetDisplayClientRect(RECT{100, 50, 500, 350});
    FillBack(0x0400);
    EXPECT_EQ(PresentFrame(), 1);
    EXPECT_EQ(GetPrimarySurface()->PixelAt(3, 0), 0x0400 + 6 % 7);
}

TEST_F(DisplayDeviceTest, OffscreenSurfacesTreatZeroAsTransparent) {
    ASSERT_EQ(OpenDisplay(800, 600, false), 1);
    Surface* sprite = CreateOffscreenSurface(3, 1);
    ASSERT_NE(sprite, nullptr);
    DDSURFACEDESC2 d;
    ASSERT_EQ(sprite->Lock(nullptr, &d, DDLOCK_WAIT), DD_OK);
    auto* p = static_cast<uint16_t*>(d.lpSurface);
    p[0] = 0xF800;
    p[1] = 0;
    p[2] = 0x001F;
    sprite->Unlock(nullptr);
    FillBack(0x0700);
    ASSERT_EQ(GetBackSurface()->BltFast(797, 599, sprite, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT),
              DD_OK);
    EXPECT_EQ(GetBackSurface()->PixelAt(797, 599), 0xF800);
    EXPECT_EQ(GetBackSurface()->PixelAt(798, 599), 0x0700 + 798 % 7);
    EXPECT_EQ(GetBackSurface()->PixelAt(799, 599), 0x001F);
    sprite->Release();
}

TEST_F(DisplayDeviceTest, DumpWritesThePresentedFrameAsBmp) {
    const std::string path =
        std::filesystem::temp_directory_path() / ("kardol_dump_" + std::to_string(getpid()) + ".bmp");
    std::remove(path.c_str());
    setenv("KARDOL_DUMP", path.c_str(), 1);
    SetPixelLayout(555);
    ASSERT_EQ(OpenDisplay(800, 600, false), 1);
    Surface* back = GetBackSurface();
    DDSURFACEDESC2 d;
    ASSERT_EQ(back->Lock(nullptr, &d, DDLOCK_WAIT), DD_OK);
    // Top-left pixel pure red in 5-5-5, bottom-left pure blue.
    static_cast<uint16_t*>(d.lpSurface)[0] = 0x7C00;
    reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(d.lpSurface) + 599 * d.lPitch)[0] = 0x001F;
    back->Unlock(nullptr);
    ASSERT_EQ(PresentFrame(), 1);
    unsetenv("KARDOL_DUMP");
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in.good());
    std::vector<uint8_t> bmp((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bmp.size(), 54u + 800 * 3 * 600);
    // Bottom-up: the first stored pixel is the bottom-left one (B, G, R).
    EXPECT_EQ(bmp[54], 255);
    EXPECT_EQ(bmp[56], 0);
    const size_t topRow = 54 + size_t(599) * 2400;
    EXPECT_EQ(bmp[topRow], 0);
    EXPECT_EQ(bmp[topRow + 2], 255);
    std::remove(path.c_str());
}

TEST_F(DisplayDeviceTest, MatchSurfaceColourFindsThePixelAndRestoresTheCorner) {
    struct Case {
        int layout;
        uint32_t colour, want;
    } cases[] = {
        {565, 0x0000FF, 0xF800}, {565, 0x00FF00, 0x07E0}, {555, 0x0000FF, 0x7C00}, {555, 0xFF0000, 0x001F}};
    for (const Case& c : cases) {
        SetPixelLayout(c.layout);
        ASSERT_EQ(OpenDisplay(800, 600, false), 1);
        Surface* s = CreateOffscreenSurface(2, 2);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(MatchSurfaceColour(s, c.colour), c.want) << c.layout;
        EXPECT_EQ(s->PixelAt(0, 0), 0);
        s->Release();
        ReleaseSurfaces();
        ReleaseDirectDraw();
    }
    EXPECT_EQ(MatchSurfaceColour(nullptr, 0), kColourInvalid);
}

TEST_F(DisplayDeviceTest, DebugNumberStripOnThePrimary) {
    ASSERT_EQ(OpenDisplay(800, 600, false), 1);
    DrawDebugNumber(42);
    Surface* primary = GetPrimarySurface();
    EXPECT_EQ(primary->PixelAt(430, 10), 0x2929);
    EXPECT_EQ(primary->PixelAt(509, 29), 0x2929);
    EXPECT_EQ(primary->PixelAt(429, 10), 0);
    EXPECT_EQ(primary->PixelAt(510, 10), 0);
    EXPECT_EQ(primary->PixelAt(430, 9), 0);
    EXPECT_EQ(primary->PixelAt(430, 30), 0);
}
