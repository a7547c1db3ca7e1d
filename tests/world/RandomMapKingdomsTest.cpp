#include "RandomMapGeneratorFixture.h"

#include "troops/Troop.h"
#include "world/BattleMap.h"
#include "world/GeneratedGarrisons.h"
#include "world/RandomMapLayout.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using namespace randommaptest;

TEST(RandomMapKingdoms, NeutralGroupsFollowThePlayers) {
    struct Case {
        int32_t humans;
        int32_t kingdoms; // the size row's count
        std::vector<int32_t> kinds;
    };
    const Case cases[] = {
        {1, 3, {0, 1, 1, 2, 3}},
        {3, 3, {0, 0, 0, 2, 3}},
        // More humans than the row's kingdoms: the groups move up instead of sharing ids.
        {4, 3, {0, 0, 0, 0, 2, 3}},
    };
    for (const Case& c : cases) {
        worldtest::World world;
        RandomMapSettings settings;
        settings.rows[1][1] = c.kingdoms;
        std::unique_ptr<Zu_StageSet> stage(CreateNeutralGroups(1, c.humans, "Lord", settings, 9));
        // A second call throws the first stage away and leaves exactly one.
        stage.release();
        stage.reset(CreateNeutralGroups(1, c.humans, "Lord", settings, 9));
        EXPECT_EQ(TheBattleMap->stageSet, stage.get());
        const auto kingdoms = StageKingdoms(*stage);
        ASSERT_EQ(kingdoms.size(), c.kinds.size()) << c.humans;
        for (size_t i = 0; i < kingdoms.size(); ++i) {
            Kingdom* k = kingdoms[i];
            EXPECT_EQ(k->NationKind(), c.kinds[i]);
            EXPECT_EQ(k->nationIndex, int32_t(i + 1));
            EXPECT_EQ(TheBattleMap->kingdomTable[i + 1], k);
            EXPECT_EQ(k->PersonNumber(), RulerPool[i]);
            if (c.kinds[i] < 2) EXPECT_EQ(k->Text(KingdomLayout::kName, 20), "Lord");
            if (c.kinds[i] >= 2) EXPECT_EQ(k->AllianceGroup(), 1001);
            if (c.kinds[i] == 1) EXPECT_EQ(k->Int(KingdomLayout::kStartingStrength), 9);
            if (c.kinds[i] >= 2) EXPECT_EQ(k->Int(KingdomLayout::kStartingStrength), 5000);
        }
        EXPECT_EQ(RandomPersonCap, 5 * int32_t(kingdoms.size() - 2));
    }
}

// The old stage and the scenario's other stage records go before the new stage is made; the
// battle map's tables keep nothing of them.
TEST(RandomMapKingdoms, NeutralGroupsReplaceTheScenarioStages) {
    worldtest::World world;
    RandomMapSettings settings;
    Zu_StageSet* first = CreateNeutralGroups(0, 1, "P", settings, 7);
    TheBattleMap->scenario->stageRecords.Add(reinterpret_cast<uintptr_t>(first));
    TheBattleMap->scenario->stageRecords.Add(reinterpret_cast<uintptr_t>(new Zu_StageSet));
    auto* city = new City(1, 0);
    StageKingdoms(*first)[0]->cities.Add(reinterpret_cast<uintptr_t>(city));
    TheBattleMap->cities[1] = city;
    Zu_StageSet* second = CreateNeutralGroups(0, 1, "P", settings, 7);
    EXPECT_EQ(TheBattleMap->scenario->stageRecords.GetCount(), 0);
    EXPECT_EQ(TheBattleMap->cities[1], nullptr);
    EXPECT_EQ(TheBattleMap->stageSet, second);
    EXPECT_EQ(TheBattleMap->kingdomTable[1], StageKingdoms(*second)[0]);
    delete second;
}

