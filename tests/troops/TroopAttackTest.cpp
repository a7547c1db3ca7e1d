#include "TroopFightFixture.h"

#include "troops/TroopSearch.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using trooptest::Field;
using L = OfficerLayout;

TEST(TroopAttack, RangeAnswersByReachRowsColumnsAndWalls) {
    struct Case {
        const char* name;
        int dx, dy, s, e;
        bool ownWall, targetWall;
        int expected;
    };
    const Case cases[] = {
        {"two rows down with reach 1", 0, 2, 0, 1, false, false, 1},
        {"two columns across with reach 1", 2, 0, 0, 1, false, false, 0},
        {"three rows down with reach 1", 0, 3, 0, 1, false, false, 0},
        {"same cell", 0, 0, 0, 1, false, false, 5},
        {"up", 0, -1, 0, 1, false, false, 5},
        {"down", 0, 1, 0, 1, false, false, 1},
        {"left", -1, 0, 0, 1, false, false, 3},
        {"right", 1, 0, 0, 1, false, false, 7},
        {"up-left", -1, -1, 0, 1, false, false, 4},
        {"down-left", -1, 1, 0, 1, false, false, 2},
        {"up-right", 1, -1, 0, 1, false, false, 6},
        {"down-right", 1, 1, 0, 1, false, false, 8},
        {"melee from the wall onto the ground", 1, 0, 0, 1, true, false, 0},
        {"melee from the ground onto the wall", 1, 0, 0, 1, false, true, 0},
        {"melee along the wall", 1, 0, 0, 1, true, true, 7},
        {"reach 3 from the wall onto the ground", 1, 0, 0, 3, true, false, 7},
        {"too close", 1, 1, 2, 5, false, false, -1},
        {"far, nearly straight down", 1, 4, 0, 5, false, false, 1},
        {"far, nearly straight right", 4, 1, 0, 5, false, false, 7},
        {"far diagonal down-right", 3, 3, 0, 5, false, false, 8},
        {"far diagonal up-left", -3, -3, 0, 5, false, false, 4},
        {"far diagonal up-right", 3, -3, 0, 5, false, false, 6},
        {"beyond reach 5", 6, 0, 0, 5, false, false, 0},
    };
    for (const Case& c : cases) {
        Field f;
        Troop* t = f.Add(f.player, 10, 10);
        t->goalX = int16_t(10 + c.dx);
        t->goalY = int16_t(10 + c.dy);
        if (c.ownWall) Field::Cell(10, 10)->obstacle = 255;
        if (c.targetWall) Field::Cell(10 + c.dx, 10 + c.dy)->obstacle = 255;
        EXPECT_EQ(t->IsWithinRange(10, 10, c.s, c.e), c.expected) << c.name;
    }
}

TEST(TroopAttack, SameGroupIsNoTargetUntilOneOfThemFights) {
    Field f;
    Troop* leader = f.Add(f.player, 10, 10, 1);
    Troop* a = f.Add(f.player, 11, 10);
    Troop* b = f.Add(f.player, 12, 10);
    Troop* stranger = f.Add(f.player, 13, 10);
    a->leader = b->leader = leader;
    EXPECT_FALSE(a->IsValidTarget(b));
    EXPECT_FALSE(leader->IsValidTarget(a));
    EXPECT_FALSE(a->IsValidTarget(leader));
    EXPECT_TRUE(a->IsValidTarget(stranger));
    b->state = 11;
    EXPECT_TRUE(a->IsValidTarget(b));
    stranger->outOfPlay = 1;
    EXPECT_FALSE(a->IsValidTarget(stranger));
}

namespace {
struct Enemy {
    int x, y, kind, hp, reach;
};
// The troop the scan of a troop at (20, 20) takes among the enemies, by index; -1 none.
int ScanPicks(int ownKind, int combatMode, int preference, const std::vector<Enemy>& enemies) {
    Field f;
    Troop* t = f.Add(f.player, 20, 20, ownKind);
    t->officer->Set(L::kPhysiqueRest, combatMode);
    t->order->spare[1] = uint8_t(preference);
    std::vector<Troop*> list;
    for (const Enemy& e : enemies) {
        Troop* x = f.Add(f.foe, e.x, e.y, e.kind, e.hp);
        x->rangeEnd = int16_t(e.reach);
        list.push_back(x);
    }
    uint8_t cityNear = 0;
    if (!t->ScanForEnemy(8, cityNear)) return -1;
    for (size_t i = 0; i < list.size(); ++i)
        if (t->targetTroop == list[i]) return int(i);
    return -2;
}
} // namespace

