#include "TroopFixture.h"

#include "engine/LinkList.h"
#include "troops/TroopSightDiamond.h"
#include "troops/TroopStatusFixture.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <utility>

using trooptest::Battle;

namespace {
uint8_t Count(int x, int h) {
    return TheBattleMap->CellAt(x, h)->sightCount;
}
uint8_t Mark(int x, int h) {
    return TheBattleMap->CellAt(x, h)->seen;
}

void MoveTo(Troop* t, int x, int y) {
    t->cellX = int16_t(x);
    t->cellY = int16_t(y);
    t->MoveSight();
}

std::set<std::pair<int, int>> Diamond(int x, int y, int r) {
    std::set<std::pair<int, int>> cells;
    ForEachSightCell(x, y, r, [&](int32_t cx, int32_t h) {
        if (cx >= 0 && cx < trooptest::kMapWidth && h >= 0 && h < trooptest::kMapRows) cells.insert({cx, h});
    });
    return cells;
}
} // namespace

TEST(TroopSight, TheDiamondGrowsByHalfRowsAndItsMembershipTestAgrees) {
    // Radius 1 around (5, 5): half-rows 8..12 with 1, 2, 3, 2, 1 cells, the odd rows shifted left.
    const std::set<std::pair<int, int>> one = {{5, 8},  {4, 9},  {5, 9},  {4, 10}, {5, 10},
                                               {6, 10}, {4, 11}, {5, 11}, {5, 12}};
    EXPECT_EQ(Diamond(5, 5, 1), one);
    for (int r = 0; r <= 6; ++r) {
        const auto cells = Diamond(15, 20, r);
        EXPECT_EQ(cells.size(), size_t(r == 0 ? 0 : (2 * r + 1) * (2 * r + 1))) << r;
        for (int x = 0; x < 40; ++x)
            for (int h = 20; h < 60; ++h)
                EXPECT_EQ(InSightDiamond(15, 20, r, x, h), cells.count({x, h}) == 1)
                    << r << " " << x << "," << h;
    }
}

TEST(TroopSight, TwoTroopsSeeingACellCountTwiceAndLeaveItInFog) {
    Battle b;
    b.Type(1, {{SoldierColumn::kSight, 2}});
    Kingdom* k = b.AddKingdom(1, true);
    Troop* first = b.AddTroop(k, 10, 10);
    Troop* second = b.AddTroop(k, 10, 11);
    first->UpdateSight();
    EXPECT_EQ(Count(10, 20), 2);
    second->UpdateSight();
    EXPECT_EQ(Count(10, 20), 3);
    MoveTo(second, 20, 11);
    EXPECT_EQ(Count(10, 20), 2); // still in sight
    MoveTo(first, 10, 30);
    EXPECT_EQ(Count(10, 20), 1); // fog, never 0 again
    MoveTo(first, 10, 11);
    EXPECT_EQ(Count(10, 20), 2);
    // Radius 0 marks nothing; with sight off nothing moves either.
    Troop* blind = b.AddTroop(k, 30, 30);
    blind->sightRadius = 0;
    blind->UpdateSight();
    EXPECT_EQ(Count(30, 60), 0);
    TheGameController->sightOff = 1;
    MoveTo(first, 12, 12);
    EXPECT_EQ(first->sightMark.x, 10);
    TheGameController->sightOff = 0;
}

TEST(TroopSight, ARedrawMarksTheCellWithItsCodeAndItsEightNeighbours) {
    Battle b;
    Kingdom* k = b.AddKingdom(1, true);
    Troop* t = b.AddTroop(k, 10, 10);
    // Odd half-row 21: neighbours (0,-2) (0,-1) (1,-1) (-1,0) (1,0) (0,1) (1,1) (0,2).
    t->MarkRedraw(10, 21, 2);
    const std::set<std::pair<int, int>> odd = {{10, 19}, {10, 20}, {11, 20}, {9, 21},
                                               {11, 21}, {10, 22}, {11, 22}, {10, 23}};
    // Even half-row 30: (0,-2) (-1,-1) (0,-1) (-1,0) (1,0) (-1,1) (0,1) (0,2).
    t->MarkRedraw(20, 30, 0);
    const std::set<std::pair<int, int>> even = {{20, 28}, {19, 29}, {20, 29}, {19, 30},
                                                {21, 30}, {19, 31}, {20, 31}, {20, 32}};
    for (int x = 0; x < trooptest::kMapWidth; ++x)
        for (int h = 0; h < trooptest::kMapRows; ++h) {
            int expected = odd.count({x, h}) || even.count({x, h}) ? 1 : 0;
            if (x == 10 && h == 21) expected = 2;
            if (x == 20 && h == 30) expected = 1; // code 0 marks the cell 1
            EXPECT_EQ(Mark(x, h), expected) << x << "," << h;
        }
    // Outside the valid bounds nothing is marked.
    t->MarkRedraw(0, 0, 3);
    EXPECT_EQ(Mark(0, 0), 0);
}

