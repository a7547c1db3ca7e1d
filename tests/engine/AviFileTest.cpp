#include "engine/AviFile.h"
#include "engine/AviStream.h"
#include "engine/AviSystem.h"
#include "fuzz/seeds/builders/MediaFixtures.h"
#include "platform/AudioDevice.h"
#include "platform/MmTimer.h"
#include "support/TempFolder.h"
#include "support/WaitFor.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

using namespace platform;
using namespace std::chrono_literals;

namespace {

constexpr uint32_t kColour = 0xF08040;
constexpr uint16_t kBackground = 0x4208; // a dark grey in 5-6-5

uint32_t Solid(uint32_t, uint32_t, uint32_t) {
    return kColour;
}
// Quadrants: top-left black, top-right white, bottom-left grey, bottom-right dark.
uint32_t Quadrants(uint32_t, uint32_t x, uint32_t y) {
    if (y < 4) return x < 4 ? 0x000000 : 0xFFFFFF;
    return x < 4 ? 0x808080 : 0x101010;
}
uint32_t Numbered(uint32_t f, uint32_t x, uint32_t y) {
    return ((x * 30) << 16) | ((y * 30) << 8) | (f * 40);
}

Surface* MakeSurface(int w, int h, int layout, uint16_t fill) {
    auto* s = new Surface(w, h, layout, w * 2 + 8, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY);
    DDSURFACEDESC2 d;
    s->Lock(nullptr, &d, DDLOCK_WAIT);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch)[x] = fill;
    s->Unlock(nullptr);
    return s;
}

uint16_t Mix5(uint16_t p, uint16_t d, int wr, int wg, int wb, bool is555) {
    uint32_t r = is555 ? 0x7C00 : 0xF800, g = is555 ? 0x03E0 : 0x07E0, b = 0x1F;
    auto mix = [](uint32_t p, uint32_t d, uint32_t mask, int w) {
        return (((p & mask) * w + (d & mask) * (32 - w)) >> 5) & mask;
    };
    return static_cast<uint16_t>(mix(p, d, r, wr) | mix(p, d, g, wg) | mix(p, d, b, wb));
}

class AviFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetAudioBackend(AudioBackend::Null);
        TakeAudioCalls();
        screen = MakeSurface(24, 20, kLayout565, kBackground);
        TheAviSystem.SetTarget(nullptr, screen, nullptr);
    }
    void TearDown() override {
        screen->Release();
        TheAviSystem.sound = nullptr;
        SetAudioBackend(AudioBackend::Mixer);
    }
    std::string Avi(const std::string& name, fixtures::AviShape shape) {
        return folder.Put(name, fixtures::MakeAvi(shape));
    }
    fixtures::AviShape Shape(uint32_t (*pixel)(uint32_t, uint32_t, uint32_t), uint32_t frames = 4) {
        fixtures::AviShape s;
        s.pixel = pixel;
        s.frames = frames;
        return s;
    }
    uint16_t At(int x, int y) { return screen->PixelAt(x, y); }
    testsupport::TempFolder folder{testsupport::TempFolder::Stay};
    Surface* screen = nullptr;
};

} // namespace

TEST_F(AviFileTest, SixteenBitClipWithQuadrantMatteBlendsOverTheScreen) {
    std::string colour = Avi("c.avi", Shape(Solid));
    std::string matte = Avi("m.avi", Shape(Quadrants));
    Zu_AviFile clip;
    ASSERT_EQ(clip.Open(0, 0, colour.c_str(), matte.c_str(), &TheAviSystem, 0, 0, 2, 3), 1);
    ASSERT_TRUE(clip.HasColourStream());
    clip.Play(12, 13); // drawn at (12 - 2, 13 - 3) = (10, 10)
    EXPECT_EQ(clip.DrawFrame(0, 0, screen, 565), 1);
    clip.Stop();
    const uint16_t p = Pack16(0xF0, 0x80, 0x40, 565);
    EXPECT_EQ(At(10, 10), kBackground);                             // black keeps the screen
    EXPECT_EQ(At(15, 11), Mix5(p, kBackground, 31, 31, 31, false)); // white shows the clip
    EXPECT_EQ(At(11, 15), Mix5(p, kBackground, 16, 16, 16, false)); // grey mixes
    EXPECT_EQ(At(16, 16), Mix5(p, kBackground, 2, 2, 2, false));    // weights over 3 still mix
    EXPECT_EQ(At(9, 10), kBackground);                              // outside the clip
    EXPECT_EQ(At(18, 10), kBackground);
}

