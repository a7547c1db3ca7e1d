#include "events/EventManager.h"

#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "Program/Startup.h"
#include "events/EventRecord.h"

using Event = events::EventRecord;

namespace {
constexpr int32_t kDefeat = 2;
} // namespace

int EventManager::EventsFired(LinkList& list, const Event& event) {
    int given = 0;
    int fired = 1;
    for (int n = 1; n <= 6 && fired; ++n) {
        const int32_t id = event.Param(n);
        if (id == 0) continue;
        ++given;
        int32_t state = 0;
        for (uintptr_t v = list.First(); v != 0; v = list.Next())
            if (reinterpret_cast<Event*>(v)->Id() == id) {
                state = reinterpret_cast<Event*>(v)->EndState();
                break;
            }
        if (state < kEventFired) fired = 0;
    }
    list.Find(reinterpret_cast<uintptr_t>(&event));
    return given > 0 && fired;
}

void EventManager::MarkListed(LinkList& list, const Event& source) {
    for (uintptr_t v = list.First(); v != 0; v = list.Next()) {
        auto* e = reinterpret_cast<Event*>(v);
        for (int n = 1; n <= 6; ++n)
            if (source.Param(n) != 0 && e->Id() == source.Param(n)) e->SetEndState(kEventEnded);
        if (e->EndState() != kEventArmed) ReleaseEventTroops(e->Id());
    }
}

int EventManager::StageTimeOver() const {
    Zu_StageSet* stage = CurrentStageSet();
    if (!stage) return 0;
    const int32_t endMonth = stage->Column(StageBlockLayout::kEndMonth);
    if (endMonth != 0 && endMonth <= stage->monthsElapsed) return 1;
    const int32_t year = TheScreenSettings ? TheScreenSettings->year : 0;
    return stage->Column(StageBlockLayout::kEndTime) <= year;
}

int EventManager::TestCondition(Event* event, bool retest) {
    Zu_StageSet* stage = CurrentStageSet();
    LinkList* list = stage ? stage->events : nullptr;
    if (!event || !list) return 0;
    switch (event->Code()) {
    case 3:
        if (retest) return 0;
        return EventsFired(*list, *event);
    case 40:
        return EventsFired(*list, *event);
    case 22: {
        if (Networked()) return 0;
        // The result word is only scratch here: the fired event's commands end the stage.
        stage->result = StageTimeOver() ? kDefeat : 0;
        if (stage->result == 0) return 0;
        stage->result = 0;
        return 1;
    }
    case 99:
        if (!retest) {
            EventDayHold = 1;
            MarkListed(*list, *event);
            list->Find(reinterpret_cast<uintptr_t>(event));
        }
        return 1;
    case 25:
        if (retest) return 0;
        return TestOutcomeCondition(*event);
    case 21:
    case 23:
    case 24:
    case 29:
    case 30:
    case 31:
    case 32:
    case 33:
    case 34:
    case 35:
    case 36:
    case 37:
    case 38:
    case 39:
    case 58:
        // The result word is only scratch for these too; the test itself leaves it untouched.
        return TestOutcomeCondition(*event);
    default:
        return TestWorldCondition(*event);
    }
}
