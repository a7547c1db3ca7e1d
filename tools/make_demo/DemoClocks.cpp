#include "DemoClocks.h"

#include "engine/LinkList.h"
#include "events/EventRecord.h"
#include "events/EventStep.h"

namespace democlocks {
namespace {

constexpr int32_t kFired = 3;      // the listed events have fired
constexpr int32_t kTimerDone = 51; // the stage timer has reached its target
constexpr int32_t kTallyDone = 56; // the stage tally has reached its target
constexpr int32_t kSetTimer = 11;
constexpr int32_t kSetTally = 23;
constexpr int32_t kNothing = 0;

events::EventRecord* Event(LinkList& events, int32_t id, int32_t code, const char* name) {
    auto* e = new events::EventRecord;
    e->SetText(EventLayout::kName, EventLayout::kNameBytes, name);
    e->SetInt(EventLayout::kId, id);
    e->SetInt(EventLayout::kCode, code);
    events.Add(uintptr_t(e));
    return e;
}

void Step(events::EventRecord* e, int32_t code, int32_t param1) {
    e->NewStep();
    auto* step = reinterpret_cast<EventStep*>(e->steps.Last());
    step->SetInt(EventStepLayout::kCode, code);
    step->SetParam(1, param1);
}

} // namespace

void AddClockEvents(LinkList& events, int32_t openingId, int32_t firstId) {
    events::EventRecord* clocks = Event(events, firstId, kFired, "Clocks");
    clocks->SetParam(1, openingId);
    Step(clocks, kSetTimer, kTimerMonths);
    Step(clocks, kSetTally, kTallyDays);
    Step(Event(events, firstId + 1, kTimerDone, "Timer rings"), kNothing, 0);
    Step(Event(events, firstId + 2, kTallyDone, "Tally reached"), kNothing, 0);
}

} // namespace democlocks
