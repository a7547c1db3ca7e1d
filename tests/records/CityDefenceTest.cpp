// A city under attack: its defender, the alarm, the blows on its units and its garrison pool, and
// the fall of a destructible city.
#include "CityUnitsFixture.h"

#include "Program/GameParameters.h"
#include "engine/Random.h"
#include "world/UnownedCities.h"

#include <gtest/gtest.h>

using namespace cityunits;

namespace {

Troop* Guard(City* city, int slot, int hp, int defence = 0) {
    auto* o = new OfficerRecord(city->ownerSide, -1);
    o->Set(OfficerLayout::kHp, hp);
    o->Set(OfficerLayout::kMaxHp, hp);
    o->Set(OfficerLayout::kDefence, defence);
    auto* t = new Troop(0, 10, 0, 0, int8_t(city->ownerSide), int16_t(city->id), 0, o);
    TheBattleMap->FindKingdom(city->ownerSide)->fieldUnits.Add(uintptr_t(t));
    city->garrison[slot] = t;
    return t;
}

int Hp(const Troop* t) {
    return t->OfficerValue(OfficerLayout::kHp);
}

TEST(CityDefence, GarrisonTakesTheBlowAsOnePool) {
    struct Case {
        int attack;
        std::array<int, 4> before;
        int defence;
        std::array<int, 4> after; // -1: the slot is empty
    };
    const Case cases[] = {
        {20, {50, 50, 50, 50}, 0, {45, 45, 45, 45}}, // 30 + 50 + 50 + 50 shared by four
        {5, {50, 50, 0, 0}, 10, {49, 49, -1, -1}},   // at least 1; (49 + 50) / 2
        {60, {50, 50, 50, 50}, 0, {-1, -1, -1, -1}}, // below 1: the whole garrison goes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attack);
        Stage s;
        City* city = s.City(s.foe, 20, 20, 0);
        for (int i = 0; i < 4; ++i)
            if (c.before[i] > 0) Guard(city, i, c.before[i], c.defence);
        // An even turn strikes the garrison.
        city->attackAlternation = 1;
        city->ResolveAttack(c.attack, 1, nullptr);
        for (int i = 0; i < 4; ++i) {
            if (c.after[i] < 0) {
                EXPECT_EQ(city->garrison[i], nullptr) << i;
                continue;
            }
            ASSERT_NE(city->garrison[i], nullptr) << i;
            EXPECT_EQ(Hp(city->garrison[i]), c.after[i]) << i;
        }
        EXPECT_EQ(city->garrisonStrength, city->totalStrength);
    }
}

TEST(CityDefence, OddTurnsStrikeUnitsEscortsAndLeadersInTheirOrder) {
    Stage s;
    City* city = s.City(s.foe, 20, 20, 0);
    Troop* guard = Guard(city, 0, 50);
    Troop* escorted = s.Inside(city);
    Troop* escort = s.Escort(escorted);
    Troop* plain = s.Inside(city);
    Troop* attacker = s.Field(s.own, 20, 12);
    attacker->officer->Set(OfficerLayout::kAttack, 12);
    // At the top level the hits it is credited with raise nothing.
    attacker->officer->Set(OfficerLayout::kLevel, OfficerRecord::kTopLevel);
    plain->officer->Set(OfficerLayout::kDefence, 2);
    escorted->officer->Set(OfficerLayout::kAttack, 7);

    city->OnAttacked(attacker); // turn 1: the escort; a struck escort spares the plain units
    // The first idle unit answers the blow, and the city's kingdom counts it.
    EXPECT_EQ(Hp(attacker), 100 - 7);
    EXPECT_EQ(s.foe->score, 7);
    EXPECT_EQ(Hp(escort), 30 - 12);
    EXPECT_EQ(attacker->officer->activity[0], 12); // its hits on units
    EXPECT_EQ(Hp(escorted), 100);
    EXPECT_EQ(Hp(plain), 100);
    EXPECT_EQ(Hp(guard), 50);
    EXPECT_EQ(city->attackedToday, 1);
    EXPECT_EQ(city->underAttack, 1);
    EXPECT_EQ(city->lastAttackerX, 20);
    EXPECT_EQ(city->lastAttackerY, 12);

    city->OnAttacked(attacker); // turn 2: the garrison
    EXPECT_EQ(Hp(guard), 50 - 12);
    EXPECT_EQ(attacker->officer->activity[2], 12); // its hits on the garrison
    EXPECT_EQ(Hp(plain), 100);

    // Without escorts the first unit with strength takes the odd turn.
    escorted->followers->RemoveAll();
    delete escort;
    city->OnAttacked(attacker);
    EXPECT_EQ(Hp(escorted), 100 - 12);
    EXPECT_EQ(Hp(plain), 100);
    EXPECT_EQ(city->unitCount, 2);
    EXPECT_EQ(city->escortStrength, Hp(escorted) + Hp(plain));
    EXPECT_EQ(city->totalStrength, 38);
    EXPECT_EQ(city->emptyFlag, 0);
}

TEST(CityDefence, DifficultyScalesThePlayersBlowsInSinglePlayOnlyAndTheCheatKills) {
    struct Case {
        int difficulty;
        bool networked, oneBlow, playerCity;
        int left;            // the unit's strength after a blow of 20 from side 1 (the player's)
        int easyWeight = 70; // the parameter table's factor for difficulty 0
    };
    const Case cases[] = {
        {0, false, false, false, 100 - 14},
        {2, false, false, false, 100 - 30},
        {1, false, false, false, 100 - 20},
        {2, true, false, false, 100 - 20},
        {1, false, true, false, 0},
        {1, false, true, true, 100 - 20},
        {0, false, false, false, 100 - 10, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.difficulty << c.networked << c.oneBlow << c.playerCity);
        Stage s;
        City* city = s.City(c.playerCity ? s.own : s.foe, 20, 20, 0);
        Troop* unit = s.Inside(city);
        TheGameController->difficulty = uint8_t(c.difficulty);
        const int32_t easy = GameParams().Game_Level_Weight[0];
        GameParams().Game_Level_Weight[0] = c.easyWeight;
        TheGameController->oneBlow = c.oneBlow ? 1 : 0;
        if (c.networked) s.Networked(true);
        const bool fell = city->StrikeUnit(unit, 20, 1, nullptr);
        EXPECT_EQ(Hp(unit), c.left);
        EXPECT_EQ(fell, c.left == 0);
        GameParams().Game_Level_Weight[0] = easy;
    }
}

TEST(CityDefence, AClientOnlySumsAndAHeldAttackerTurnsToTheCity) {
    {
        Stage s;
        City* city = s.City(s.foe, 20, 20, 0);
        Troop* guard = Guard(city, 0, 50);
        s.Networked(false);
        city->ResolveAttack(20, 1, nullptr);
        city->ResolveAttack(20, 1, nullptr);
        EXPECT_EQ(Hp(guard), 50);
        EXPECT_EQ(city->totalStrength, 50);
    }
    Stage t;
    City* town = t.City(t.foe, 20, 20, 0);
    t.Inside(town);
    Troop* prisoner = t.Field(t.own, 20, 12);
    prisoner->officer->StatusWord() = 1;
    town->OnAttacked(prisoner);
    EXPECT_EQ(prisoner->OfficerValue(OfficerLayout::kPolicy), t.foe->nationIndex);
    EXPECT_EQ(town->attackedToday, 0);
}

TEST(CityDestroy, AnEmptiedVillageFallsAndEveryPeerReseedsAlike) {
    uint32_t seeds[2] = {};
    std::vector<uint8_t> record;
    {
        Stage host;
        City* village = host.City(host.foe, 20, 20, 2);
        Guard(village, 0, 5);
        host.Networked(true);
        Troop* attacker = host.Field(host.own, 20, 12);
        attacker->officer->Set(OfficerLayout::kAttack, 40);
        village->attackAlternation = 1;
        village->OnAttacked(attacker);
        EXPECT_EQ(village->dead, 1);
        EXPECT_EQ(village->emptyFlag, 1);
        EXPECT_EQ(village->ownerSide, 1);
        EXPECT_TRUE(TheBattleMap->unownedCities.Holds(village));
        EXPECT_EQ(host.foe->cities.GetCount(), 0);
        EXPECT_EQ(host.own->tally[9], 1);
        ASSERT_EQ(testsupport::SentRecords().size(), 1u);
        record = testsupport::SentRecords()[0];
        seeds[0] = RandomSeed;
        seeds[1] = RandomMultiplier;
        EXPECT_EQ(record, PackGameRecord(kRecordCityDestroy, {Stage::Index(village), 1, seeds[0], seeds[1]}));
    }
    RandomSeed = 1;
    RandomMultiplier = 2;
    {
        Stage client;
        City* village = client.City(client.foe, 20, 20, 2);
        Guard(village, 0, 5);
        client.Networked(false);
        ASSERT_EQ(Stage::Receive(record), CommandOutcome::Relay);
        EXPECT_EQ(RandomSeed, seeds[0]);
        EXPECT_EQ(RandomMultiplier, seeds[1]);
        EXPECT_EQ(village->dead, 1);
        EXPECT_EQ(village->garrison[0], nullptr);
        EXPECT_EQ(village->ownerSide, 1);
        EXPECT_TRUE(TheBattleMap->unownedCities.Holds(village));
        EXPECT_EQ(client.foe->cities.GetCount(), 0);
        // A second copy finds the city fallen already: passed on, applied to nothing.
        RandomSeed = 7;
        EXPECT_EQ(Stage::Receive(record), CommandOutcome::Relay);
        EXPECT_EQ(RandomSeed, 7u);
    }
}

TEST(CityDestroy, AClientThatAlreadyMovedTheOwnerStillTakesTheCityFromItsHolder) {
    Stage s;
    City* village = s.City(s.foe, 20, 20, 3);
    s.Networked(false);
    // The client's own sum empties the village and names the attacker its owner first.
    village->ResolveAttack(10, 1, nullptr);
    EXPECT_EQ(village->ownerSide, 1);
    EXPECT_EQ(village->dead, 0);
    ASSERT_EQ(Stage::Receive(PackGameRecord(kRecordCityDestroy, {Stage::Index(village), 1, 11, 12})),
              CommandOutcome::Relay);
    EXPECT_EQ(s.foe->cities.GetCount(), 0);
    EXPECT_EQ(s.own->cities.GetCount(), 0);
    EXPECT_TRUE(TheBattleMap->unownedCities.Holds(village));
}

} // namespace

