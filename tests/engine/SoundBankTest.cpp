#include "engine/SoundBank.h"
#include "NullAudioTest.h"
#include "engine/ScreenSettings.h"
#include "fuzz/seeds/builders/MediaFixtures.h"
#include "platform/AudioDevice.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include <gtest/gtest.h>

using namespace platform;
using fixtures::MakeWave;
using fixtures::WaveShape;

namespace {

class SoundBankTest : public NullAudioTest {
protected:
    static int Count(const std::vector<std::string>& calls, const std::string& what) {
        return static_cast<int>(std::count(calls.begin(), calls.end(), what));
    }
};

} // namespace

TEST_F(SoundBankTest, SlotsAreHandedOutRoundRobinAndTheSeventeenthReusesSlotZero) {
    SoundBank bank(nullptr);
    ASSERT_EQ(bank.ready, 1);
    std::string path = folder.Put("Sound/Click.wav", MakeWave({}));
    // The game names files with backslashes and any case.
    std::string gameName = folder.str() + "\\SOUND\\click.WAV";
    for (int i = 0; i < SoundBank::kSlots; ++i)
        EXPECT_EQ(bank.LoadWave(gameName.c_str()), i);
    DirectSoundBuffer* first = bank.buffers[0];
    TakeAudioCalls();
    EXPECT_EQ(bank.LoadWave(path.c_str()), 0);
    std::vector<std::string> calls = TakeAudioCalls();
    EXPECT_EQ(Count(calls, "release"), 1);
    EXPECT_NE(bank.buffers[0], nullptr);
    EXPECT_EQ(bank.sampleSize[0], 64u);
    EXPECT_EQ(bank.nextSlot, 1);
    (void)first;
    EXPECT_EQ(bank.Play(0, 0), 1);
    EXPECT_EQ(bank.Play(16, 0), 0);
    EXPECT_EQ(bank.Play(-1, 0), 0);
    bank.Stop(0);
    EXPECT_EQ(Count(TakeAudioCalls(), "stop"), 1);
}

TEST_F(SoundBankTest, WaveAcceptanceTable) {
    struct Case {
        const char* name;
        WaveShape shape;
        bool accepted;
    };
    WaveShape plain16;
    plain16.fmtSize = 16;
    WaveShape listFirst;
    listFirst.listFirst = true;
    WaveShape float32;
    float32.formatTag = 3;
    float32.bits = 32;
    WaveShape shortData;
    shortData.declaredDataSize = 200;
    WaveShape huge;
    huge.declaredDataSize = 0x7FFFFFF0;
    WaveShape noData;
    noData.withData = false;
    WaveShape stereo8;
    stereo8.channels = 2;
    stereo8.bits = 8;
    stereo8.rate = 22050;
    WaveShape empty;
    empty.dataBytes = 0;
    const Case cases[] = {
        {"18-byte format", {}, true},
        {"16-byte format", plain16, true},
        {"LIST ahead of format", listFirst, false},
        {"not PCM", float32, false},
        {"data shorter than declared", shortData, false},
        {"huge data size", huge, false},
        {"no data chunk", noData, false},
        {"8-bit stereo", stereo8, true},
        {"empty data", empty, false},
    };
    for (const Case& c : cases) {
        SoundBank bank(nullptr);
        std::string path = folder.Put("w.wav", MakeWave(c.shape));
        int slot = bank.LoadWave(path.c_str());
        EXPECT_EQ(slot >= 0, c.accepted) << c.name;
        if (!c.accepted) {
            // A failure keeps no samples behind in any slot.
            for (int i = 0; i < SoundBank::kSlots; ++i) {
                EXPECT_EQ(bank.sampleData[i], nullptr) << c.name;
                EXPECT_EQ(bank.buffers[i], nullptr) << c.name;
            }
        }
    }
    SoundBank bank(nullptr);
    const std::vector<std::vector<uint8_t>> junk = {
        {}, {'R', 'I', 'F', 'F'}, {'R', 'I', 'F', 'X', 4, 0, 0, 0}};
    for (const auto& bytes : junk)
        EXPECT_EQ(bank.LoadWave(folder.Put("j.wav", bytes).c_str()), -1);
    EXPECT_EQ(bank.LoadWave((folder.str() + "/missing.wav").c_str()), -1);
    EXPECT_EQ(bank.LoadWave(static_cast<const char*>(nullptr)), -1);
}

