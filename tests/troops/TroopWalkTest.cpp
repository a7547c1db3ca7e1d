#include "TroopFixture.h"

#include "world/Coordinates.h"
#include "world/MapObject.h"
#include "world/UnitPath.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

using trooptest::Battle;

namespace {

// A wall across column 10 from the top down to unit row 16: the way from the west to the east runs
// below it.
void BuildWall() {
    for (int row = 0; row <= 2 * 16 + 1; ++row)
        TheBattleMap->CellAt(10, row)->obstacle = 1;
}

struct Walk {
    std::vector<std::pair<int, int>> cells; // the cell after each frame
    int frames = 0;
};

// Runs battle frames until the troop stands again (at most `limit`).
Walk RunUntilHalted(Troop* t, int limit) {
    Walk w;
    for (int f = 0; f < limit && (f == 0 || t->state != 10); ++f) {
        TheBattleMap->Update();
        w.cells.push_back({t->cellX, t->cellY});
        ++w.frames;
    }
    return w;
}

TEST(TroopWalk, AnOrderedTroopWalksAroundAWallToItsCellFrameByFrame) {
    Battle b;
    b.Type(1, {{SoldierColumn::kSpeed, 100}});
    Kingdom* k = b.AddKingdom(1, true);
    BuildWall();
    TheGameController->running = 1;
    Troop* t = b.AddTroop(k, 5, 10);
    ASSERT_EQ(t->speed, 100);

    NetCmd02(t, 15, 10);
    EXPECT_EQ(t->state, 0);
    EXPECT_EQ(t->moving, 0) << "the order alone does not move it";
    const Walk w = RunUntilHalted(t, 600);

    EXPECT_EQ(t->state, 10);
    EXPECT_EQ(t->cellX, 15);
    EXPECT_EQ(t->cellY, 10);
    EXPECT_EQ(t->moving, 0);
    EXPECT_TRUE(b.OnCell(t, 15, 10));
    EXPECT_FALSE(b.OnCell(t, 5, 10));
    // Frame by frame: never more than one cell at a time, never into the wall, and round its end.
    std::pair<int, int> last{5, 10};
    int lowest = 10;
    for (const auto& c : w.cells) {
        EXPECT_LE(std::abs(c.first - last.first), 1);
        EXPECT_LE(std::abs(c.second - last.second), 1);
        EXPECT_FALSE(c.first == 10 && c.second <= 16) << c.first << "," << c.second;
        lowest = std::max(lowest, c.second);
        last = c;
    }
    EXPECT_GE(lowest, 17);
    EXPECT_GT(w.frames, 20) << "a walk, not a jump";
    // The picture follows the world position (the first step's 20-pixel shift is kept).
    EXPECT_EQ(t->pixelX, t->worldX / 1000 - 100);
    EXPECT_EQ(t->pixelY, t->worldY / 1000 - 180);
    EXPECT_EQ(WorldToTileX(t->worldX), 15);

    // Standing, it stays put for good.
    const int32_t wx = t->worldX, wy = t->worldY;
    for (int f = 0; f < 20; ++f)
        TheBattleMap->Update();
    EXPECT_EQ(t->worldX, wx);
    EXPECT_EQ(t->worldY, wy);
}

TEST(TroopWalk, AHaltStopsTheWalkWhereTheTroopIs) {
    Battle b;
    b.Type(1, {{SoldierColumn::kSpeed, 100}});
    Kingdom* k = b.AddKingdom(1, true);
    TheGameController->running = 1;
    Troop* t = b.AddTroop(k, 5, 10);
    NetCmd02(t, 30, 10);
    for (int f = 0; f < 12; ++f)
        TheBattleMap->Update();
    EXPECT_EQ(t->moving, 1);
    EXPECT_GT(t->cellX, 5);
    NetCmdHalt(t);
    const int16_t x = t->cellX;
    const int32_t wx = t->worldX;
    for (int f = 0; f < 30; ++f)
        TheBattleMap->Update();
    EXPECT_EQ(t->moving, 0);
    EXPECT_EQ(t->cellX, x);
    EXPECT_EQ(t->worldX, wx);
    EXPECT_EQ(t->state, 10);
}

TEST(TroopWalk, StepMoveStartsContinuesAndEndsAtTheGoal) {
    Battle b;
    b.Type(1, {{SoldierColumn::kSpeed, 100}});
    Kingdom* k = b.AddKingdom(1, true);
    TheGameController->running = 1;
    Troop* t = b.AddTroop(k, 5, 10);

    // Standing troops and troops inside a city take no step.
    t->goalX = 8;
    t->goalY = 10;
    t->StepMove();
    EXPECT_EQ(t->worldX, TileToWorldX(5));
    t->state = 0;
    t->garrison = 1;
    t->StepMove();
    EXPECT_EQ(t->worldX, TileToWorldX(5));
    t->garrison = 0;

    // East through the cell centres: one step of the speed's length at a time.
    t->StepMove();
    EXPECT_EQ(t->moving, 1);
    EXPECT_EQ(t->facing, 1);
    EXPECT_EQ(t->velX, 16000);
    EXPECT_EQ(t->velY, 0);
    EXPECT_EQ(t->worldX, TileToWorldX(5) + 16000);
    EXPECT_EQ(t->worldY, TileToWorldY(10));
    for (int i = 0; i < 20 && t->moving; ++i)
        t->StepMove();
    EXPECT_EQ(t->moving, 0);
    EXPECT_EQ(t->velX, 0);
    EXPECT_EQ(t->cellX, 8);
    EXPECT_EQ(t->cellY, 10);
    const int32_t wx = t->worldX;
    t->StepMove();
    EXPECT_EQ(t->worldX, wx) << "at the goal there is no further step";

    // A goal that cannot be reached ends the step at once.
    for (int row = 0; row < trooptest::kMapRows; ++row)
        TheBattleMap->CellAt(12, row)->obstacle = 1;
    t->ApplyCmd02(20, 10);
    t->StepMove();
    EXPECT_EQ(t->moving, 0);
    EXPECT_EQ(t->worldX, wx);
}

// The sea and land tile ranges of the step onto a new cell: which ground tiles board a land troop
// and which land a sea troop.
TEST(TroopWalk, GroundTileRangesBoardAndLand) {
    struct Case {
        uint16_t tile;
        bool boards; // a land troop takes its sea type
        bool lands;  // a sea troop takes its land type
    };
    const Case cases[] = {
        {431, false, true},   {432, false, false},  {485, false, false},  {486, true, false},
        {494, true, false},   {495, false, false},  {539, false, false},  {540, false, true},
        {4103, false, true},  {4104, false, false}, {4432, false, false}, {4433, false, true},
        {4481, false, true},  {4482, false, false}, {4489, false, false}, {4490, false, true},
        {60000, false, true},
    };
    for (const Case& c : cases) {
        Battle b;
        b.Type(1, {{SoldierColumn::kSeaCounterpart, 79}});
        b.AddKingdom(1);
        for (int row = 0; row < trooptest::kMapRows; ++row)
            TheBattleMap->CellAt(6, row)->groundTile = c.tile;
        for (const bool afloat : {false, true}) {
            Troop t(0, 0, 5, 10, 1, 0, 0, b.Officer(1, 1));
            if (afloat) {
                t.afloat = 1;
                t.currentType = 79;
            }
            t.velX = 40000;
            t.moving = 1;
            t.nextDirection = 1;
            t.MoveStep();
            ASSERT_EQ(t.cellX, 6);
            if (!afloat) {
                EXPECT_EQ(t.afloat, c.boards ? 1 : 0) << c.tile;
                EXPECT_EQ(t.currentType, c.boards ? 79 : 1) << c.tile;
            } else {
                EXPECT_EQ(t.afloat, c.lands ? 0 : 1) << c.tile;
                EXPECT_EQ(t.currentType, c.lands ? 1 : 79) << c.tile;
            }
        }
    }
}

// Carried items leave the officer for free cells next to the troop; with no free cell they stay.
TEST(TroopWalk, CarriedItemsDropOnFreeNeighboursOnly) {
    Battle b;
    Kingdom* k = b.AddKingdom(1);
    ItemCount = 300;
    Troop* t = b.AddTroop(k, 5, 10);
    const uint32_t slot0 = OfficerLayout::kCarried;
    t->officer->Set(slot0, 241);
    t->officer->Set(slot0 + 8, 17);
    // The first two neighbour cells in the search order are blocked.
    TheBattleMap->CellAt(4, 2 * 9)->obstacle = 1;
    TheBattleMap->CellAt(5, 2 * 9)->obstacle = 1;
    t->DropCarriedItems(0);
    EXPECT_EQ(t->officer->Get(slot0), 0);
    EXPECT_EQ(t->officer->Get(slot0 + 8), 0);
    ASSERT_NE(TheBattleMap->GetCellObject(6, 9), nullptr);
    EXPECT_EQ(TheBattleMap->GetCellObject(6, 9)->itemId, 241);
    ASSERT_NE(TheBattleMap->GetCellObject(4, 10), nullptr);
    EXPECT_EQ(TheBattleMap->GetCellObject(4, 10)->itemId, 17);
    EXPECT_EQ(TheBattleMap->mapItems->GetCount(), 2);

    // Surrounded: the items stay with the officer.
    Troop* u = b.AddTroop(k, 20, 20);
    u->officer->Set(slot0 + 4, 99);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (dx != 0 || dy != 0) TheBattleMap->CellAt(20 + dx, 2 * (20 + dy))->obstacle = 1;
    u->DropCarriedItems(0);
    EXPECT_EQ(u->officer->Get(slot0 + 4), 99);
    EXPECT_EQ(TheBattleMap->mapItems->GetCount(), 2);
    ItemCount = 0;
}

} // namespace
