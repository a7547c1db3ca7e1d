#pragma once

#include <cstdint>

class ScenarioData;

// The global tables of record blocks the rest of the game reads. Entries point at blocks owned by
// the records in the scenario lists; they are rebuilt whenever those lists change.
constexpr int kGeneralTemplateTableSize = 600;
constexpr int kSoldierTypeTableSize = 150;
constexpr int kSkillTableSize = 150;
constexpr int kItemTableSize = 500;

// By template number 1..599; entry 0 equals entry 1. The count is the first unused number.
extern uint8_t* GeneralTemplateTable[kGeneralTemplateTableSize];
extern int32_t GeneralTemplateCount;
// By soldier-type number; entry 0 equals entry 1. The count bounds soldier-type numbers.
extern uint8_t* SoldierTypeTable[kSoldierTypeTableSize];
extern int32_t SoldierTypeCount;
// By position in the skill list.
extern uint8_t* SkillTable[kSkillTableSize];
// By item number 1..499 in list order; the count is the first free index.
extern uint8_t* ItemTable[kItemTableSize];
extern int32_t ItemCount;

// The template block of a template number, or null when the number names none.
const uint8_t* GeneralTemplate(int32_t number);
const uint8_t* SoldierTypeBlock(int32_t number);
const uint8_t* SkillBlock(int32_t number);
const uint8_t* ItemBlock(int32_t number);

// The highest item number in the item table (items are 1..this), and a column of an item's
// block; 0 for a number that names no item.
int32_t LastItemNumber();
int32_t ItemColumn(int32_t number, uint32_t offset);
// The soldier type a troop of this type becomes on water ("海上對應"); the type itself when the
// table has no such type.
int32_t SeaCounterpart(int32_t soldierType);

// Rebuild each table from its scenario list; nothing happens without scenario data.
void BuildGeneralTemplateTable(ScenarioData* scenario);
void BuildSoldierTypeTable(ScenarioData* scenario);
void BuildSkillTable(ScenarioData* scenario);
void BuildItemTable(ScenarioData* scenario);
// Empties every table.
void ClearRecordTables();
// Drops every entry that points into the scenario's master records, before they are deleted.
void ForgetRecordBlocks(ScenarioData* scenario);
