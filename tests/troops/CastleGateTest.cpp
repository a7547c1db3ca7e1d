#include "TroopFixture.h"

#include "records/Kingdom.h"
#include "troops/CastleGate.h"
#include "world/FootprintPattern.h"
#include "world/GateRecord.h"

#include <gtest/gtest.h>

using trooptest::Battle;
using L = OfficerLayout;

namespace {
// A player's gate at (10, 10) on the first diagonal, an enemy kingdom at war and an ally.
struct GateField {
    Battle b;
    Kingdom* own = b.AddKingdom(1, true);
    Kingdom* enemy = b.AddKingdom(2);
    Kingdom* ally = b.AddKingdom(3);
    CastleGate* gate = nullptr;

    GateField() {
        Battle::War(own, enemy);
        own->relations[3] = ally->relations[1] = 1;
        gate = new CastleGate(10, 10, 0, 1, 0, 12, 8);
        own->gates.Add(uintptr_t(gate));
        for (Troop* p : gate->pieces)
            p->officer->Set(L::kMaxHp, 120);
        gate->SetStrength(100);
    }
    bool PiecesOnCells() {
        for (int i = 0; i < 8; ++i)
            if (!b.OnCell(gate->pieces[i], gate->gateCells[i][0], gate->gateCells[i][1])) return false;
        return true;
    }
    bool PiecesOffCells() {
        for (int i = 0; i < 8; ++i)
            if (b.OnCell(gate->pieces[i], gate->gateCells[i][0], gate->gateCells[i][1])) return false;
        return true;
    }
};
} // namespace

TEST(CastleGate, ConstructionLaysEightPiecesOnTheDiagonalOffTheMap) {
    GateField f;
    CastleGate* g = f.gate;
    const int expected[8][2] = {{13, 13}, {13, 14}, {12, 14}, {12, 15},
                                {11, 15}, {11, 16}, {10, 16}, {10, 17}};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(g->gateCells[i][0], expected[i][0]);
        EXPECT_EQ(g->gateCells[i][1], expected[i][1]);
        EXPECT_EQ(g->pieces[i]->OfficerKind(), 17);
        EXPECT_EQ(g->pieces[i]->gatePiece, 1);
        EXPECT_EQ(g->pieces[i]->pathWait, g->pieces[0]->pathWait); // one gate group
    }
    EXPECT_TRUE(f.PiecesOffCells());
    EXPECT_EQ(g->pictureRect[0], (10 - 1) * 40 - 80);
    EXPECT_EQ(g->pictureRect[1], (2 + 20) * 10 - 50);
    EXPECT_EQ(g->pictureRect[2] - g->pictureRect[0], 160);
    EXPECT_EQ(g->cityX, 12);
    EXPECT_EQ(g->strengthTotal, 800);
    CastleGate second(20, 10, 1, 1, 0, 0, 0);
    EXPECT_EQ(second.pieces[0]->pathWait, g->pieces[0]->pathWait + 1);
    EXPECT_EQ(second.gateCells[0][0], 17);
    EXPECT_TRUE(g->ContainsCell(8, 20));
    EXPECT_FALSE(g->ContainsCell(13, 20));
}

