#include "PersonsFixture.h"

#include "engine/LinkList.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace trooptest;

namespace {

using L = OfficerLayout;

struct FollowersTest : testing::Test {
    People p;
    Kingdom* k = p.AddKingdom(2);
    FollowersTest() {
        for (int n = 415; n <= 431; ++n)
            p.Template(n);
        TheBattleMap->nextUnitId = 40;
    }
    // A general of the class at the level, standing on the map at (6, 7).
    Troop* General(int32_t cls, int32_t level, int32_t kind = 1, int32_t tmpl = 0) {
        Troop* g = p.AddTroop(k, 6, 7, 1, kind);
        g->officer->Set(L::kClass, cls);
        g->officer->Set(L::kLevel, level);
        g->officer->Set(L::kPersonNumber, tmpl);
        return g;
    }
    static std::vector<Troop*> Band(Troop* g) {
        return g->followers ? People::Troops(*g->followers) : std::vector<Troop*>{};
    }
};

TEST_F(FollowersTest, ABattleBandGrowsWithTheGeneralsLevel) {
    const struct {
        int32_t cls, level, tmpl, count, followerTemplate;
    } cases[] = {
        {1, 5, 0, 4, 419},  {2, 5, 0, 4, 416}, {3, 2, 0, 1, 422},   {4, 7, 0, 6, 422},   {1, 8, 0, 8, 419},
        {1, 30, 0, 8, 419}, {1, 1, 0, 0, 0},   {2, 3, 407, 2, 430}, {0, 4, 406, 3, 431},
    };
    for (const auto& c : cases) {
        Troop* g = General(c.cls, c.level, 1, c.tmpl);
        const int32_t serial = TheBattleMap->nextUnitId;
        g->CreateFollowers();
        const std::vector<Troop*> band = Band(g);
        ASSERT_EQ(int(band.size()), c.count) << c.cls << " " << c.level;
        EXPECT_EQ(g->OfficerValue(L::kTroopCapacity), c.count);
        EXPECT_EQ(g->OfficerValue(L::kExperience), GameParams().unifiedLevelExp[std::min(c.level, 30) - 1]);
        EXPECT_EQ(g->groupId, serial);
        EXPECT_EQ(g->flagWord, 1);
        EXPECT_EQ(TheBattleMap->nextUnitId, serial + 1);
        int slot = 0;
        for (Troop* f : band) {
            EXPECT_EQ(f->OfficerValue(L::kPersonNumber), c.followerTemplate);
            EXPECT_EQ(f->groupId, serial);
            EXPECT_EQ(f->flagWord, 0);
            EXPECT_EQ(f->owner, g->owner);
            // The band stands in formation around its general, each in its own slot.
            EXPECT_EQ(f->leader, g);
            EXPECT_EQ(f->formationFollow, 1);
            EXPECT_EQ(f->followerSlot, ++slot);
            EXPECT_LE(std::abs(f->cellX - 6) + std::abs(f->cellY - 7), 8);
            EXPECT_TRUE(p.OnCell(f, f->cellX, f->cellY));
            EXPECT_TRUE(k->fieldUnits.ContainsPtr(reinterpret_cast<uintptr_t>(f)));
        }
    }
    // The worked example: level 5, class 1 gives four of 419 and experience 86.
    Troop* g = General(1, 5);
    g->CreateFollowers();
    EXPECT_EQ(Band(g).size(), 4u);
    EXPECT_EQ(g->OfficerValue(L::kExperience), 86);
}

TEST_F(FollowersTest, GeneralsWithoutAFollowerClassGetNoBand) {
    for (int32_t cls : {0, 5, 6}) {
        Troop* g = General(cls, 6);
        g->state = 0;
        g->actionCode = 4;
        const int32_t serial = TheBattleMap->nextUnitId;
        g->CreateFollowers();
        EXPECT_TRUE(Band(g).empty()) << cls;
        EXPECT_EQ(g->groupId, 0) << cls;
        EXPECT_EQ(g->flagWord, 0) << cls;
        EXPECT_EQ(TheBattleMap->nextUnitId, serial) << cls;
        EXPECT_EQ(g->state, 0) << cls; // not halted
    }
    EXPECT_EQ(General(5, 6)->OfficerValue(L::kTroopCapacity), 0);
    // Only generals (kinds 1 and 3) lead bands.
    Troop* soldier = General(1, 6, 2);
    soldier->CreateFollowers();
    EXPECT_TRUE(Band(soldier).empty());
}

TEST_F(FollowersTest, AmbushersLeaveTheMapAndOffMapGeneralsKeepTheirBandOffIt) {
    Troop* g = General(1, 3);
    g->officer->Set(L::kAmbush, 1);
    g->state = 2;
    g->CreateFollowers();
    ASSERT_EQ(Band(g).size(), 2u);
    for (Troop* f : Band(g)) {
        EXPECT_EQ(f->OfficerValue(L::kAmbush), 1);
        EXPECT_EQ(f->flags & 0x16, 0x16u);
        EXPECT_FALSE(p.OnCell(f, 6, 7));
    }
    EXPECT_EQ(g->state, 10); // halted where it stands

    Troop* inside = General(1, 3);
    inside->garrison = 1;
    inside->CreateFollowers();
    ASSERT_EQ(Band(inside).size(), 2u);
    for (Troop* f : Band(inside)) {
        EXPECT_FALSE(p.OnCell(f, 6, 7));
        EXPECT_FALSE(k->fieldUnits.ContainsPtr(reinterpret_cast<uintptr_t>(f)));
    }
    for (Troop* f : Band(inside))
        delete f;
}

TEST_F(FollowersTest, CampaignStagesSetLevelsAndBands) {
    struct Case {
        const char* what;
        int stage;
        bool famous;
        int32_t level, cls;
        int32_t wantLevel, wantFollowers, followerTemplate;
    } cases[] = {
        {"stage 14 ordinary", 14, false, 1, 2, 7, 6, 415},
        {"stage 14 famous", 14, true, 1, 2, 4, 3, 415},
        {"level 0 counts as 1", 11, false, 0, 1, 1, 0, 0},
        {"stage 46 band 2", 46, false, 1, 1, 23, 8, 420},
        {"a higher level stays", 20, false, 9, 3, 9, 8, 423},
    };
    for (const Case& c : cases) {
        TheGameController->campaignStage = uint8_t(c.stage);
        Troop* g = General(c.cls, c.level);
        g->officer->Set(L::kFamous, c.famous);
        g->RaiseStageFollowers();
        EXPECT_EQ(g->OfficerValue(L::kLevel), c.wantLevel) << c.what;
        EXPECT_EQ(g->OfficerValue(L::kExperience), GameParams().General_Level_up_Ref[c.wantLevel - 1])
            << c.what;
        const std::vector<Troop*> band = Band(g);
        ASSERT_EQ(int(band.size()), c.wantFollowers) << c.what;
        for (Troop* f : band) {
            EXPECT_EQ(f->OfficerValue(L::kPersonNumber), c.followerTemplate) << c.what;
            EXPECT_EQ(f->leader, g) << c.what;
        }
    }
    // A planner's own escorts: one follower per filled slot, in slot order.
    TheGameController->campaignStage = 14;
    Troop* g = General(0, 5);
    g->officer->Set(400, 1); // "企劃自訂"
    g->officer->Set(L::kEscorts + 4 * 1, 417);
    g->officer->Set(L::kEscorts + 4 * 5, 421);
    g->officer->Set(L::kEscorts + 4 * 6, 999); // no such template
    const int32_t serial = TheBattleMap->nextUnitId;
    g->RaiseStageFollowers();
    EXPECT_EQ(People::TemplatesOf(*g->followers), (std::vector<int32_t>{417, 421}));
    EXPECT_EQ(g->groupId, serial);

    // Outside the campaign stages, for the player's own controllable general, or for kind 3 no band.
    struct Quiet {
        int stage, kind;
        bool players;
    } quiet[] = {{10, 1, false}, {47, 1, false}, {14, 3, false}, {14, 1, true}};
    TheBattleMap->stageSet->playerSide = 0;
    for (const Quiet& q : quiet) {
        TheGameController->campaignStage = uint8_t(q.stage);
        Troop* quietGeneral = General(1, 5, q.kind);
        if (q.players) {
            TheBattleMap->stageSet->playerSide = k->nationIndex;
            quietGeneral->officer->Set(L::kControllable, 1);
        }
        quietGeneral->RaiseStageFollowers();
        EXPECT_TRUE(Band(quietGeneral).empty()) << q.stage << " " << q.kind;
        if (q.stage == 14) EXPECT_EQ(quietGeneral->OfficerValue(L::kLevel), 5);
        TheBattleMap->stageSet->playerSide = 0;
    }
}

} // namespace
