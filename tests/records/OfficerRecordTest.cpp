#include "records/OfficerRecord.h"
#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/ScreenSettings.h"
#include "records/RecordTables.h"
#include "records/ScenarioData.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

using L = OfficerLayout;

// The growth weights of the five classes, as percentages of the codes 0 to 4.
constexpr int kWeights[5][5] = {
    {30, 10, 40, 10, 10}, {40, 10, 30, 10, 10}, {20, 20, 10, 10, 40},
    {10, 40, 15, 20, 15}, {10, 30, 30, 10, 20},
};

struct SentLevelUp {
    int32_t a, b, c, extra;
    uint32_t seed1, seed2;
};
std::vector<SentLevelUp> sent;

class OfficerTest : public ::testing::Test {
protected:
    void SetUp() override {
        GameParams() = GameParameters();
        for (int r = 0; r < 5; ++r) {
            int k = 0;
            for (int code = 0; code < 5; ++code)
                for (int n = 0; n < kWeights[r][code]; ++n)
                    GameParams().growthPickList[r][k++] = static_cast<uint16_t>(code);
        }
        settings = std::make_unique<ScreenSettings>();
        TheScreenSettings = settings.get();
        TheGameController = &controller;
        sent.clear();
        SetLevelUpSender([](const OfficerRecord&, int32_t a, int32_t b, int32_t c, int32_t extra, uint32_t s1,
                            uint32_t s2) {
            sent.push_back({a, b, c, extra, s1, s2});
        });
    }
    void TearDown() override {
        SetLevelUpSender(nullptr);
        TheGameController = nullptr;
        TheScreenSettings = nullptr;
        ClearRecordTables();
    }
    // Templates 1..n in a scenario of the test's own; returns template n.
    OfficerRecord* Templates(int n) {
        OfficerRecord* last = nullptr;
        for (int i = 0; i < n; ++i)
            last = static_cast<OfficerRecord*>(scenario.NewChild(ScenarioData::kGeneralKind));
        return last;
    }
    static void Stats(OfficerRecord& o, int32_t s, int32_t i, int32_t p, int32_t c, int32_t a) {
        o.Set(L::kStrength, s);
        o.Set(L::kIntelligence, i);
        o.Set(L::kPhysique, p);
        o.Set(L::kCharm, c);
        o.Set(L::kAgility, a);
    }

    GameController controller;
    std::unique_ptr<ScreenSettings> settings;
    ScenarioData scenario;
};

TEST_F(OfficerTest, EveryGeneralTakesTheNextSerial) {
    settings->serialCounter = 100;
    OfficerRecord a(1, -1), b(2, -1);
    EXPECT_EQ(a.serial, 100u);
    EXPECT_EQ(b.serial, 101u);
    EXPECT_EQ(settings->serialCounter, 102);
    EXPECT_EQ(a.reference, -1);
    EXPECT_EQ(b.ownerSide, 2);
}

// A block comes from its template; a number that names no template leaves it cleared.
TEST_F(OfficerTest, BlocksAreCopiedFromTheirTemplate) {
    OfficerRecord* t3 = Templates(3);
    t3->Set(L::kStrength, 77);
    OfficerRecord* t1 = reinterpret_cast<OfficerRecord*>(scenario.generalTemplates.GetAt(0));
    t1->Set(L::kStrength, 11);
    struct Case {
        int32_t number;
        int32_t strength;
    };
    for (const Case c :
         {Case{3, 77}, Case{1, 11}, Case{0, 11}, Case{-1, 0}, Case{4, 0}, Case{599, 0}, Case{100000, 0}}) {
        OfficerRecord o(5, c.number);
        EXPECT_EQ(o.Get(L::kStrength), c.strength) << c.number;
    }
}

struct ExperienceCase {
    const char* name;
    int32_t gameKind;
    int32_t attribute;
    int32_t counters[3];
    int32_t gain;
    int32_t level;
    int32_t experience; // expected
    int32_t newLevel;
    int32_t levelUps;
};

