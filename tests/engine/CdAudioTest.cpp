#include "engine/CdAudio.h"
#include "platform/Mci.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(CdAudioTest, WithoutACdDeviceEveryCallTakesItsFailurePath) {
    ResetMessageQueue();
    EXPECT_EQ(CdAudio::Start(nullptr, 1), 0);
    EXPECT_FALSE(CdAudio::IsOpen());
    EXPECT_EQ(CdAudio::Window(), nullptr);
    EXPECT_EQ(CdAudio::PlayTracks(1, 3, 1), 0);
    EXPECT_EQ(CdAudio::Resume(), 0);
    EXPECT_EQ(CdAudio::Pause(), 0);
    EXPECT_EQ(CdAudio::TrackCount(), 0u);
    EXPECT_EQ(CdAudio::MediaPresent(), 0u);
    EXPECT_EQ(CdAudio::Mode(), MCI_MODE_NOT_READY);
    EXPECT_EQ(CdAudio::ToggleDoor(), 0);
    EXPECT_EQ(CdAudio::SeekTmsf(1, 10, 0), 0);
    // The retry on every fifth tick finds no device either.
    for (int i = 0; i < 10; ++i)
        CdAudio::WindowProc(nullptr, WM_TIMER, CdAudio::kTimerId, 0);
    EXPECT_FALSE(CdAudio::IsOpen());
    CdAudio::Stop();
}

TEST(CdAudioTest, StoppingDoesNotAskTheGameToQuit) {
    ResetMessageQueue();
    CdAudio::Start(nullptr, 0);
    CdAudio::Stop();
    CdAudio::WindowProc(nullptr, WM_DESTROY, 0, 0);
    MSG msg;
    EXPECT_EQ(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE), 0);
}
