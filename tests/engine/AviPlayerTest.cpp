#include "engine/AviPlayer.h"
#include "engine/DisplayDevice.h"
#include "engine/ErrorList.h"
#include "fuzz/seeds/builders/MediaFixtures.h"
#include "platform/AudioDevice.h"
#include "support/TempFolder.h"
#include "support/WaitFor.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include <gtest/gtest.h>

using namespace platform;
using namespace std::chrono_literals;

namespace {

uint32_t ByFrame(uint32_t f, uint32_t x, uint32_t) {
    return ((f * 50 + 10) << 16) | (x << 12) | 0x20;
}
uint32_t White(uint32_t, uint32_t, uint32_t) {
    return 0xFFFFFF;
}
uint32_t HalfMask(uint32_t, uint32_t x, uint32_t) {
    return x < 4 ? 0x000000 : 0xFFFFFF;
}

class AviPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDirectDraw(nullptr);
        SetDisplayWidth(800);
        SetDisplayHeight(600);
        SetDisplayBitDepth(16);
        ApplyDisplayMode(8);
        ASSERT_TRUE(SetDisplayMode());
        Zu_ErrorList::Global().Clear();
    }
    void TearDown() override {
        Zu_ErrorList::Global().Clear();
        ReleaseSurfaces();
        ReleaseDirectDraw();
        SetAudioBackend(AudioBackend::Mixer);
    }
    std::string Movie(const char* name, uint32_t (*pixel)(uint32_t, uint32_t, uint32_t), uint32_t frames,
                      uint32_t rate, bool audio = false) {
        fixtures::AviShape s;
        s.pixel = pixel;
        s.frames = frames;
        s.rate = rate;
        s.withAudio = audio;
        return folder.Put(name, fixtures::MakeAvi(s));
    }
    static bool LastError(const char* text, int line) {
        const ErrorRecord* r = Zu_ErrorList::Global().GetFirst();
        while (r && r->next)
            r = r->next;
        return r && std::strcmp(r->fileText.get(), text) == 0 && r->line == line && r->kind == 0;
    }
    template <class Pred>
    static bool WaitFor(Pred pred) {
        return testsupport::WaitFor(pred, 3s, 2ms);
    }
    testsupport::TempFolder folder{testsupport::TempFolder::Stay};
};

} // namespace

TEST_F(AviPlayerTest, FailuresAreRecordedAndLeaveThePlayerUnusable) {
    AviPlayer missing((folder.str() + "/none.avi").c_str(), GetDirectDraw(), 0);
    EXPECT_FALSE(missing.Usable());
    EXPECT_TRUE(LastError("AVI-File not found", 31));
    missing.Play(1); // nothing happens
    EXPECT_FALSE(missing.Playing());

    std::string path = Movie("a.avi", ByFrame, 3, 100);
    AviPlayer noSurface(path.c_str(), nullptr, 0);
    EXPECT_FALSE(noSurface.Usable());
    EXPECT_TRUE(LastError("AVI-Init CreateSurface", 100));

    SetAudioBackend(AudioBackend::Absent);
    AviSoundPlayer silent(path.c_str(), GetDirectDraw(), 0);
    EXPECT_FALSE(silent.Usable());
    EXPECT_TRUE(LastError("AVI-CreateSoundStuff failed!", 362));

    SetAudioBackend(AudioBackend::Null);
    AviSoundPlayer noTrack(path.c_str(), GetDirectDraw(), 0);
    EXPECT_FALSE(noTrack.Usable());
    EXPECT_TRUE(LastError("AVI-CreateSoundStuff failed!", 362));
}

TEST_F(AviPlayerTest, PlaysIntoItsSurfaceAndStopsAtTheEndUnlessLooping) {
    std::string path = Movie("a.avi", ByFrame, 4, 200);
    AviPlayer once(path.c_str(), GetDirectDraw(), 0);
    ASSERT_TRUE(once.Usable());
    EXPECT_EQ(once.framePeriod, 5u);
    once.Play(1);
    EXPECT_TRUE(once.Playing());
    ASSERT_TRUE(WaitFor([&] { return !once.Playing(); }));
    EXPECT_EQ(once.timerId.load(), -1);
    // The last frame stays, top row first.
    uint32_t c = ByFrame(3, 5, 0);
    uint16_t want =
        static_cast<uint16_t>((((c >> 16) & 0xF8) << 8) | (((c >> 8) & 0xFC) << 3) | ((c & 0xFF) >> 3));
    EXPECT_EQ(once.GetSurface()->PixelAt(5, 0), want);

    AviPlayer looping(path.c_str(), GetDirectDraw(), 1);
    looping.Play(1);
    std::this_thread::sleep_for(60ms);
    EXPECT_TRUE(looping.Playing());
    looping.Stop();
    EXPECT_FALSE(looping.Playing());
}

TEST_F(AviPlayerTest, SoundPlayerPlaysTheTrackAndBlendPairMixesThroughTheMask) {
    SetAudioBackend(AudioBackend::Null);
    TakeAudioCalls();
    std::string withSound = Movie("s.avi", White, 4, 200, true);
    AviSoundPlayer player(withSound.c_str(), GetDirectDraw(), 0);
    ASSERT_TRUE(player.Usable());
    player.Play(1);
    auto calls = TakeAudioCalls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "play 1600 once volume 0"), calls.end());
    player.Stop();

    auto* colour = new AviPlayer(Movie("c.avi", White, 50, 100).c_str(), GetDirectDraw(), 0);
    auto* mask = new AviPlayer(Movie("m.avi", HalfMask, 50, 100).c_str(), GetDirectDraw(), 0);
    colour->Play(1);
    mask->Play(1);
    AviBlendPair pair(colour, mask, -2, 3);
    pair.Draw(GetBackSurface());
    Surface* back = GetBackSurface();
    EXPECT_EQ(back->PixelAt(1, 3), 0);      // mask black: the target stays
    EXPECT_EQ(back->PixelAt(2, 3), 0xFFFF); // mask white: the colour shows
    EXPECT_EQ(back->PixelAt(5, 10), 0xFFFF);
    EXPECT_EQ(back->PixelAt(6, 3), 0); // past the clip
    colour->Stop();
    pair.Draw(back); // the colour stopped: both are closed
    EXPECT_FALSE(pair.Open());
}
