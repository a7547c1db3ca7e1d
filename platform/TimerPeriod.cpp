#include "platform/TimerPeriod.h"

#include "platform/MmTimer.h"

namespace platform {

uint32_t timeGetDevCaps(TIMECAPS* caps, uint32_t size) {
    if (!caps || size < sizeof(TIMECAPS)) return MMSYSERR_INVALPARAM;
    caps->wPeriodMin = 1;
    caps->wPeriodMax = 1000000;
    return TIMERR_NOERROR;
}

uint32_t timeBeginPeriod(uint32_t period) {
    return period >= 1 ? TIMERR_NOERROR : MMSYSERR_INVALPARAM;
}
uint32_t timeEndPeriod(uint32_t period) {
    return period >= 1 ? TIMERR_NOERROR : MMSYSERR_INVALPARAM;
}

} // namespace platform
