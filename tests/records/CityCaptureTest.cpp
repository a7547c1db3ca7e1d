// A kingdom takes a city: its units and prisoners, its garrison, towers, gates, gold and the
// ties between main castles and their villages.
#include "CityUnitsFixture.h"

#include "troops/CastleGate.h"
#include "world/BattleMap.h"

#include <gtest/gtest.h>

using namespace cityunits;

namespace {

SubCastle* Prison(City* city) {
    auto* sub = new SubCastle(0);
    sub->SetInt(SubCastleLayout::kKind, 5);
    city->subCastles.Add(uintptr_t(sub));
    return sub;
}

Troop* Held(Stage& s, SubCastle* prison, Kingdom* side) {
    auto* t = new Troop(0, 10, 0, 0, int8_t(side->nationIndex), 0, 0, s.Officer(side->nationIndex, 1, 1));
    t->ledUnit = 1;
    t->hidden = 1;
    t->inCity = 1;
    t->garrison = 2;
    t->officer->StatusWord() = 1;
    prison->units.Add(uintptr_t(t));
    return t;
}

TEST(CityCapture, MainCastlePrisonSwapsItsPrisonersWithTheFallenGenerals) {
    Stage s;
    Kingdom* third = s.AddKingdom(3);
    City* castle = s.City(s.foe, 20, 20, 0);
    castle->SetInt(CityLayout::kGold, 700);
    s.foe->goldTotal = 1000;
    s.own->goldTotal = 100;
    SubCastle* prison = Prison(castle);
    Troop* ours = Held(s, prison, s.own);
    Troop* theirs = Held(s, prison, third);
    Troop* general = s.Inside(castle, 1);
    Troop* soldier = s.Inside(castle, 2); // not a general: leaves the game
    s.Escort(soldier);
    soldier->selected = 1;
    TheGameController->selection->Add(uintptr_t(soldier));
    Troop* taker = s.Field(s.own, 20, 12);

    s.own->TakeCity(taker, castle);

    EXPECT_EQ(castle->ownerSide, 1);
    EXPECT_TRUE(Stage::Holds(s.own->cities, castle));
    EXPECT_FALSE(Stage::Holds(s.foe->cities, castle));
    EXPECT_EQ(s.foe->goldTotal, 300);
    EXPECT_EQ(s.own->goldTotal, 800);
    // Freed into the city.
    EXPECT_TRUE(s.InUnits(castle, ours));
    EXPECT_EQ(ours->officer->StatusWord(), 0);
    EXPECT_EQ(ours->garrison, 1);
    EXPECT_EQ(castle->units.GetCount(), 1);
    // The fallen general joins the prison; the other prisoner now answers to the taker.
    EXPECT_TRUE(Stage::Holds(prison->units, general));
    EXPECT_FALSE(Stage::Holds(prison->units, ours));
    EXPECT_EQ(general->officer->StatusWord(), 1);
    EXPECT_EQ(general->OfficerValue(OfficerLayout::kPolicy), 1);
    EXPECT_EQ(general->garrison, 2);
    EXPECT_EQ(general->spareWord, 70);
    EXPECT_EQ(general->state, 14);
    EXPECT_EQ(general->owner, 2);
    EXPECT_EQ(theirs->OfficerValue(OfficerLayout::kPolicy), 1);
    EXPECT_EQ(TheGameController->selection->GetCount(), 0);
}

TEST(CityCapture, UnitsGoWithTheCityOrOutAsPrisonersByKind) {
    struct Case {
        int kind;
        bool prison;
        bool unitsStay;
    };
    const Case cases[] = {{0, false, true}, {3, false, false}, {2, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        Stage s;
        City* city = s.City(s.foe, 20, 20, c.kind);
        if (c.prison) Prison(city);
        Troop* a = s.Inside(city);
        Troop* follower = s.Inside(city);
        follower->ledUnit = 0; // put out, it would stay in the list: one walk only
        s.own->TakeCity(s.Field(s.own, 20, 12), city);
        if (c.unitsStay) {
            EXPECT_TRUE(s.InUnits(city, a));
            EXPECT_TRUE(s.InUnits(city, follower));
            EXPECT_EQ(a->spareWord, 0);
            continue;
        }
        EXPECT_EQ(city->units.GetCount(), 0);
        for (Troop* t : {a, follower}) {
            EXPECT_TRUE(s.InField(s.foe, t));
            EXPECT_EQ(t->owner, 2);
            EXPECT_EQ(t->spareWord, 70);
            EXPECT_EQ(t->officer->StatusWord(), 1);
            EXPECT_EQ(t->OfficerValue(OfficerLayout::kPolicy), 1);
            EXPECT_EQ(t->hidden, 0);
        }
    }
}

TEST(CityCapture, AFortGetsAFreshTiredGarrisonAndTowersAndGatesChangeSides) {
    Stage s;
    City* fort = s.City(s.foe, 20, 20, 1);
    fort->SpawnGenerals();
    ASSERT_NE(fort->garrison[0], nullptr);
    for (Troop* g : fort->garrison)
        if (g) g->officer->Set(OfficerLayout::kAttack, 999); // marks the old garrison
    Troop* tower = s.Field(s.foe, 22, 8);
    fort->towers[2] = tower;
    auto* near = new CastleGate;
    near->cellX = 21;
    near->cellY = 9;
    TheBattleMap->CellAt(21, 18)->cityId = uint8_t(fort->id);
    auto* far = new CastleGate;
    far->cellX = 2;
    far->cellY = 2;
    s.foe->gates.Add(uintptr_t(near));
    s.foe->gates.Add(uintptr_t(far));

    s.own->TakeCity(s.Field(s.own, 20, 12), fort);

    ASSERT_NE(fort->garrison[0], nullptr);
    for (Troop* g : fort->garrison) {
        if (!g) continue;
        EXPECT_EQ(g->owner, 1);
        EXPECT_NE(g->OfficerValue(OfficerLayout::kAttack), 999);
        // A fresh garrison starts without strength.
        EXPECT_EQ(g->OfficerValue(OfficerLayout::kHp), 0);
        EXPECT_TRUE(s.InField(s.own, g));
    }
    EXPECT_EQ(fort->sortieCount, 1);
    EXPECT_EQ(tower->owner, 1);
    EXPECT_TRUE(s.InField(s.own, tower));
    EXPECT_FALSE(s.InField(s.foe, tower));
    EXPECT_TRUE(Stage::Holds(s.own->gates, near));
    EXPECT_EQ(near->ownerSide, 1);
    EXPECT_TRUE(Stage::Holds(s.foe->gates, far));
    EXPECT_EQ(fort->markedMode, 1);
}

TEST(CityCapture, VillagesFollowTheirMainCastlesInTeamGames) {
    for (int gameKind : {1, 0}) {
        SCOPED_TRACE(gameKind);
        Stage s;
        TheGameController->gameKind = gameKind;
        City* ownCastle = s.City(s.own, 10, 10, 0);
        City* foeCastle = s.City(s.foe, 30, 10, 0);
        City* foeSecond = s.City(s.foe, 30, 60, 0);
        City* village = s.City(s.foe, 20, 40, 6);
        City* dependant = s.City(s.foe, 35, 30, 6);
        village->parent = foeCastle;
        foeCastle->dependants.Add(uintptr_t(village));
        foeCastle->dependants.Add(uintptr_t(dependant));
        dependant->parent = foeCastle;
        Troop* taker = s.Field(s.own, 20, 30);
        taker->homeCity = int16_t(ownCastle->id);

        s.own->TakeCity(taker, village);
        s.own->TakeCity(taker, foeCastle);
        if (gameKind == 0) {
            EXPECT_EQ(village->parent, foeCastle);
            EXPECT_EQ(ownCastle->dependants.GetCount(), 0);
            continue;
        }
        EXPECT_EQ(village->parent, ownCastle);
        EXPECT_TRUE(Stage::Holds(ownCastle->dependants, village));
        // The fallen castle's remaining village passes to the old owner's next main castle.
        EXPECT_EQ(dependant->parent, foeSecond);
        EXPECT_TRUE(Stage::Holds(foeSecond->dependants, dependant));
        EXPECT_EQ(foeCastle->dependants.GetCount(), 0);
    }
}

} // namespace
