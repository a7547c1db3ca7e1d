// What a campaign carries from one stage to the next: the pass record of the player's ordinary
// generals and the player's camp city.
#include "records/PassRecordTable.h"
#include "stagefiles/PassRecordFile.h"
#include "stagefiles/PlayerCityFile.h"
#include "support/TempFolder.h"
#include "tests/stagefiles/MainStageFixture.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace mainstagetest;
namespace fs = std::filesystem;

namespace {

using L = OfficerLayout;

int32_t EntryInt(int32_t person, uint32_t offset) {
    const uint8_t* e = PassRecords().Find(person);
    int32_t v = 0;
    if (e) std::memcpy(&v, e + offset, 4);
    return v;
}

class PassRecordFileTest : public ::testing::Test {
protected:
    void SetUp() override { PassRecords().Clear(); }
    void TearDown() override { PassRecords().Clear(); }

    // A general of the player's field units with its person number.
    Troop* General(int32_t person, int32_t famous = 0) {
        Troop* t = w.battle.AddTroop(w.a, 5, 5);
        t->officer->Set(L::kPersonNumber, person);
        t->officer->Set(L::kFamous, famous);
        t->officer->Set(L::kLevel, 4);
        return t;
    }
    MainWorld w;
};

} // namespace

TEST(PassFileName, TwoDigitsOfTheNumber) {
    EXPECT_EQ(PassFileName(17), ".\\Save\\Pass17.gen");
    EXPECT_EQ(PassFileName(0), ".\\Save\\Pass00.gen");
    EXPECT_EQ(PassFileName(100), "");
    EXPECT_EQ(PassFileName(-1), "");
}

TEST_F(PassRecordFileTest, AVictoryOnMap17IsReadWhenMap18Loads) {
    w.battle.stage->SetColumn(StageBlockLayout::kMapLink, 17);
    Troop* plain = General(300);
    General(301, 1); // famous: never carried
    // Ten followers: the first eight are named in the escort fields.
    for (int i = 0; i < 10; ++i) {
        Troop* f = w.battle.AddTroop(w.a, 6, 5, 1, 3);
        f->officer->Set(L::kPersonNumber, 400 + i);
        f->leader = plain;
        plain->followers->Add(uintptr_t(f));
    }
    Troop* inCity = General(302);
    w.a->fieldUnits.RemoveValue(uintptr_t(inCity));
    w.city1->units.Add(uintptr_t(inCity));
    // A fallen officer of the dead list stays behind.
    Troop* fallen = General(303);
    auto* dead = new OfficerRecord(kIndexA, -1);
    dead->Set(L::kPersonNumber, 303);
    dead->Set(L::kLevel, -1);
    if (!TheBattleMap->deadOfficers) TheBattleMap->deadOfficers = new LinkList;
    TheBattleMap->deadOfficers->Add(uintptr_t(dead));
    // The other kingdom's generals are not the player's.
    w.battle.AddTroop(w.b, 9, 9)->officer->Set(L::kPersonNumber, 310);
    (void)fallen;

    TemplateTables tables;
    tables.SavePassRecord();
    EXPECT_EQ(PassRecords().Find(300), nullptr) << "the table is let go once written";
    const auto bytes = StageReader::ReadFile("Save/Pass17.gen");
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->size(), 8u + 3 * 432);
    EXPECT_EQ((*bytes)[0], 3);

    w.battle.stage->SetColumn(StageBlockLayout::kMapLink, 18);
    TheBattleMap->deadOfficers->RemoveAll();
    delete dead;
    ASSERT_EQ(tables.LoadPassRecord(), 1);
    EXPECT_EQ(tables.passRecordCount, 3);
    for (int32_t person : {300, 302, 303})
        EXPECT_NE(PassRecords().Find(person), nullptr) << person;
    EXPECT_EQ(PassRecords().Find(301), nullptr);
    EXPECT_EQ(PassRecords().Find(310), nullptr);
    EXPECT_EQ(EntryInt(300, L::kLevel), 4);
    EXPECT_EQ(EntryInt(303, L::kLevel), -1);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(EntryInt(300, L::kEscorts + 4 * i), 400 + i) << i;
}

