#include "Program/GameRules.h"

#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/ProgramRulesEnv.h"
#include "Program/StageSet.h"
#include "engine/Random.h"
#include "platform/CRand.h"
#include "records/ItemRecord.h"
#include "records/ScenarioData.h"
#include "world/BattleMap.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace {

struct Item {
    int32_t cls, level;
};

class FakeEnv : public GameRulesEnv {
public:
    bool networked = false;
    int32_t gameKind = 0, stageNumber = 11, months = 0, officerLevel = 0;
    bool contest = false;
    std::vector<Item> items{{0, 0}}; // index 0 unused
    std::deque<int> rands;           // rand() values, 0 when used up
    std::deque<uint32_t> shared;     // Random(n) values before "mod n"
    std::vector<uint32_t> sharedArgs;
    bool blocked = false;
    std::vector<std::array<int, 3>> placed; // item, x, y
    std::vector<std::pair<uintptr_t, int32_t>> entries;
    int32_t basePoints = 10, localTeam = 0;
    int32_t teams[kPlayerSlots] = {};
    RecordCounts record{5, 2, 100};
    std::vector<RecordCounts> uploads;

    bool Networked() const override { return networked; }
    int32_t GameKind() const override { return gameKind; }
    int32_t StageNumber() const override { return stageNumber; }
    int32_t StageMonths() const override { return months; }
    bool CampaignContest() const override { return contest; }
    int32_t ChosenOfficerLevel() const override { return officerLevel; }
    int ItemCount() const override { return static_cast<int>(items.size()) - 1; }
    int32_t ItemClass(int i) const override { return items[i].cls; }
    int32_t ItemLevel(int i) const override { return items[i].level; }
    int Rand() override {
        if (rands.empty()) return 0;
        const int v = rands.front();
        rands.pop_front();
        return v;
    }
    uint32_t SharedRandom(uint32_t n) override {
        sharedArgs.push_back(n);
        uint32_t v = shared.empty() ? 0 : shared.front();
        if (!shared.empty()) shared.pop_front();
        return n < 2 ? 0 : v % n;
    }
    bool FindFreeNeighbour(int x, int y, int& fx, int& fy) override {
        if (blocked) return false;
        fx = x + 1;
        fy = y;
        return true;
    }
    void AddItemObject(int item, int x, int y) override { placed.push_back({item, x, y}); }
    void ForEachStageEntry(const std::function<void(uintptr_t, int32_t)>& visit) override {
        for (auto [e, owner] : entries)
            visit(e, owner);
    }
    int32_t BasePoints() const override { return basePoints; }
    int32_t PlayerSlotTeam(int slot) const override { return teams[slot]; }
    int32_t LocalTeam() const override { return localTeam; }
    RecordCounts LocalRecord() const override { return record; }
    void UploadRecord(const RecordCounts& counts) override { uploads.push_back(counts); }
};

std::vector<int> PlacedItems(const FakeEnv& env) {
    std::vector<int> out;
    for (const auto& p : env.placed)
        out.push_back(p[0]);
    return out;
}

} // namespace

TEST(GameRules, PlaceItemObject) {
    FakeEnv env;
    EXPECT_EQ(PlaceItemObject(env, 4, 6, 77), 1);
    ASSERT_EQ(env.placed.size(), 1u);
    EXPECT_EQ(env.placed[0], (std::array<int, 3>{77, 5, 6}));
    env.blocked = true;
    EXPECT_EQ(PlaceItemObject(env, 4, 6, 78), 0);
    EXPECT_EQ(env.placed.size(), 1u);
}

TEST(GameRules, LootStageAndKind) {
    GameParameters params;
    struct Case {
        const char* what;
        bool networked, contest;
        int32_t kind, stageNumber, months, officerLevel;
        int source;
        LootStage want;
    };
    const Case cases[] = {
        {"story stage 11", false, false, 0, 11, 0, 0, 2, {0, 2}},
        {"story stage 24", false, false, 0, 24, 0, 0, 3, {1, 3}},
        {"story stage 5 wraps into the table", false, false, 0, 5, 0, 0, 0, {6, 0}},
        {"other mode by months", false, false, 1, 0, 125, 0, 2, {2, 2}},
        {"other mode after 11 periods", false, false, 1, 0, 60 * 11, 0, 2, {11, 2}},
        {"contest officer level 15", true, true, 0, 0, 0, 15, 2, {6, 4}},
        {"contest house", true, true, 0, 0, 0, 3, 3, {2, 5}},
        {"contest unknown level", true, true, 0, 0, 0, 4, 1, {8, 1}},
        {"network other", true, false, 2, 0, 130, 0, 3, {2, 0}},
    };
    for (const auto& c : cases) {
        FakeEnv env;
        env.networked = c.networked;
        env.contest = c.contest;
        env.gameKind = c.kind;
        env.stageNumber = c.stageNumber;
        env.months = c.months;
        env.officerLevel = c.officerLevel;
        const LootStage got = LootStageFor(env, params, c.source);
        EXPECT_EQ(got.stage, c.want.stage) << c.what;
        EXPECT_EQ(got.kind, c.want.kind) << c.what;
    }
}