TEST_F(AviFileTest, TwentyFourBitClipWithMatteAndTheFiveFiveFiveLayout) {
    screen->Release();
    screen = MakeSurface(24, 20, kLayout555, 0x2108);
    TheAviSystem.SetTarget(nullptr, screen, nullptr);
    std::string colour = Avi("c.avi", Shape(Solid));
    std::string matte = Avi("m.avi", Shape(Quadrants));
    Zu_AviFile clip;
    clip.Open(0, 0, colour.c_str(), matte.c_str(), &TheAviSystem, 1, 1, 0, 0);
    clip.Play(0, 0);
    clip.DrawFrame(0, 0, screen, 555);
    clip.Stop();
    auto mix = [](uint32_t p, uint32_t d, uint32_t mask, int w) {
        return (((p & mask) * w + (d & mask) * (256 - w)) >> 8) & mask;
    };
    const uint16_t p = Pack16(0xF0, 0x80, 0x40, 555);
    auto expect = [&](int w) {
        return static_cast<uint16_t>(mix(p, 0x2108, 0x7C00, w) | mix(p, 0x2108, 0x03E0, w) |
                                     mix(p, 0x2108, 0x1F, w));
    };
    EXPECT_EQ(At(1, 1), 0x2108);
    EXPECT_EQ(At(5, 1), expect(255)); // no copy shortcut at 255
    EXPECT_EQ(At(1, 5), expect(128));
    EXPECT_EQ(At(5, 5), expect(16));
}

TEST_F(AviFileTest, CompanionOfAnotherSizeOrMissingLeavesTheClipEmpty) {
    std::string colour = Avi("c.avi", Shape(Solid));
    fixtures::AviShape big = Shape(Quadrants);
    big.width = 16;
    std::string matte = Avi("m.avi", big);
    Zu_AviFile clip;
    EXPECT_EQ(clip.Open(0, 0, colour.c_str(), matte.c_str(), &TheAviSystem, 0, 0, 0, 0), 1);
    EXPECT_FALSE(clip.HasColourStream());
    EXPECT_EQ(
        clip.Open(0, 0, colour.c_str(), (folder.str() + "/none.avi").c_str(), &TheAviSystem, 0, 0, 0, 0), 1);
    EXPECT_FALSE(clip.HasColourStream());
    int32_t percent = -1;
    EXPECT_EQ(clip.GetProgress(&percent), 0);
    clip.Play(0, 0);
    EXPECT_FALSE(clip.TimerRunning());
    clip.DrawFrame(0, 0, screen, 565);
    EXPECT_EQ(At(0, 0), kBackground);
}

TEST_F(AviFileTest, StreamsWithoutRateScaleOrSizeDoNotOpen) {
    struct Case {
        const char* name;
        uint32_t rate, scale, width, height;
    };
    const Case cases[] = {{"rate 0", 0, 1, 8, 8},
                          {"scale 0", 10, 0, 8, 8},
                          {"width 0", 10, 1, 0, 8},
                          {"height 0", 10, 1, 8, 0}};
    for (const Case& c : cases) {
        fixtures::AviShape s = Shape(Solid);
        s.rate = c.rate;
        s.scale = c.scale;
        s.width = c.width;
        s.height = c.height;
        std::string path = Avi("bad.avi", s);
        Zu_AviFile clip;
        EXPECT_EQ(clip.Open(0, 0, path.c_str(), nullptr, &TheAviSystem, 0, 0, 0, 0), 0) << c.name;
        EXPECT_FALSE(clip.HasColourStream()) << c.name;
    }
    Zu_AviFile clip;
    EXPECT_EQ(clip.Open(0, 0, (folder.str() + "/none.avi").c_str(), nullptr, &TheAviSystem, 0, 0, 0, 0), 0);
}

TEST_F(AviFileTest, TheDecodedPictureIsSizedFromItsRowsNotFromTheFilesImageSize) {
    for (uint32_t sizeImage : {0x97000000u, 16u}) {
        fixtures::AviShape s = Shape(Solid);
        s.sizeImage = sizeImage;
        std::string path = Avi("sized.avi", s);
        for (uint32_t mode : {0u, 0x2001u, 2u}) {
            Zu_AviStream stream;
            ASSERT_EQ(stream.Open(path.c_str(), &TheAviSystem, mode), 1) << sizeImage << " " << mode;
            const uint32_t bits = mode == 0x2001u ? 24 : mode == 2u ? 8 : 16;
            EXPECT_EQ(stream.outputStride, (s.width * bits / 8 + 3) & ~3u) << sizeImage << " " << mode;
            EXPECT_EQ(stream.Start(0), 1);
            stream.Stop();
        }
    }
}