TEST(CastleGate, OnlyTheFirstObjectOfEachCellOpensTheGate) {
    struct Case {
        const char* name;
        int side;       // 1 own, 2 enemy, 3 ally
        int kind;       // officer kind
        int policy;     // "行動方針"
        bool behindFoe; // listed after an enemy on the same cell
        int x, y;       // the cell it stands on
        int open;
    };
    const Case cases[] = {
        {"own troop near", 1, 1, 0, false, 12, 12, 1},
        {"own troop led by the owner", 1, 1, 1, false, 12, 12, 1},
        {"own troop led by the enemy", 1, 1, 2, false, 12, 12, 1}, // a kingdom is its own ally
        {"enemy troop led by the owner", 2, 1, 1, false, 12, 12, 1},
        {"allied troop", 3, 1, 0, false, 11, 14, 1},
        {"enemy troop near", 2, 1, 0, false, 12, 12, 0},
        {"enemy of kind 10", 2, 10, 0, false, 12, 12, 1},
        {"enemy of kind 12", 2, 12, 0, false, 12, 12, 1},
        {"own troop behind an enemy", 1, 1, 0, true, 12, 12, 0},
        {"enemy in the gateway", 2, 1, 0, false, 13, 13, 1},
        {"own troop too far", 1, 1, 0, false, 5, 5, 0},
    };
    for (const Case& c : cases) {
        GateField f;
        f.gate->SetOpen(3);
        if (c.behindFoe) f.b.AddTroop(f.enemy, c.x, c.y);
        Kingdom* k = c.side == 1 ? f.own : c.side == 2 ? f.enemy : f.ally;
        Troop* t = f.b.AddTroop(k, c.x, c.y, 1, c.kind);
        t->officer->Set(L::kPolicy, c.policy);
        EXPECT_EQ(f.gate->UpdateOpenState(), c.open) << c.name;
        EXPECT_EQ(f.gate->openState, c.open) << c.name;
        EXPECT_EQ(f.gate->pictureIndex, c.open ? 2 : 0) << c.name;
        EXPECT_EQ(c.open ? f.PiecesOffCells() : f.PiecesOnCells(), true) << c.name;
    }
}

TEST(CastleGate, AnEnemyInTheGatewayKeepsItOpenAfterTheFriendLeaves) {
    GateField f;
    Troop* friendly = f.b.AddTroop(f.own, 12, 12);
    EXPECT_EQ(f.gate->UpdateOpenState(), 1);
    Troop* foe = f.b.AddTroop(f.enemy, 12, 15);
    friendly->SetCell(5, 5, 0);
    EXPECT_EQ(f.gate->UpdateOpenState(), 1);
    foe->SetCell(5, 6, 0);
    EXPECT_EQ(f.gate->UpdateOpenState(), 0);
    EXPECT_TRUE(f.PiecesOnCells());
}

TEST(CastleGate, PiecesShareTheDamageBreakTogetherAndAreRepairedToARestore) {
    GateField f;
    CastleGate* g = f.gate;
    g->SetStrength(101);
    Troop* foe = f.b.AddTroop(f.enemy, 14, 12);
    Troop* piece = g->pieces[2];
    // A gate piece reports no damage, but the eight share the loss: 808 - 8 = 800, 100 each.
    EXPECT_EQ(piece->TakeHit(8, 2, foe), 0);
    for (Troop* p : g->pieces)
        EXPECT_EQ(p->OfficerValue(L::kHp), 100);
    EXPECT_EQ(g->strengthTotal, 800);

    // A heavy blow is shared too: 100 taken from one piece leaves 87 on each.
    piece->TakeHit(100, 2, foe);
    for (Troop* p : g->pieces)
        EXPECT_EQ(p->OfficerValue(L::kHp), 87);
    // When the shared strength falls below one a piece, the struck piece is destroyed and the whole
    // gate breaks.
    g->SetOpen(3); // as at stage start: the next update closes it
    g->UpdateOpenState();
    ASSERT_TRUE(f.PiecesOnCells());
    g->SetStrength(1);
    EXPECT_EQ(piece->TakeHit(500, 2, foe), 0);
    for (Troop* p : g->pieces) {
        EXPECT_EQ(p->state, 13);
        EXPECT_EQ(p->officer->StatusWord(), 2);
        EXPECT_EQ(p->OfficerValue(L::kHp), 0);
    }
    EXPECT_EQ(g->openState, 2);
    EXPECT_EQ(g->pictureIndex, 4);
    EXPECT_EQ(g->strengthTotal, 0);
    EXPECT_EQ(f.enemy->tally[7], 1); // one gate piece destroyed
    EXPECT_TRUE(f.PiecesOffCells());
    // Broken stays broken, whoever comes near.
    EXPECT_EQ(g->UpdateOpenState(), 0);
    EXPECT_EQ(g->openState, 2);

    // Repair steps raise each piece by 4 up to its maximum; the step that finds them all whole restores.
    foe->SetCell(5, 5, 0);
    int steps = 0;
    while (g->Repair() != 0) {
        ++steps;
        ASSERT_LT(steps, 40);
        EXPECT_EQ(g->repairFlag, 8);
    }
    EXPECT_EQ(steps, 30); // 120 / 4
    for (Troop* p : g->pieces) {
        EXPECT_EQ(p->OfficerValue(L::kHp), 120);
        EXPECT_EQ(p->state, 10);
        EXPECT_EQ(p->officer->StatusWord(), 0);
    }
    EXPECT_EQ(g->openState, 0); // closed again with its pieces back
    EXPECT_TRUE(f.PiecesOnCells());
    EXPECT_EQ(g->repairFlag, 0);
    g->FlagForRepair();
    EXPECT_EQ(g->repairFlag, 1);
}

