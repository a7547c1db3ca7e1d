#include "TroopFixture.h"

#include "engine/LinkList.h"
#include "troops/SoldierTypesSeen.h"
#include "world/Coordinates.h"
#include "world/MapObject.h"
#include "world/Missile.h"

#include <gtest/gtest.h>

#include <vector>

using trooptest::Battle;

namespace {
// Runs OnFrameAdvance n times and returns the shown frame numbers with the step counter after each.
std::vector<std::pair<int, int>> Advance(Troop& t, int n) {
    std::vector<std::pair<int, int>> seen;
    for (int i = 0; i < n; ++i) {
        t.OnFrameAdvance();
        seen.push_back({t.currentFrame, t.stepDelayCounter});
    }
    return seen;
}

// The missiles in flight on the battle map, taken off it (and deleted) once read.
struct Shot {
    int32_t kind, sx, sy, tx, ty;
    int8_t side;
};
std::vector<Shot> TakeShots() {
    std::vector<Shot> out;
    LinkList& list = *TheBattleMap->missiles;
    for (uintptr_t v = list.First(); v != 0; v = list.Next()) {
        auto* m = reinterpret_cast<Missile*>(v);
        out.push_back({m->kind, m->cellX, m->cellY, m->targetX, m->targetY, int8_t(m->side)});
        delete m;
    }
    list.RemoveAll();
    return out;
}
} // namespace

TEST(TroopAnimation, ActionRowsByStateKindActionAndType) {
    Battle b;
    b.AddKingdom(1);
    struct Case {
        uint8_t state;
        int kind;
        uint8_t action;
        uint8_t facing;
        int type;
        int row;
    };
    const Case cases[] = {
        {0, 1, 0, 7, 1, 4},   {10, 1, 0, 1, 1, 7},   {10, 1, 14, 3, 1, 20}, {10, 2, 14, 3, 1, 5},
        {10, 9, 0, 5, 1, 0},  {11, 1, 0, 8, 1, 13},  {11, 1, 16, 8, 1, 18}, {11, 3, 16, 0, 1, 10},
        {13, 2, 0, 3, 1, 15}, {13, 2, 19, 3, 1, 0},  {13, 2, 0, 3, 115, 0}, {13, 3, 0, 3, 1, 15},
        {13, 13, 0, 6, 1, 0}, {11, 13, 0, 6, 1, 10}, {11, 1, 0, 2, 2, 11},  {4, 1, 0, 6, 1, 3},
    };
    b.Type(108);
    b.Type(112);
    for (const Case& c : cases) {
        Troop t(0, c.state, 5, 5, 1, 0, 0, b.Officer(1, c.type, c.kind));
        t.actionCode = c.action;
        t.facing = c.facing;
        EXPECT_EQ(t.ActionRow(), c.row) << int(c.state) << " kind " << c.kind << " action " << int(c.action);
    }
    // Fixed rows of the special types.
    Troop t(0, 11, 5, 5, 1, 0, 0, b.Officer(1, 108, 1));
    t.facing = 4;
    EXPECT_EQ(t.ActionRow(), 11);
    t.state = 10;
    t.currentType = 112;
    EXPECT_EQ(t.ActionRow(), 6);
    // A current type without a record goes back to the base type.
    t.currentType = 66;
    EXPECT_EQ(t.ActionRow(), 0);
    EXPECT_EQ(t.currentType, 108);
}