TEST_F(OfficerTest, ExperienceRaisesTheLevel) {
    const ExperienceCase cases[] = {
        // 100/10 + 60/20 + 40/30 + 5 = 19 lies in [0, 50) of the unified table: level 1.
        {"counters in crossed order", 1, 1, {100, 40, 60}, 5, 1, 19, 1, 0},
        {"one threshold", 1, 1, {0, 0, 0}, 50, 1, 50, 2, 1},
        {"several thresholds, one level-up", 1, 1, {0, 0, 0}, 150, 1, 150, 8, 1},
        {"never down", 1, 1, {0, 0, 0}, 60, 9, 60, 9, 0},
        {"above the last threshold", 1, 1, {0, 0, 0}, 9000, 3, 9000, 30, 1},
        {"exactly the last threshold", 1, 1, {0, 0, 0}, 8242, 3, 8242, 30, 1},
        {"story table", 0, 1, {0, 0, 0}, 460, 1, 460, 4, 1},
        {"not a general", 1, 2, {0, 0, 0}, 9000, 1, 0, 1, 0},
    };
    for (const ExperienceCase& c : cases) {
        SCOPED_TRACE(c.name);
        controller.gameKind = c.gameKind;
        OfficerRecord o(1, -1);
        o.Set(L::kAttribute, c.attribute);
        o.Set(L::kClass, 1);
        o.Set(L::kLevel, c.level);
        o.Set(L::kLoyalty, 10);
        std::memcpy(o.activity, c.counters, sizeof o.activity);
        o.UpdateExperience(0, 0, 0, c.gain);
        EXPECT_EQ(o.Get(L::kExperience), c.experience);
        EXPECT_EQ(o.Get(L::kLevel), c.newLevel);
        // Every level-up adds 3 loyalty.
        EXPECT_EQ(o.Get(L::kLoyalty), 10 + 3 * c.levelUps);
    }
}

// Worked by hand: seeds (30000, 40000) draw 75, 40, 63, 96, 17, 76, 48, which class 1 turns into
// intelligence, physique, physique, agility, strength, physique, physique.
TEST_F(OfficerTest, LevelUpFromGivenSeeds) {
    OfficerRecord o(1, -1);
    o.Set(L::kClass, 1);
    o.Set(L::kLevel, 2);
    o.Set(L::kLoyalty, 50);
    Stats(o, 20, 14, 16, 10, 12);
    o.Set(L::kAttack, 5);
    o.Set(L::kDefence, 3);
    o.Set(L::kStrengthRest, 5);
    o.Set(L::kPhysiqueRest, 7);
    o.LevelUp(0, 30000, 40000);
    EXPECT_EQ(o.Get(L::kLoyalty), 53);
    EXPECT_EQ(o.Get(L::kStrength), 21);
    EXPECT_EQ(o.Get(L::kIntelligence), 15);
    EXPECT_EQ(o.Get(L::kPhysique), 20);
    EXPECT_EQ(o.Get(L::kCharm), 10);
    EXPECT_EQ(o.Get(L::kAgility), 13);
    EXPECT_EQ(o.Get(L::kMaxHp), 51);
    EXPECT_EQ(o.Get(L::kHp), 51);
    EXPECT_EQ(o.Get(L::kMaxMp), 22);
    EXPECT_EQ(o.Get(L::kMp), 22);
    EXPECT_EQ(o.Get(L::kAttack), 6); // remainder 6 became one point
    EXPECT_EQ(o.Get(L::kStrengthRest), 0);
    EXPECT_EQ(o.Get(L::kDefence), 4); // remainder 11
    EXPECT_EQ(o.Get(L::kPhysiqueRest), 1);
    EXPECT_EQ(o.Get(L::kTroopCapacity), 1);
}

// Seeds (55555, 77777) and class 3 give charm, agility, intelligence, intelligence, agility,
// agility, charm; loyalty 99 stops at 100; the remainders stay below their steps.
TEST_F(OfficerTest, LevelUpCapsLoyaltyAndKeepsRemainders) {
    controller.gameKind = 1;
    OfficerRecord o(1, -1);
    o.Set(L::kClass, 3);
    o.Set(L::kLevel, 8);
    o.Set(L::kLoyalty, 99);
    Stats(o, 30, 9, 11, 5, 20);
    o.Set(L::kAttack, 7);
    o.Set(L::kDefence, 2);
    o.Set(L::kStrengthRest, 3);
    o.Set(L::kPhysiqueRest, 9);
    o.LevelUp(0, 55555, 77777);
    EXPECT_EQ(o.Get(L::kLoyalty), 100);
    const int32_t stats[5] = {o.Get(L::kStrength), o.Get(L::kIntelligence), o.Get(L::kPhysique),
                              o.Get(L::kCharm), o.Get(L::kAgility)};
    const int32_t expected[5] = {30, 11, 11, 7, 23};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(stats[i], expected[i]) << i;
    EXPECT_EQ(o.Get(L::kMaxHp), 46);
    EXPECT_EQ(o.Get(L::kMaxMp), 16);
    EXPECT_EQ(o.Get(L::kAttack), 7);
    EXPECT_EQ(o.Get(L::kStrengthRest), 3);
    EXPECT_EQ(o.Get(L::kDefence), 2);
    EXPECT_EQ(o.Get(L::kPhysiqueRest), 9);
    EXPECT_EQ(o.Get(L::kTroopCapacity), 8);
}

