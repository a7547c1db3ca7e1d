#include "records/RecordTables.h"

#include "records/ItemRecord.h"
#include "records/OfficerRecord.h"
#include "records/ScenarioData.h"
#include "records/SkillRecord.h"
#include "records/SoldierTypeRecord.h"

#include <algorithm>

uint8_t* GeneralTemplateTable[kGeneralTemplateTableSize] = {};
int32_t GeneralTemplateCount = 0;
uint8_t* SoldierTypeTable[kSoldierTypeTableSize] = {};
int32_t SoldierTypeCount = 0;
uint8_t* SkillTable[kSkillTableSize] = {};
uint8_t* ItemTable[kItemTableSize] = {};
int32_t ItemCount = 0;

namespace {
template <size_t N>
const uint8_t* Entry(uint8_t* (&table)[N], int32_t number) {
    if (number < 0 || static_cast<size_t>(number) >= N) return nullptr;
    return table[number];
}

template <class T>
T* At(uintptr_t v) {
    return reinterpret_cast<T*>(v);
}

int32_t Column(const uint8_t* block, uint32_t offset) {
    return static_cast<int32_t>(block[offset] | (block[offset + 1] << 8) | (block[offset + 2] << 16) |
                                (static_cast<uint32_t>(block[offset + 3]) << 24));
}
} // namespace

const uint8_t* GeneralTemplate(int32_t number) {
    if (number >= GeneralTemplateCount) return nullptr;
    return Entry(GeneralTemplateTable, number);
}

const uint8_t* SoldierTypeBlock(int32_t number) {
    return Entry(SoldierTypeTable, number);
}

const uint8_t* SkillBlock(int32_t number) {
    return Entry(SkillTable, number);
}

const uint8_t* ItemBlock(int32_t number) {
    if (number >= ItemCount) return nullptr;
    return Entry(ItemTable, number);
}

int32_t LastItemNumber() {
    return std::clamp(ItemCount - 1, 0, kItemTableSize - 1);
}

int32_t ItemColumn(int32_t number, uint32_t offset) {
    const uint8_t* block = ItemBlock(number);
    if (!block || offset > ItemRecord::kSize - 4) return 0;
    return Column(block, offset);
}

int32_t SeaCounterpart(int32_t soldierType) {
    const uint8_t* block = SoldierTypeBlock(soldierType);
    return block ? Column(block, SoldierTypeLayout::kSeaCounterpart) : soldierType;
}

void BuildGeneralTemplateTable(ScenarioData* scenario) {
    if (!scenario) return;
    std::fill(std::begin(GeneralTemplateTable), std::end(GeneralTemplateTable), nullptr);
    int32_t next = 1;
    LinkList& list = scenario->generalTemplates;
    for (uintptr_t v = list.First(); v != 0 && next < kGeneralTemplateTableSize; v = list.Next())
        GeneralTemplateTable[next++] = At<OfficerRecord>(v)->block;
    GeneralTemplateCount = next;
    GeneralTemplateTable[0] = GeneralTemplateTable[1];
}

void BuildSoldierTypeTable(ScenarioData* scenario) {
    if (!scenario) return;
    std::fill(std::begin(SoldierTypeTable), std::end(SoldierTypeTable), nullptr);
    int32_t count = 0;
    LinkList& list = scenario->soldierTypes;
    for (uintptr_t v = list.First(); v != 0 && count < kSoldierTypeTableSize; v = list.Next()) {
        SoldierTypeRecord* record = At<SoldierTypeRecord>(v);
        const int32_t number = record->Int(SoldierTypeLayout::kNumber);
        // A number outside the table names no entry; the record still counts.
        if (number >= 0 && number < kSoldierTypeTableSize) SoldierTypeTable[number] = record->block;
        ++count;
    }
    SoldierTypeCount = count;
    SoldierTypeTable[0] = SoldierTypeTable[1];
}

void BuildSkillTable(ScenarioData* scenario) {
    if (!scenario) return;
    std::fill(std::begin(SkillTable), std::end(SkillTable), nullptr);
    int32_t index = 0;
    LinkList& list = scenario->skills;
    for (uintptr_t v = list.First(); v != 0 && index < kSkillTableSize; v = list.Next())
        SkillTable[index++] = At<SkillRecord>(v)->block;
}

void BuildItemTable(ScenarioData* scenario) {
    if (!scenario) return;
    std::fill(std::begin(ItemTable), std::end(ItemTable), nullptr);
    int32_t next = 1;
    LinkList& list = scenario->items;
    for (uintptr_t v = list.First(); v != 0 && next < kItemTableSize; v = list.Next())
        ItemTable[next++] = At<ItemRecord>(v)->block;
    ItemCount = next;
}

namespace {
template <class T, size_t N>
bool Forget(uint8_t* (&table)[N], LinkList& list) {
    bool any = false;
    for (uintptr_t v = list.First(); v != 0; v = list.Next()) {
        const uint8_t* block = At<T>(v)->block;
        for (uint8_t*& entry : table)
            if (entry == block) entry = nullptr;
    }
    for (const uint8_t* entry : table)
        any = any || entry != nullptr;
    return any;
}
} // namespace

void ForgetRecordBlocks(ScenarioData* scenario) {
    if (!scenario) return;
    if (!Forget<OfficerRecord>(GeneralTemplateTable, scenario->generalTemplates)) GeneralTemplateCount = 0;
    if (!Forget<SoldierTypeRecord>(SoldierTypeTable, scenario->soldierTypes)) SoldierTypeCount = 0;
    Forget<SkillRecord>(SkillTable, scenario->skills);
    if (!Forget<ItemRecord>(ItemTable, scenario->items)) ItemCount = 0;
}

void ClearRecordTables() {
    std::fill(std::begin(GeneralTemplateTable), std::end(GeneralTemplateTable), nullptr);
    std::fill(std::begin(SoldierTypeTable), std::end(SoldierTypeTable), nullptr);
    std::fill(std::begin(SkillTable), std::end(SkillTable), nullptr);
    std::fill(std::begin(ItemTable), std::end(ItemTable), nullptr);
    GeneralTemplateCount = 0;
    SoldierTypeCount = 0;
    ItemCount = 0;
}
