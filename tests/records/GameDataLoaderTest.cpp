#include "records/GameDataLoader.h"

#include "engine/ByteReader.h"
#include "engine/Tools.h"
#include "fuzz/seeds/builders/GameDataFixtures.h"
#include "records/AgeTable.h"
#include "records/City.h"
#include "records/ItemRecord.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "records/ScenarioData.h"
#include "records/SkillRecord.h"
#include "records/SoldierTypeRecord.h"
#include "records/SubCastle.h"
#include "support/TempFolder.h"
#include "world/FootprintPattern.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

using namespace gamedata;
using L = OfficerLayout;

namespace {

class GameDataLoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearRecordTables();
        ClearAgeTable();
        Footprints().Clear();
        Zu_Tools::StartErrorLogRun();
        scenario = std::make_unique<ScenarioData>();
    }
    void TearDown() override {
        scenario.reset();
        ClearAgeTable();
        Footprints().Clear();
    }

    void Put(const std::string& name, const std::vector<uint8_t>& bytes) { folder.Put(name, bytes); }

    // A full set of small tables: two generals, a city, a sub-castle, two soldier types, a skill,
    // two items, three ages, and the five footprint tables.
    void PutAll() {
        Put("general.ini", IniBytes(432, {Row(432, "Guan")
                                              .Set(L::kPersonNumber, 7)
                                              .Set(L::kAttribute, 1)
                                              .Set(L::kStrength, 40)
                                              .Set(L::kIntelligence, 55)
                                              .Set(L::kMaxHp, 9)
                                              .Set(L::kAmbush, 1)
                                              .Set(L::kRebel, 1),
                                          Row(432, "Zhang")
                                              .Set(L::kPersonNumber, 8)
                                              .Set(L::kStrength, 30)
                                              .Set(L::kMaxHp, 9)
                                              .Set(L::kAmbush, 1)}));
        Put("castle.ini", IniBytes(392, {Row(392, "Xu").Set(CityLayout::kKind, 6).Set(CityLayout::kX, 30)}));
        Put("SubCastle.ini", IniBytes(56, {Row(56, "Inn")
                                               .Set(SubCastleLayout::kKind, 4)
                                               .Set(SubCastleLayout::kX, 8)
                                               .Set(SubCastleLayout::kY, 20)}));
        Put("soldier.ini", IniBytes(104, {Row(104, "Foot").Set(SoldierTypeLayout::kNumber, 1),
                                          Row(104, "Horse").Set(SoldierTypeLayout::kNumber, 2)}));
        Put("skill.ini", IniBytes(196, {Row(196, "Fire")}));
        Put("item.ini", IniBytes(192, {Row(192, "Sword"), Row(192, "Bow")}));
        Put("age.ini", IniBytes(276, {Row(276, "a"), Row(276, "b"), Row(276, "c").Set(272, 5)}));
        Put("building.code", CodeBytes(CodeKind::Building, {{2, 3, 10}, {0, 0, 0}, {1, 1, 50}}));
        Put("construction.code", CodeBytes(CodeKind::Other, {{2, 2, 20}}));
        Put("door.code", CodeBytes(CodeKind::Other, {{0, 0, 0}, {3, 1, 30}}));
        Put("farm.code", CodeBytes(CodeKind::Farm, {{0, 0, 0}, {2, 3, 40}}));
        Put("ArrowTower.code", CodeBytes(CodeKind::Other, {{1, 2, 60}}));
    }

    testsupport::TempFolder folder;
    std::unique_ptr<ScenarioData> scenario;
};

