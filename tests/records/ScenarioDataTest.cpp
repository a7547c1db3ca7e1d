#include "records/ScenarioData.h"
#include "Program/GameController.h"
#include "Program/StageSet.h"
#include "records/ItemRecord.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "records/SkillRecord.h"
#include "records/SoldierTypeRecord.h"
#include "world/BattleMap.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// "新增武將", "新增兵種", "新增物品", "新增時代".
const char kNewGeneral[] = "\xb7\x73\xbc\x57\xaa\x5a\xb1\x4e";
const char kNewSoldierType[] = "\xb7\x73\xbc\x57\xa7\x4c\xba\xd8";
const char kNewItem[] = "\xb7\x73\xbc\x57\xaa\xab\xab\x7e";
const char kNewCity[] = "\xb7\x73\xbc\x57\xab\xb0\xa5\xab";
const char kNewEra[] = "\xb7\x73\xbc\x57\xae\xc9\xa5\x4e";

class ScenarioTest : public ::testing::Test {
protected:
    void SetUp() override {
        TheBattleMap = new BattleMap;
        scenario = TheBattleMap->scenario;
    }
    void TearDown() override {
        delete TheBattleMap;
        TheBattleMap = nullptr;
    }
    template <class T>
    T* Add(int kind) {
        return static_cast<T*>(scenario->NewChild(kind));
    }
    template <class T>
    static T* At(LinkList& list, int i) {
        return reinterpret_cast<T*>(list.GetAt(i));
    }
    ScenarioData* scenario = nullptr;
};

TEST_F(ScenarioTest, NewRecordsCarryTheirCaptionInACleanBlock) {
    struct Case {
        int kind;
        const char* caption;
        uint32_t bytes;
        LinkList ScenarioData::*list;
    };
    const Case cases[] = {
        {ScenarioData::kGeneralKind, kNewGeneral, 432, &ScenarioData::generalTemplates},
        {ScenarioData::kCityKind, kNewCity, 392, &ScenarioData::cityTemplates},
        {ScenarioData::kSoldierTypeKind, kNewSoldierType, 104, &ScenarioData::soldierTypes},
        {ScenarioData::kSkillKind, kNewSoldierType, 196, &ScenarioData::skills},
        {ScenarioData::kItemKind, kNewItem, 192, &ScenarioData::items},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        auto* record = Add<DataSet>(c.kind);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->BlockBytes(), c.bytes);
        EXPECT_EQ(record->Caption(), c.caption);
        for (uint32_t i = 20; i < c.bytes; ++i)
            ASSERT_EQ(record->block[i], 0) << i;
        LinkList& list = scenario->*c.list;
        EXPECT_EQ(list.GetCount(), 1);
        EXPECT_EQ(list.GetAt(0), reinterpret_cast<uintptr_t>(record));
    }
    EXPECT_EQ(scenario->NewChild(0x6a), nullptr);
    EXPECT_EQ(scenario->NewChild(200), nullptr);
    EXPECT_EQ(scenario->caption, std::string("Velmora"));
}

TEST_F(ScenarioTest, OneStageRecordIsCurrent) {
    auto* first = Add<Zu_StageSet>(ScenarioData::kStageKind);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Name(), kNewEra);
    EXPECT_EQ(first->Column(StageBlockLayout::kOpeningTalk), 0);
    EXPECT_EQ(TheBattleMap->stageSet, first);
    // While one is current, adding does nothing.
    EXPECT_EQ(scenario->NewChild(ScenarioData::kStageKind), nullptr);
    EXPECT_EQ(scenario->stageRecords.GetCount(), 1);

    // With none current the first existing one becomes current and the new one joins behind it.
    TheBattleMap->stageSet = nullptr;
    auto* second = Add<Zu_StageSet>(ScenarioData::kStageKind);
    EXPECT_EQ(TheBattleMap->stageSet, first);
    EXPECT_EQ(scenario->stageRecords.GetCount(), 2);

    scenario->RemoveChild(ScenarioData::kStageKind, first);
    EXPECT_EQ(TheBattleMap->stageSet, second);
    scenario->RemoveChild(ScenarioData::kStageKind, second);
    EXPECT_EQ(TheBattleMap->stageSet, nullptr);
    EXPECT_EQ(scenario->stageRecords.GetCount(), 0);
}