TEST(TroopAnimation, FrameSequencesAttackPauseCorpseHoldAndFreeze) {
    Battle b;
    b.Type(1, {{SoldierColumn::kAttackPause, 3}});
    b.Type(2);
    b.Animations({1, 2, 115, 117, 128});
    b.AddKingdom(1);

    // Attacking: the frames wrap and the troop pauses "攻擊頻率" steps, 1 for a type with 0.
    Troop archer(0, 11, 5, 5, 1, 0, 0, b.Officer(1, 1));
    ASSERT_EQ(archer.currentFrame, 1);
    auto seen = Advance(archer, 4);
    EXPECT_EQ(seen[2].first, 4);
    EXPECT_EQ(seen[3].first, 1);
    EXPECT_EQ(seen[3].second, 3);
    Troop quick(0, 11, 5, 6, 1, 0, 0, b.Officer(1, 2));
    seen = Advance(quick, 4);
    EXPECT_EQ(seen[3].second, 1);

    // Without an owner kingdom the frame stays.
    Troop stray(0, 10, 5, 7, 9, 0, 0, b.Officer(9, 1));
    EXPECT_EQ(stray.currentFrame, 0);
    Advance(stray, 2);
    EXPECT_EQ(stray.currentFrame, 0);

    struct Case {
        int kind;
        int corpseType;
        bool frozen;
    };
    const Case cases[] = {{2, 115, true}, {3, 117, true}, {9, 128, false}, {1, 1, true}};
    for (const Case& c : cases) {
        Troop t(0, 10, 6, 6, 1, 0, 0, b.Officer(1, 1, c.kind));
        t.state = 13;
        t.StartActionAnimation();
        seen = Advance(t, 3); // frames 2, 3, 4
        EXPECT_EQ(seen[2].first, 4) << c.kind;
        if (c.kind == 2 || c.kind == 3)
            EXPECT_EQ(t.stepDelay, 30) << c.kind; // the last frame of the fall is held
        Advance(t, 1);                            // the fall has ended
        EXPECT_EQ(t.currentType, c.corpseType) << c.kind;
        if (c.kind != 1) EXPECT_EQ(t.baseType, c.corpseType) << c.kind;
        EXPECT_EQ(t.actionCode, 0);
        EXPECT_EQ(t.stepDelay, 100) << c.kind;
        Advance(t, 4); // the corpse picture runs once more
        EXPECT_EQ(t.baseType == 999, c.frozen && c.kind != 1) << c.kind;
        if (t.baseType == 999) {
            const int frame = t.currentFrame;
            t.Update();
            t.Update();
            EXPECT_EQ(t.currentFrame, frame) << "a frozen corpse takes no step";
        }
    }

    // A fallen kind-9 troop leaves its carried items on free cells around it; one that finds none
    // stays with the officer. The loader's shortcut below drops nothing.
    ItemCount = 300;
    Troop carrier(0, 10, 20, 20, 1, 0, 0, b.Officer(1, 1, 9));
    for (int slot = 0; slot < 4; ++slot)
        carrier.officer->Set(OfficerLayout::kCarried + 4 * slot, 30 + slot);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if ((dx != 0 || dy != 0) && !(dy == 1 && dx >= 0))
                TheBattleMap->CellAt(20 + dx, 2 * (20 + dy))->obstacle = 1;
    carrier.state = 13;
    carrier.StartActionAnimation();
    Advance(carrier, 4);
    EXPECT_EQ(carrier.currentType, 128);
    ASSERT_NE(TheBattleMap->GetCellObject(20, 21), nullptr);
    EXPECT_EQ(TheBattleMap->GetCellObject(20, 21)->itemId, 30);
    ASSERT_NE(TheBattleMap->GetCellObject(21, 21), nullptr);
    EXPECT_EQ(TheBattleMap->GetCellObject(21, 21)->itemId, 31);
    EXPECT_EQ(carrier.officer->Get(OfficerLayout::kCarried), 0);
    EXPECT_EQ(carrier.officer->Get(OfficerLayout::kCarried + 8), 32);
    EXPECT_EQ(carrier.officer->Get(OfficerLayout::kCarried + 12), 33);
    ItemCount = 0;

    // The loader's shortcut: at once the corpse picture.
    Troop fallen(0, 13, 7, 7, 1, 0, 0, b.Officer(1, 1, 2));
    fallen.StartDeath();
    EXPECT_EQ(fallen.currentType, 115);
    EXPECT_EQ(fallen.stepDelay, 100);
    EXPECT_EQ(fallen.frameCount, 4);
}

TEST(TroopMovement, AScriptedWalkMovesCellsOccupancyAndPixels) {
    Battle b;
    b.AddKingdom(1);
    Troop t(0, 0, 5, 10, 1, 0, 0, b.Officer(1, 1));
    // East at a quarter cell a step.
    t.velX = 10000;
    t.moving = 1;
    t.nextDirection = 1;
    std::vector<int> cells;
    for (int i = 0; i < 8; ++i) {
        t.MoveStep();
        cells.push_back(t.cellX);
    }
    EXPECT_EQ(t.worldX, TileToWorldX(5) + 80000);
    EXPECT_EQ(t.cellX, 7);
    EXPECT_EQ(t.pixelX, t.worldX / 1000 - 100);
    EXPECT_EQ(t.pixelY, t.worldY / 1000 - 180);
    // From the centre of cell 5: half a cell to its edge, then a whole cell each four steps.
    EXPECT_EQ(cells, (std::vector<int>{5, 5, 6, 6, 6, 6, 7, 7}));
    EXPECT_TRUE(b.OnCell(&t, 7, 10));
    EXPECT_FALSE(b.OnCell(&t, 5, 10));
    EXPECT_EQ(t.previousX, 7);
    EXPECT_EQ(t.facing, 1);
    EXPECT_EQ(t.moveDirection, 1); // set by the last step inside the cell

    // A held troop or one without a step under way stays.
    t.held = 1;
    t.MoveStep();
    EXPECT_EQ(t.worldX, TileToWorldX(5) + 80000);
    t.held = 0;
    t.moving = 0;
    t.MoveStep();
    EXPECT_EQ(t.worldX, TileToWorldX(5) + 80000);

    // Into a blocked cell: the picture follows, the cell does not.
    TheBattleMap->CellAt(8, 20)->obstacle = 1;
    t.moving = 1;
    for (int i = 0; i < 4; ++i) {
        t.worldX += 10000;
        t.SyncPixelPosition();
    }
    EXPECT_EQ(WorldToTileX(t.worldX), 8);
    EXPECT_EQ(t.cellX, 7);
    EXPECT_EQ(t.pixelX, t.worldX / 1000 - 100);
}

