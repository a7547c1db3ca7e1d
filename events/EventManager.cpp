#include "events/EventManager.h"

#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "Program/SoundEffects.h"
#include "Program/StageSet.h"
#include "Program/Startup.h"
#include "events/EventRecord.h"
#include "events/EventRunner.h"
#include "events/EventStep.h"
#include "events/ListWalk.h"
#include "gui/MouseCursor.h"
#include "gui/RootWidget.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"

using Event = events::EventRecord;

int32_t EventDayHold = 0;

namespace {
constexpr int32_t kRepeatingAreaCode = 53;
constexpr uint32_t kEventConditionOffset = 192; // the officer's "事件條件"

Event* At(uintptr_t v) {
    return reinterpret_cast<Event*>(v);
}
} // namespace

EventManager::EventManager() = default;

EventManager::~EventManager() {
    if (runner) runner->Close(1);
    runner = nullptr;
}

LinkList* EventManager::EventList() const {
    Zu_StageSet* stage = CurrentStageSet();
    return stage ? stage->events : nullptr;
}

void EventManager::OnNotify(Window* source, int code) {
    if (source && source == runner && code == 100) EndRunner();
}

void EventManager::EndRunner() {
    if (runner) runner->Close(1);
    runner = nullptr;
    runnerActive = 0;
    if (!(TheScreenSettings && TheScreenSettings->stageEditMode) && TheGameController)
        TheGameController->running = 1;
}

void EventManager::Reset() {
    // A live runner would keep pointing at the old stage's steps.
    if (runner || runnerActive) EndRunner();
    runner = nullptr;
    runnerActive = 0;
    for (int i = 0; i < kCacheSlots; ++i) {
        officerCache[i] = nullptr;
        cityCache[i] = nullptr;
        troopCache[i] = nullptr;
    }
}

void EventManager::ForgetOfficer(OfficerRecord* officer) {
    for (OfficerRecord*& slot : officerCache)
        if (slot == officer) {
            slot = nullptr;
            return;
        }
}

int32_t EventManager::IsEventEnded(int32_t id) {
    LinkList* list = EventList();
    if (!list) return 0;
    for (uintptr_t v = list->First(); v != 0; v = list->Next())
        if (At(v)->Id() == id) return At(v)->EndState();
    return 0;
}

int EventManager::CancelEvent(int32_t id) {
    LinkList* list = EventList();
    if (!list) return 0;
    for (uintptr_t v = list->First(); v != 0; v = list->Next())
        if (At(v)->Id() == id) {
            At(v)->SetEndState(kEventEnded);
            return 1;
        }
    return 0;
}

void EventManager::ReleaseEventTroops(int32_t id) {
    Zu_StageSet* stage = CurrentStageSet();
    // 0 names no event: an event without an id must not start every troop that waits for none.
    if (!stage || id == 0) return;
    events::WalkList<Kingdom>(stage->kingdoms, [&](Kingdom* k) {
        events::WalkList<Troop>(&k->fieldUnits, [&](Troop* t) {
            // The route start of a waiting troop holds until this byte is set.
            if (t->officer && t->officer->Get(kEventConditionOffset) == id) t->routeTrigger = 1;
            return false;
        });
        return false;
    });
}

bool EventManager::Networked() {
    return TheGameController && TheGameController->networked;
}

void EventManager::CheckTriggers() {
    if (runnerActive) {
        // Without a runner nothing would ever end the state: end it now.
        EventRunner* r = runner;
        if (!r || r->RunEventCommand() == 0) {
            EndRunner();
            EventDayHold = 0;
        }
        return;
    }
    Zu_StageSet* stage = CurrentStageSet();
    if (!stage || !stage->events) return;
    if (TheScreenSettings && TheScreenSettings->battleEnded) return;
    if (stage->result != 0) return;
    if (!TheGameController || TheGameController->mode == 0) return;

    LinkList& list = *stage->events;
    cursor = At(list.First());
    while (cursor) {
        int fired = 0;
        if (cursor->EndState() == kEventArmed) fired = TestCondition(cursor, false);
        if (stage->result != 0) return;
        if (fired) {
            FireCursor(list);
            return;
        }
        if (cursor->EndState() >= kEventFired && cursor->Int(EventLayout::kLoop) != 0) {
            if (!TestCondition(cursor, true)) cursor->SetEndState(kEventArmed);
        }
        // The tests may have walked the list: go on from the scanned record.
        list.Find(reinterpret_cast<uintptr_t>(cursor));
        cursor = At(list.Next());
    }
    EventDayHold = 0;
}

int EventManager::FireCursor(LinkList& list) {
    Event* e = cursor;
    if (const int32_t sound = e->Int(EventLayout::kEventSound)) PlaySoundEffect(sound & 0xFF);
    if (!e->steps.IsEmpty()) {
        if (TheMouseCursor) TheMouseCursor->SetShapeChecked(1);
        runnerActive = 1;
        if (TheGameController) TheGameController->running = 0;
        runner = new EventRunner(TheRootWidget, this, &e->steps);
    }
    if (e->Code() != kRepeatingAreaCode) e->SetEndState(kEventFired);
    if (e->EndState() != kEventArmed) ReleaseEventTroops(e->Id());
    const int32_t cancelId = e->Int(EventLayout::kCancel);
    const int32_t reopenId = e->Int(EventLayout::kReopen);
    if (cancelId || reopenId) {
        for (uintptr_t v = list.First(); v != 0; v = list.Next()) {
            Event* other = At(v);
            if (other->Id() == cancelId) {
                other->SetEndState(kEventEnded);
                ReleaseEventTroops(other->Id());
            }
            if (other->Id() == reopenId) other->SetEndState(kEventArmed);
        }
    }
    return 1;
}

void EventManager::StartRunner(int code) {
    // A second request while a script runs would orphan the running one and its speech box.
    if (runnerActive) return;
    LinkList* list = EventList();
    if (!list) return;
    if (runner) {
        runner->Close(1);
        runner = nullptr;
    }
    Event* found = nullptr;
    for (uintptr_t v = list->First(); v != 0; v = list->Next())
        if (At(v)->Code() == code && At(v)->EndState() == kEventArmed) {
            found = At(v);
            break;
        }
    cursor = found;
    if (!found) return;
    if (const int32_t cancelId = found->Int(EventLayout::kCancel)) CancelEvent(cancelId);
    runner = new EventRunner(TheRootWidget, this, &found->steps);
    if (code == kOpeningCode) {
        runner->currentStep = nullptr;
        runnerActive = 1;
        return;
    }
    for (uintptr_t v = found->steps.First(); v != 0; v = found->steps.Next()) {
        auto* step = reinterpret_cast<EventStep*>(v);
        const int32_t target = step->Int(EventStepLayout::kTarget);
        if (IsEventEnded(target) == 0) {
            // IsEventEnded walked the event list, not the step list: the walk goes on from here.
            runner->currentStep = step;
            runnerActive = 1;
            return;
        }
        found->steps.Find(v);
    }
    // No objective left open: nothing runs, and no idle runner stays behind.
    runner->Close(1);
    runner = nullptr;
}