// A class outside the growth table grows nothing, but the level-up still happens.
TEST_F(OfficerTest, AnUnknownClassGrowsNothing) {
    for (int32_t cls : {0, 6, -1, 1000}) {
        OfficerRecord o(1, -1);
        o.Set(L::kClass, cls);
        o.Set(L::kLoyalty, 1);
        Stats(o, 10, 10, 10, 10, 10);
        o.LevelUp(0, 30000, 40000);
        o.GrowStats(14);
        EXPECT_EQ(o.Get(L::kStrength) + o.Get(L::kIntelligence) + o.Get(L::kPhysique) + o.Get(L::kCharm) +
                      o.Get(L::kAgility),
                  50)
            << cls;
        EXPECT_EQ(o.Get(L::kLoyalty), 4);
    }
}

// In a network game growth draws from the template's seeds: template 12, class 2, level 4 gives 21
// draws of 11 strength, 1 intelligence, 6 physique, 2 charm and 1 agility over the template's stats.
TEST_F(OfficerTest, GrowthToTheLevelFromTheTemplateSeeds) {
    controller.networked = 1;
    OfficerRecord* t = Templates(12);
    Stats(*t, 10, 20, 30, 40, 50);
    OfficerRecord o(1, 12);
    o.Set(L::kPersonNumber, 12);
    o.Set(L::kClass, 2);
    o.Set(L::kLevel, 4);
    Stats(o, 1, 1, 1, 1, 1);
    o.GrowStats(0);
    const int32_t expected[][2] = {
        {L::kStrength, 21},    {L::kIntelligence, 21}, {L::kPhysique, 36}, {L::kCharm, 42},
        {L::kAgility, 51},     {L::kMaxHp, 75},        {L::kHp, 75},       {L::kMaxMp, 31},
        {L::kMp, 31},          {L::kAttack, 4},        {L::kDefence, 4},   {L::kMagicAttack, 4},
        {L::kMagicDefence, 4}, {L::kHitRate, 80},      {L::kEvasion, 10},
    };
    for (const auto& e : expected)
        EXPECT_EQ(o.Get(static_cast<uint32_t>(e[0])), e[1]) << e[0];
}

// Given draws grow the current stats; the derived values round half up.
TEST_F(OfficerTest, GrowthByGivenDrawsRoundsHalfUp) {
    controller.networked = 1;
    OfficerRecord o(1, -1);
    o.Set(L::kPersonNumber, 7);
    o.Set(L::kClass, 4);
    Stats(o, 10, 10, 10, 10, 10);
    o.GrowStats(14);
    const int32_t expected[][2] = {
        {L::kStrength, 15}, {L::kIntelligence, 12}, {L::kPhysique, 13},    {L::kCharm, 12},
        {L::kAgility, 12},  {L::kMaxHp, 34},        {L::kMaxMp, 18},       {L::kAttack, 3},
        {L::kDefence, 1},   {L::kMagicAttack, 2},   {L::kMagicDefence, 2}, {L::kHitRate, 72},
        {L::kEvasion, 2},
    };
    for (const auto& e : expected)
        EXPECT_EQ(o.Get(static_cast<uint32_t>(e[0])), e[1]) << e[0];
}

