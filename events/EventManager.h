#pragma once

#include "gui/Window.h"

#include <cstdint>

class EventRunner;
class LinkList;
class OfficerRecord;
class City;
class Troop;
namespace events {
class EventRecord;
}

// Set while a code-99 event holds the calendar: the battle map does not advance the day.
extern int32_t EventDayHold;

// Decides when the stage's scripted events happen: once per frame it tests the armed events'
// trigger conditions in list order and fires at most one, driving its runner while it works.
class EventManager : public Window {
public:
    static constexpr int kCacheSlots = 50;

    EventManager();
    ~EventManager() override;

    void OnNotify(Window* source, int code) override;

    void CheckTriggers();
    // Runs the first armed event of the code on request (100 the opening, 101 the objectives).
    // Refused while a runner works.
    void StartRunner(int code);
    void EndRunner();
    // The end state of the first event with the id, 0 when none has it.
    int32_t IsEventEnded(int32_t id);
    int CancelEvent(int32_t id);
    // Lets the field troops whose officers wait for the event start acting.
    void ReleaseEventTroops(int32_t id);
    // Ends a live runner and empties the caches; called before a new stage's events load.
    void Reset();
    void ForgetOfficer(OfficerRecord* officer);
    // Empties the cache slots of a troop that leaves the map for good, and of its officer.
    void ReleaseObject(Troop* troop);

    // Lookups shared by the condition tests; each caches its hit in the first free slot.
    Troop* FindTroop(int32_t officerId);
    OfficerRecord* FindOfficer(int32_t officerId);
    OfficerRecord* FindGarrisonOfficer(int32_t officerId);
    City* FindCity(int32_t cityId);
    // Fills `resolved` from the six parameters of the event; 1 when at least one was found.
    int ResolveOfficerParams(const events::EventRecord& event);

    // The test of the event's condition: 1 when it holds. A re-test of a fired loop event skips
    // the codes that are never re-tested and the side effects of code 99.
    int TestCondition(events::EventRecord* event, bool retest);

    events::EventRecord* cursor = nullptr;
    EventRunner* runner = nullptr;
    int32_t runnerActive = 0;
    OfficerRecord* officerCache[kCacheSlots] = {};
    City* cityCache[kCacheSlots] = {};
    Troop* troopCache[kCacheSlots] = {};
    OfficerRecord* resolved[6] = {};

private:
    LinkList* EventList() const;
    int FireCursor(LinkList& list);
    void MarkListed(LinkList& list, const events::EventRecord& source);
    int EventsFired(LinkList& list, const events::EventRecord& event);
    int StageTimeOver() const;
    static bool Networked();
    OfficerRecord* SearchOfficer(int32_t officerId, bool fieldUnits);
    int TestWorldCondition(events::EventRecord& event);
    int TestOutcomeCondition(events::EventRecord& event);
};
