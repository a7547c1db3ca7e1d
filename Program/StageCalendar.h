#pragma once

#include <cstdint>

// The cheat line's hold of the calendar: while set, days do not advance.
extern int32_t CalendarFrozen;

// The calendar step of the battle: run by the battle map's tick once per battle cycle. It
// checks its own conditions (a stage exists, the battle runs, no pause, no editor).
void StageCalendarStep();

// Ticks per day at a speed index (clamped to 0..10) for a game kind: the campaign uses the
// table as it is, every other kind a quarter of it.
int32_t CalendarDayPeriod(int32_t speedIndex, int32_t gameKind);