TEST(RandomMapKingdoms, TeamsDecideAlliancesBothWays) {
    Generation g(3);
    g.settings.rows[0][1] = 4;
    g.options.teams[0] = 1;
    g.options.teams[1] = 1;
    g.options.teams[2] = 0;
    g.options.teams[3] = 2;
    ASSERT_TRUE(g.Run(31));
    const auto k = g.Kingdoms();
    EXPECT_EQ(k[0]->relations[2], 1);
    EXPECT_EQ(k[1]->relations[1], 1);
    EXPECT_EQ(k[0]->relations[1], 1);
    EXPECT_EQ(k[0]->relations[3], 3);
    EXPECT_EQ(k[2]->relations[1], 3); // team 0 is at war with everyone else
    EXPECT_EQ(k[2]->relations[3], 1);
    EXPECT_EQ(k[3]->relations[1], 3);
    // Every ruler differs.
    std::set<int32_t> rulers;
    for (Kingdom* kingdom : k)
        EXPECT_TRUE(rulers.insert(kingdom->PersonNumber()).second);
}

TEST(RandomMapKingdoms, CastleOfficersAreDistinctAndNeverRulers) {
    OfficerTemplates templates;
    Generation g(2, 13, 14);
    ASSERT_TRUE(g.Run(2024));
    std::set<int32_t> rulers, officers;
    const auto kingdoms = g.Kingdoms();
    for (Kingdom* k : kingdoms)
        rulers.insert(k->PersonNumber());
    size_t count = 0;
    for (size_t i = 0; i < kingdoms.size() - 2; ++i)
        for (City* city : g.Cities(int(i))) {
            for (uintptr_t v = city->generals.First(); v != 0; v = city->generals.Next()) {
                const int32_t n = reinterpret_cast<OfficerRecord*>(v)->Get(OfficerLayout::kPersonNumber);
                EXPECT_TRUE(officers.insert(n).second) << n;
                EXPECT_EQ(rulers.count(n), 0u) << n;
                ++count;
            }
        }
    EXPECT_EQ(count, 13u * (kingdoms.size() - 2));
    // The kind-0 draws of the first kingdom: each follows the last with the 47/23 re-mix, and
    // with 19/13 on top between two passes (12 times for 13 officers).
    size_t at = 0;
    while (g.trace[at].n != 277)
        ++at;
    int passes = 0;
    for (; g.trace[at + 1].n == 277; ++at) {
        const uint32_t m = g.trace[at].multiplier * 47u / 23u;
        const uint32_t next = g.trace[at + 1].multiplier;
        ASSERT_TRUE(next == m || next == m * 19u / 13u) << at;
        passes += next == m * 19u / 13u && next != m;
    }
    EXPECT_EQ(passes, 12);
}

