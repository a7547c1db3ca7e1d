#include "engine/LinkList.h"
#include "records/RecordTables.h"
#include "records/TemplateTables.h"
#include "troops/TroopFixture.h"
#include "world/MapObject.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace {

// The companion files through the template tables: written into the working folder, read back,
// and nothing touched without a stage or a file.
TEST(CompanionFilesTest, FilesAreWrittenAndReadOnlyWithAStage) {
    trooptest::Battle battle;
    Kingdom* k = battle.AddKingdom(1, true);
    battle.AddTroop(k, 4, 4)->outgoingMark = 1;
    ItemCount = 20;
    TheBattleMap->mapItems->Add(uintptr_t(new MapObject(5, 1, 1, 3, 3)));
    TemplateTables tables;

    ASSERT_EQ(tables.SaveItemFile("stage.itm"), 1);
    ASSERT_EQ(tables.WriteSoldierFile("stage.spr"), 1);
    tables.WriteGarrisonFile("stage.soldier");
    EXPECT_TRUE(std::filesystem::exists("stage.soldier"));

    EXPECT_EQ(tables.LoadItemFile("stage.itm"), 1);
    EXPECT_EQ(TheBattleMap->mapItems->GetCount(), 2); // added to what the map held
    EXPECT_EQ(tables.ReadSoldierFile("stage.spr"), 1);
    EXPECT_STREQ(tables.tag, "morvek v1.05");
    EXPECT_EQ(tables.soldierVersion, 5);
    EXPECT_EQ(tables.newerLayout, 1);
    EXPECT_EQ(k->fieldUnits.GetCount(), 2);

    EXPECT_EQ(tables.LoadItemFile("missing.itm"), 0);
    EXPECT_EQ(tables.ReadSoldierFile("missing.spr"), 0);
    tables.ReadGarrisonFile("missing.soldier");

    Zu_StageSet* stage = TheBattleMap->stageSet;
    TheBattleMap->stageSet = nullptr;
    EXPECT_EQ(tables.SaveItemFile("none.itm"), 0);
    EXPECT_EQ(tables.WriteSoldierFile("none.spr"), 0);
    tables.WriteGarrisonFile("none.soldier");
    EXPECT_EQ(tables.LoadItemFile("stage.itm"), 0);
    EXPECT_EQ(tables.ReadSoldierFile("stage.spr"), 0);
    TheBattleMap->stageSet = stage;
    for (const char* name : {"none.itm", "none.spr", "none.soldier"})
        EXPECT_FALSE(std::filesystem::exists(name)) << name;
    EXPECT_EQ(TheBattleMap->mapItems->GetCount(), 2);
    EXPECT_EQ(k->fieldUnits.GetCount(), 2);

    for (uintptr_t v = TheBattleMap->mapItems->First(); v != 0; v = TheBattleMap->mapItems->Next())
        delete reinterpret_cast<MapObject*>(v);
    TheBattleMap->mapItems->RemoveAll();
}

} // namespace