TEST_F(GameDataLoaderTest, ReadsEveryTableIntoTheListsAndGlobalTables) {
    PutAll();
    ASSERT_EQ(LoadGameData(scenario.get()), kGameDataLoaded);

    // Generals: template numbers from 1, entry 0 = entry 1; commanders at full strength and skill;
    // nobody an ambusher or rebel.
    ASSERT_EQ(scenario->generalTemplates.GetCount(), 2);
    EXPECT_EQ(GeneralTemplateCount, 3);
    EXPECT_EQ(GeneralTemplateTable[0], GeneralTemplateTable[1]);
    auto* guan = reinterpret_cast<OfficerRecord*>(scenario->generalTemplates.GetAt(0));
    auto* zhang = reinterpret_cast<OfficerRecord*>(scenario->generalTemplates.GetAt(1));
    EXPECT_EQ(GeneralTemplateTable[2], zhang->block);
    EXPECT_EQ(guan->Name(), "Guan");
    EXPECT_EQ(guan->Get(L::kMaxHp), 40);
    EXPECT_EQ(guan->Get(L::kMaxMp), 55);
    EXPECT_EQ(zhang->Get(L::kMaxHp), 9);
    for (OfficerRecord* o : {guan, zhang}) {
        EXPECT_EQ(o->Get(L::kAmbush), 0);
        EXPECT_EQ(o->Get(L::kRebel), 0);
    }

    ASSERT_EQ(scenario->cityTemplates.GetCount(), 1);
    auto* city = reinterpret_cast<City*>(scenario->cityTemplates.GetAt(0));
    EXPECT_EQ(city->Caption(), "Xu");
    EXPECT_EQ(city->Kind(), 6);
    EXPECT_EQ(city->Scale(), 0); // the block is the file's row, not the constructor's default
    ASSERT_EQ(scenario->subCastleTemplates.GetCount(), 1);
    auto* inn = reinterpret_cast<SubCastle*>(scenario->subCastleTemplates.GetAt(0));
    EXPECT_EQ(inn->Kind(), 4);
    EXPECT_EQ(inn->entranceX, 10);
    EXPECT_EQ(inn->entranceY, 15);

    EXPECT_EQ(SoldierTypeCount, 2);
    ASSERT_NE(SoldierTypeTable[2], nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(SoldierTypeTable[2])), "Horse");
    EXPECT_EQ(SoldierTypeTable[0], SoldierTypeTable[1]);
    EXPECT_NE(SkillTable[0], nullptr);
    EXPECT_EQ(SkillTable[1], nullptr);
    EXPECT_EQ(ItemCount, 3);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(ItemTable[2])), "Bow");

    for (int i = 0; i < kAgeTableSize; ++i)
        EXPECT_EQ(AgeBlock(i) != nullptr, i >= 11 && i <= 13) << "age entry " << i;
    ByteReader word(AgeBlock(13) + 272, 4);
    EXPECT_EQ(word.i32(), 5);

    FootprintTables& f = Footprints();
    ASSERT_NE(f.building[0], nullptr);
    EXPECT_EQ(f.building[0]->width, 2);
    EXPECT_EQ(f.building[0]->height, 3);
    EXPECT_EQ(f.building[0]->cellTiles, (std::vector<uint16_t>{10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(f.building[0]->outline, (std::vector<uint16_t>{110, 111, 112}));
    EXPECT_TRUE(f.building[0]->mask.empty());
    EXPECT_EQ(f.building[1], nullptr);
    ASSERT_NE(f.building[2], nullptr);
    EXPECT_EQ(f.farm[0], nullptr); // an empty farm entry takes four bytes
    ASSERT_NE(f.farm[1], nullptr);
    EXPECT_EQ(f.farm[1]->cellTiles.size(), 6u);
    EXPECT_TRUE(f.farm[1]->outline.empty());
    EXPECT_EQ(f.farm[1]->mask, (std::vector<uint8_t>{40, 41, 42, 43, 44, 45}));
    ASSERT_NE(f.door[1], nullptr);
    EXPECT_EQ(f.door[1]->outline, (std::vector<uint16_t>{130, 131, 132, 133, 134}));
    EXPECT_EQ(f.door[1]->mask, (std::vector<uint8_t>{30, 31, 32}));
    EXPECT_TRUE(f.door[1]->cellTiles.empty());
    ASSERT_NE(f.arrowTower[0], nullptr);
    EXPECT_EQ(f.construction[0]->mask.size(), 4u);
}

TEST_F(GameDataLoaderTest, AMissingTableEndsTheLoadAndAZeroCountEndsItAsLoaded) {
    PutAll();
    std::filesystem::remove(folder.path() / "general.ini");
    EXPECT_EQ(LoadGameData(scenario.get()), kGameDataMissing);
    EXPECT_EQ(scenario->cityTemplates.GetCount(), 0); // nothing after the missing table
    EXPECT_EQ(scenario->soldierTypes.GetCount(), 0);
    EXPECT_NE(Footprints().building[0], nullptr); // the footprints come first

    // A zero count in "soldier.ini" ends the load as loaded: no skills, items or ages.
    scenario = std::make_unique<ScenarioData>();
    PutAll();
    std::vector<uint8_t> zero;
    U32(zero, 0);
    Put("soldier.ini", zero);
    EXPECT_EQ(LoadGameData(scenario.get()), kGameDataLoaded);
    EXPECT_EQ(scenario->cityTemplates.GetCount(), 1);
    EXPECT_EQ(scenario->skills.GetCount(), 0);
    EXPECT_EQ(scenario->items.GetCount(), 0);
    EXPECT_EQ(AgeBlock(11), nullptr);

    // A missing footprint table only leaves its own table empty.
    scenario = std::make_unique<ScenarioData>();
    Footprints().Clear();
    PutAll();
    std::filesystem::remove(folder.path() / "farm.code");
    EXPECT_EQ(LoadGameData(scenario.get()), kGameDataLoaded);
    EXPECT_EQ(Footprints().farm[1], nullptr);
    EXPECT_NE(Footprints().arrowTower[0], nullptr);
}

TEST_F(GameDataLoaderTest, ADamagedTableIsNamedAndLoggedAndAddsNothing) {
    struct Case {
        const char* file;
        std::vector<uint8_t> bytes;
    };
    auto cut = [](std::vector<uint8_t> v, size_t n) {
        v.resize(v.size() - n);
        return v;
    };
    std::vector<uint8_t> countOnly;
    U32(countOnly, 2);
    std::vector<uint8_t> huge;
    U32(huge, 1);
    U32(huge, 100000);
    U32(huge, 1);
    std::vector<uint8_t> manyRows;
    U32(manyRows, 0xFFFFFFFF);
    U32(manyRows, 432);
    const Case cases[] = {
        {"general.ini", cut(IniBytes(432, {Row(432, "a"), Row(432, "b")}), 1)},
        {"general.ini", countOnly},
        {"general.ini", manyRows},
        {"castle.ini", cut(IniBytes(392, {Row(392, "Xu")}), 100)},
        {"age.ini", cut(IniBytes(276, {Row(276, "a")}), 4)},
        {"item.ini", {1, 0}},
        {"building.code", cut(CodeBytes(CodeKind::Building, {{2, 3, 10}}), 2)},
        {"door.code", huge},
        {"farm.code", {3, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        SetUp();
        PutAll();
        Put(c.file, c.bytes);
        std::string named;
        EXPECT_EQ(LoadGameData(scenario.get(), &named), kGameDataDamaged);
        EXPECT_EQ(named, c.file);
        EXPECT_NE(testsupport::TempFolder::Read(folder.path() / "Error.lst").find(c.file), std::string::npos);
        const std::string name = c.file;
        if (name == "general.ini") EXPECT_EQ(scenario->generalTemplates.GetCount(), 0);
        if (name == "castle.ini") {
            EXPECT_EQ(scenario->generalTemplates.GetCount(), 2); // read before it, kept
            EXPECT_EQ(scenario->cityTemplates.GetCount(), 0);
            EXPECT_EQ(scenario->soldierTypes.GetCount(), 0);
        }
        if (name == "age.ini") EXPECT_EQ(AgeBlock(11), nullptr);
        if (name == "building.code") EXPECT_EQ(Footprints().building[0], nullptr);
        if (name == "door.code") EXPECT_EQ(Footprints().door[0], nullptr);
    }
}

TEST_F(GameDataLoaderTest, RowsLongerThanTheBlockAreCutAndShorterOnesEndInZeros) {
    // 440-byte rows: the first 432 bytes of each are kept and the next row starts aligned.
    const uint32_t sizes[] = {440, 400};
    for (uint32_t size : sizes) {
        SCOPED_TRACE(size);
        SetUp();
        Row a(440, "Guan"), b(440, "Zhang");
        a.Set(L::kPersonNumber, 7).Set(428, 99).Set(436, 77);
        b.Set(L::kPersonNumber, 8).Set(L::kAttribute, 2);
        Put("general.ini", IniBytes(size, {a, b}));
        Put("castle.ini", IniBytes(500, {Row(500, "Xu").Set(388, 3).Set(392, 4)}));
        EXPECT_EQ(LoadGameData(scenario.get()), kGameDataMissing); // no "SubCastle.ini"
        ASSERT_EQ(scenario->generalTemplates.GetCount(), 2);
        auto* second = reinterpret_cast<OfficerRecord*>(scenario->generalTemplates.GetAt(1));
        EXPECT_EQ(second->Name(), "Zhang");
        EXPECT_EQ(second->Get(L::kPersonNumber), 8);
        EXPECT_EQ(second->Get(L::kAttribute), 2);
        auto* first = reinterpret_cast<OfficerRecord*>(scenario->generalTemplates.GetAt(0));
        EXPECT_EQ(first->Get(428), size > 432 ? 99 : 0);
        auto* city = reinterpret_cast<City*>(scenario->cityTemplates.GetAt(0));
        EXPECT_EQ(city->Int(388), 3);
    }
}

TEST_F(GameDataLoaderTest, RowsPastATablesCapacityAreNotCreated) {
    PutAll();
    std::vector<Row> generals(601, Row(432, "g"));
    Put("general.ini", IniBytes(432, generals));
    std::vector<Row> ages(95, Row(276, "a"));
    Put("age.ini", IniBytes(276, ages));
    std::vector<Row> soldiers;
    for (int n : {149, 150, -1, 3})
        soldiers.push_back(Row(104, "s").Set(SoldierTypeLayout::kNumber, n));
    Put("soldier.ini", IniBytes(104, soldiers));
    Put("farm.code", CodeBytes(CodeKind::Farm, std::vector<Pattern>(14, Pattern{1, 1, 5})));
    ASSERT_EQ(LoadGameData(scenario.get()), kGameDataLoaded);

    EXPECT_EQ(scenario->generalTemplates.GetCount(), 599);
    EXPECT_EQ(GeneralTemplateCount, 600);
    EXPECT_NE(AgeBlock(99), nullptr);
    EXPECT_EQ(AgeBlock(100), nullptr);
    EXPECT_EQ(AgeBlock(-1), nullptr);
    EXPECT_NE(SoldierTypeTable[149], nullptr);
    EXPECT_NE(SoldierTypeTable[3], nullptr);
    EXPECT_EQ(SoldierTypeBlock(150), nullptr);
    EXPECT_NE(Footprints().farm[11], nullptr);
    EXPECT_NE(testsupport::TempFolder::Read(folder.path() / "Error.lst").find("general.ini"),
              std::string::npos);
}

} // namespace