// Officers and standby troops by city kind, through the garrison steps themselves.
TEST(RandomMapKingdoms, GarrisonsByCityKind) {
    OfficerTemplates templates;
    worldtest::World world;
    RandomMapSettings settings;
    std::unique_ptr<Zu_StageSet> stage(CreateNeutralGroups(0, 1, "P", settings, 13));
    RandomMapOptions options;
    options.seed = 99;
    RandomMapRun run(*stage, options, settings);
    std::vector<SyncDraw> trace;
    run.trace = &trace;
    Kingdom& kingdom = *StageKingdoms(*stage)[0];
    struct Case {
        int32_t kind, copyCity;
        std::set<int32_t> allowed;
        int32_t actionAi;
    };
    const Case cases[] = {
        {6, 0, {401, 402, 403, 404, 405}, 0}, {2, 0, {406, 407, 408}, 0},  {3, 0, {432, 433, 434}, 0},
        {10, 0, {435, 436, 437}, 0},          {7, 61, {432, 433, 434}, 1}, {7, 77, {435, 436, 437}, 1},
    };
    for (const Case& c : cases) {
        City city(kingdom.nationIndex, 0);
        city.SetInt(CityLayout::kKind, c.kind);
        city.SetInt(108, c.copyCity);
        CreateGeneratedOfficers(run, kingdom, city, 9);
        ASSERT_EQ(city.generals.GetCount(), 9) << c.kind;
        for (uintptr_t v = city.generals.First(); v != 0; v = city.generals.Next()) {
            auto* o = reinterpret_cast<OfficerRecord*>(v);
            EXPECT_EQ(c.allowed.count(o->Get(OfficerLayout::kPersonNumber)), 1u) << c.kind;
            EXPECT_EQ(o->Get(OfficerLayout::kActionAi), c.actionAi) << c.kind;
        }
    }
    // A kind that draws nothing makes no officer until a general number exists, yet re-mixes.
    City plain(kingdom.nationIndex, 0);
    plain.SetInt(CityLayout::kKind, 4);
    const size_t draws = trace.size();
    const uint32_t m = run.M;
    CreateGeneratedOfficers(run, kingdom, plain, 3);
    EXPECT_EQ(plain.generals.GetCount(), 0);
    EXPECT_EQ(trace.size(), draws);
    EXPECT_EQ(run.M, m * 19u / 13u * 19u / 13u * 19u / 13u);

    // Standby troops: 13 officers per city give 10 short-sword, 10 mounted and 12 bow troops.
    City castle(kingdom.nationIndex, 4);
    CreateGeneratedTroops(run, castle, 13);
    ASSERT_EQ(castle.units.GetCount(), 32);
    int byTemplate[3] = {};
    for (uintptr_t v = castle.units.First(); v != 0; v = castle.units.Next()) {
        auto* t = reinterpret_cast<Troop*>(v);
        const int32_t n = t->officer->Get(OfficerLayout::kPersonNumber);
        byTemplate[n == 415 ? 0 : n == 418 ? 1 : 2]++;
        EXPECT_EQ(t->garrison, 1);
        EXPECT_EQ(t->state, 10);
        EXPECT_EQ(t->cellX, 0);
        EXPECT_EQ(t->homeCity, castle.id);
        EXPECT_EQ(t->owner, kingdom.nationIndex);
        EXPECT_EQ(t->baseType, n % 7 + 1);
        EXPECT_EQ(t->officer->Get(OfficerLayout::kControllable), 0);
    }
    EXPECT_EQ(byTemplate[0], 10);
    EXPECT_EQ(byTemplate[1], 10);
    EXPECT_EQ(byTemplate[2], 12);
    City other(kingdom.nationIndex, 5);
    CreateGeneratedTroops(run, other, 8); // not an officer option
    EXPECT_EQ(other.units.GetCount(), 0);
}

TEST(RandomMapKingdoms, TowersStopAtSixSlots) {
    OfficerTemplates templates;
    worldtest::World world;
    RandomMapSettings settings;
    std::unique_ptr<Zu_StageSet> stage(CreateNeutralGroups(0, 1, "P", settings, 7));
    RandomMapRun run(*stage, RandomMapOptions{}, settings);
    run.grid.width = 100;
    run.grid.height = 200;
    run.grid.cells.assign(100 * 200, GeneratorCell{});
    const int cells[8][2] = {{20, 30},  {60, 30},  {21, 31},  {70, 40},
                             {40, 100}, {41, 101}, {42, 150}, {43, 160}};
    for (auto [x, y] : cells)
        run.grid.At(x, y).overlay = 0xE41;
    City city(1, 0);
    city.SetInt(CityLayout::kX, 40);
    city.SetInt(CityLayout::kY, 100);
    InitGeneratedCityTowers(run, city);
    // Scanned row by row: (20,30) (60,30) (21,31) (70,40) (40,100) (41,101); the rest are left.
    const int expected[6][2] = {{20, 30}, {60, 30}, {21, 31}, {70, 40}, {40, 100}, {41, 101}};
    for (int i = 0; i < 6; ++i) {
        ByteReader r(city.towerCells[i], 16);
        EXPECT_EQ(r.i32(), 453);
        EXPECT_EQ(r.i32(), expected[i][0]);
        EXPECT_EQ(r.i32(), (expected[i][1] - 1) / 2);
        EXPECT_EQ(r.i32(), 1000 + 453);
    }
    City village(1, 0);
    village.SetInt(CityLayout::kKind, 6);
    InitGeneratedCityTowers(run, village);
    EXPECT_EQ(village.towerCells[0][0], 0);
}

} // namespace
