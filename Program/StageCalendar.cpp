#include "Program/StageCalendar.h"

#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "engine/Random.h"
#include "events/EventManager.h"
#include "net/NetHooks.h"
#include "records/Persons.h"

#include <vector>

int32_t CalendarFrozen = 0;

namespace {
template <class T>
T* At(uintptr_t v) {
    return reinterpret_cast<T*>(v);
}

// Every city of every kingdom, walked with the lists' own cursors; a city step that moves the
// kingdom list's cursor is undone before the next kingdom.
template <class F>
void ForEachCity(LinkList& kingdoms, F step) {
    for (uintptr_t v = kingdoms.First(); v != 0; v = kingdoms.Next()) {
        Kingdom* k = At<Kingdom>(v);
        for (uintptr_t c = k->cities.First(); c != 0; c = k->cities.Next())
            step(At<City>(c));
        kingdoms.Find(v);
    }
}
} // namespace

int32_t CalendarDayPeriod(int32_t speedIndex, int32_t gameKind) {
    int32_t period = GameParams().DayPeriod(speedIndex);
    if (gameKind != 0) period /= 4;
    return period;
}

void StageCalendarStep() {
    Zu_StageSet* stage = CurrentStageSet();
    ScreenSettings* s = TheScreenSettings;
    GameController* c = TheGameController;
    if (!stage || !s || !c) return;
    if (s->battleEnded || s->stageEditMode || s->busyState.load() != 0 || c->pauseScreen.load() != 0 ||
        c->running != 1)
        return;

    const int32_t period = CalendarDayPeriod(s->gameSpeed, c->gameKind);
    const int32_t interval = period / 25;
    GameParams().Hour_Freq = interval;
    s->calendarPeriod = interval * 30;

    ++s->calendarStepCount;
    if (s->calendarStepCount >= interval) {
        if (stage->result == 0 && s->endCountdown == 0) stage->UpdateCityGenerals();
        s->calendarStepCount = 0;
    }

    const int32_t before = s->calendarStepFrames;
    s->calendarStepFrames = static_cast<int16_t>(before + 1);
    if (before < period) return;
    s->calendarStepFrames = 0;

    if (s->endCountdown == 0 && stage->result == 0) {
        if (!EventDayHold && !CalendarFrozen) NetCmdAdvanceDay();
        stage->CheckOutcome();
        if (c->gameKind != 0) SpawnScheduledOfficers();
        if (s->day > 29) {
            s->day = 0;
            ++s->month;
            stage->AdvanceMonth();
            if (s->month > 12) {
                ++s->year;
                ++s->ageCount;
                s->month = 1;
                stage->AdvanceYear();
            }
        }
    } else if (s->endCountdown != 0) {
        ++s->endCountdown;
        if (s->endCountdown > 1 && stage->result != 0) {
            s->battleEnded = 1;
            s->frameState = 1;
            s->busyState = 2;
            s->endCountdown = 0;
        }
    }
}

void Zu_StageSet::UpdateCityGenerals() {
    if (TheScreenSettings && TheScreenSettings->stageEditMode) return;
    ForEachCity(*kingdoms, [](City* city) { city->RunAi(); });
}

void Zu_StageSet::AdvanceMonth() {
    GameController* c = TheGameController;
    const bool networked = c && c->networked;
    const int32_t gameKind = c ? c->gameKind : 0;
    int32_t spawned = 0;
    if ((!networked && gameKind != 0) || (networked && c->roomMapKind != 1)) {
        Kingdom* bandits = FindKingdomOfKind2();
        const int32_t cap = GameParams().innCaptains[1];
        while (bandits && spawned < cap) {
            std::vector<City*> free;
            ForEachCity(*kingdoms, [&](City* city) {
                if (city->Kind() == 0) free.push_back(city);
            });
            if (free.empty()) break;
            City* city = free[static_cast<size_t>(GameRandom()) % free.size()];
            SubCastle* sub = city->FindSubCastleOfKind(4);
            if (!sub || sub->secondUnits.GetCount() >= 3) break;
            SpawnRandomPersons(sub, bandits, 1);
            ++spawned;
        }
    }
    ++monthsElapsed;
    ++stageWords[6];
    ForEachCity(*kingdoms, [](City* city) { city->CountTick(); });
}

void Zu_StageSet::AdvanceYear() {
    ForEachCity(*kingdoms, [](City* city) { city->TickGarrison(); });
}
