// Units going into and out of a city, its formation, the exit, the equipment stock and the
// waiting units' sortie.
#include "CityUnitsFixture.h"

#include <gtest/gtest.h>

using namespace cityunits;

namespace {

TEST(CityEntry, EnteringUnitTakesItsKindsFormationRowOrStaysHidden) {
    struct Case {
        int kind;
        bool withCurrent;
        int others;
        bool shown;
        int row; // -1: hidden inside
    };
    const Case cases[] = {
        {0, true, 14, true, 16},  {0, true, 15, true, -1}, {0, false, 3, true, 5},
        {1, false, 7, true, 8},   {1, false, 8, true, -1}, {6, false, 0, true, 1},
        {8, false, 2, true, 3},   {8, false, 3, true, -1}, // a camp's table has four rows
        {0, false, 0, false, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " others " << c.others);
        Stage s;
        City* city = s.City(s.own, 20, 20, c.kind);
        if (c.withCurrent) city->currentUnit = s.Inside(city);
        for (int i = 0; i < c.others; ++i)
            s.Inside(city);
        city->unitsShown = c.shown ? 1 : 0;
        Troop* t = s.Field(s.own, 5, 5);
        city->ApplyTroopEntry(t);
        ASSERT_TRUE(s.InUnits(city, t));
        EXPECT_EQ(t->homeCity, city->id);
        if (c.row < 0) {
            EXPECT_EQ(t->hidden, 1);
            EXPECT_EQ(t->inCity, 1);
            EXPECT_FALSE(s.OnCell(t, 5, 5));
            EXPECT_FALSE(s.InField(s.own, t));
        } else {
            const Row r = FormationRow(c.kind, c.row);
            EXPECT_EQ(t->inCity, 0);
            EXPECT_EQ(t->cellX, 20 + r.dx);
            EXPECT_EQ(t->cellY, 10 + r.dy);
            EXPECT_EQ(t->facing, r.facing);
            EXPECT_TRUE(s.OnCell(t, t->cellX, t->cellY));
        }
    }
}

// Going in, the player's troops and his allies' mark their sight afresh; an enemy's marks nothing.
TEST(CityEntry, TheEnteringTroopMarksThePlayersSightForThePlayerAndAlliesOnly) {
    for (bool players : {true, false}) {
        SCOPED_TRACE(players);
        Stage s;
        Stage::War(s.own, s.foe);
        Kingdom* side = players ? s.own : s.foe;
        City* city = s.City(side, 20, 20, 0);
        Troop* t = s.Field(side, 5, 5);
        Troop* escort = s.Escort(t);
        for (Troop* each : {t, escort})
            each->sightRadius = 3;
        ASSERT_EQ(t->sightMark.marked, 0);
        city->ApplyTroopEntry(t);
        EXPECT_EQ(t->sightMark.marked, players ? 1 : 0);
        EXPECT_EQ(escort->sightMark.marked, players ? 1 : 0);
    }
}

TEST(CityEntry, PersonFourFortyOneOnlyLeavesTheMapAndEscortsGoInside) {
    Stage s;
    City* city = s.City(s.own, 20, 20, 0);
    Troop* ghost = s.Field(s.own, 5, 5);
    ghost->officer->Set(OfficerLayout::kPersonNumber, 441);
    city->ApplyTroopEntry(ghost);
    EXPECT_FALSE(s.InUnits(city, ghost));
    EXPECT_FALSE(s.OnCell(ghost, 5, 5));
    EXPECT_EQ(ghost->hidden, 1);
    EXPECT_EQ(ghost->inCity, 0);
    EXPECT_EQ(ghost->homeCity, 0);

    Troop* unit = s.Field(s.own, 6, 6);
    Troop* escort = s.Escort(unit);
    city->ApplyTroopEntry(unit);
    EXPECT_EQ(escort->homeCity, city->id);
    EXPECT_EQ(escort->hidden, 1);
    EXPECT_FALSE(s.InField(s.own, escort));
    EXPECT_FALSE(s.OnCell(escort, 6, 6));
}

TEST(CityEntry, AnEnemyAtWarRebuildsAFortsGarrisonAFriendDoesNot) {
    for (bool war : {true, false}) {
        SCOPED_TRACE(war);
        Stage s;
        City* fort = s.City(s.own, 20, 20, 1);
        fort->SpawnGenerals();
        Troop* before = fort->garrison[0];
        ASSERT_NE(before, nullptr);
        before->officer->Set(OfficerLayout::kHp, 1);
        if (war) Stage::War(s.own, s.foe);
        Troop* t = s.Field(s.foe, 5, 5);
        fort->ApplyTroopEntry(t);
        ASSERT_NE(fort->garrison[0], nullptr);
        EXPECT_EQ(fort->garrison[0]->OfficerValue(OfficerLayout::kHp) > 1, war);
    }
}

TEST(CityUnits, ArrangeShowsTheTablesRowsAndRemoveTakesThemAllBackInside) {
    Stage s;
    City* camp = s.City(s.own, 20, 20, 8);
    std::vector<Troop*> in;
    for (int i = 0; i < 6; ++i)
        in.push_back(s.Inside(camp));
    camp->ArrangeUnits(false);
    EXPECT_EQ(camp->unitsShown, 1);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const bool placed = i < 3; // rows 1..3; the rest stay inside
        EXPECT_EQ(in[i]->inCity, placed ? 0 : 1);
        EXPECT_EQ(s.InField(s.own, in[i]), placed);
        EXPECT_EQ(in[i]->arranged, placed ? 1 : 0);
        EXPECT_EQ(in[i]->hidden, placed ? 0 : 1);
        if (placed) {
            const Row r = FormationRow(8, i + 1);
            EXPECT_TRUE(s.OnCell(in[i], 20 + r.dx, 10 + r.dy));
        }
    }
    camp->RemoveUnitFromMap();
    EXPECT_EQ(camp->unitsShown, 0);
    for (Troop* t : in) {
        EXPECT_EQ(t->inCity, 1);
        EXPECT_EQ(t->hidden, 1);
        EXPECT_FALSE(s.InField(s.own, t));
        EXPECT_FALSE(s.OnCell(t, t->cellX, t->cellY));
        EXPECT_TRUE(s.InUnits(camp, t));
    }

