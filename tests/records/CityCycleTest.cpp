#include "troops/TroopFixture.h"

#include "Program/GameParameters.h"
#include "net/CommandLookups.h"
#include "net/SubCommands.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/SubCastle.h"
#include "support/SentCommands.h"
#include "troops/TroopOrder.h"
#include "world/MapView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

using trooptest::Battle;

namespace {

constexpr uint32_t kDevelopment = 48, kCommerce = 52, kMorale = 56;

// The battle map's city table reaches a city by its id, index + 1.
City* AddCity(Battle& b, Kingdom* k, int x, int y, int kind = 0) {
    City* c = b.AddCity(k, x, y, kind);
    c->id = TheBattleMap->cityCount;
    return c;
}

int Count(LinkList& list, const void* p) {
    int n = 0;
    for (uintptr_t v = list.First(); v != 0; v = list.Next())
        n += v == reinterpret_cast<uintptr_t>(p);
    return n;
}

bool InList(LinkList& list, const void* p) {
    return Count(list, p) > 0;
}

// ---- Income -------------------------------------------------------------------------------

struct IncomeCase {
    const char* name;
    std::vector<std::pair<int, int16_t>> buildings;
    int intelligence = -1, charm = 0; // -1: no current unit
    int development, commerce, morale;
    std::vector<int> goldByDay, foodByDay;
};

TEST(CityIncome, BuildingsMakeRatesAndTheAccumulatorsCarryTheFractions) {
    const IncomeCase cases[] = {
        // Three finished farms, one granary: 3 x 20 x 120 / 100.
        {"farms", {{0, 1003}, {1, 1001}}, -1, 0, 72, 0, 0, {0, 0}, {36, 72}},
        // Commerce is stored capped, the gold rate takes it whole.
        {"markets", {{2, 1020}}, -1, 0, 0, 200, 0, {40, 80}, {0, 0}},
        // A plot without a finished building is worth nothing.
        {"plots only", {{0, 1000}, {2, 999}, {4, 1000}}, -1, 0, 0, 0, 0, {0}, {0}},
        // Temples and altars: morale 10 x 12 x 140 / 100 = 168, stored as 100.
        {"temples", {{4, 1012}, {5, 1002}}, -1, 0, 0, 0, 100, {0}, {0}},
        // The governor alone: food base 5 / 5 = 1, half a food a day; gold base 10/10 + 5/10 = 1.
        {"governor", {}, 5, 10, 0, 0, 0, {0, 0, 0, 0}, {0, 1, 1, 2}},
        {"governor and market", {{2, 1001}}, 20, 30, 0, 20, 0, {2, 5, 7, 10}, {2, 4, 6, 8}},
    };
    for (const IncomeCase& c : cases) {
        SCOPED_TRACE(c.name);
        Battle b;
        Kingdom* k = b.AddKingdom(1);
        City* city = AddCity(b, k, 10, 20);
        for (auto [kind, count] : c.buildings)
            city->buildings[kind] = count;
        if (c.intelligence >= 0) {
            Troop* t = b.AddTroop(k, 3, 3);
            t->officer->Set(OfficerLayout::kIntelligence, c.intelligence);
            t->officer->Set(OfficerLayout::kCharm, c.charm);
            city->currentUnit = t;
        }
        city->SumBuildings();
        EXPECT_EQ(city->Int(kDevelopment), c.development);
        EXPECT_EQ(city->Int(kCommerce), c.commerce);
        EXPECT_EQ(city->Int(kMorale), c.morale);
        for (size_t day = 0; day < c.goldByDay.size(); ++day) {
            city->CollectIncome();
            EXPECT_EQ(city->Int(CityLayout::kGold), c.goldByDay[day]) << "day " << day;
            EXPECT_EQ(city->Int(CityLayout::kFood), c.foodByDay[day]) << "day " << day;
        }
        // The kingdom's gold total follows the city's gold.
        EXPECT_EQ(k->goldTotal, c.goldByDay.back());
    }
}

TEST(CityIncome, BuildingCountsFromAFileAtTheirLimitSaturateInsteadOfWrapping) {
    Battle b;
    City* city = AddCity(b, b.AddKingdom(1), 10, 20);
    for (int16_t& count : city->buildings)
        count = 32767;
    city->SumBuildings();
    EXPECT_EQ(city->Int(kDevelopment), 200);
    EXPECT_EQ(city->Int(kCommerce), 200);
    EXPECT_EQ(city->Int(kMorale), 100);
    EXPECT_GT(city->incomeRates[1], 0.0f);
    EXPECT_GT(city->incomeRates[2], 0.0f);
}

TEST(CityIncome, PopulationStopsAtTheCapAndKeepsItsFraction) {
    Battle b;
    Kingdom* k = b.AddKingdom(1);
    City* city = AddCity(b, k, 10, 20);
    GameParams().dailyPopulationDivisor = 40;
    city->buildings[4] = 1010; // morale 100: 2.5 people a day
    city->SetInt(CityLayout::kPopulation, 1599);
    city->SumBuildings();
    city->CollectIncome();
    EXPECT_EQ(city->Int(CityLayout::kPopulation), 1600); // scale 1's cap
    EXPECT_FLOAT_EQ(city->accumulators[0], 0.5f);
    city->CollectIncome();
    EXPECT_EQ(city->Int(CityLayout::kPopulation), 1600);
    EXPECT_FLOAT_EQ(city->accumulators[0], 0.5f);
    city->SetInt(CityLayout::kPopulation, 1000);
    city->CollectIncome();
    EXPECT_EQ(city->Int(CityLayout::kPopulation), 1003);
    GameParams() = GameParameters();
}

// ---- Daily step and strategy turn --------------------------------------------------------

TEST(CityDaily, StrategyTurnSplitsGoldAndFoodByValue) {
    struct Case {
        int gold, food, goldAfter, foodAfter;
    };
    for (const Case& c : {Case{0, 1000, 50, 500}, Case{3, 5, 1, 25}, Case{100, 0, 50, 500}}) {
        Battle b;
        TheGameController->gameKind = 1;
        Kingdom* k = b.AddKingdom(1);
        City* city = AddCity(b, k, 10, 20);
        Troop* t = b.AddTroop(k, 3, 3);
        k->fieldUnits.RemoveValue(uintptr_t(t));
        city->units.Add(uintptr_t(t));
        city->SetInt(CityLayout::kGold, c.gold);
        city->SetInt(CityLayout::kFood, c.food);
        city->Tick();
        EXPECT_EQ(city->Int(CityLayout::kGold), c.goldAfter);
        EXPECT_EQ(city->Int(CityLayout::kFood), c.foodAfter);
        EXPECT_EQ(city->currentUnit, t); // the first unit leads a city without one
    }
    // Outside team games the turn leaves the treasury alone.
    Battle b;
    Kingdom* k = b.AddKingdom(1);
    City* city = AddCity(b, k, 10, 20);
    city->SetInt(CityLayout::kFood, 1000);
    city->Tick();
    EXPECT_EQ(city->Int(CityLayout::kFood), 1000);
}

// The host's choice of a leading unit reaches the peers, which make the same unit lead.
TEST(CityDaily, TheHostAnnouncesTheCitysNewLeadingUnit) {
    std::vector<std::vector<uint8_t>> sent;
    size_t leader = 99; // the leading unit's place in the city's list on the host
    for (bool host : {true, false}) {
        SCOPED_TRACE(host ? "host" : "client");
        Battle b;
        TheGameController->gameKind = 1;
        TheGameController->networked = 1;
        TheGameController->isHost = host ? 1 : 0;
        Kingdom* k = b.AddKingdom(1);
        City* city = AddCity(b, k, 10, 20);
        std::vector<Troop*> inside;
        for (int i = 0; i < 2; ++i) {
            Troop* t = b.AddTroop(k, 3 + i, 3);
            k->fieldUnits.RemoveValue(uintptr_t(t));
            city->units.Add(uintptr_t(t));
            inside.push_back(t);
        }
        testsupport::CaptureSentCommands();
        if (host) {
            city->Tick();
            ASSERT_NE(city->currentUnit, nullptr);
            for (const auto& c : testsupport::SentCommands())
                if (c.code == kSubCommandCode && c.payload[0] == kSubUnitAction) sent.push_back(c.payload);
            ASSERT_EQ(sent.size(), 1u);
            EXPECT_EQ(*UnpackSubCommand(sent[0]),
                      (std::vector<uint32_t>{uint32_t(CityIndexOf(city)), 1, city->currentUnit->UnitId()}));
            leader = size_t(std::find(inside.begin(), inside.end(), city->currentUnit) - inside.begin());
        } else {
            std::vector<uint8_t> relay;
            ASSERT_EQ(ReceiveSubCommand(sent.at(0), false, relay), CommandOutcome::Relay);
            ASSERT_LT(leader, inside.size());
            EXPECT_EQ(city->currentUnit, inside[leader]);
            EXPECT_TRUE(testsupport::SentCommands().empty()) << "a peer does not announce it again";
        }
    }
}

TEST(CityDaily, OnlyCitiesInsideTheBattleFieldEarnAndCountersRunOut) {
    Battle b;
    Kingdom* k = b.AddKingdom(1);
    City* inside = AddCity(b, k, 10, 20);
    City* outside = AddCity(b, k, 10, 20);
    outside->SetInt(CityLayout::kX, 45); // past the field's right edge (40)
    for (City* c : {inside, outside}) {
        c->buildings[2] = 1010; // 200 commerce, 20 gold a day
        c->cycleCounter = 18;
        c->attackedToday = 1;
    }
    TheScreenSettings->day = 7;
    inside->Update();
    outside->Update();
    EXPECT_EQ(inside->Int(CityLayout::kGold), 20);
    EXPECT_EQ(outside->Int(CityLayout::kGold), 0);
    EXPECT_EQ(inside->cycleCounter, 19);
    EXPECT_EQ(inside->attackedToday, 0);
    EXPECT_EQ(outside->attackedToday, 1);
    inside->Update();
    EXPECT_EQ(inside->cycleCounter, 0); // past 19 it starts over

    // The status timer lends the city one starting strength on day 22 and the kingdom's on 25.
    b.SetKingdomValue(k, KingdomLayout::kStartingStrength, 7);
    inside->statusTimer = 21;
    inside->Update();
    EXPECT_EQ(inside->settings[3], 1);
    inside->Update();
    inside->Update();
    inside->Update();
    EXPECT_EQ(inside->settings[3], 7);
    EXPECT_EQ(inside->statusTimer, 0);
}

TEST(CityDaily, RaidTriggerTurnsIntoRaidCountsOnlyForDefenceModesOneToThree) {
    for (int mode : {0, 1, 3, 4}) {
        SCOPED_TRACE(mode);
        Battle b;
        Kingdom* k = b.AddKingdom(1);
        TheBattleMap->sideActive[1] = 1;
        b.SetKingdomValue(k, KingdomLayout::kDefenceMode, mode);
        City* city = AddCity(b, k, 10, 20);
        city->raidTrigger = 10000;
        city->otherUnitCount = 7;
        city->generalTroopCount = 4;
        city->cycleCounter = 5;
        city->RunAi();
        // From cycle 5 on no raid goes out and the trigger is spent either way.
        EXPECT_EQ(city->raidTrigger, 0);
        EXPECT_EQ(city->raidOthers, 0);
        city->raidTrigger = 10000;
        city->cycleCounter = 1;
        city->RunAi();
        const bool raids = mode >= 1 && mode <= 3;
        // The raiders go at once: with nobody inside, the others' 3 pass to the generals' 2.
        EXPECT_EQ(city->raidOthers, 0);
        EXPECT_EQ(city->raidGenerals, raids ? 5 : 0);
        EXPECT_EQ(city->raidTrigger, raids ? 0 : 10000);
    }
}

// ---- Attack target and staging city -----------------------------------------------------

struct TargetWorld {
    Battle b;
    Kingdom* own;
    Kingdom* foe;
    TargetWorld() {
        own = b.AddKingdom(1);
        foe = b.AddKingdom(2);
        TheBattleMap->sideActive[1] = TheBattleMap->sideActive[2] = 1;
    }
    City* Add(Kingdom* k, int x, int y, int kind = 0) {
        City* c = AddCity(b, k, 0, 0, kind);
        c->exitX = x;
        c->exitY = y;
        return c;
    }
};

TEST(KingdomAttackTarget, TheWeightedNearestHostileCityIsTargetedByTheThreeNearestCities) {
    struct Case {
        const char* name;
        bool war;
        std::vector<std::array<int, 3>> foes; // x, y, kind
        int expected;                         // index into foes, -1 none
    };
    const Case cases[] = {
        {"no war", false, {{10, 10, 0}}, -1},
        // Equal weighted distance: the first met wins.
        {"tie", true, {{12, 12, 1}, {12, 12, 7}}, 0},
        // A village (70) one cell nearer than a fort (50) still weighs more.
        {"weights", true, {{12, 12, 1}, {11, 12, 2}}, 0},
        // Posts of kinds 4, 5, 8, 9 weigh nothing.
        {"posts", true, {{10, 10, 0}, {14, 14, 5}}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TargetWorld w;
        if (c.war) Battle::War(w.own, w.foe);
        // Own cities at increasing distance from the origin; one is destroyed.
        std::vector<City*> own;
        for (int i = 0; i < 6; ++i)
            own.push_back(w.Add(w.own, i, 0));
        own[1]->dead = 1;
        std::vector<City*> foes;
        for (auto [x, y, kind] : c.foes)
            foes.push_back(w.Add(w.foe, x, y, kind));
        w.own->PickTargetCity();
        if (c.expected < 0) {
            EXPECT_EQ(w.own->targetCityId, -1);
            for (City* o : own)
                EXPECT_EQ(o->campaignTarget, -1);
            continue;
        }
        City* target = foes[size_t(c.expected)];
        EXPECT_EQ(w.own->targetCityId, target->id);
        // The living cities nearest the target (the eastern ones) attack, the next two stand by;
        // the destroyed one is left out.
        std::vector<int> marks;
        for (City* o : own)
            marks.push_back(o->campaignTarget);
        const int t = target->id;
        EXPECT_EQ(marks, (std::vector<int>{0, -1, 0, t, t, t}));
    }
}

TEST(KingdomAttackTarget, TwoCitiesBothAttackAndTheCandidateTableIsBounded) {
    TargetWorld w;
    Battle::War(w.own, w.foe);
    City* a = w.Add(w.own, 0, 0);
    City* b = w.Add(w.own, 3, 3);
    // More hostile cities than the table keeps: the nearest lies beyond the bound and is not weighed.
    for (int i = 0; i < 200; ++i)
        w.Add(w.foe, 30, 30);
    City* beyond = w.Add(w.foe, 4, 4);
    w.own->DailyUpdate(); // the kingdom's daily step picks the target
    EXPECT_NE(w.own->targetCityId, beyond->id);
    EXPECT_EQ(w.own->targetCityId, TheBattleMap->cities[2]->id);
    EXPECT_EQ(a->campaignTarget, w.own->targetCityId);
    EXPECT_EQ(b->campaignTarget, w.own->targetCityId);
}

TEST(KingdomAttackTarget, ACityBehindStagesAtTheNearestOwnCityCloserToTheTarget) {
    TargetWorld w;
    Battle::War(w.own, w.foe);
    City* target = w.Add(w.foe, 20, 0);
    w.own->targetCityId = target->id;
    City* back = w.Add(w.own, 0, 0);
    City* nearBack = w.Add(w.own, 6, 2);
    City* front = w.Add(w.own, 12, 0);
    City* attacker = w.Add(w.own, 16, 0);
    attacker->campaignTarget = target->id;
    Troop* t = w.b.AddTroop(w.own, 3, 3);
    w.own->fieldUnits.RemoveValue(uintptr_t(t));
    back->units.Add(uintptr_t(t));
    back->ChooseStagingCity();
    EXPECT_EQ(back->stagingFlag, 1);
    EXPECT_EQ(back->stagingCity, nearBack);

    // An attacking city never stages; one with no nearer city clears its flag.
    attacker->units.Add(uintptr_t(w.b.AddTroop(w.own, 4, 4)));
    w.own->fieldUnits.RemoveValue(attacker->units.First());
    attacker->ChooseStagingCity();
    EXPECT_EQ(attacker->stagingFlag, 0);
    EXPECT_EQ(attacker->stagingCity, nullptr);
    front->campaignTarget = -1;
    attacker->campaignTarget = -1;
    attacker->stagingFlag = 1;
    attacker->ChooseStagingCity();
    EXPECT_EQ(attacker->stagingFlag, 0);

    // A city keeping all its units back does not move them.
    back->stagingFlag = 0;
    back->settings[4] = 1;
    back->ChooseStagingCity();
    EXPECT_EQ(back->stagingFlag, 0);

    // A staging city that goes is forgotten.
    back->settings[4] = 0;
    back->ChooseStagingCity();
    w.own->RemoveCity(nearBack);
    delete nearBack;
    EXPECT_EQ(back->stagingCity, nullptr);
}

TEST(KingdomAttackTarget, OnlyTroopsOrderedAgainstTheTakenCityAreRecalled) {
    TargetWorld w;
    TheBattleMap->sideActive[1] = 0; // run by a player
    Troop* bound = w.b.AddTroop(w.own, 3, 3);
    Troop* elsewhere = w.b.AddTroop(w.own, 5, 5);
    Troop* inside = w.b.AddTroop(w.own, 7, 7);
    for (Troop* t : {bound, elsewhere, inside}) {
        t->order->orderState = 9;
        t->order->targetCityId = 4;
    }
    elsewhere->order->targetCityId = 5;
    inside->hidden = 1;
    w.own->RecallTroopsTargeting(4);
    EXPECT_EQ(bound->order->orderState, 0); // a human kingdom's troop just stops
    EXPECT_EQ(elsewhere->order->orderState, 9);
    EXPECT_EQ(inside->order->orderState, 9);
}

// ---- Sub-castle units --------------------------------------------------------------------

struct PostWorld {
    Battle b;
    Kingdom* own;
    Kingdom* foe;
    City* city;
    SubCastle* post;
    PostWorld(int kind = 5) {
        own = b.AddKingdom(1);
        foe = b.AddKingdom(2);
        city = AddCity(b, own, 4, 4);
        post = new SubCastle(0);
        post->SetInt(SubCastleLayout::kKind, kind);
        post->SetInt(SubCastleLayout::kX, 10);
        post->SetInt(SubCastleLayout::kY, 20);
        post->ComputeEntrance(); // (12, 15)
        post->SetOwner(1, city->id);
        city->subCastles.Add(uintptr_t(post));
    }
    Troop* Unit(Kingdom* k, int x, int y) {
        Troop* t = b.AddTroop(k, x, y);
        t->ledUnit = 1;
        return t;
    }
};

TEST(SubCastleUnits, EntryMakesALeaderHidesUnitsAndRefusesASecondLeader) {
    PostWorld w;
    Troop* governor = w.Unit(w.own, 12, 15);
    Troop* second = w.Unit(w.own, 13, 15);
    Troop* captive = w.Unit(w.foe, 12, 16);
    Troop* escort = w.b.AddTroop(w.foe, 11, 16);
    captive->followers->Add(uintptr_t(escort));

    EXPECT_TRUE(w.post->RequestTroopEntry(governor));
    EXPECT_EQ(w.post->leader, governor);
    EXPECT_FALSE(w.post->RequestTroopEntry(second));
    EXPECT_EQ(second->hidden, 0);
    EXPECT_TRUE(w.post->RequestTroopEntry(captive));
    EXPECT_TRUE(InList(w.post->units, captive));

    // Inside, a troop is off the map and out of its kingdom's field list; so are its escorts.
    for (Troop* t : {governor, captive, escort}) {
        EXPECT_EQ(t->hidden, 1);
        EXPECT_EQ(t->inCity, 1);
        EXPECT_EQ(t->homeCity, w.city->id);
        EXPECT_FALSE(w.b.OnCell(t, t->cellX, t->cellY));
    }
    // The leader stays its kingdom's; units and escorts inside are the sub-castle's.
    EXPECT_TRUE(InList(w.own->fieldUnits, governor));
    EXPECT_FALSE(InList(w.foe->fieldUnits, captive));
    EXPECT_FALSE(InList(w.foe->fieldUnits, escort));
    EXPECT_TRUE(InList(w.own->fieldUnits, second));
    // A garrison post counts the units it takes and the kingdoms that lose them.
    EXPECT_EQ(w.own->receivedUnits, 2);
    EXPECT_EQ(w.own->sentUnits, 1);
    EXPECT_EQ(w.foe->sentUnits, 1);
}

// Going inside a city or a sub-castle ends a running skill and gives back what timed statuses
// added.
TEST(SubCastleUnits, EntryEndsARunningSkillAndTakesBackTimedStatuses) {
    for (bool intoPost : {false, true}) {
        SCOPED_TRACE(intoPost ? "sub-castle" : "city");
        PostWorld w;
        Troop* t = w.Unit(w.foe, 12, 16);
        t->officer->Set(OfficerLayout::kAttack, 30);
        t->statusBits = 0x40000 | 0x80;
        t->statusEffects[7].delta[0] = 5; // the attack the 0x80 status added
        if (intoPost)
            EXPECT_TRUE(w.post->RequestTroopEntry(t));
        else
            w.city->ApplyTroopEntry(t);
        EXPECT_EQ(t->statusBits, 0u);
        EXPECT_EQ(t->officer->Get(OfficerLayout::kAttack), 25);
    }
}

TEST(SubCastleUnits, ShownUnitsStandOnTheFormationAndTheEighthStaysHidden) {
    PostWorld w;
    Troop* governor = w.Unit(w.own, 12, 15);
    Troop* first = w.Unit(w.foe, 20, 20);
    ASSERT_TRUE(w.post->RequestTroopEntry(governor));
    ASSERT_TRUE(w.post->RequestTroopEntry(first));
    w.post->RelocateUnit(false);
    EXPECT_EQ(w.post->unitsShown, 1);
    // Rows hang from (座標x, 座標y / 2) = (10, 10).
    EXPECT_TRUE(w.b.OnCell(governor, 11, 14));
    EXPECT_EQ(governor->facing, 4);
    EXPECT_EQ(Count(w.own->fieldUnits, governor), 1); // once, or two owners would delete it
    EXPECT_TRUE(w.b.OnCell(first, 10, 13));
    EXPECT_EQ(first->arranged, 2);
    EXPECT_TRUE(InList(w.foe->fieldUnits, first));

    std::vector<Troop*> more;
    for (int i = 0; i < 7; ++i) {
        Troop* t = w.Unit(w.foe, 20 + i, 25);
        more.push_back(t);
        ASSERT_TRUE(w.post->RequestTroopEntry(t));
    }
    // The seventh in the list takes row 8; the eighth finds no row.
    EXPECT_TRUE(w.b.OnCell(more[5], 10, 15));
    EXPECT_EQ(more[5]->facing, 8);
    EXPECT_EQ(more[5]->hidden, 0);
    EXPECT_EQ(more[6]->hidden, 1);
    EXPECT_EQ(w.post->units.GetCount(), 8);

    w.post->RemoveUnitFromMap();
    EXPECT_EQ(w.post->unitsShown, 0);
    EXPECT_FALSE(w.b.OnCell(governor, 11, 14));
    EXPECT_FALSE(InList(w.foe->fieldUnits, first));
    EXPECT_TRUE(InList(w.own->fieldUnits, governor));
}

TEST(SubCastleUnits, ExitTakesTheFirstFreeOffsetOrWalksTheDiagonalWithinTheMap) {
    struct Case {
        const char* name;
        int x, y;                               // the place's cell (entrance x + 2, (y + 10) / 2)
        std::vector<std::pair<int, int>> walls; // unit cells whose map cell is an obstacle
        int exitX, exitY;
    };
    const std::vector<std::pair<int, int>> offsets = {{0, 0},  {1, 0},  {0, 1}, {1, -1},
                                                      {-1, 1}, {2, -1}, {-1, 2}};
    auto around = [&](int ex, int ey, std::vector<std::pair<int, int>> extra) {
        for (auto [dx, dy] : offsets)
            extra.push_back({ex + dx, ey + dy});
        return extra;
    };
    const Case cases[] = {
        {"entrance free", 10, 20, {}, 12, 15},
        {"second offset", 10, 20, {{12, 15}}, 13, 15},
        // All seven blocked: the walk passes (13, 16) and (14, 17), stops at free (15, 18), exits one beyond.
        {"diagonal", 10, 20, around(12, 15, {{13, 16}, {14, 17}}), 16, 19},
        // At the map's edge the walk finds nothing inside: the entrance serves.
        {"edge", 35, 60, around(37, 35, {{38, 36}, {39, 37}}), 37, 35},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PostWorld w;
        w.post->SetInt(SubCastleLayout::kX, c.x);
        w.post->SetInt(SubCastleLayout::kY, c.y);
        w.post->ComputeEntrance();
        for (auto [x, y] : c.walls)
            if (MapCell* cell = TheBattleMap->CellAt(x, 2 * y)) cell->obstacle = 1;
        Troop* unit = w.Unit(w.foe, 1, 30);
        ASSERT_TRUE(w.post->RequestTroopEntry(unit));
        // A sortie takes units standing on the formation.
        w.post->RelocateUnit(false);
        w.post->sortieOrder = 4;
        w.post->markedMode = 3;
        unit->pendingSortie = 1;
        w.post->Tick();
        EXPECT_EQ(unit->cellX, c.exitX);
        EXPECT_EQ(unit->cellY, c.exitY);
        EXPECT_TRUE(w.b.OnCell(unit, c.exitX, c.exitY));
        EXPECT_FALSE(InList(w.post->units, unit));
        EXPECT_TRUE(InList(w.foe->fieldUnits, unit));
        EXPECT_EQ(unit->pendingSortie, 0);
        // With nobody left to send, the marked mode ends.
        w.post->Tick();
        EXPECT_EQ(w.post->markedMode, 0);
    }
}

TEST(SubCastleUnits, SortiesGoOneACallUnlessThePlayerHoldsTheSelectedPlace) {
    PostWorld w;
    w.b.stage->playerSide = 1; // the post is the player's
    auto view = std::make_unique<MapView>();
    TheGameController->gameScreen = view.get();
    std::vector<Troop*> units;
    for (int i = 0; i < 3; ++i) {
        units.push_back(w.Unit(w.foe, 20 + i, 20));
        ASSERT_TRUE(w.post->RequestTroopEntry(units.back()));
    }
    w.post->RelocateUnit(false);
    for (Troop* t : units)
        t->pendingSortie = 1;

    // Mode 3 with the follow order on the selected place: the marks are only cleared.
    view->currentSubCastle = w.post;
    w.post->markedMode = 3;
    w.post->sortieOrder = 2;
    units[0]->pendingSortie = 0;
    w.post->Tick();
    EXPECT_EQ(units[1]->pendingSortie, 0);
    EXPECT_EQ(units[2]->pendingSortie, 0);
    EXPECT_EQ(w.post->units.GetCount(), 3);

    // Otherwise one unit leaves per call; a unit of the player's place counts as a deployment.
    view->currentSubCastle = nullptr;
    w.post->sortieOrder = 4;
    for (Troop* t : units)
        t->pendingSortie = 1;
    TheGameController->deploymentCount = 5;
    w.post->Tick();
    EXPECT_EQ(w.post->units.GetCount(), 2);
    EXPECT_FALSE(InList(w.post->units, units[0]));
    EXPECT_EQ(units[0]->pendingSortie, 0);
    EXPECT_EQ(TheGameController->deploymentCount, 6);
    EXPECT_EQ(TheGameController->deploymentNotice, 1);
    w.post->Tick();
    EXPECT_EQ(w.post->units.GetCount(), 1);
    EXPECT_EQ(TheGameController->deploymentCount, 7);
    TheGameController->gameScreen = nullptr;
}

TEST(SubCastleUnits, GarrisonPostUnitsLoseLoyaltyAndADefectorPaysTheTreasuryOnce) {
    PostWorld w;
    GameParams().In_Gail_Days_Ref = 3;
    Troop* prisoner = w.Unit(w.foe, 20, 20);
    prisoner->officer->Set(OfficerLayout::kLoyalty, 90);
    prisoner->officer->Set(OfficerLayout::kPersonNumber, 77); // not its kingdom's ruler
    ASSERT_TRUE(w.post->RequestTroopEntry(prisoner));
    TheBattleMap->sideActive[1] = 1;
    w.city->SetInt(CityLayout::kGold, 400);
    TheScreenSettings->day = 0; // not the city's day: no defection
    for (int d = 0; d < 3; ++d)
        w.post->TickGarrison();
    EXPECT_EQ(prisoner->officer->workCounters[2], 0);
    EXPECT_EQ(w.city->Int(CityLayout::kGold), 400);
    // On the city's day of the month the least loyal unit defects: (loyalty - 70) x 50 more gold,
    // once; the garrison period has already cost it one point (90 -> 89).
    TheScreenSettings->day = w.city->id % 30 + 1;
    w.post->TickGarrison();
    EXPECT_EQ(w.city->Int(CityLayout::kGold), 400 + (89 - 70) * 50);
    GameParams() = GameParameters();
}

TEST(SubCastleUnits, SpawnedUnitsComeFromTheGeneralsTemplatesWithTheirEscorts) {
    PostWorld w;
    std::vector<std::unique_ptr<OfficerRecord>> templates;
    for (int t = 0; t < 6; ++t) {
        templates.push_back(std::make_unique<OfficerRecord>(0, -1));
        templates.back()->Set(OfficerLayout::kSoldierType, 2);
        templates.back()->Set(OfficerLayout::kPersonNumber, 500 + t);
        GeneralTemplateTable[t] = templates.back()->block;
    }
    templates[3]->Set(OfficerLayout::kEscorts, 4);
    templates[3]->Set(OfficerLayout::kEscorts + 4, 5);
    templates[3]->Set(OfficerLayout::kEscorts + 8, 6); // no such template
    GeneralTemplateCount = 6;
    // Each listed general names the template of its unit in "兵種編號"; 0 and 700 name none.
    for (int number : {3, 700, 0}) {
        auto* g = new OfficerRecord(1, -1);
        g->Set(OfficerLayout::kSoldierType, number);
        w.post->generals.Add(uintptr_t(g));
    }
    w.post->leader = w.Unit(w.own, 5, 5);
    TheBattleMap->nextUnitId = 700;
    w.post->SpawnGarrison();
    EXPECT_EQ(w.post->leader, nullptr); // leaders come from entering units
    std::vector<Troop*> units;
    for (uintptr_t v = w.post->units.First(); v != 0; v = w.post->units.Next())
        units.push_back(reinterpret_cast<Troop*>(v));
    ASSERT_EQ(units.size(), 3u);
    EXPECT_EQ(units[0]->officer->Get(OfficerLayout::kPersonNumber), 503);
    EXPECT_EQ(units[1]->officer->Get(OfficerLayout::kPersonNumber), 0);
    EXPECT_EQ(units[2]->officer->Get(OfficerLayout::kPersonNumber), 0);
    for (size_t i = 0; i < units.size(); ++i) {
        EXPECT_EQ(units[i]->unitNumber, 700 + int(i));
        EXPECT_EQ(units[i]->ledUnit, 1);
        EXPECT_EQ(units[i]->homeCity, w.city->id);
    }
    ASSERT_NE(units[0]->followers, nullptr);
    ASSERT_EQ(units[0]->followers->GetCount(), 2);
    for (uintptr_t v = units[0]->followers->First(); v != 0; v = units[0]->followers->Next()) {
        auto* escort = reinterpret_cast<Troop*>(v);
        EXPECT_EQ(escort->unitNumber, 700);
        EXPECT_EQ(escort->mainTroop, units[0]);
        EXPECT_EQ(escort->ledUnit, 0);
    }
    ClearRecordTables();
    GeneralTemplateCount = 0;
}

// ---- Stage start -------------------------------------------------------------------------

TEST(CityStageStart, GarrisonSlotsFollowTheKindAndStayEmptyOffTheMap) {
    struct Case {
        const char* name;
        int kind, scale, x, y;
        std::vector<std::pair<int, int>> cells; // (-1, -1) an empty slot
        int strength, attackBonus;
    };
    const Case cases[] = {
        {"castle", 0, 2, 10, 20, {{10, 14}, {7, 16}, {10, 19}, {13, 16}}, 300 / 4, 2},
        {"scale 0 is 1", 0, 0, 10, 20, {{10, 14}, {7, 16}, {10, 19}, {13, 16}}, 200 / 4, 1},
        {"scale 7 is 4", 0, 7, 10, 20, {{10, 14}, {7, 16}, {10, 19}, {13, 16}}, 500 / 4, 4},
        {"fort", 1, 1, 10, 20, {{8, 13}, {12, 13}}, 120 / 2, 0},
        {"village", 2, 1, 10, 20, {{9, 12}, {11, 12}}, 60 / 2, 0},
        {"at the left edge", 0, 1, 1, 20, {{1, 14}, {-1, -1}, {1, 19}, {4, 16}}, 50, 1},
        {"post", 4, 1, 10, 20, {}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Battle b;
        TheGameController->campaignStage = 12; // the stage's garrison bonus: entry 1, 2 points
        Kingdom* k = b.AddKingdom(1);
        City* city = AddCity(b, k, c.x, c.y, c.kind);
        city->SetInt(CityLayout::kScale, c.scale);
        city->SpawnGenerals();
        if (c.kind == 0) EXPECT_EQ(city->Scale(), std::clamp(c.scale, 1, 4));
        for (size_t i = 0; i < 4; ++i) {
            Troop* t = city->garrison[i];
            if (i >= c.cells.size() || c.cells[i].first < 0) {
                EXPECT_EQ(t, nullptr) << i;
                continue;
            }
            ASSERT_NE(t, nullptr) << i;
            EXPECT_EQ(t->cellX, c.cells[i].first);
            EXPECT_EQ(t->cellY, c.cells[i].second);
            EXPECT_EQ(t->officer->Get(OfficerLayout::kHp), c.strength);
            EXPECT_EQ(t->officer->Get(OfficerLayout::kMaxHp), c.strength);
            EXPECT_EQ(t->officer->Get(OfficerLayout::kAttack), c.attackBonus + 2);
            EXPECT_EQ(t->officer->Get(OfficerLayout::kDefence), 2);
            EXPECT_EQ(t->homeCity, city->id);
            EXPECT_TRUE(InList(k->fieldUnits, t));
        }
        // In a team game the garrison grows yearly only once the stage has run a year.
        TheGameController->gameKind = 1;
        b.stage->monthsElapsed = 11;
        city->TickGarrison();
        if (city->garrison[2]) EXPECT_EQ(city->garrison[2]->officer->Get(OfficerLayout::kDefence), 2);
        b.stage->monthsElapsed = 12;
        city->TickGarrison();
        if (city->garrison[2]) EXPECT_EQ(city->garrison[2]->officer->Get(OfficerLayout::kDefence), 3);
        city->ReleaseGarrison();
        for (Troop* t : city->garrison)
            EXPECT_EQ(t, nullptr);
        EXPECT_EQ(k->fieldUnits.GetCount(), 0);
    }
}

TEST(CityStageStart, GeneralsGetLevelsExperienceAndEscortsSharingTheirUnitNumber) {
    Battle b;
    Kingdom* k = b.AddKingdom(1);
    City* city = AddCity(b, k, 10, 20);
    // Templates 1..4; a general with three valid escorts and one out of range.
    std::vector<std::unique_ptr<OfficerRecord>> templates;
    for (int t = 0; t < 5; ++t) {
        templates.push_back(std::make_unique<OfficerRecord>(0, -1));
        templates.back()->Set(OfficerLayout::kSoldierType, 1);
        GeneralTemplateTable[t] = templates.back()->block;
    }
    GeneralTemplateCount = 5;
    auto addGeneral = [&](int person, int level, int famous, std::vector<int> escorts) {
        auto* g = new OfficerRecord(1, -1);
        g->Set(OfficerLayout::kPersonNumber, person);
        g->Set(OfficerLayout::kSoldierType, 1);
        g->Set(OfficerLayout::kLevel, level);
        g->Set(OfficerLayout::kFamous, famous);
        for (size_t e = 0; e < escorts.size(); ++e)
            g->Set(OfficerLayout::kEscorts + 4 * uint32_t(e), escorts[e]);
        city->generals.Add(uintptr_t(g));
    };
    addGeneral(31, 1, 0, {2, 3, 9, 4});
    addGeneral(32, 1, 1, {});
    addGeneral(33, 4, 0, {});
    addGeneral(34, 14, 0, {});
    city->SetInt(CityLayout::kGovernor, 32);
    TheGameController->campaignStage = 24; // entry 1 of the level tables
    TheBattleMap->nextUnitId = 600;
    city->CreateGenerals();

    std::vector<Troop*> units;
    for (uintptr_t v = city->units.First(); v != 0; v = city->units.Next())
        units.push_back(reinterpret_cast<Troop*>(v));
    ASSERT_EQ(units.size(), 4u);
    EXPECT_EQ(units[0]->unitNumber, 600);
    EXPECT_EQ(units[1]->unitNumber, 601);
    EXPECT_EQ(units[2]->unitNumber, 602);
    EXPECT_EQ(TheBattleMap->nextUnitId, 604);
    ASSERT_NE(units[0]->followers, nullptr);
    ASSERT_EQ(units[0]->followers->GetCount(), 3);
    for (uintptr_t v = units[0]->followers->First(); v != 0; v = units[0]->followers->Next()) {
        auto* escort = reinterpret_cast<Troop*>(v);
        EXPECT_EQ(escort->unitNumber, 600);
        EXPECT_EQ(escort->mainTroop, units[0]);
        EXPECT_EQ(escort->homeCity, city->id);
    }
    // Levels by stage: a captain 3, a famous general 2; a stored level other than 1 stays.
    EXPECT_EQ(units[0]->officer->Get(OfficerLayout::kLevel), 3);
    EXPECT_EQ(units[1]->officer->Get(OfficerLayout::kLevel), 2);
    EXPECT_EQ(units[2]->officer->Get(OfficerLayout::kLevel), 4);
    EXPECT_EQ(units[0]->officer->Get(OfficerLayout::kExperience), 300);
    EXPECT_EQ(units[1]->officer->Get(OfficerLayout::kExperience), 200);
    EXPECT_EQ(units[2]->officer->Get(OfficerLayout::kExperience), 450);
    // Past level 11 the parameter table goes on; the general object keeps the floor, so the next
    // gain counts from it.
    EXPECT_EQ(units[3]->officer->Get(OfficerLayout::kExperience), 25949);
    for (Troop* u : units)
        EXPECT_EQ(u->officer->bonusExperience, u->officer->Get(OfficerLayout::kExperience));
    units[3]->officer->Set(OfficerLayout::kAttribute, 1); // a general: his experience counts
    units[3]->officer->UpdateExperience(0, 0, 0, 10);
    EXPECT_EQ(units[3]->officer->Get(OfficerLayout::kExperience), 25959);
    EXPECT_EQ(city->currentUnit, units[1]);
    ClearRecordTables();
    GeneralTemplateCount = 0;
}

TEST(CityStageStart, StartStageSetsTheExitFootprintAndThePlayersSight) {
    struct Case {
        int kind, exitX, exitY, size;
    };
    for (const Case& c : {Case{0, 13, 19, 12}, Case{1, 12, 15, 7}, Case{3, 12, 14, 6}}) {
        SCOPED_TRACE(c.kind);
        Battle b;
        Kingdom* player = b.AddKingdom(1, true);
        Kingdom* foe = b.AddKingdom(2);
        auto view = std::make_unique<MapView>();
        TheGameController->gameScreen = view.get();
        City* own = AddCity(b, player, 10, 20, c.kind);
        City* other = AddCity(b, foe, 25, 50, c.kind);
        auto* sub = new SubCastle(0);
        sub->SetInt(SubCastleLayout::kKind, 4);
        sub->SetInt(SubCastleLayout::kX, 30);
        sub->SetInt(SubCastleLayout::kY, 30);
        own->subCastles.Add(uintptr_t(sub));
        own->StartStage();
        const uint8_t seen = TheBattleMap->CellAt(25, 50)->sightCount;
        other->StartStage();
        EXPECT_EQ(TheBattleMap->CellAt(25, 50)->sightCount, seen);
        EXPECT_EQ(own->exitX, c.exitX);
        EXPECT_EQ(own->exitY, c.exitY);
        // The footprint's top cell and the bottom cell of its first column carry the city id.
        EXPECT_EQ(TheBattleMap->CellAt(10, 20)->cityId, own->id);
        EXPECT_EQ(TheBattleMap->CellAt(25, 50)->cityId, other->id);
        // The player sees around its own city, not around the other kingdom's.
        EXPECT_GE(TheBattleMap->CellAt(10, 20)->sightCount, 2);
        own->DrawMapMarker(0);
        EXPECT_LT(TheBattleMap->CellAt(10, 20)->sightCount, 2);
        // While the controller holds city sight, the marker adds nothing.
        TheGameController->citySightHold = 1;
        own->DrawMapMarker(1);
        EXPECT_LT(TheBattleMap->CellAt(10, 20)->sightCount, 2);
        TheGameController->citySightHold = 0;
        // The sub-castle takes the owner and stamps its own area.
        EXPECT_EQ(sub->ownerSide, 1);
        EXPECT_EQ(sub->cityId, own->id);
        EXPECT_EQ(TheBattleMap->CellAt(30, 30)->cityId, own->id);
        TheGameController->gameScreen = nullptr;
    }
}

} // namespace
