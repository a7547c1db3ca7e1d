#pragma once

#include "platform/Messages.h"

#include <cstdint>

// Audio-CD playback over the MCI CD device: plays a range of tracks, optionally again and again,
// with status queries and door control. One player for the program.
class CdAudio {
public:
    static constexpr uint32_t kTimerId = 12;
    static constexpr uint32_t kTimerPeriodMs = 200;

    // Opens the device behind a hidden window of its own; 0 when there is no device.
    static int Start(platform::HWND owner, int repeat);
    static void Stop();
    static int PlayTracks(int first, int last, int repeat);
    static int Resume();
    static int Pause();
    static int StopPlaying();
    static int Close();

    static uint32_t TrackCount();
    static uint32_t CurrentTrack();
    static uint32_t TrackLength(uint32_t track);
    static uint32_t MediaPresent();
    static uint32_t Position();
    static uint32_t Mode();

    static int SeekTmsf(uint32_t track, uint32_t seconds, uint32_t frame);
    static int Seek(uint32_t position);
    static int EjectDisc();
    static int CloseDoor();
    static int ToggleDoor();

    static platform::LRESULT WindowProc(platform::HWND window, platform::UINT message,
                                        platform::WPARAM wParam, platform::LPARAM lParam);
    static bool IsOpen();
    static platform::HWND Window();
};