    // A castle's current unit takes row 0 and the others follow from row 1.
    City* castle = s.City(s.own, 10, 40, 0);
    Troop* a = s.Inside(castle);
    Troop* current = s.Inside(castle);
    castle->currentUnit = current;
    castle->ArrangeUnits(true);
    EXPECT_TRUE(s.OnCell(current, 10 + FormationRow(0, 0).dx, 20 + FormationRow(0, 0).dy));
    EXPECT_TRUE(s.OnCell(a, 10 + FormationRow(0, 1).dx, 20 + FormationRow(0, 1).dy));
}

TEST(CityExit, UnitLeavesByTheFirstFreeExitAndItsCompanyFollows) {
    Stage s;
    City* city = s.City(s.own, 20, 20, 0);
    // (0, 0) and (1, 0) are taken; (0, 1) is free.
    s.Field(s.foe, 20, 10);
    s.Block(21, 10);
    Troop* unit = s.Inside(city);
    Troop* escort = s.Escort(unit);
    escort->hidden = 1;
    city->currentUnit = unit;
    city->toggleFlag = 1;
    city->PutUnitOnMap(unit);
    EXPECT_TRUE(s.OnCell(unit, 20, 11));
    EXPECT_TRUE(s.OnCell(escort, 20, 11));
    EXPECT_FALSE(s.InUnits(city, unit));
    EXPECT_TRUE(s.InField(s.own, unit));
    EXPECT_TRUE(s.InField(s.own, escort));
    EXPECT_EQ(unit->hidden, 0);
    EXPECT_EQ(escort->hidden, 0);
    EXPECT_EQ(city->currentUnit, nullptr);
    EXPECT_EQ(city->toggleFlag, 0);

    // With every exit offset and diagonal cell blocked the unit stands on the city cell.
    City* boxed = s.City(s.own, 10, 60, 2);
    for (auto [dx, dy] : {std::pair{0, 0}, {1, 0}, {0, 1}, {1, -1}, {-1, 1}, {2, -1}, {-1, 2}})
        s.Block(10 + dx, 30 + dy);
    for (int k = 0; k <= 8; ++k)
        s.Block(10 + k, 30 + k);
    Troop* out = s.Inside(boxed);
    boxed->PutUnitOnMap(out);
    EXPECT_TRUE(s.OnCell(out, 10, 30));

    // A unit that leads nobody leaves the list too: its kingdom's list alone holds it on the map.
    Troop* single = s.Inside(boxed);
    single->ledUnit = 0;
    boxed->PutUnitOnMap(single);
    EXPECT_FALSE(s.InUnits(boxed, single));
    EXPECT_TRUE(s.InField(s.own, single));
}