TEST_F(PassRecordFileTest, TheFirstMapOfTheChosenActStartsEmpty) {
    // A pass file of map 22 is there.
    const int32_t person = 50;
    std::memcpy(PassRecords().Entry(person) + L::kPersonNumber, &person, 4);
    w.battle.stage->SetColumn(StageBlockLayout::kMapLink, 22);
    TemplateTables tables;
    tables.SavePassRecord();
    ASSERT_TRUE(fs::exists("Save/Pass22.gen"));
    struct Case {
        int32_t act;
        int result;
        bool carried;
    };
    for (const Case k : {Case{1, 0, false}, Case{0, 1, true}}) {
        SCOPED_TRACE(k.act);
        PassRecords().Entry(60);
        TheGameController->actIndex = k.act;
        w.battle.stage->SetColumn(StageBlockLayout::kMapLink, 23);
        EXPECT_EQ(tables.LoadPassRecord(), k.result);
        EXPECT_EQ(PassRecords().Find(50) != nullptr, k.carried);
        EXPECT_EQ(PassRecords().Find(60), nullptr) << "the table is emptied either way";
    }
    // Without a file the table keeps what it holds.
    PassRecords().Entry(61);
    w.battle.stage->SetColumn(StageBlockLayout::kMapLink, 40);
    EXPECT_EQ(tables.LoadPassRecord(), 0);
    EXPECT_NE(PassRecords().Find(61), nullptr);
}

TEST(PassRecordBytes, DamagedFilesLeaveAnEmptyTable) {
    auto file = [](int32_t count, uint32_t size, std::vector<int32_t> persons) {
        StageWriter out;
        out.i32(count);
        out.u32(size);
        for (int32_t p : persons) {
            std::vector<uint8_t> record(size, 7);
            std::memcpy(record.data() + L::kPersonNumber, &p, 4);
            out.Bytes(record.data(), record.size());
        }
        return out.bytes();
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        int32_t result;
    };
    const Case cases[] = {
        {"two records", file(2, 432, {5, 599}), 2},
        {"a repeated person replaces", file(2, 432, {5, 5}), 2},
        {"larger records keep their first 432 bytes", file(1, 500, {8}), 1},
        {"a person outside the table", file(2, 432, {5, 600}), -1},
        {"a negative person", file(1, 432, {-1}), -1},
        {"more records than bytes", file(3, 432, {5}), -1},
        {"a record too short for the person", file(1, 16, {}), -1},
        {"a negative count", file(-1, 432, {}), -1},
        {"no header", {1, 0}, -1},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        PassRecords().Entry(1);
        EXPECT_EQ(ReadPassRecordBytes(k.bytes, PassRecords()), k.result);
        if (k.result < 0)
            for (int32_t p = 0; p < PassRecordTable::kEntries; ++p)
                ASSERT_EQ(PassRecords().Find(p), nullptr) << p;
    }
    PassRecords().Clear();
}

TEST(PlayerCityFile, NamesRunFromStage11To48) {
    EXPECT_STREQ(PlayerCityFileName(11), "Virtual11.castle");
    EXPECT_STREQ(PlayerCityFileName(48), "Virtual48.castle");
    EXPECT_EQ(PlayerCityFileName(10), nullptr);
    EXPECT_EQ(PlayerCityFileName(49), nullptr);
}

TEST(PlayerCityFile, ACampSavedOnStage17IsFoundByStage18) {
    MainWorld w;
    TemplateTables tables;
    TheGameController->campaignStage = 17;
    w.city2->SetText(CityLayout::kName, 20, "Camp");
    ASSERT_TRUE(tables.SaveCastleFile(w.city2));
    EXPECT_EQ(w.city2->id, 255) << "the city in the game takes the camp's id too";
    ASSERT_TRUE(fs::exists("Virtual17.castle"));

    const int32_t citiesBefore = TheBattleMap->cityCount;
    TheGameController->campaignStage = 18;
    auto camp = std::make_unique<City>(0);
    EXPECT_FALSE(tables.LoadCastleFile(camp.get(), 0)) << "stage 18 has no camp of its own yet";
    ASSERT_TRUE(tables.LoadCastleFile(camp.get(), 1));
    EXPECT_EQ(tables.playerCity, camp.get());
    EXPECT_EQ(camp->Text(CityLayout::kName, 20), "Camp");
    EXPECT_EQ(TheBattleMap->cityCount, citiesBefore) << "the camp takes no place in the map's tables";
    EXPECT_EQ(TheBattleMap->CityById(255), nullptr);

    // The first stage of an act carries no camp; nor do stages outside the files.
    for (int stage : {23, 11, 35, 60}) {
        TheGameController->campaignStage = uint8_t(stage);
        EXPECT_FALSE(tables.LoadCastleFile(camp.get(), 1)) << stage;
    }
    TheGameController->campaignStage = 60;
    EXPECT_FALSE(tables.SaveCastleFile(w.city1));
}
