#pragma once

#include <cstdint>

// Multimedia timers in the WinMM manner: a periodic or one-shot callback on a timer thread.
namespace platform {

using MMRESULT = uint32_t;
using LPTIMECALLBACK = void (*)(uint32_t timerId, uint32_t msg, uintptr_t user, uintptr_t dw1, uintptr_t dw2);

constexpr uint32_t TIME_ONESHOT = 0x0000;
constexpr uint32_t TIME_PERIODIC = 0x0001;
constexpr MMRESULT TIMERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;

// Returns the timer id, or 0 when no timer could be made. One timer's callbacks never overlap:
// a tick that comes due while the callback still runs is skipped, not queued.
MMRESULT timeSetEvent(uint32_t delayMs, uint32_t resolution, LPTIMECALLBACK callback, uintptr_t user,
                      uint32_t flags);

// No callback starts after this returns. Called from another thread it also waits for a callback
// that is running; called from inside the timer's own callback it returns at once.
MMRESULT timeKillEvent(MMRESULT timerId);

// Test seam: while set, timeSetEvent fails with 0.
void SetTimerCreationFailsForTests(bool fails);

} // namespace platform
