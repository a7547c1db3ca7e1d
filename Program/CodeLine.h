#pragma once

#include <cstdint>

class Troop;

// The typed code line: F9 opens it outside network play, Enter runs the word typed.
struct CodeLine {
    int8_t open = 0;
    int8_t length = 0; // 0..62
    char buffer[64] = {};
};
extern CodeLine TheCodeLine;

// Game aids the codes switch; a network battle clears them at its start.
extern uint8_t AllStagesOpen;
extern int16_t SkillDamageOff;
extern int16_t TerrainOverlay;
// The calendar's hold (CalendarFrozen) is declared with the stage calendar.

// Opens the line: sound 38, buffer emptied.
void OpenCodeLine();

// The troop's officer gains what separates its experience from the next level threshold of the
// game kind's table.
void RaiseToNextLevel(Troop* troop, int32_t gameKind);
