#pragma once

#include <cstdint>

// What the skill movies read from a skill's record: the clip name used between "skill\" and
// ".avi" (zero-terminated within its field) and the clip's anchor. The records themselves belong
// to the game's data tables.
struct SkillRecord {
    char clipName[32] = {};
    uint16_t clipAnchorX = 0;
    uint16_t clipAnchorY = 0;
};

constexpr int kSkillTableSize = 150;
// Indexed by skill id mod 150; an entry may be null.
extern SkillRecord* SkillTable[kSkillTableSize];
