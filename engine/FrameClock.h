#pragma once

#include <cstdint>

// A steady beat for code polled once per frame, taken from the millisecond timer: whether a beat
// period has passed, 32 dividers of the beat with a toggle mask, a level ramp, frames per second and
// one countdown in seconds.
class Zu_FrameClock {
public:
    Zu_FrameClock();

    void Reset(float rate, uint32_t flags);
    void Restart();
    void SetRamp(uint16_t threshold, uint16_t step, uint16_t limit);
    void Tick();
    uint32_t Elapsed() const;
    void StartCountdown(uint32_t seconds);
    int32_t CountdownExpired();
    uint32_t WaitSeconds(uint32_t seconds);

    uint32_t start = 0;
    uint32_t last = 0;
    uint32_t countdownStart = 0;
    uint32_t countdownSeconds = 0;
    uint32_t framesPerStep = 0;
    int32_t fps = 0;
    uint32_t previous = 0;
    uint32_t flags = 0; // bit 0: catch-up
    int32_t countdownActive = 0;
    float rate = 90.0f; // beats per 30 seconds
    uint16_t dividerCount[32] = {};
    uint32_t fired = 0;
    uint32_t fireCount[32] = {};
    uint32_t toggle = 0;
    uint16_t rampCounter = 0;
    uint16_t rampLevel = 0;
    uint32_t rampFlags = 0;
    uint16_t rampThreshold = 0;
    uint16_t rampStep = 0;
    uint16_t rampLimit = 0;
};