TEST(TroopAttack, EnemyRatingFollowsThePreference) {
    struct Case {
        const char* name;
        int ownKind, mode, preference;
        std::vector<Enemy> enemies;
        int picked;
    };
    const Case cases[] = {
        {"nearest first", 2, 0, 0, {{24, 20, 2, 100, 1}, {22, 20, 2, 100, 1}}, 1},
        {"weakest first", 2, 0, 1, {{22, 20, 2, 80, 1}, {24, 20, 2, 30, 1}}, 1},
        {"weakest tie goes to the nearer", 2, 0, 1, {{24, 20, 2, 50, 1}, {22, 20, 2, 50, 1}}, 1},
        {"longest reach first", 2, 0, 2, {{22, 20, 2, 100, 1}, {24, 20, 2, 100, 4}}, 1},
        {"longest reach tie goes to the nearer", 2, 0, 2, {{24, 20, 2, 100, 3}, {22, 20, 2, 100, 3}}, 1},
        {"combat mode 3 takes the nearest", 1, 3, 2, {{24, 20, 2, 100, 9}, {22, 20, 2, 100, 1}}, 1},
        {"a gate piece only when nothing else", 2, 0, 0, {{21, 20, 17, 100, 1}, {25, 20, 2, 100, 1}}, 1},
        {"a gate piece alone", 2, 0, 0, {{21, 20, 17, 100, 1}}, 0},
        {"out of the scan", 2, 0, 0, {{29, 20, 2, 100, 1}}, -1},
        {"kind 9 and 14 are never targets", 2, 0, 0, {{21, 20, 9, 100, 1}, {22, 20, 14, 100, 1}}, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ScanPicks(c.ownKind, c.mode, c.preference, c.enemies), c.picked) << c.name;
}

TEST(TroopAttack, GuardedScannerMarksEveryHostileTroopWithinThreeRings) {
    Field f;
    Troop* t = f.Add(f.player, 20, 20);
    t->statusBits = 0x2000;
    Troop* near1 = f.Add(f.foe, 22, 20);
    Troop* near2 = f.Add(f.foe, 20, 17);
    Troop* far = f.Add(f.foe, 24, 20);
    uint8_t cityNear = 0;
    EXPECT_TRUE(t->ScanForEnemy(0, cityNear));
    EXPECT_EQ(near1->hitFlash, 1);
    EXPECT_EQ(near2->hitFlash, 1);
    EXPECT_EQ(far->hitFlash, 0);
    EXPECT_EQ(t->statusBits & 0x2000, 0u); // the guard is given up on the attack
}

TEST(TroopAttack, BackOffTriesTheSectorsAwayFromTheTargetFirst) {
    Field f;
    Troop* t = f.Add(f.player, 20, 20);
    t->rangeStart = 3;
    t->rangeEnd = 5;
    auto backOff = [&] {
        t->state = 10;
        t->goalX = 21;
        t->goalY = 21; // down-right: direction 7, tried 7, 0, 6, ...
        t->BackOffFromTarget();
        return std::make_pair(int(t->goalX), int(t->goalY));
    };
    EXPECT_EQ(backOff(), std::make_pair(17, 20)); // sector 7, ring 3
    EXPECT_EQ(t->actionCode, 5);
    auto block = [](int sector) {
        int16_t x = 0, y = 0;
        while (FindFreeCellInSector(20, 20, x, y, 3, 5, sector, false))
            Field::Cell(x, y)->obstacle = 1;
    };
    block(7);
    EXPECT_EQ(backOff(), std::make_pair(17, 17)); // sector 0 (and 6) start on this corner
    Field::Cell(17, 17)->obstacle = 1;
    EXPECT_EQ(backOff(), std::make_pair(20, 17)); // sector 0 before sector 6
    block(0);
    EXPECT_EQ(backOff(), std::make_pair(17, 21)); // sector 6
    // Not while it holds its place.
    t->flags |= 0x08;
    EXPECT_EQ(backOff(), std::make_pair(21, 21));
}

TEST(TroopAttack, DirectionFromDeltaSplitsTheCompass) {
    struct Case {
        int dx, dy, dir;
    };
    const Case cases[] = {{0, 5, 0},   {0, -5, 4}, {-5, 0, 2}, {5, 0, 6}, {-3, 3, 1},
                          {-3, -3, 3}, {3, -3, 5}, {3, 3, 7},  {1, 5, 0}, {1, 4, 7}};
    for (const Case& c : cases)
        EXPECT_EQ(DirectionFromDelta(0, 0, c.dx, c.dy), c.dir) << c.dx << "," << c.dy;
}

// Two kingdoms' troops find each other, close in, strike, and the struck one answers.
TEST(TroopAttack, TroopsFindApproachStrikeAndAnswer) {
    Field f;
    Troop* a = f.Add(f.player, 10, 10);
    Troop* b = f.Add(f.foe, 13, 10);
    a->officer->Set(L::kAttack, 40);
    uint8_t cityNear = 0;
    ASSERT_TRUE(a->ScanForEnemy(5, cityNear));
    EXPECT_EQ(a->targetTroop, b);
    EXPECT_EQ(a->state, 1);             // closing in
    EXPECT_FALSE(a->StepTroopAttack()); // out of reach: keep closing
    EXPECT_EQ(std::make_pair(int(a->goalX), int(a->goalY)), std::make_pair(13, 10));

    // The target came closer: in reach, the blow starts and the target answers it.
    b->SetCell(11, 10, 0);
    a->worldY = 0;
    EXPECT_TRUE(a->StepTroopAttack());
    EXPECT_EQ(a->state, 11);
    EXPECT_EQ(b->targetTroop, a);
    EXPECT_EQ(b->state, 1);

    const int before = b->officer->Get(L::kHp);
    EXPECT_TRUE(a->ContinueTroopAttack());
    EXPECT_LT(b->officer->Get(L::kHp), before);

    // A target that died leaves the attacker standing.
    b->state = 13;
    EXPECT_TRUE(a->ContinueTroopAttack());
    EXPECT_EQ(a->state, 10);
}

TEST(TroopAttack, AStruckTroopRalliesItsBandWhenTheAttackerIsOutOfItsScan) {
    Field f;
    City* home = f.b.AddCity(f.foe, 30, 30);
    Troop* archer = f.Add(f.player, 10, 10);
    archer->rangeEnd = 6;
    Troop* victim = f.Add(f.foe, 15, 10, 1);
    std::vector<Troop*> band;
    for (int i = 0; i < 4; ++i) {
        Troop* t = f.Add(f.foe, 18 + i, 14, 1);
        t->homeCity = int16_t(home->id);
        t->order->orderState = 3;
        band.push_back(t);
    }
    victim->homeCity = int16_t(home->id);
    victim->order->orderState = 3;
    archer->Engage(victim);
    EXPECT_EQ(victim->targetTroop, archer);
    int joined = 0;
    for (Troop* t : band)
        joined += t->targetTroop == archer ? 1 : 0;
    EXPECT_EQ(joined, 3); // at most three join
}

TEST(TroopAttack, ACallForHelpEndsAtTheNearestRingWhereAnAllyJoined) {
    Field f;
    Troop* caller = f.Add(f.foe, 20, 20, 1);
    Troop* enemy = f.Add(f.player, 10, 10);
    caller->targetTroop = enemy;
    caller->order->orderState = 1;
    Troop* near = f.Add(f.foe, 22, 20, 1);
    Troop* farther = f.Add(f.foe, 20, 24, 1);
    Troop* busy = f.Add(f.foe, 21, 20, 1);
    near->order->orderState = farther->order->orderState = 1;
    busy->order->orderState = 2; // another order state: not called
    caller->CallForHelp(15, 1, 1, true);
    EXPECT_EQ(near->targetTroop, enemy);
    EXPECT_EQ(farther->targetTroop, nullptr);
    EXPECT_EQ(busy->targetTroop, nullptr);
    caller->CallForHelp(15, 1, 1, false);
    EXPECT_EQ(farther->targetTroop, enemy);
}

TEST(TroopAttack, AMeleeTroopAtACityStrikesItAndAnArcherDoesNot) {
    struct Case {
        const char* name;
        int16_t rangeEnd;
        bool strikes;
    };
    for (const Case& c : {Case{"reach 1", 1, true}, Case{"reach 2", 2, true}, Case{"reach 3", 3, false}}) {
        Field f;
        City* city = f.b.AddCity(f.foe, 20, 20);
        Troop* t = f.Add(f.player, 18, 18);
        t->state = 11;
        t->actionCode = 12;
        t->targetCity = city;
        t->rangeEnd = c.rangeEnd;
        EXPECT_FALSE(t->ContinueCityAttack()) << c.name;
        EXPECT_EQ(city->underAttack != 0, c.strikes) << c.name;
        EXPECT_EQ(city->lastAttackerX, c.strikes ? 18 : 0) << c.name;
    }
}
