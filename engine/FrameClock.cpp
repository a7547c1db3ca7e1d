#include "engine/FrameClock.h"

#include "platform/Time.h"

Zu_FrameClock::Zu_FrameClock() {
    Reset(90.0f, 0);
}

void Zu_FrameClock::Reset(float newRate, uint32_t newFlags) {
    start = last = platform::timeGetTime();
    rate = newRate;
    flags = newFlags;
    for (int v = 0; v < 32; ++v) {
        dividerCount[v] = 0;
        fireCount[v] = 0;
    }
    toggle = 0;
    rampFlags = 0;
    fired = 0;
}

void Zu_FrameClock::Restart() {
    Reset(rate, 0);
    rampCounter = 0;
    rampLevel = 0;
}

void Zu_FrameClock::SetRamp(uint16_t threshold, uint16_t step, uint16_t limit) {
    rampThreshold = threshold;
    rampStep = step;
    rampLimit = limit;
    rampCounter = 0;
    rampLevel = 0;
    rampFlags = 0;
}

void Zu_FrameClock::Tick() {
    const uint32_t now = platform::timeGetTime();
    fps = now == previous ? 30 : static_cast<int32_t>(1000 / (now - previous));
    framesPerStep = fps == 0 ? 30 : static_cast<uint32_t>(30 / fps + 1);
    previous = now;

    const float period = 30000.0f / rate;
    if (static_cast<float>(now - last) >= period) {
        // Catch-up keeps the remainder of a late step for the next period.
        if (flags & 1) {
            last += static_cast<uint32_t>(period);
        } else {
            last = now;
        }
        fired = 0;
        for (uint32_t v = 0; v < 32; ++v) {
            ++dividerCount[v];
            if (dividerCount[v] > v) {
                dividerCount[v] = 0;
                fired |= 1u << v;
                ++fireCount[v];
            }
        }
    } else {
        fired = 0;
    }

    toggle ^= fired;
    rampFlags = 0;
    if (fired & 1) {
        ++rampCounter;
        if (rampCounter >= rampThreshold) {
            rampThreshold = static_cast<uint16_t>(rampThreshold + rampStep);
            ++rampStep;
            if (rampLevel != 31) ++rampLevel;
        }
        if (rampLevel == 0) rampFlags |= 2;
        if ((fired >> (rampLevel & 31)) & 1) rampFlags |= 1;
        if (rampCounter >= rampLimit) rampFlags |= 4;
    }
}

uint32_t Zu_FrameClock::Elapsed() const {
    return last - start;
}

void Zu_FrameClock::StartCountdown(uint32_t seconds) {
    countdownStart = platform::timeGetTime();
    countdownSeconds = seconds;
    countdownActive = 1;
}

int32_t Zu_FrameClock::CountdownExpired() {
    if (!countdownActive) return 1;
    const auto passed = static_cast<int32_t>(platform::timeGetTime() - countdownStart);
    if (passed < static_cast<int32_t>(countdownSeconds * 1000)) return 0;
    countdownActive = 0;
    return 1;
}

uint32_t Zu_FrameClock::WaitSeconds(uint32_t seconds) {
    const uint32_t begin = platform::timeGetTime();
    uint32_t waited = 0;
    while ((waited = platform::timeGetTime() - begin) < seconds * 1000) {
    }
    return waited;
}
