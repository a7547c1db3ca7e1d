#pragma once

#include <cstdint>

// The clocks the game reads. Tests take them over with a ManualClock.
namespace platform {

// Milliseconds of a monotonic clock, wrapping at 2^32: only differences are meaningful.
uint32_t timeGetTime();

void Sleep(uint32_t milliseconds);

// Seconds since 1970, as the C runtime's time(NULL).
int64_t time();

struct SYSTEMTIME {
    uint16_t wYear;
    uint16_t wMonth;
    uint16_t wDayOfWeek;
    uint16_t wDay;
    uint16_t wHour;
    uint16_t wMinute;
    uint16_t wSecond;
    uint16_t wMilliseconds;
};

// The current time of day in UTC.
void GetSystemTime(SYSTEMTIME* out);

// While one exists, every clock above follows it instead of the machine: timeGetTime reads `now`,
// time() and GetSystemTime read epochSeconds plus now / 1000 seconds. Each read of any clock then
// advances `now` by `stepPerRead`, so code that spins on a clock ends without a real wait. Sleep
// still sleeps. One at a time.
class ManualClock {
public:
    explicit ManualClock(uint32_t start = 0, uint32_t stepPerRead = 0, int64_t epochSeconds = 1000000000);
    ~ManualClock();
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;

    void Set(uint32_t now);
    void Advance(uint32_t milliseconds);
    uint32_t Now() const;
    void SetStepPerRead(uint32_t step);
};

} // namespace platform