TEST(CastleGate, OwnerChangesReachEveryPieceAndAGoneGateLeavesNoReferences) {
    GateField f;
    f.gate->SetOwner(2);
    for (Troop* p : f.gate->pieces) {
        EXPECT_EQ(p->owner, 2);
        EXPECT_EQ(p->officer->ownerSide, 2);
    }
    Troop* foe = f.b.AddTroop(f.enemy, 14, 12);
    foe->targetTroop = f.gate->pieces[3];
    f.gate->UpdateOpenState();
    f.own->gates.RemoveValue(uintptr_t(f.gate));
    delete f.gate;
    EXPECT_EQ(foe->targetTroop, nullptr);
    EXPECT_EQ(TheBattleMap->FirstObjectAt(13, 13), 0u);
}

TEST(CastleGate, AGateWithoutADoorPatternIsRefusedAtLoad) {
    Battle b;
    struct Case {
        int direction, style;
        bool accepted;
    };
    const Case cases[] = {{0, 0, true},  {1, 7, true},   {2, 0, false},          {-1, 0, false},
                          {0, 8, false}, {0, -1, false}, {0, 0x7FFFFFFF, false}, {1, 0x20000000, false}};
    for (const Case& c : cases) {
        GateRecord r;
        r.centreX = 10;
        r.centreY = 10;
        r.direction = c.direction;
        r.style = c.style;
        std::unique_ptr<CastleGate> gate(CastleGate::FromRecord(r, 1));
        EXPECT_EQ(gate != nullptr, c.accepted) << c.direction << "/" << c.style;
        if (gate) EXPECT_EQ(gate->style, c.style);
    }
}

TEST(CastleGate, AStageWithGatesOfSeveralKingdomsIsTornDownSafely) {
    // Each kingdom's gates forget their pieces' pursuers as they go; kingdoms already deleted are no
    // longer walked (AddressSanitizer reports any touch).
    GateField f;
    auto* theirs = new CastleGate(20, 20, 1, 2, 0, 0, 0);
    f.enemy->gates.Add(uintptr_t(theirs));
    Troop* besieger = f.b.AddTroop(f.own, 22, 22);
    besieger->targetTroop = theirs->pieces[0];
    Troop* raider = f.b.AddTroop(f.enemy, 14, 12);
    raider->targetTroop = f.gate->pieces[0];
}

TEST(CastleGate, EachStateStampsItsDoorPatternAndTheSilentBreakStampsNone) {
    GateField f;
    CastleGate gate(20, 12, 0, 1, 1, 0, 0); // style 1: door patterns 6, 7 and 8
    for (int state = 0; state < 3; ++state) {
        auto pattern = std::make_unique<FootprintPattern>();
        pattern->width = 1;
        pattern->cellTiles = {uint16_t(1000 + state)};
        Footprints().door[6 + state] = std::move(pattern);
    }
    MapCell* centre = TheBattleMap->CellAt(20, 24);
    for (int state : {1, 0, 2}) {
        gate.SetOpen(state);
        EXPECT_EQ(centre->layerTile, 1000 + state) << state;
    }
    gate.SetOpen(3);
    EXPECT_EQ(centre->layerTile, 1002);
    EXPECT_EQ(gate.pictureIndex, 4);
    for (int state = 0; state < 3; ++state)
        Footprints().door[6 + state].reset();
}
