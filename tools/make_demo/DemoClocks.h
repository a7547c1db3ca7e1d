#pragma once

#include <cstdint>
#include <string>

class LinkList;

// The demo stage's clock events, numbered from firstId: once the opening event has fired, one sets
// the stage timer to a month and the tally to five days; one fires when the timer runs out and one
// when the tally is reached.
namespace democlocks {

constexpr int32_t kTimerMonths = 1;
constexpr int32_t kTallyDays = 5;
constexpr int32_t kClocksId = 7; // the timer rings as kClocksId + 1, the tally as kClocksId + 2

// The clock stage "stage02.stg": the demo stage that red must hold a month before it can win.
// When the tally is reached red's relation with the hill lord (side kHillLord) becomes neutral,
// when the timer rings an alliance, and the ways to win open.
constexpr const char* kClockStage = "stage02";
constexpr int32_t kHillLord = 3;
constexpr int32_t kTallyRelation = 2, kTimerRelation = 1;

bool WriteDemoClockStage(const std::string& folder, std::string& error);

void AddClockEvents(LinkList& events, int32_t openingId, int32_t firstId);

} // namespace democlocks
