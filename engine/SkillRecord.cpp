#include "engine/SkillRecord.h"

SkillRecord* SkillTable[kSkillTableSize] = {};
