#pragma once

#include <cstdint>

class LinkList;

// The demo stage's clock events, numbered from firstId: once the opening event has fired, one sets
// the stage timer to a month and the tally to five days; one fires when the timer runs out and one
// when the tally is reached.
namespace democlocks {

constexpr int32_t kTimerMonths = 1;
constexpr int32_t kTallyDays = 5;

void AddClockEvents(LinkList& events, int32_t openingId, int32_t firstId);

} // namespace democlocks
