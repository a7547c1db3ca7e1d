#include "TroopFightFixture.h"

#include "troops/DiamondRing.h"
#include "troops/TroopSearch.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using trooptest::Field;
using Cells = std::vector<std::pair<int, int>>;

TEST(TroopSearch, RingsWalkTheirFourRunsInOrder) {
    const Cells golden[3] = {
        {{-1, 0}, {0, -1}, {1, 0}, {0, 1}},
        {{-2, 0}, {-1, 1}, {-1, -1}, {0, -2}, {2, 0}, {1, -1}, {1, 1}, {0, 2}},
        {{-3, 0},
         {-2, 1},
         {-1, 2},
         {-2, -1},
         {-1, -2},
         {0, -3},
         {3, 0},
         {2, -1},
         {1, -2},
         {2, 1},
         {1, 2},
         {0, 3}},
    };
    for (int r = 1; r <= 3; ++r) {
        Cells got;
        WalkRing(r, [&](int dx, int dy) {
            got.push_back({dx, dy});
            return true;
        });
        EXPECT_EQ(got, golden[r - 1]) << "ring " << r;
    }
}

// The cells of a sector in the order they are tried: each found cell is blocked and the search
// runs again until none is left.
TEST(TroopSearch, SectorsListTheirCellsInOrder) {
    const Cells golden[8] = {
        {{-1, -1}, {0, -1}, {-2, -2}, {-1, -2}, {0, -2}, {1, -2}},
        {{1, 0}, {2, 0}, {1, -1}, {3, 0}, {2, -1}, {1, -2}},
        {{1, -1}, {1, 0}, {2, -2}, {2, -1}, {2, 0}, {2, 1}},
        {{1, 0}, {2, 0}, {1, 1}, {3, 0}, {2, 1}, {1, 2}},
        {{-1, 1}, {0, 1}, {-2, 2}, {-1, 2}, {0, 2}, {1, 2}},
        {{-1, 0}, {-2, 0}, {-1, 1}, {-3, 0}, {-2, 1}, {-1, 2}},
        {{-1, -1}, {-1, 0}, {-2, -2}, {-2, -1}, {-2, 0}, {-2, 1}},
        {{-1, 0}, {-2, 0}, {-1, -1}, {-3, 0}, {-2, -1}, {-1, -2}},
    };
    for (int sector = 0; sector < 8; ++sector) {
        Field f;
        Cells got;
        int16_t x = 0, y = 0;
        while (got.size() < 20 && FindFreeCellInSector(20, 20, x, y, 1, 3, sector, false)) {
            got.push_back({x - 20, y - 20});
            Field::Cell(x, y)->obstacle = 1;
        }
        EXPECT_EQ(got, golden[sector]) << "sector " << sector;
    }
}

TEST(TroopSearch, SectorCellsMustBeFreeAndOnTheWallWhenAsked) {
    Field f;
    f.Add(f.player, 19, 19); // occupies the first cell of sector 0
    Field::Cell(20, 19)->obstacle = 255;
    int16_t x = 0, y = 0;
    ASSERT_TRUE(FindFreeCellInSector(20, 20, x, y, 1, 3, 0, false));
    EXPECT_EQ(std::make_pair(int(x), int(y)), std::make_pair(20, 19)); // a wall cell is free ground
    ASSERT_TRUE(FindFreeCellInSector(20, 20, x, y, 1, 3, 0, true));
    EXPECT_EQ(std::make_pair(int(x), int(y)), std::make_pair(20, 19));
    Field::Cell(20, 19)->obstacle = 0;
    EXPECT_FALSE(FindFreeCellInSector(20, 20, x, y, 1, 3, 0, true));
}

TEST(TroopSearch, BestCellAroundTakesTheInnermostUsableRingNearestTheGoal) {
    Field f;
    Troop* t = f.Add(f.player, 5, 5);
    int16_t x = -1, y = -1;
    // A free cell at distance 1 is never passed over for a nearer one further out.
    ASSERT_TRUE(t->FindBestCellAround(20, 20, 30, 20, x, y, 1, 40, false));
    EXPECT_EQ(std::make_pair(int(x), int(y)), std::make_pair(21, 20));
    // Ring 1 full: the ring-2 cell nearest the goal.
    for (auto [dx, dy] : Cells{{-1, 0}, {0, -1}, {1, 0}, {0, 1}})
        f.Add(f.foe, 20 + dx, 20 + dy);
    ASSERT_TRUE(t->FindBestCellAround(20, 20, 20, 30, x, y, 1, 40, false));
    EXPECT_EQ(std::make_pair(int(x), int(y)), std::make_pair(20, 22));
    // With the occupants ignored ring 1 counts again.
    ASSERT_TRUE(t->FindBestCellAround(20, 20, 20, 30, x, y, 1, 40, true));
    EXPECT_EQ(std::make_pair(int(x), int(y)), std::make_pair(20, 21));
    // Only cells with the wanted obstacle value.
    Field::Cell(24, 20)->obstacle = 255;
    ASSERT_TRUE(t->FindBestCellAround(20, 20, 20, 20, x, y, 1, 40, true, true, 255));
    EXPECT_EQ(std::make_pair(int(x), int(y)), std::make_pair(24, 20));
    // Never the top three rows nor the last column.
    ASSERT_TRUE(t->FindBestCellAround(20, 0, 20, 0, x, y, 0, 40, true));
    EXPECT_EQ(std::make_pair(int(x), int(y)), std::make_pair(20, 3));
    ASSERT_TRUE(
        t->FindBestCellAround(trooptest::kMapWidth - 1, 20, trooptest::kMapWidth - 1, 20, x, y, 0, 40, true));
    EXPECT_EQ(std::make_pair(int(x), int(y)), std::make_pair(trooptest::kMapWidth - 2, 20));
}