TEST(GameRules, DropLootRollsEachListInOrder) {
    GameParameters params;
    // Stage row 0: level 1 at 50 %, level 2 at 40 %, class 9 level 3 at 30 %, class 10 level 4 at
    // 20 %, class 11 level 5 at 10 %, potion 241 at 60 %, skill potion 245 at 5 %.
    const int32_t row[14] = {1, 50, 2, 40, 3, 30, 4, 20, 5, 10, 241, 60, 245, 5};
    std::copy(std::begin(row), std::end(row), params.stageTreasure[0]);
    const std::vector<Item> items = {{0, 0}, {1, 1},  {3, 1},  {6, 1}, {5, 2},
                                     {9, 3}, {10, 4}, {10, 4}, {2, 7}};

    {
        // Every roll 0 passes; picks take the first candidate except where given.
        FakeEnv env;
        env.items = items;
        env.rands = {0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0};
        DropLoot(env, params, 3, 3, 0);
        // a: items 1, 2 (pick 1 -> item 2); b: item 4; c: item 5; d: items 6, 7 (pick 1 -> 7);
        // e: no class-11 item, so no pick; then both potions.
        EXPECT_EQ(PlacedItems(env), (std::vector<int>{2, 4, 5, 7, 241, 245}));
        EXPECT_TRUE(env.rands.empty());
    }
    {
        // Rolls just at the chance fail; a captain quarters the chances.
        FakeEnv env;
        env.items = items;
        env.rands = {50, 40, 30, 20, 10, 60, 5};
        DropLoot(env, params, 3, 3, 0);
        EXPECT_TRUE(env.placed.empty());
        env.rands = {11, 0, 9, 0, 6, 0, 4, 0, 2, 14, 1};
        DropLoot(env, params, 3, 3, 2);
        EXPECT_EQ(PlacedItems(env), (std::vector<int>{1, 4, 5, 6, 241}));
    }
    {
        // Game kind 2 takes items of levels 1 to 10 in the first list.
        FakeEnv env;
        env.gameKind = 2;
        env.months = 0;
        env.items = items;
        env.rands = {0, 3, 99, 99, 99, 99, 99, 99};
        DropLoot(env, params, 3, 3, 0);
        EXPECT_EQ(PlacedItems(env), (std::vector<int>{8})); // candidates 1, 2, 4, 8: pick 3 -> item 8
    }
}

TEST(GameRules, DropLootInNetworkPlayUsesTheSharedGenerator) {
    GameParameters params;
    const int32_t row[14] = {1, 10, 2, 10, 3, 10, 4, 10, 5, 10, 241, 10, 245, 10};
    std::copy(std::begin(row), std::end(row), params.stageTreasure[2]);
    params.contestLootMultiplier[0] = 6; // houses
    FakeEnv env;
    env.networked = true;
    env.contest = true;
    env.officerLevel = params.contestOfficerLevels[0];
    env.items = {{0, 0}, {1, 1}, {2, 1}};
    env.rands = {0, 0, 0};
    // House in the contest: chances x 6 = 60.
    env.shared = {59, 1, 60, 60, 60, 60, 59, 60};
    DropLoot(env, params, 0, 0, 3);
    EXPECT_EQ(PlacedItems(env), (std::vector<int>{2, 241}));
    EXPECT_EQ(env.sharedArgs, (std::vector<uint32_t>{100, 2, 100, 100, 100, 100, 100, 100}));
    EXPECT_EQ(env.rands.size(), 3u); // the runtime generator is not touched
}

TEST(GameRules, PickRandomFreeEntry) {
    FakeEnv env;
    EXPECT_EQ(PickRandomFreeEntry(env), 0u);
    env.entries = {{0x10, 1}, {0x20, 0}, {0x30, 2}, {0x40, 0}, {0x50, 0}};
    env.rands = {4};
    EXPECT_EQ(PickRandomFreeEntry(env), 0x30u + 0x10u); // free ones 0x20, 0x40, 0x50: 4 % 3 = 1
    env.entries = {{0x10, 1}};
    EXPECT_EQ(PickRandomFreeEntry(env), 0u);
}