TEST_F(AviFileTest, AHugeSuggestedBufferSizeIsNotAllocated) {
    fixtures::AviShape s = Shape(Solid);
    s.suggestedBufferSize = 0xFFFFFFF0u;
    std::string path = Avi("huge.avi", s);
    Zu_AviFile clip;
    ASSERT_EQ(clip.Open(0, 0, path.c_str(), nullptr, &TheAviSystem, 0, 0, 0, 0), 1);
    EXPECT_EQ(clip.colour->inputBufferSize, 16u << 20);
    clip.Play(0, 0);
    clip.DrawFrame(0, 0, screen, 565);
    clip.Stop();
    EXPECT_EQ(At(3, 3), Pack16(0xF0, 0x80, 0x40, 565));
}

TEST_F(AviFileTest, ZoomedTwentyFourBitDrawAndClippingAtTheEdges) {
    std::string path = Avi("n.avi", Shape(Numbered));
    Zu_AviFile clip;
    ASSERT_EQ(clip.Open(0, 0, path.c_str(), nullptr, &TheAviSystem, 0x2001, 0, 0, 0), 1);
    clip.Play(-3, -4); // half a block and two rows off the top-left corner
    clip.DrawFrame(0, 0, screen, 565);
    clip.Stop();
    auto src = [](uint32_t x, uint32_t y) {
        uint32_t c = Numbered(0, x, y);
        return Pack16(c >> 16, c >> 8, c, 565);
    };
    // -3 / 2 = 1 source column and -4 / 2 = 2 source rows are skipped; blocks start at the corner.
    EXPECT_EQ(At(0, 0), src(1, 2));
    EXPECT_EQ(At(1, 1), src(1, 2));
    EXPECT_EQ(At(2, 0), src(2, 2));
    EXPECT_EQ(At(0, 2), src(1, 3));
    // 13 visible screen columns hold 6 whole blocks; the rest stays.
    EXPECT_EQ(At(11, 0), src(6, 2));
    EXPECT_EQ(At(12, 0), kBackground);

    Zu_AviFile plain;
    plain.Open(0, 0, path.c_str(), nullptr, &TheAviSystem, 0, 0, 0, 0);
    plain.Play(20, 17); // off the right and bottom edges
    plain.DrawFrame(0, 0, screen, 565);
    plain.Stop();
    EXPECT_EQ(At(20, 17), src(0, 0));
    EXPECT_EQ(At(23, 19), src(3, 2));
    plain.Play(100, 100); // wholly off the surface
    EXPECT_EQ(plain.DrawFrame(0, 0, screen, 565), 1);
    plain.Stop();
    // The view offset moves clips by 40 x 10 pixels a cell.
    plain.Play(40 + 5, 20 + 6);
    plain.DrawFrame(1, 2, screen, 565);
    plain.Stop();
    EXPECT_EQ(At(5, 6), src(0, 0));
}

TEST_F(AviFileTest, AClipLeftAloneStopsItsTimerOnTheSeventySecondIdleTick) {
    fixtures::AviShape s = Shape(Numbered, 3);
    s.rate = 1000; // a 1 ms frame period
    std::string path = Avi("fast.avi", s);
    Zu_AviFile clip;
    clip.Open(0, 0, path.c_str(), nullptr, &TheAviSystem, 0, 0, 0, 0);
    clip.Play(0, 0);
    ASSERT_TRUE(clip.TimerRunning());
    testsupport::WaitFor([&] { return !clip.TimerRunning(); }, 3s);
    EXPECT_FALSE(clip.TimerRunning());
    EXPECT_EQ(clip.idleTicks.load(), Zu_AviFile::kIdleTicksToStop);
    EXPECT_EQ(clip.colour->outputBuffer, nullptr);
    int32_t percent = -1;
    EXPECT_EQ(clip.GetProgress(&percent), 0);
    clip.Stop();     // harmless afterwards
    clip.Play(0, 0); // and it can play again
    EXPECT_TRUE(clip.TimerRunning());
    clip.Close();
}

