#pragma once

// The battle's four-quarter cycle lives in GameController::RunBattleFrame; these are its
// free-standing pieces.

#include <cstdint>

// The world-update period of a network battle, in timer ticks; a session start resets it.
extern int16_t BattleStepThreshold;
// While set, scroll requests are dropped.
extern int32_t ScrollLockWord;

// The tracks of the music rotation.
extern const char* const BattleMusicTracks[7];

// True when any entry of the battle map's per-cell object grid is set.
bool HasCellObjects();
