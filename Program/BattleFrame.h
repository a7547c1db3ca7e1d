#pragma once

// The battle's four-quarter cycle lives in GameController::RunBattleFrame; these are its
// free-standing pieces.

// The tracks of the music rotation.
extern const char* const BattleMusicTracks[7];

// True when any entry of the battle map's per-cell object grid is set.
bool HasCellObjects();
