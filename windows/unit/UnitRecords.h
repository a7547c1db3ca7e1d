#pragma once

#include <cstdint>

class Troop;

// Columns of the item and skill blocks the unit windows read, and small reads over them.
namespace unitrec {

constexpr uint32_t kItemIcon = 24;        // "圖對應"
constexpr uint32_t kItemEquipAll = 40;    // "全員可裝備", then the five class flags
constexpr uint32_t kSkillCost = 24;       // "法力"
constexpr uint32_t kSkillState = 28;      // "附加狀態"
constexpr uint32_t kSkillGroup = 68;      // the record's fourteenth field
constexpr uint32_t kSkillEnabled = 144;   // "0先不做"
constexpr uint32_t kPortraitColumn = 384; // "頭像編號" of a general template

// A column of a skill block by table index; 0 when the index names none.
int32_t SkillValue(int32_t index, uint32_t offset);
// The skill table index of class c (1..5), slot s (0..7) and level L (1..3).
int32_t SkillIndex(int32_t cls, int s, int level);
// The level of skill slot s, or the game-wide override when set.
int32_t SkillLevel(const Troop* troop, int s);
// The game-wide skill level that stands for every troop's own; 0 when unset.
int32_t SkillLevelOverride();
// "武將屬性" 5: the troop is out of play.
bool OutOfPlay(const Troop* troop);

} // namespace unitrec