TEST_F(AviFileTest, ATimerThatCannotBeMadeStopsTheClipAtOnce) {
    std::string path = Avi("t.avi", Shape(Numbered));
    Zu_AviFile clip;
    clip.Open(0, 0, path.c_str(), nullptr, &TheAviSystem, 0, 0, 0, 0);
    SetTimerCreationFailsForTests(true);
    clip.Play(3, 4);
    SetTimerCreationFailsForTests(false);
    EXPECT_FALSE(clip.TimerRunning());
    EXPECT_EQ(clip.colour->playing, 0);
    EXPECT_EQ(clip.colour->outputBuffer, nullptr);
    EXPECT_EQ(clip.positionX, 3);
}

TEST_F(AviFileTest, PlayOnARunningClipRestartsAtFrameZeroWithTheSameTimer) {
    fixtures::AviShape s = Shape(Numbered, 50);
    s.rate = 200;
    std::string path = Avi("p.avi", s);
    Zu_AviFile clip;
    clip.Open(0, 0, path.c_str(), nullptr, &TheAviSystem, 0, 0, 0, 0);
    clip.Play(0, 0);
    int32_t firstTimer = clip.timerId;
    std::this_thread::sleep_for(40ms);
    int32_t percent = 0;
    EXPECT_EQ(clip.GetProgress(&percent), 1);
    EXPECT_GT(percent, 0);
    EXPECT_TRUE(clip.HasNewFrame());
    EXPECT_FALSE(clip.HasNewFrame() && clip.HasNewFrame());
    clip.Play(0, 0);
    EXPECT_EQ(clip.timerId, firstTimer);
    EXPECT_LE(clip.colour->currentFrame, 2u);
    EXPECT_EQ(clip.lastDrawnFrame, -1);
    clip.Close();
    EXPECT_FALSE(clip.TimerRunning());
}

TEST_F(AviFileTest, StopNeverReturnsWhileACallbackRuns) {
    fixtures::AviShape s = Shape(Numbered, 30);
    s.rate = 1000;
    std::string colour = Avi("s.avi", s);
    std::string matte = Avi("sm.avi", s);
    for (int round = 0; round < 40; ++round) {
        Zu_AviFile clip;
        clip.Open(0, 0, colour.c_str(), matte.c_str(), &TheAviSystem, 0, 0, 0, 0);
        clip.Play(0, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(200 * (round % 7)));
        if (round % 3 == 0) clip.Play(1, 1); // restart while ticking
        clip.DrawFrame(0, 0, screen, 565);
        clip.Stop();
        EXPECT_EQ(clip.busy.load(), 0);
        EXPECT_FALSE(clip.TimerRunning());
        EXPECT_EQ(clip.colour->outputBuffer, nullptr);
        if (round % 2) clip.Close(); // otherwise the destructor closes it
    }
}

TEST_F(AviFileTest, SoundPlaysFromFrameZeroAtTheClipVolumeOrNotAtAll) {
    fixtures::AviShape s = Shape(Solid, 10);
    s.withAudio = true;
    s.audioSamples = 8000;
    std::string withSound = Avi("snd.avi", s);
    std::string silent = Avi("quiet.avi", Shape(Solid));

    // No sound device: silent.
    {
        Zu_AviFile clip;
        clip.Open(0, 0, withSound.c_str(), nullptr, &TheAviSystem, 0, 0, 0, 0);
        clip.Play(0, 0);
        clip.Close();
        EXPECT_TRUE(TakeAudioCalls().empty());
    }
    DirectSound* ds = nullptr;
    ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
    TheAviSystem.SetTarget(nullptr, screen, ds);
    {
        Zu_AviFile clip;
        clip.SetVolume(-1000);
        clip.Open(0, 0, withSound.c_str(), nullptr, &TheAviSystem, 0, 0, 0, 0);
        clip.Play(0, 0);
        std::vector<std::string> calls = TakeAudioCalls();
        // The whole track (8000 samples of 16-bit mono) in one buffer, played once.
        EXPECT_NE(std::find(calls.begin(), calls.end(), "create 16000"), calls.end());
        EXPECT_NE(std::find(calls.begin(), calls.end(), "play 16000 once volume -1000"), calls.end());
        clip.Close();
        calls = TakeAudioCalls();
        EXPECT_NE(std::find(calls.begin(), calls.end(), "release"), calls.end());
    }
    {
        Zu_AviFile clip;
        clip.Open(0, 0, silent.c_str(), nullptr, &TheAviSystem, 0, 0, 0, 0);
        clip.Play(0, 0);
        clip.Close();
        EXPECT_TRUE(TakeAudioCalls().empty());
    }
    ds->Release();
}
