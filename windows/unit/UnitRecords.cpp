#include "windows/unit/UnitRecords.h"

#include "Program/GameController.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "troops/Troop.h"

#include <cstring>

namespace unitrec {

int32_t SkillValue(int32_t index, uint32_t offset) {
    if (index < 0 || index >= kSkillTableSize) return 0;
    const uint8_t* block = SkillBlock(index);
    if (!block) return 0;
    int32_t v = 0;
    std::memcpy(&v, block + offset, 4);
    return v;
}

int32_t SkillIndex(int32_t cls, int s, int level) {
    return (cls - 1) * 24 + s * 3 + level - 1;
}

int32_t SkillLevelOverride() {
    // The controller's editor key cycles it 0, 1, 2, 3.
    return TheGameController ? int8_t(TheGameController->unitPanelMode) : 0;
}

int32_t SkillLevel(const Troop* troop, int s) {
    if (const int32_t forced = SkillLevelOverride()) return forced;
    if (!troop || s < 0 || s > 7) return 0;
    return troop->OfficerValue(OfficerLayout::kSkills + 4 * uint32_t(s));
}

bool OutOfPlay(const Troop* troop) {
    return !troop || !troop->officer || troop->OfficerValue(OfficerLayout::kAttribute) == 5;
}

} // namespace unitrec
