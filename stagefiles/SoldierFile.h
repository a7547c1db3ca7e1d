#pragma once

#include <cstdint>

class StageReader;
class StageWriter;
class Zu_StageSet;

// The soldier file's layouts, chosen by its 12-byte tag.
struct SoldierFileLayout {
    // The version word the tag sets: 2, 3 or 5 for the newer tags; "Soldier Data" and unknown
    // tags leave it as it was.
    int32_t version = 0;
    // 1 after a newer layout was read, 0 after the oldest.
    int32_t newer = 0;
};

// The ".spr" file in the current layout (tag "morvek v1.05"): every kingdom's field troops as unit
// groups, the ten hot-key groups (at most 16 members each) and the selection. Troops of officer
// kind 13 are left out unless a save is written.
void WriteSoldiers(StageWriter& out, Zu_StageSet& stage, bool forSave);
// Reads any of the four layouts into the stage's kingdoms (by position), the game controller's
// hot-key groups and selection, and finds every troop's targets again. False when the file is
// damaged; what was read whole before stays.
bool ReadSoldiers(StageReader& in, Zu_StageSet& stage, SoldierFileLayout& layout);