TEST(GameRules, AgeIndex) {
    GameParameters params; // years 4, 8, 12, 16, 20, 25, 30, 40, 50
    const int cases[][2] = {{0, 0},  {3, 0},  {4, 0},  {7, 0},  {8, 1},  {16, 3}, {19, 3},
                            {25, 5}, {39, 6}, {40, 7}, {49, 7}, {50, 8}, {80, 8}};
    for (const auto& c : cases) {
        FakeEnv env;
        env.months = c[0] * 12 + 11;
        EXPECT_EQ(AgeIndex(env, params), c[1]) << c[0] << " years";
    }
}

TEST(GameRules, MatchScore) {
    struct Case {
        const char* what;
        bool won;
        int32_t defeated, team, kind;
        int32_t want;
    };
    // Base points 10 give a base of 100; team 1 holds three slots.
    const Case cases[] = {
        {"won alone", true, 0, 0, 1, 100},
        {"won with a team of three", true, 0, 1, 1, 33},
        {"team with no slot", true, 0, 7, 1, 100},
        {"lost", false, 0, 1, 1, 0},
        {"lost with two defeated", false, 2, 1, 1, 25},
        {"won, defeated bonus", true, 4, 1, 1, 33 + 12},
        {"mode 3 doubles the whole sum", true, 4, 1, 3, 2 * (33 + 12)},
    };
    for (const auto& c : cases) {
        FakeEnv env;
        env.teams[0] = env.teams[5] = env.teams[19] = 1;
        env.teams[1] = 2;
        env.gameKind = c.kind;
        EXPECT_EQ(MatchScore(env, c.won, c.defeated, c.team), c.want) << c.what;
    }
}

TEST(GameRules, ReportMatchResultUploadsTheRecord) {
    FakeEnv env;
    env.localTeam = 2;
    env.teams[3] = env.teams[4] = 2;
    ReportMatchResult(env, true, 0);
    ReportMatchResult(env, false, 1);
    ASSERT_EQ(env.uploads.size(), 2u);
    EXPECT_EQ(env.uploads[0].gamesPlayed, 6);
    EXPECT_EQ(env.uploads[0].wins, 3);
    EXPECT_EQ(env.uploads[0].points, 150);
    EXPECT_EQ(env.uploads[1].wins, 2);
    EXPECT_EQ(env.uploads[1].points, 150);
}

// The program's environment answers from the controller, the current stage, the item levels and
// the two generators; where the world is not there yet it answers "nothing".
TEST(ProgramRulesEnvTest, AnswersFromTheRunningProgram) {
    ProgramRulesEnv& env = TheProgramRulesEnv();
    EXPECT_FALSE(env.Networked());
    EXPECT_EQ(env.StageMonths(), 0) << "no stage loaded";
    auto* controller = new GameController;
    TheGameController = controller;
    controller->networked = 1;
    controller->gameKind = 2;
    controller->campaignStage = 23;
    TheBattleMap = new BattleMap;
    auto* stage = new Zu_StageSet;
    TheBattleMap->stageSet = stage;
    stage->monthsElapsed = 130;
    for (int id = 1; id <= 3; ++id) {
        auto* item = static_cast<ItemRecord*>(TheBattleMap->scenario->NewChild(ScenarioData::kItemKind));
        item->SetInt(ItemLayout::kLevel, id == 2 ? 6 : 0);
        item->SetInt(ItemLayout::kCategory, id);
    }

    EXPECT_TRUE(env.Networked());
    EXPECT_EQ(env.GameKind(), 2);
    EXPECT_EQ(env.StageNumber(), 23);
    EXPECT_EQ(env.StageMonths(), 130);
    EXPECT_EQ(env.ItemCount(), 3);
    EXPECT_EQ(env.ItemLevel(2), 6);
    EXPECT_EQ(env.ItemClass(3), 3);
    EXPECT_EQ(env.ItemLevel(4), 0) << "past the count";
    EXPECT_EQ(env.ItemLevel(-1), 0);
    // The shared generator is Random: the same seed gives the same draws on every peer.
    const uint32_t seed = RandomSeed;
    const uint32_t first = env.SharedRandom(100);
    RandomSeed = seed;
    EXPECT_EQ(Random(100), first);
    platform::srand(5);
    const int r = env.Rand();
    platform::srand(5);
    EXPECT_EQ(platform::rand(), r);
    int fx = -1, fy = -1;
    EXPECT_FALSE(env.FindFreeNeighbour(3, 3, fx, fy));

    TheBattleMap->stageSet = nullptr;
    delete stage;
    delete TheBattleMap;
    TheBattleMap = nullptr;
    controller->FreeResources();
    delete controller;
    TheGameController = nullptr;
}
