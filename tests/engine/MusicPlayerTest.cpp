#include "engine/MusicPlayer.h"
#include "NullAudioTest.h"
#include "engine/ScreenSettings.h"
#include "engine/SoundBank.h"
#include "fuzz/seeds/builders/MediaFixtures.h"
#include "platform/AudioDevice.h"
#include "support/TempFolder.h"
#include "support/WaitFor.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

using namespace platform;
using fixtures::MakeWave;

namespace {

class MusicPlayerTest : public NullAudioTest {
protected:
    void TearDown() override {
        ShutdownAudio();
        delete TheSoundBank;
        TheSoundBank = nullptr;
        gaudio::SetMusicInitFailsForTests(false);
        NullAudioTest::TearDown();
    }
    static bool Has(const std::vector<std::string>& calls, const std::string& line) {
        return std::find(calls.begin(), calls.end(), line) != calls.end();
    }
    int32_t Status() {
        int32_t playing = -1;
        EXPECT_EQ(TheMusicStream->getStatus(&playing), gaudio::ERR_OK);
        return playing;
    }
};

} // namespace

TEST_F(MusicPlayerTest, EachCallReplacesTheStreamAndAMissingFileLeavesMusicWorking) {
    InitAudio(nullptr);
    ASSERT_NE(TheAudio, nullptr);
    ASSERT_NE(TheSoundBank, nullptr);
    std::string a = folder.Put("Track10.mp3", MakeWave({}));
    std::string b = folder.Put("Track11.mp3", MakeWave({}));
    PlayMusic(a.c_str(), 1);
    auto calls = TakeAudioCalls();
    EXPECT_TRUE(Has(calls, "music open " + a + " loop"));
    EXPECT_TRUE(Has(calls, "music start " + a));
    // The same file again restarts it: the old stream is stopped and released first.
    PlayMusic(a.c_str(), 0);
    calls = TakeAudioCalls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[0], "music stop " + a);
    EXPECT_EQ(calls[1], "music release " + a);
    EXPECT_EQ(calls[2], "music open " + a + " once");

    std::string missing = folder.str() + "/Track99.mp3";
    PlayMusic(missing.c_str(), 1);
    EXPECT_NE(TheAudio, nullptr);
    EXPECT_EQ(TheMusicStream, nullptr);
    PlayMusic(b.c_str(), 1);
    ASSERT_NE(TheMusicStream, nullptr);
    EXPECT_EQ(Status(), 1);
    EXPECT_TRUE(Has(TakeAudioCalls(), "music start " + b));
}

TEST_F(MusicPlayerTest, VolumeIsTheMusicLevelOverTwelve) {
    InitAudio(nullptr);
    std::string a = folder.Put("m.mp3", MakeWave({}));
    settings.musicVolume = 6;
    PlayMusic(a.c_str(), 1);
    EXPECT_TRUE(Has(TakeAudioCalls(), "music volume 0.500"));
    settings.musicVolume = 12;
    SetMusicVolume();
    EXPECT_TRUE(Has(TakeAudioCalls(), "music volume 1.000"));
    settings.musicVolume = 0;
    SetMusicVolume();
    EXPECT_TRUE(Has(TakeAudioCalls(), "music volume 0.000"));
    ShutdownAudio();
    TakeAudioCalls();
    SetMusicVolume(); // no stream: nothing happens
    EXPECT_TRUE(TakeAudioCalls().empty());
    PlayMusic(a.c_str(), 1); // no audio object: nothing happens
    EXPECT_EQ(TheMusicStream, nullptr);
}

TEST_F(MusicPlayerTest, TheSoundBankIsBuiltWhateverTheMusicDeviceDoes) {
    gaudio::SetMusicInitFailsForTests(true);
    InitAudio(nullptr);
    EXPECT_EQ(TheAudio, nullptr);
    EXPECT_NE(TheSoundBank, nullptr);
    PlayMusic("Track10.mp3", 1);
    EXPECT_EQ(TheMusicStream, nullptr);
}

TEST_F(MusicPlayerTest, WithoutAnySoundDeviceNothingIsBuilt) {
    SetAudioBackend(AudioBackend::Absent);
    InitAudio(nullptr);
    EXPECT_EQ(TheAudio, nullptr);
    EXPECT_EQ(TheSoundBank, nullptr);
}

TEST_F(MusicPlayerTest, OnTheMixerLoopingKeepsPlayingAndOnceEnds) {
    SetAudioBackend(AudioBackend::Mixer);
    InitAudio(nullptr);
    if (!TheAudio) GTEST_SKIP() << "no SDL audio driver here";
    std::string track = folder.Put("Track10.mp3", fixtures::MakeSilentMp3(8)); // about 0.2 s
    using namespace std::chrono_literals;
    PlayMusic(track.c_str(), 0);
    ASSERT_NE(TheMusicStream, nullptr);
    EXPECT_EQ(Status(), 1);
    testsupport::WaitFor([&] { return Status() == 0; }, 3s, 10ms);
    EXPECT_EQ(Status(), 0);
    EXPECT_NE(TheMusicStream, nullptr); // left in place until the next call

    PlayMusic(track.c_str(), 1);
    std::this_thread::sleep_for(400ms);
    EXPECT_EQ(Status(), 1);
    gaudio::GSound* first = TheMusicStream;
    PlayMusic(track.c_str(), 1);
    EXPECT_NE(TheMusicStream, nullptr);
    EXPECT_EQ(Status(), 1);
    (void)first;
}