TEST_F(OfficerTest, GrowthSkipsWhereItMustNot) {
    OfficerRecord* t = Templates(2);
    Stats(*t, 40, 40, 40, 40, 40);
    struct Case {
        const char* name;
        int32_t attribute, person, level;
        int32_t strength; // expected
    };
    const Case cases[] = {
        {"level 1 resets from the template and draws nothing", 1, 2, 1, 40},
        {"attribute 9 never grows", 9, 2, 5, 3},
        {"a person number with no template", 1, 77, 5, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OfficerRecord o(1, -1);
        o.Set(L::kAttribute, c.attribute);
        o.Set(L::kPersonNumber, c.person);
        o.Set(L::kClass, 1);
        o.Set(L::kLevel, c.level);
        Stats(o, 3, 3, 3, 3, 3);
        o.GrowStats(0);
        EXPECT_EQ(o.Get(L::kStrength), c.strength);
        EXPECT_EQ(o.Get(L::kAgility), c.strength);
    }
}

TEST_F(OfficerTest, TroopCapacityFromTheLevel) {
    struct Case {
        int32_t gameKind, cls, level, before, capacity;
    };
    const Case cases[] = {
        {1, 1, 1, 0, 2},  {1, 1, 2, 0, 2},  {1, 1, 3, 0, 3}, {1, 1, 7, 0, 7}, {1, 1, 8, 0, 8},
        {1, 1, 30, 0, 8}, {1, 5, 30, 4, 4}, {1, 5, 3, 4, 4}, {1, 1, 0, 6, 6}, {0, 1, 1, 6, 6},
        {0, 1, 2, 0, 1},  {0, 1, 7, 0, 6},  {0, 1, 8, 0, 8}, {0, 5, 9, 3, 3},
    };
    for (const Case& c : cases) {
        controller.gameKind = c.gameKind;
        OfficerRecord o(1, -1);
        o.Set(L::kClass, c.cls);
        o.Set(L::kLevel, c.level);
        o.Set(L::kTroopCapacity, c.before);
        o.UpdateRank();
        EXPECT_EQ(o.Get(L::kTroopCapacity), c.capacity)
            << "kind " << c.gameKind << " class " << c.cls << " level " << c.level;
    }
}

TEST_F(OfficerTest, CarriedItemSlots) {
    struct Case {
        const char* name;
        int32_t slots[4];
        int32_t remove;
        int32_t after[4];
    };
    const Case cases[] = {
        {"packs after removing", {5, 7, 9, 0}, 7, {5, 9, 0, 0}},
        {"first of two equal ids", {7, 3, 7, 0}, 7, {3, 7, 0, 0}},
        {"not carried: nothing changes", {5, 0, 9, 0}, 8, {5, 0, 9, 0}},
        {"the last one", {1, 2, 3, 4}, 4, {1, 2, 3, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OfficerRecord o(1, -1);
        for (int s = 0; s < 4; ++s)
            o.Set(L::kCarried + 4 * s, c.slots[s]);
        o.RemoveItem(c.remove);
        for (int s = 0; s < 4; ++s)
            EXPECT_EQ(o.Get(L::kCarried + 4 * s), c.after[s]) << s;
    }

    OfficerRecord o(1, -1);
    for (int32_t id : {11, 12, 13, 14})
        EXPECT_EQ(o.AddItem(id), 1);
    EXPECT_EQ(o.HasFreeItemSlot(), 0);
    EXPECT_EQ(o.AddItem(15), 0);
    EXPECT_EQ(o.Get(L::kCarried + 12), 14);
    o.Set(L::kWeapon + 8, 300); // a treasure
    EXPECT_EQ(o.HasEquippedItem(300), 1);
    EXPECT_EQ(o.HasEquippedItem(13), 1);
    EXPECT_EQ(o.HasEquippedItem(15), 0);
    o.RemoveItem(12);
    EXPECT_EQ(o.HasFreeItemSlot(), 1);
    EXPECT_EQ(o.AddItem(15), 1);
    EXPECT_EQ(o.Get(L::kCarried + 12), 15);
}

// Single play applies at once and sends nothing; the host applies and sends its seeds, and a peer
// applying the same seeds ends with the same block; a client waits for the host.
TEST_F(OfficerTest, LevelUpsAreDecidedOnTheHost) {
    auto fresh = [] {
        auto o = std::make_unique<OfficerRecord>(1, -1);
        o->Set(L::kClass, 2);
        o->Set(L::kLoyalty, 40);
        Stats(*o, 10, 10, 10, 10, 10);
        return o;
    };
    auto single = fresh();
    single->LevelUpNetworked(1, 2, 3, 4);
    EXPECT_EQ(single->Get(L::kLoyalty), 43);
    EXPECT_TRUE(sent.empty());

    controller.networked = 1;
    controller.isHost = 1;
    auto host = fresh();
    host->LevelUpNetworked(1, 2, 3, 4);
    ASSERT_EQ(sent.size(), 1u);
    const SentLevelUp s = sent[0];
    EXPECT_EQ(s.a, 1);
    EXPECT_EQ(s.b, 2);
    EXPECT_EQ(s.c, 3);
    EXPECT_EQ(s.extra, 4);
    for (uint32_t seed : {s.seed1, s.seed2}) {
        EXPECT_GE(seed, 23456u);
        EXPECT_LT(seed, 23456u + 77777u);
    }
    auto peer = fresh();
    peer->LevelUp(s.extra, s.seed1, s.seed2);
    EXPECT_EQ(std::memcmp(peer->block, host->block, L::kSize), 0);

    controller.isHost = 0;
    auto client = fresh();
    client->LevelUpNetworked(1, 2, 3, 4);
    EXPECT_EQ(client->Get(L::kLoyalty), 40);
    EXPECT_EQ(sent.size(), 1u);
}

} // namespace
