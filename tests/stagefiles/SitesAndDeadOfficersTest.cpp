#include "engine/LinkList.h"
#include "records/OfficerRecord.h"
#include "records/TemplateTables.h"
#include "stagefiles/DeadOfficerFile.h"
#include "stagefiles/SavedRecord.h"
#include "stagefiles/StageOfficer.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageWriter.h"
#include "support/StageBytes.h"
#include "troops/TroopFixture.h"
#include "world/Zu_SkillEffect.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testsupport::StageBytes;
using L = OfficerLayout;

namespace {

// The site record is u32 20 and five words; shorter bodies leave the rest 0, longer ones are
// skipped past, and a body cut by the end of the file is an error.
TEST(SavedRecordFile, SitesRoundTripAndBodiesOfOtherLengthsRead) {
    SavedRecord site(3, -4, 5);
    site.work = 60;
    site.shownStage = 2;
    Zu_SkillEffect smoke; // the effect list's, not the site's
    site.effect = &smoke;
    StageWriter out;
    site.Save(out);
    const std::vector<uint8_t> expected = StageBytes().words({20, 3, uint32_t(-4), 5, 60, 2}).data();
    EXPECT_EQ(out.bytes(), expected);
    {
        StageReader in(out.bytes(), StageLoadMode::Restore);
        SavedRecord back;
        ASSERT_TRUE(back.Load(in));
        EXPECT_EQ(back.effect, nullptr);
        StageWriter again;
        back.Save(again);
        EXPECT_EQ(again.bytes(), expected);
    }
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        bool ok;
        std::vector<int32_t> fields;
    };
    const Case cases[] = {
        {"length 12", StageBytes().words({12, 7, 8, 9, 0xAAAA}), true, {7, 8, 9, 0, 0}},
        {"length 24", StageBytes().words({24, 1, 2, 3, 4, 5, 6, 0xAAAA}), true, {1, 2, 3, 4, 5}},
        {"length 0", StageBytes().words({0, 0xAAAA}), true, {0, 0, 0, 0, 0}},
        {"cut short", StageBytes().words({20, 1, 2}), false, {0, 0, 0, 0, 0}},
        {"huge length", StageBytes().words({0xFFFFFFFF, 1, 2}), false, {0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        StageReader in(c.file, StageLoadMode::Restore);
        SavedRecord back;
        EXPECT_EQ(back.Load(in), c.ok) << c.name;
        EXPECT_EQ((std::vector<int32_t>{back.x, back.y, back.kind, back.work, back.shownStage}), c.fields)
            << c.name;
        if (c.ok)
            EXPECT_EQ(in.u32(), 0xAAAAu) << c.name << ": the next field follows";
        else
            EXPECT_FALSE(in.ok()) << c.name;
    }
}

// The picture shown grows with the work over four stages; a kind that needs no work stays at 0.
TEST(SavedRecordFile, ShownStageFollowsTheWork) {
    SavedRecord site;
    struct Case {
        int32_t done, required, shown;
    };
    for (const Case& c :
         {Case{0, 60, 0}, Case{30, 60, 2}, Case{59, 60, 3}, Case{60, 60, 4}, Case{5, 0, 0}, Case{5, -3, 0}}) {
        site.SetWork(c.done, c.required);
        EXPECT_EQ(site.work, c.done);
        EXPECT_EQ(site.shownStage, c.shown) << c.done << "/" << c.required;
    }
}

class DeadFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        TheGameController->freshStage = 0;
        TheBattleMap->deadOfficers = new LinkList;
    }
    OfficerRecord* Dead(int person, const char* name) {
        auto* o = new OfficerRecord(100, -1);
        o->Set(L::kPersonNumber, person);
        o->SetText(L::kName, L::kNameBytes, name);
        o->Set(L::kLevel, 4);
        o->UpdateRank(0);
        o->serial = uint32_t(1000 + person);
        return o;
    }
    std::vector<int> People() {
        std::vector<int> people;
        for (uintptr_t v = TheBattleMap->deadOfficers->First(); v != 0;
             v = TheBattleMap->deadOfficers->Next())
            people.push_back(reinterpret_cast<OfficerRecord*>(v)->Get(L::kPersonNumber));
        return people;
    }
    static std::vector<uint8_t> FileBytes(const char* name) {
        const auto bytes = StageReader::ReadFile(name);
        return bytes ? *bytes : std::vector<uint8_t>{0xDE, 0xAD};
    }