TEST(TroopSight, CountsStayEqualToARecountUnderMovesGarrisonsCapturesAndRadiusChanges) {
    Battle b;
    b.Type(1, {{SoldierColumn::kSight, 3}});
    Kingdom* player = b.AddKingdom(1, true);
    Kingdom* foe = b.AddKingdom(2);
    Battle::War(player, foe);
    std::vector<Troop*> troops;
    for (int i = 0; i < 5; ++i)
        troops.push_back(b.AddTroop(player, 5 + 6 * i, 5 + 3 * i));
    for (Troop* t : troops)
        t->UpdateSight();
    auto farSight = trooptest::StatusSkill(20, 5, {{trooptest::kSightPct, 100}});

    std::set<std::pair<int, int>> everSeen;
    auto remember = [&] {
        for (Troop* t : troops)
            if (t->sightMark.marked)
                for (auto c : Diamond(t->sightMark.x, t->sightMark.y, t->sightMark.radius))
                    everSeen.insert(c);
    };
    remember();
    std::mt19937 rng(12345);
    int lastOp = -1;
    for (int step = 0; step < 600; ++step) {
        Troop* t = troops[rng() % troops.size()];
        const int op = int(rng() % 8);
        lastOp = op;
        switch (op) {
        case 0:
        case 1:
        case 2: { // a walk of a few cells, diagonal ones included, up to the map's edges
            const int nx = std::clamp<int>(t->cellX + int(rng() % 9) - 4, 0, 39);
            const int ny = std::clamp<int>(t->cellY + int(rng() % 9) - 4, 0, 39);
            // The sight passes every cell on the way, one step at a time.
            if (t->sightMark.marked)
                for (int x = t->sightMark.x, y = t->sightMark.y; x != nx || y != ny;) {
                    x += (nx > x) - (nx < x);
                    y += (ny > y) - (ny < y);
                    for (auto c : Diamond(x, y, t->sightMark.radius))
                        everSeen.insert(c);
                }
            MoveTo(t, nx, ny);
            break;
        }
        case 3: // into a city and out again
            t->EnterGarrison(1);
            t->SetCell(t->cellX, t->cellY, 0);
            t->UpdateSight();
            break;
        case 4: // wider sight and back
            if (t->statusBits & 0x20000)
                t->ClearStatus(0x20000, false);
            else
                t->ApplySkillStatus(farSight.data());
            break;
        case 5: // captured by the enemy, then taken back by the player
            if (t->officer->StatusWord() == 0) {
                t->ApplyCapture(2, 0);
            } else {
                t->ApplyCapture(1, 0);
                t->officer->StatusWord() = 0;
                t->flags &= ~0x46u;
            }
            break;
        case 6: // a new soldier type with another sight radius
            t->sightRadius = int16_t(1 + rng() % 5);
            t->UpdateSight();
            break;
        default:
            t->UpdateSight();
            break;
        }
        remember();
        for (Troop* x : troops)
            if (x->sightMark.marked) {
                EXPECT_EQ(x->sightMark.x, x->cellX);
                EXPECT_EQ(x->sightMark.y, x->cellY);
            }
        // The recount: 0 never seen, 1 fog, otherwise one more than the troops that see it.
        int wrong = 0;
        for (int x = 0; x < trooptest::kMapWidth; ++x)
            for (int h = 0; h < trooptest::kMapRows; ++h) {
                int seers = 0;
                for (Troop* s : troops)
                    if (s->sightMark.marked &&
                        InSightDiamond(s->sightMark.x, s->sightMark.y, s->sightMark.radius, x, h))
                        ++seers;
                const int expected = seers > 0 ? seers + 1 : (everSeen.count({x, h}) ? 1 : 0);
                if (Count(x, h) != expected) ++wrong;
            }
        ASSERT_EQ(wrong, 0) << "step " << step << " op " << lastOp;
    }
    // Every troop withdrawn leaves nothing but fog.
    for (Troop* t : troops)
        t->UpdateSightInView();
    for (int x = 0; x < trooptest::kMapWidth; ++x)
        for (int h = 0; h < trooptest::kMapRows; ++h)
            EXPECT_LE(Count(x, h), 1);
}

TEST(TroopSight, AGarrisonedTroopLeavesTheMapAndItsSight) {
    Battle b;
    Kingdom* k = b.AddKingdom(1, true);
    Troop* t = b.AddTroop(k, 10, 10);
    t->UpdateSight();
    t->targetTroop = t;
    t->officer->workWords[1] = 7;
    TheGameController->selection->Add(uintptr_t(t));
    t->selected = 1;
    t->EnterGarrison(1);
    EXPECT_EQ(Count(10, 20), 1);
    EXPECT_FALSE(b.OnCell(t, 10, 10));
    EXPECT_EQ(t->garrison, 1);
    EXPECT_EQ(t->flags & 0x06, 0x06u);
    EXPECT_EQ(t->targetTroop, nullptr);
    EXPECT_EQ(t->officer->workWords[1], 0);
    EXPECT_EQ(t->selected, 0);
    EXPECT_EQ(TheGameController->selection->GetCount(), 0);
}

TEST(TroopSight, TheHitTestNeedsTheTroopInSight) {
    Battle b;
    b.Animations({1});
    Kingdom* k = b.AddKingdom(1, true);
    Troop* t = b.AddTroop(k, 10, 10);
    t->StartActionAnimation();
    ASSERT_NE(t->currentNode, nullptr);
    const int px = t->pixelX + 80 + 5, py = t->pixelY + 130 + 5;
    EXPECT_EQ(t->HitTest(px, py), 0); // fog
    t->UpdateSight();
    EXPECT_EQ(t->HitTest(px, py), 1);
    EXPECT_EQ(t->drawnRect[2] - t->drawnRect[0], 40);
    EXPECT_EQ(t->drawnRect[3] - t->drawnRect[1], 55);
    EXPECT_EQ(t->HitTest(t->pixelX + 120, py), 0); // right edge is outside
}