TEST(CityExit, StockEquipsALeavingUnitByClassAndSlot) {
    struct Case {
        int job;
        std::vector<int> stock;            // item numbers in the keeper's list
        std::vector<int> weaponHelmetBelt; // what lands in 武器, 頭盔, 腰帶1
        std::vector<int> left;
    };
    // Items: 10 weapon for all, 11 weapon for class 1 only, 12 helmet for class 2 only,
    // 13 helmet for all, 242 a belt.
    const Case cases[] = {
        {1, {11, 12, 13, 242}, {11, 13, 242}, {12}},
        {0, {11, 12, 10}, {10, 0, 0}, {11, 12}},
        {2, {12, 11}, {0, 12, 0}, {11}},
        {3, {13}, {0, 13, 0}, {}}, // a helmet never lands in the weapon field
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.job);
        Stage s;
        s.Item(10, 1, {0});
        s.Item(11, 1, {1});
        s.Item(12, 2, {2});
        s.Item(13, 2, {0});
        s.Item(242, 9, {});
        City* city = s.City(s.own, 20, 20, 0);
        Troop* keeper = s.Keeper(city, c.stock);
        Troop* unit = s.Inside(city);
        unit->officer->Set(OfficerLayout::kClass, c.job);
        city->EquipFromStock(unit);
        EXPECT_EQ(unit->officer->Get(OfficerLayout::kWeapon), c.weaponHelmetBelt[0]);
        EXPECT_EQ(unit->officer->Get(OfficerLayout::kWeapon + 4), c.weaponHelmetBelt[1]);
        EXPECT_EQ(unit->officer->Get(264), c.weaponHelmetBelt[2]);
        EXPECT_EQ(s.Carried(keeper), c.left);
    }
}

TEST(CityExit, WaitingUnitsLeaveDailyAndTheHostSendsThem) {
    Stage s;
    City* city = s.City(s.own, 20, 20, 0);
    Troop* waiting = s.Inside(city);
    waiting->hidden = 0;
    waiting->pendingSortie = 2;
    Troop* hidden = s.Inside(city);
    hidden->pendingSortie = 1;
    Troop* idle = s.Inside(city);
    idle->hidden = 0;
    s.Networked(true);
    city->DeployWaitingUnits();
    EXPECT_FALSE(s.InUnits(city, waiting));
    EXPECT_TRUE(s.InField(s.own, waiting));
    EXPECT_TRUE(s.InUnits(city, hidden));
    EXPECT_TRUE(s.InUnits(city, idle));
    ASSERT_EQ(testsupport::SentRecords().size(), 1u);
    EXPECT_EQ(testsupport::SentRecords()[0],
              PackGameRecord(kRecordDeployUnit, {Stage::Index(city), waiting->UnitId(), 1}));
}

} // namespace