TEST(TroopSearch, SkillCellIsWhereMostEnemiesGatherWithinSight) {
    Field f;
    Troop* caster = f.Add(f.player, 10, 10);
    int16_t x = 0, y = 0;
    EXPECT_EQ(caster->FindSkillCell(x, y, 1), 0);
    EXPECT_EQ(std::make_pair(int(x), int(y)), std::make_pair(10, 10)); // nobody in sight: own cell
    f.Add(f.foe, 12, 10);
    f.Add(f.foe, 10, 13);
    f.Add(f.foe, 10, 14);
    f.Add(f.third, 10, 12); // not at war
    // Around (10, 13) stand the enemy on (10, 14); around (10, 14) the one on (10, 13).
    EXPECT_EQ(caster->FindSkillCell(x, y, 1), 1);
    EXPECT_EQ(std::make_pair(int(x), int(y)), std::make_pair(10, 13));
}

TEST(TroopSearch, TrapsFireOnceAndOnlyAgainstEnemies) {
    Field f;
    Troop* walker = f.Add(f.player, 10, 10);
    Troop* trap = f.Add(f.foe, 11, 10, 7);
    Troop* friendly = f.Add(f.third, 9, 10, 8);
    trap->pieceMode = 2;
    friendly->pieceMode = 1;
    walker->TriggerTrapsAround();
    EXPECT_EQ(trap->pieceMode, 0xFF); // spent
    EXPECT_EQ(trap->state, 1);        // its skill went off
    EXPECT_EQ(friendly->pieceMode, 1);
    EXPECT_EQ(friendly->state, 10);
    trap->state = 10;
    walker->TriggerTrapsAround();
    EXPECT_EQ(trap->state, 10); // a spent piece stays quiet
}

TEST(TroopSearch, ArrivalHaltsOnlyIdleKindOneTroopsWithTheSameDestination) {
    Field f;
    Troop* arriving = f.Add(f.player, 10, 10);
    arriving->goalX = 15;
    arriving->goalY = 15;
    struct Case {
        int kind, orderState, state, goal;
        bool halted;
    };
    const Case cases[] = {
        {1, 0, 0, 15, true},   // walking to the same place
        {1, 0, 0, 16, false},  // elsewhere
        {2, 0, 0, 15, false},  // not a general
        {1, 3, 0, 15, false},  // under an order
        {1, 0, 10, 15, false}, // already standing
    };
    std::vector<Troop*> troops;
    int x = 11;
    for (const Case& c : cases) {
        Troop* t = f.Add(f.player, x++, 10, c.kind);
        t->order->orderState = int8_t(c.orderState);
        t->state = uint8_t(c.state);
        t->goalX = int16_t(c.goal);
        t->goalY = 15;
        troops.push_back(t);
    }
    arriving->HaltIdleSharingDestination();
    for (size_t i = 0; i < troops.size(); ++i)
        EXPECT_EQ(troops[i]->state == 10 && cases[i].state == 0, cases[i].halted) << i;
}

TEST(TroopSearch, WoundedCountSumsTheOwnGeneralsAroundButNotItself) {
    Field f;
    Troop* healer = f.Add(f.player, 10, 10, 1);
    healer->officer->Set(OfficerLayout::kHp, 10);
    Troop* a = f.Add(f.player, 11, 10, 1);
    Troop* b = f.Add(f.player, 10, 12, 1);
    Troop* foe = f.Add(f.foe, 9, 10, 1);
    Troop* soldier = f.Add(f.player, 10, 9, 2);
    a->officer->Set(OfficerLayout::kHp, 70);
    b->officer->Set(OfficerLayout::kHp, 80);
    foe->officer->Set(OfficerLayout::kHp, 1);
    soldier->officer->Set(OfficerLayout::kHp, 1);
    EXPECT_EQ(healer->CountWoundedAround(2), 30 + 20);
    EXPECT_EQ(healer->CountWoundedAround(1), 30);
}