namespace {

TEST(CityGarrison, GrowsByTheCampaignStageOrTheAgeOfTheWorld) {
    struct Case {
        int gameKind, stage, months;
        bool networked;
        int teamMode;
        int growth;
    };
    const Case cases[] = {
        {0, 11, 0, false, 0, 1}, {0, 22, 0, false, 0, 12}, {0, 23, 0, false, 0, 1},
        {1, 0, 12, false, 0, 1}, {1, 0, 11, false, 0, 0}, // the age counts after eleven months
        {2, 0, 40, true, 2, 1},  {2, 0, 40, true, 1, 0},   {2, 0, 40, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.gameKind << " " << c.stage << " " << c.months);
        Stage s;
        TheGameController->gameKind = c.gameKind;
        TheGameController->campaignStage = c.stage;
        TheGameController->networked = c.networked ? 1 : 0;
        TheGameController->teamMode = c.teamMode;
        s.stage->monthsElapsed = c.months;
        City* city = s.City(s.own, 20, 20, 0);
        Troop* g = Guard(city, 1, 50, 4);
        g->officer->Set(OfficerLayout::kAttack, 10);
        city->GrowGarrisonByAge();
        EXPECT_EQ(g->OfficerValue(OfficerLayout::kAttack), 10 + c.growth);
        EXPECT_EQ(g->OfficerValue(OfficerLayout::kDefence), 4 + c.growth);
    }
}

} // namespace
