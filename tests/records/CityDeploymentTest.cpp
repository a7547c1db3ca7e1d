// Units sent out of a city by the city's AI and by the player's marks, units admitted from a
// sub-castle, and the records that carry them to the other stations.
#include "CityUnitsFixture.h"

#include "world/BattleMap.h"

#include <gtest/gtest.h>

using namespace cityunits;

namespace {

TEST(CityDeployment, RaidersLeaveOneOfEachKindAndCountsSettle) {
    struct Case {
        int others, generals;        // raid counts
        int otherUnits, fitGenerals; // units not hidden inside
        int tiredGenerals;
        int leftOthers, leftGenerals; // raid counts after the call
        int leave;                    // units that left
    };
    const Case cases[] = {
        {3, 0, 2, 0, 0, 0, 0, 1}, // one leaves, then both counts are cleared
        {0, 2, 0, 0, 1, 0, 2, 0}, // nobody at full strength: the counts wait
        {2, 0, 0, 1, 0, 0, 1, 1}, // no other unit: the count passes to the generals
        {1, 1, 1, 1, 0, 0, 0, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.others << "/" << c.generals);
        Stage s;
        City* city = s.City(s.foe, 20, 20, 0);
        for (int i = 0; i < c.otherUnits; ++i)
            s.Inside(city, 2)->hidden = 0;
        for (int i = 0; i < c.fitGenerals; ++i)
            s.Inside(city, 1)->hidden = 0;
        for (int i = 0; i < c.tiredGenerals; ++i) {
            Troop* t = s.Inside(city, 1);
            t->hidden = 0;
            t->officer->Set(OfficerLayout::kHp, 50);
        }
        s.Inside(city, 2); // hidden: never a raider
        const int before = city->units.GetCount();
        city->lastAttackerX = 25;
        city->lastAttackerY = 15;
        city->raidOthers = c.others;
        city->raidGenerals = c.generals;
        city->DeployRaiders();
        EXPECT_EQ(city->raidOthers, c.leftOthers);
        EXPECT_EQ(city->raidGenerals, c.leftGenerals);
        EXPECT_EQ(before - city->units.GetCount(), c.leave);
        EXPECT_EQ(s.foe->fieldUnits.GetCount(), c.leave);
    }
}

TEST(CityDeployment, SortieWaitsForEnoughReadyUnitsAndKeepsTheCastlesCurrentUnit) {
    struct Case {
        int kind, sortie, ready;
        bool currentReady;
        int leave;
    };
    const Case cases[] = {
        {1, 3, 2, false, 0}, // a third unit must be ready first
        {1, 2, 2, false, 1},
        {0, 1, 0, true, 0}, // the castle's current unit stays home
        {6, 1, 0, true, 1}, // elsewhere it may go
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind << " " << c.sortie);
        Stage s;
        TheBattleMap->sideActive[2] = 1;
        City* city = s.City(s.foe, 20, 20, c.kind);
        if (c.currentReady) {
            city->currentUnit = s.Inside(city);
            city->currentUnit->hidden = 0;
        }
        for (int i = 0; i < c.ready; ++i)
            s.Inside(city)->hidden = 0;
        const int before = city->units.GetCount();
        city->sortieCount = c.sortie;
        city->DeploySortie();
        EXPECT_EQ(before - city->units.GetCount(), c.leave);
        EXPECT_EQ(city->sortieCount, c.sortie - c.leave);
    }
}

TEST(CityDeployment, MarkedUnitsLeaveOneACallAndThoseFollowingTheirOwnCityStay) {
    Stage s;
    City* city = s.City(s.own, 20, 20, 0);
    Troop* a = s.Inside(city);
    Troop* b = s.Inside(city);
    Troop* home = s.Inside(city);
    for (Troop* t : {a, b, home}) {
        t->hidden = 0;
        t->pendingSortie = 1;
    }
    home->targetObject = city;
    a->goalX = 30;
    a->goalY = 30;
    city->markedMode = 3;
    city->deployOrder = 5; // move to the destination cell
    city->DeployMarkedUnits();
    EXPECT_FALSE(s.InUnits(city, a));
    EXPECT_TRUE(s.InUnits(city, b));
    EXPECT_EQ(a->goalX, 30);
    EXPECT_EQ(TheGameController->deploymentCount, 1);
    EXPECT_EQ(a->pendingSortie, 1); // its group flag
    city->DeployMarkedUnits();
    city->DeployMarkedUnits();
    EXPECT_EQ(city->units.GetCount(), 0);
    EXPECT_EQ(city->markedMode, 3);
    city->DeployMarkedUnits();
    EXPECT_EQ(city->markedMode, 0);

    City* other = s.City(s.own, 10, 60, 0);
    Troop* stay = s.Inside(other);
    stay->hidden = 0;
    stay->pendingSortie = 1;
    stay->targetObject = other;
    other->markedMode = 3;
    other->deployOrder = 2;
    other->DeployMarkedUnits();
    EXPECT_TRUE(s.InUnits(other, stay));
    EXPECT_EQ(stay->pendingSortie, 0);
}

TEST(CityDeployment, AdmittedUnitBecomesTheCitysAndTheHostSendsIt) {
    Stage s;
    City* city = s.City(s.foe, 20, 20, 0);
    auto* post = new SubCastle(0);
    post->SetInt(SubCastleLayout::kKind, 5);
    city->subCastles.Add(uintptr_t(post));
    Troop* held = s.Field(s.own, 3, 3);
    s.own->fieldUnits.RemoveValue(uintptr_t(held));
    TheBattleMap->RemoveObjectAt(3, 3, uintptr_t(held));
    held->hidden = 1;
    post->units.Add(uintptr_t(held));
    held->officer->StatusWord() = 1;
    held->officer->Set(OfficerLayout::kPolicy, 2);
    held->statusBits = 0x40;
    s.Networked(true);
    city->RequestAdmitUnit(held, post);
    EXPECT_TRUE(s.InUnits(city, held));
    EXPECT_FALSE(Stage::Holds(post->units, held));
    EXPECT_EQ(held->owner, 2);
    EXPECT_EQ(held->homeCity, city->id);
    EXPECT_EQ(held->officer->StatusWord(), 0);
    EXPECT_EQ(held->OfficerValue(OfficerLayout::kPolicy), 0);
    EXPECT_EQ(held->statusBits, 0u);
    ASSERT_EQ(testsupport::SentRecords().size(), 1u);
    EXPECT_EQ(testsupport::SentRecords()[0],
              PackGameRecord(kRecordAdmitUnit, {Stage::Index(city), held->UnitId()}));
}

} // namespace
