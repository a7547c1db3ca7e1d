#pragma once

#include "platform/DirectDraw.h"
#include "platform/Window.h"

#include <atomic>
#include <cstdint>

// The main window's record. The timer thread reads and sets FramePending; the window
// procedure clears it after the frame.
struct AppWindowRecord {
    platform::HINSTANCE instance = nullptr;
    platform::HWND window = nullptr;
    platform::IDirectDraw7* directDraw = nullptr;
    int32_t clientRect[4] = {}; // left, top, right, bottom in screen coordinates
    uint32_t timerId = 0;
    std::atomic<int32_t> FramePending{0};
    int32_t TimerRate = 0;
};

extern AppWindowRecord AppWindow;
// The frame period in ms: entry 89 of "data.txt", read before the timer starts.
extern double FramePeriodMs;
// 1 while the application is active.
extern int32_t ActiveFlag;

// The frame period used when "data.txt" gives none.
constexpr double DefaultFramePeriodMs = 40.0;
constexpr uint32_t FrameMessage = 1024;
constexpr uint32_t MCIWNDM_NOTIFYMODE = 0x4C8;
constexpr uint32_t MCI_MODE_STOP = 0x20D;

int CreateMainWindow(platform::HINSTANCE instance, int showState);
platform::LRESULT MainWndProc(platform::HWND window, platform::UINT message, platform::WPARAM wParam,
                              platform::LPARAM lParam);
int SetupDisplay();
int SelectDisplayMode(int bits, int width, int height);
void StartGameTimer();
void GameTimerProc(uint32_t timerId, uint32_t msg, uintptr_t user, uintptr_t dw1, uintptr_t dw2);
void StopGameTimer();
// The timer's period in ms for a frame period: whole ms, at least 1, the default for 0.
uint32_t FrameTimerPeriod(double framePeriodMs);
// Deletes the program's objects in the reverse order of their construction.
void TearDownProgram();
