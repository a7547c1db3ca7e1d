#include "DemoClocks.h"

#include "DemoStage.h"
#include "engine/LinkList.h"
#include "events/EventRecord.h"
#include "events/EventStep.h"

#include <vector>

namespace democlocks {
namespace {

constexpr int32_t kFired = 3;      // the listed events have fired
constexpr int32_t kTimerDone = 51; // the stage timer has reached its target
constexpr int32_t kTallyDone = 56; // the stage tally has reached its target
constexpr int32_t kSetTimer = 11;
constexpr int32_t kSetTally = 23;
constexpr int32_t kNothing = 0;
constexpr int32_t kSetRelation = 20;
// The stage01 events the clock stage changes: the two that win it, the two clocks that ring.
constexpr int32_t kCitiesTaken = 2, kBlueRouted = 5;

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

events::EventRecord* FindEvent(LinkList& events, int32_t id) {
    for (auto* e : ListValues<events::EventRecord>(events))
        if (e->Id() == id) return e;
    return nullptr;
}

// The ringing clock's only step turns into the player's new relation with the hill lord.
void RelationStep(events::EventRecord* e, int32_t relation) {
    auto* step = reinterpret_cast<EventStep*>(e->steps.First());
    step->SetInt(EventStepLayout::kCode, kSetRelation);
    step->SetInt(EventStepLayout::kGeneral, kHillLord);
    step->SetInt(EventStepLayout::kTarget, relation);
}

// Red holds out a month: both ways to win wait, ended, until the timer reopens them, and the
// clocks change red's standing with the hill lord as they ring.
void HoldVictoryForTheTimer(LinkList& events) {
    const int32_t firstClock = kClocksId;
    events::EventRecord* timer = FindEvent(events, firstClock + 1);
    events::EventRecord* tally = FindEvent(events, firstClock + 2);
    events::EventRecord* cities = FindEvent(events, kCitiesTaken);
    events::EventRecord* routed = FindEvent(events, kBlueRouted);
    if (!timer || !tally || !cities || !routed) return;
    cities->SetEndState(kEventEnded);
    routed->SetEndState(kEventEnded);
    RelationStep(tally, kTallyRelation);
    RelationStep(timer, kTimerRelation);
    timer->SetInt(EventLayout::kReopen, kBlueRouted);
    events::EventRecord* rung = Event(events, firstClock + 3, kFired, "Timer rung");
    rung->SetParam(1, firstClock + 1);
    rung->SetInt(EventLayout::kReopen, kCitiesTaken);
    Step(rung, kNothing, 0);
}

} // namespace

bool WriteDemoClockStage(const std::string& folder, std::string& error) {
    return WriteDemoStageAs(folder, kClockStage, 2, nullptr, error, HoldVictoryForTheTimer);
}

void AddClockEvents(LinkList& events, int32_t openingId, int32_t firstId) {
    events::EventRecord* clocks = Event(events, firstId, kFired, "Clocks");
    clocks->SetParam(1, openingId);
    Step(clocks, kSetTimer, kTimerMonths);
    Step(clocks, kSetTally, kTallyDays);
    Step(Event(events, firstId + 1, kTimerDone, "Timer rings"), kNothing, 0);
    Step(Event(events, firstId + 2, kTallyDone, "Tally reached"), kNothing, 0);
}

} // namespace democlocks