TEST(TroopMovement, BoardsWaterAndLandsWithTheRememberedType) {
    Battle b;
    b.Type(1, {{SoldierColumn::kSeaCounterpart, 79}, {SoldierColumn::kRangeEnd, 3}});
    b.Type(79, {{SoldierColumn::kRangeEnd, 8}, {SoldierColumn::kMissile, 2}});
    b.Type(2, {{SoldierColumn::kRangeEnd, 5}});
    b.AddKingdom(1);
    // Column 7 is sea (486), column 9 the edge tile 495, column 11 land again.
    for (int row = 0; row < trooptest::kMapRows; ++row) {
        TheBattleMap->CellAt(7, row)->groundTile = 486;
        TheBattleMap->CellAt(8, row)->groundTile = 494;
        TheBattleMap->CellAt(9, row)->groundTile = 495;
    }
    Troop t(0, 0, 5, 10, 1, 0, 0, b.Officer(1, 1));
    t.velX = 40000;
    t.moving = 1;
    t.nextDirection = 1;
    struct Expect {
        int cell;
        uint8_t afloat;
        int type;
    };
    const Expect steps[] = {{6, 0, 1}, {7, 1, 79}, {8, 1, 79}, {9, 1, 79}, {10, 0, 1}};
    for (const Expect& e : steps) {
        t.MoveStep();
        EXPECT_EQ(t.cellX, e.cell);
        EXPECT_EQ(t.afloat, e.afloat) << e.cell;
        EXPECT_EQ(t.currentType, e.type) << e.cell;
        if (e.cell == 7) {
            EXPECT_EQ(t.rangeEnd, 8);
            EXPECT_EQ(t.missileKind, 2);
        }
    }
    // The type set while afloat is taken on landing.
    t.velX = -40000;
    t.nextDirection = 5;
    t.MoveStep();
    EXPECT_EQ(t.cellX, 9);
    EXPECT_EQ(t.afloat, 0); // tile 495 is no water
    t.MoveStep();
    t.MoveStep();
    EXPECT_EQ(t.cellX, 7);
    EXPECT_EQ(t.afloat, 1);
    t.SetUnitType(2);
    EXPECT_EQ(t.currentType, 79);
    EXPECT_EQ(t.overrideType, 2);
    t.velX = 40000;
    t.nextDirection = 1;
    for (int i = 0; i < 3; ++i)
        t.MoveStep();
    EXPECT_EQ(t.cellX, 10);
    EXPECT_EQ(t.afloat, 0);
    EXPECT_EQ(t.currentType, 2);
    EXPECT_EQ(t.rangeEnd, 5);
}