    trooptest::Battle battle;
    TemplateTables tables;
};

// An empty list is four zero bytes; a list of officers reads back in order and in place of the
// officers the list held, and a restore writes the same bytes again.
TEST_F(DeadFileTest, DeadOfficersRoundTripAndReplaceTheList) {
    ASSERT_EQ(tables.SaveDeadFile("stage.dead"), 1);
    EXPECT_EQ(FileBytes("stage.dead"), std::vector<uint8_t>(4, 0));
    ASSERT_EQ(tables.LoadDeadFile("STAGE.DEAD"), 1);
    EXPECT_TRUE(People().empty());

    TheBattleMap->deadOfficers->Add(uintptr_t(Dead(12, "First")));
    TheBattleMap->deadOfficers->Add(uintptr_t(Dead(34, "Second")));
    ASSERT_EQ(tables.SaveDeadFile("stage.dead"), 1);
    const std::vector<uint8_t> saved = FileBytes("stage.dead");
    ASSERT_EQ(saved.size(), 4u + 2 * (4 + 56 + 4 + 432));
    EXPECT_EQ(StageBytes::Field(saved, 0, 4), 2u);

    TheBattleMap->deadOfficers->Add(uintptr_t(Dead(56, "Third")));
    ASSERT_EQ(tables.LoadDeadFile("stage.dead"), 1);
    EXPECT_EQ(People(), (std::vector<int>{12, 34}));
    EXPECT_EQ(reinterpret_cast<OfficerRecord*>(TheBattleMap->deadOfficers->First())->serial, 1012u);
    ASSERT_EQ(tables.SaveDeadFile("again.dead"), 1);
    EXPECT_EQ(FileBytes("again.dead"), saved);
}

// A missing or damaged file leaves no dead officers and answers 0; without a stage nothing is
// read or written.
TEST_F(DeadFileTest, MissingDamagedAndStagelessFiles) {
    TheBattleMap->deadOfficers->Add(uintptr_t(Dead(12, "First")));
    ASSERT_EQ(tables.SaveDeadFile("one.dead"), 1);
    const std::vector<uint8_t> one = FileBytes("one.dead");

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        int result;
        size_t left;
    };
    StageBytes negative;
    negative.i32(-1);
    StageBytes huge;
    huge.u32(0x7FFFFFFF).zeros(64);
    StageBytes twoOfOne(one);
    twoOfOne.put(0, 2, 4);
    const Case cases[] = {
        {"empty file", {}, 0, 0},
        {"negative count", negative, 0, 0},
        {"huge count", huge, 0, 0},
        {"cut in the officer", std::vector<uint8_t>(one.begin(), one.end() - 5), 0, 0},
        {"count past the officers", twoOfOne, 0, 1},
    };
    for (const Case& c : cases) {
        testsupport::TempFolder::Write("bad.dead", c.bytes);
        TheBattleMap->deadOfficers->Add(uintptr_t(Dead(99, "Old")));
        EXPECT_EQ(tables.LoadDeadFile("bad.dead"), c.result) << c.name;
        EXPECT_EQ(People().size(), c.left) << c.name;
    }
    TheBattleMap->deadOfficers->Add(uintptr_t(Dead(99, "Old")));
    EXPECT_EQ(tables.LoadDeadFile("missing.dead"), 0);
    EXPECT_TRUE(People().empty());

    Zu_StageSet* stage = TheBattleMap->stageSet;
    TheBattleMap->stageSet = nullptr;
    EXPECT_EQ(tables.SaveDeadFile("none.dead"), 0);
    EXPECT_FALSE(StageReader::ReadFile("none.dead"));
    EXPECT_EQ(tables.LoadDeadFile("one.dead"), 0);
    TheBattleMap->stageSet = stage;
}

} // namespace