// The global tables follow every new and removed master record, so none points at a freed block.
TEST_F(ScenarioTest, TablesAreRebuiltAfterEveryChange) {
    ItemRecord* items[3];
    for (auto*& item : items)
        item = Add<ItemRecord>(ScenarioData::kItemKind);
    EXPECT_EQ(ItemCount, 4);
    EXPECT_EQ(ItemTable[0], nullptr);
    EXPECT_EQ(ItemTable[2], items[1]->block);
    scenario->RemoveChild(ScenarioData::kItemKind, items[1]);
    EXPECT_EQ(ItemCount, 3);
    EXPECT_EQ(ItemTable[2], items[2]->block);
    EXPECT_EQ(ItemTable[3], nullptr);
    EXPECT_EQ(ItemBlock(3), nullptr);

    OfficerRecord* generals[2];
    for (auto*& g : generals)
        g = Add<OfficerRecord>(ScenarioData::kGeneralKind);
    EXPECT_EQ(GeneralTemplateCount, 3);
    EXPECT_EQ(GeneralTemplate(0), generals[0]->block);
    scenario->RemoveChild(ScenarioData::kGeneralKind, generals[0]);
    EXPECT_EQ(GeneralTemplateCount, 2);
    EXPECT_EQ(GeneralTemplate(1), generals[1]->block);
    EXPECT_EQ(GeneralTemplate(0), generals[1]->block);
    EXPECT_EQ(GeneralTemplate(2), nullptr);

    auto* skillA = Add<SkillRecord>(ScenarioData::kSkillKind);
    auto* skillB = Add<SkillRecord>(ScenarioData::kSkillKind);
    EXPECT_EQ(SkillTable[1], skillB->block);
    scenario->RemoveChild(ScenarioData::kSkillKind, skillA);
    EXPECT_EQ(SkillTable[0], skillB->block);
    EXPECT_EQ(SkillTable[1], nullptr);
}

// Soldier types go by their number: a later duplicate owns the entry, entry 0 follows entry 1, and a
// number outside the table names no entry.
TEST_F(ScenarioTest, SoldierTypesAreIndexedByNumber) {
    const int32_t numbers[] = {1, 4, 4, 150, -1};
    SoldierTypeRecord* types[5];
    for (int i = 0; i < 5; ++i) {
        types[i] = static_cast<SoldierTypeRecord*>(scenario->CreateChild(ScenarioData::kSoldierTypeKind));
        types[i]->SetInt(20, numbers[i]);
        scenario->soldierTypes.Add(reinterpret_cast<uintptr_t>(types[i]));
    }
    BuildSoldierTypeTable(scenario);
    EXPECT_EQ(SoldierTypeTable[4], types[2]->block);
    EXPECT_EQ(SoldierTypeTable[1], types[0]->block);
    EXPECT_EQ(SoldierTypeTable[0], types[0]->block);
    EXPECT_EQ(SoldierTypeCount, 5);
    EXPECT_EQ(SoldierTypeBlock(150), nullptr);
    EXPECT_EQ(SoldierTypeBlock(-1), nullptr);
    // A troop on water takes its type's sea counterpart; a type the table lacks stays itself.
    types[2]->SetInt(SoldierTypeLayout::kSeaCounterpart, 33);
    EXPECT_EQ(SeaCounterpart(4), 33);
    EXPECT_EQ(SeaCounterpart(99), 99);
    EXPECT_EQ(SeaCounterpart(150), 150);
}