TEST_F(SoundBankTest, FailedLoadAfterTakingASlotFreesTheOldSound) {
    SoundBank bank(nullptr);
    std::string good = folder.Put("g.wav", MakeWave({}));
    WaveShape bad;
    bad.declaredDataSize = 500;
    std::string shortFile = folder.Put("b.wav", MakeWave(bad));
    ASSERT_EQ(bank.LoadWave(good.c_str()), 0);
    bank.nextSlot = 0;
    EXPECT_EQ(bank.LoadWave(shortFile.c_str()), -1);
    EXPECT_EQ(bank.buffers[0], nullptr);
    EXPECT_EQ(bank.sampleData[0], nullptr);
    EXPECT_EQ(bank.nextSlot, 1);
}

TEST_F(SoundBankTest, VolumeFollowsTheSoundEffectLevel) {
    const std::pair<int, int> levels[] = {{-3, -10000}, {0, -10000}, {1, -1800}, {5, -1000},
                                          {8, -400},    {9, 0},      {40, 0}};
    std::string path = folder.Put("v.wav", MakeWave({}));
    SoundBank bank(nullptr);
    for (auto [level, volume] : levels) {
        EXPECT_EQ(SoundBank::VolumeForLevel(level), volume);
        settings.soundVolume = level;
        TakeAudioCalls();
        ASSERT_GE(bank.LoadWave(path.c_str()), 0);
        EXPECT_EQ(Count(TakeAudioCalls(), "volume " + std::to_string(volume)), 1) << level;
    }
}

TEST_F(SoundBankTest, NoSoundDeviceLeavesTheBankNotReady) {
    SetAudioBackend(AudioBackend::Absent);
    SoundBank bank(nullptr);
    EXPECT_EQ(bank.ready, 0);
    EXPECT_EQ(bank.GetDirectSound(), nullptr);
    std::string path = folder.Put("x.wav", MakeWave({}));
    EXPECT_EQ(bank.LoadWave(path.c_str()), -1);
}

TEST(SoundBankMixerTest, SixteenEffectsAndMovieVoicesPlayAtOnceOnTheMixer) {
    SetAudioBackend(AudioBackend::Mixer);
    testsupport::TempFolder folder{testsupport::TempFolder::Stay};
    WaveShape longSound;
    longSound.dataBytes = 16000; // one second at 8 kHz, 16-bit mono
    std::string path = folder.Put("long.wav", MakeWave(longSound));
    SoundBank bank(nullptr);
    if (!bank.ready) GTEST_SKIP() << "no SDL audio driver here";
    for (int i = 0; i < SoundBank::kSlots; ++i)
        ASSERT_EQ(bank.LoadWave(path.c_str()), i);
    for (int i = 0; i < SoundBank::kSlots; ++i)
        ASSERT_EQ(bank.Play(i, 1), 1) << i;
    // Two movie voices beside them.
    WAVEFORMATEX wf{WAVE_FORMAT_PCM, 2, 22050, 88200, 4, 16, 0};
    DSBUFFERDESC desc;
    desc.dwFlags = DSBCAPS_STATIC | DSBCAPS_CTRLVOLUME;
    desc.dwBufferBytes = 88200;
    desc.lpwfxFormat = &wf;
    DirectSoundBuffer* movie[2] = {};
    for (auto& m : movie) {
        ASSERT_EQ(bank.GetDirectSound()->CreateSoundBuffer(&desc, &m, nullptr), DS_OK);
        ASSERT_EQ(m->Play(0, 0, 0), DS_OK);
    }
    for (int i = 0; i < SoundBank::kSlots; ++i) {
        uint32_t status = 0;
        bank.buffers[i]->GetStatus(&status);
        EXPECT_EQ(status, DSBSTATUS_PLAYING | DSBSTATUS_LOOPING) << i;
    }
    for (auto* m : movie) {
        uint32_t status = 0;
        m->GetStatus(&status);
        EXPECT_EQ(status, DSBSTATUS_PLAYING);
        m->Release();
    }
    bank.Stop(3);
    uint32_t status = 1;
    bank.buffers[3]->GetStatus(&status);
    EXPECT_EQ(status, 0u);
}