TEST(TroopAttack, MissilesLeadAMovingTargetAndStopOnADeadOne) {
    Battle b;
    std::vector<Shot> recorded;
    b.Type(1, {{SoldierColumn::kMissile, 4}});
    b.Type(2, {{SoldierColumn::kMissile, 1}});
    Kingdom* a = b.AddKingdom(1);
    Kingdom* e = b.AddKingdom(2);
    Battle::War(a, e);
    Troop* archer = b.AddTroop(a, 5, 5, 1);
    Troop* slinger = b.AddTroop(a, 5, 6, 2);
    Troop* target = b.AddTroop(e, 15, 5);
    archer->targetTroop = slinger->targetTroop = target;

    struct Case {
        Troop* shooter;
        uint8_t targetDirection;
        int32_t targetSpeed;
        int aimX, aimY;
    };
    // Distance 400 px (10 cells east; the slinger one row off: sqrt(400^2 + 20^2) = 400).
    const Case cases[] = {
        {archer, 0, 2, 15, 5},  // standing: the target's cell
        {archer, 1, 2, 19, 5},  // 400 / 24 / 4 = 4 cells ahead
        {archer, 7, 0, 15, 6},  // speed 0: lead table entry 10, 16 / 10 = 1
        {archer, 3, 40, 15, 3}, // beyond the table: 6 frames, 16 / 6 = 2
        {slinger, 1, 2, 18, 5}, // kind 1: 400 / 32 / 4 = 3
        {slinger, 4, 1, 13, 3}, // 400 / 32 / 6 = 2, north-west
        {archer, 8, 6, 16, 6},  // at least one cell: 16 / 10 = 1
    };
    for (const Case& c : cases) {
        b.Type(1, {{SoldierColumn::kMissile, 4}, {SoldierColumn::kSpeed, c.targetSpeed}});
        target->currentType = 1;
        target->moveDirection = c.targetDirection;
        c.shooter->LaunchAttack();
        recorded = TakeShots();
        ASSERT_EQ(recorded.size(), 1u);
        EXPECT_EQ(recorded[0].tx, c.aimX) << int(c.targetDirection) << " speed " << c.targetSpeed;
        EXPECT_EQ(recorded[0].ty, c.aimY) << int(c.targetDirection) << " speed " << c.targetSpeed;
        EXPECT_EQ(recorded[0].sx, c.shooter->cellX);
        EXPECT_EQ(recorded[0].side, 1);
    }

    // The animation step fires on frame 2 of an attack.
    b.Animations({1});
    target->moveDirection = 0;
    archer->state = 11;
    archer->StartActionAnimation();
    archer->Update(); // frame 1 -> 2
    EXPECT_TRUE(TakeShots().empty());
    archer->Update(); // on frame 2: fire, then 3
    recorded = TakeShots();
    ASSERT_EQ(recorded.size(), 1u);
    EXPECT_EQ(recorded[0].kind, 4);

    // A shielded target draws no shot; a dead one halts the shooter instead.
    target->flags |= 0x04;
    archer->LaunchAttack();
    EXPECT_TRUE(TakeShots().empty());
    EXPECT_EQ(archer->state, 11);
    target->flags &= ~0x04u;
    target->state = 13;
    archer->LaunchAttack();
    EXPECT_TRUE(TakeShots().empty());
    EXPECT_EQ(archer->state, 10);
}

TEST(TroopAnimation, TypeNumbersAndRowsOutsideTheTablesShowNothing) {
    Battle b;
    b.Animations({1}, 5); // rows 0..4 only
    b.AddKingdom(1);
    // A row the action file lacks (halted, facing 8: row 8) leaves the frame list empty.
    Troop t(0, 10, 5, 5, 1, 0, 0, b.Officer(1, 1));
    EXPECT_EQ(t.ActionRow(), 8);
    EXPECT_EQ(t.frameCount, 0);
    EXPECT_EQ(t.frame, nullptr);
    t.state = 0;
    t.StartActionAnimation();
    EXPECT_EQ(t.frameCount, 4);
    // A base type above the loaded count takes no step at all; the last loaded number (types
    // count from 1) steps.
    t.baseType = SoldierTypeCount + 1;
    const int frame = t.currentFrame;
    t.Update();
    t.Update();
    EXPECT_EQ(t.currentFrame, frame);
    for (int type : {1, int(SoldierTypeCount)}) {
        t.baseType = type;
        const int before = t.currentFrame;
        t.Update();
        EXPECT_NE(t.currentFrame, before) << type;
    }
}

TEST(TroopAnimation, TypesTakenAreCountedOnceAndOnlyInsideTheTable) {
    Battle b;
    b.AddKingdom(1);
    SoldierTypesSeen().Clear();
    Troop t(0, 10, 5, 5, 1, 0, 0, b.Officer(1, 1));
    EXPECT_EQ(SoldierTypesSeen().count, 1);
    t.SetUnitType(2);
    t.SetUnitType(-1);
    t.SetUnitType(2);
    EXPECT_EQ(SoldierTypesSeen().count, 2);
    EXPECT_EQ(SoldierTypesSeen().seen[2], 1);
    // A number past the table is not recorded.
    SoldierTypesSeen().Mark(150);
    SoldierTypesSeen().Mark(-1);
    EXPECT_EQ(SoldierTypesSeen().count, 2);
    SoldierTypesSeen().Clear();
    EXPECT_EQ(SoldierTypesSeen().count, 0);
    EXPECT_EQ(SoldierTypesSeen().seen[1], 0);
}