// A general that is only listed (a stage or selected general) belongs to its city: removing it
// unlinks it and leaves it alive.
TEST_F(ScenarioTest, RemovingAListedGeneralOnlyUnlinksIt) {
    auto owned = std::make_unique<OfficerRecord>(1, -1);
    const auto value = reinterpret_cast<uintptr_t>(owned.get());
    scenario->stageGenerals.Add(value);
    scenario->selectedGenerals.Add(value);
    scenario->RemoveChild(ScenarioData::kGeneralKind, owned.get());
    EXPECT_EQ(scenario->stageGenerals.GetCount(), 0);
    EXPECT_EQ(scenario->selectedGenerals.GetCount(), 0);
    owned->Set(OfficerLayout::kLevel, 3); // still ours
}

TEST_F(ScenarioTest, CreatedRecordsBelongToNoList) {
    std::unique_ptr<RootObject> general(scenario->CreateChild(ScenarioData::kGeneralKind));
    auto* o = dynamic_cast<OfficerRecord*>(general.get());
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->ownerSide, 100);
    EXPECT_EQ(o->Caption(), "");
    std::unique_ptr<RootObject> other(scenario->CreateChild(0x6a));
    EXPECT_NE(dynamic_cast<Zu_StageSet*>(other.get()), nullptr);
    std::unique_ptr<RootObject> item(scenario->CreateChild(ScenarioData::kItemKind));
    EXPECT_NE(dynamic_cast<ItemRecord*>(item.get()), nullptr);
    EXPECT_EQ(scenario->generalTemplates.GetCount() + scenario->items.GetCount() +
                  scenario->stageRecords.GetCount(),
              0);
}

TEST_F(ScenarioTest, ClearDropsTheStageOnlyWhenOneIsCurrent) {
    OfficerRecord general(1, -1);
    auto* master = Add<OfficerRecord>(ScenarioData::kGeneralKind);
    Add<Zu_StageSet>(ScenarioData::kStageKind);
    scenario->stageGenerals.Add(reinterpret_cast<uintptr_t>(&general));
    TheBattleMap->stageSet = nullptr;
    scenario->Clear();
    EXPECT_EQ(scenario->stageRecords.GetCount(), 1);
    EXPECT_EQ(scenario->stageGenerals.GetCount(), 1);

    TheBattleMap->stageSet = At<Zu_StageSet>(scenario->stageRecords, 0);
    scenario->Clear();
    EXPECT_EQ(scenario->stageRecords.GetCount(), 0);
    EXPECT_EQ(scenario->stageGenerals.GetCount(), 0);
    EXPECT_EQ(TheBattleMap->stageSet, nullptr);
    // The master tables stay.
    EXPECT_EQ(GeneralTemplate(1), master->block);
}

// A second container going away leaves the tables built from the first one.
TEST_F(ScenarioTest, AnotherContainerLeavesTheTablesAlone) {
    auto* item = Add<ItemRecord>(ScenarioData::kItemKind);
    {
        ScenarioData other;
        other.NewChild(ScenarioData::kSkillKind);
        EXPECT_NE(SkillTable[0], nullptr);
        BuildItemTable(scenario);
    }
    EXPECT_EQ(SkillTable[0], nullptr);
    EXPECT_EQ(ItemBlock(1), item->block);
    EXPECT_EQ(ItemCount, 2);
}

// The container releases what it owns and empties the tables that pointed into it.
TEST_F(ScenarioTest, DestructionReleasesEveryRecord) {
    for (int kind : {ScenarioData::kStageKind, ScenarioData::kGeneralKind, ScenarioData::kSoldierTypeKind,
                     ScenarioData::kSkillKind, ScenarioData::kItemKind, ScenarioData::kCityKind})
        scenario->NewChild(kind);
    TheBattleMap->stageSet = nullptr;
    scenario->NewChild(ScenarioData::kStageKind);
    EXPECT_EQ(scenario->stageRecords.GetCount(), 2);
    delete TheBattleMap;
    TheBattleMap = nullptr;
    EXPECT_EQ(GeneralTemplate(1), nullptr);
    EXPECT_EQ(ItemCount, 0);
    EXPECT_EQ(SkillTable[0], nullptr);
    // Leak checking at exit sees whether every record went.
}

} // namespace
