#pragma once

#include <cstdint>

// The multimedia timer's resolution: what it offers and the period a program asks for.
namespace platform {

struct TIMECAPS {
    uint32_t wPeriodMin = 0;
    uint32_t wPeriodMax = 0;
};

// Our timer thread keeps whole milliseconds: the finest period is 1 ms.
uint32_t timeGetDevCaps(TIMECAPS* caps, uint32_t size);
uint32_t timeBeginPeriod(uint32_t period);
uint32_t timeEndPeriod(uint32_t period);

} // namespace platform
