#include "TroopFixture.h"

#include "platform/CRand.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "support/SentCommands.h"
#include "world/BattleMap.h"
#include "world/UnitPath.h"

#include <gtest/gtest.h>

using namespace trooptest;

namespace {

using L = OfficerLayout;

struct DecisionTest : testing::Test {
    Battle b;
    Kingdom* k = b.AddKingdom(1);
    Kingdom* foe = b.AddKingdom(2);
    DecisionTest() {
        Battle::War(k, foe);
        TheGameController->running = 1;
    }
    // A troop standing at (10, 10) with an order in state 20 whose officer has that serial.
    Troop* Standing(uint32_t serial) {
        Troop* t = b.AddTroop(k, 10, 10);
        t->officer->serial = serial;
        return t;
    }
};

TEST_F(DecisionTest, ATroopDecidesOnThePhaseOfItsSerial) {
    // The route starts on the troop's turn: the visible sign of a decision.
    Troop* t = Standing(13);
    t->officer->Set(L::kActionAi, 1);
    std::vector<int> turns;
    for (int frame = 1; frame <= 16; ++frame) {
        t->Think();
        if (t->routeStage == 1 && turns.empty()) turns.push_back(frame);
    }
    EXPECT_EQ(turns, std::vector<int>{5}); // phases 1, 2, ... reach 13 mod 8 = 5 on frame 5
    EXPECT_EQ(t->decisionPhase, 0);        // 16 frames: the phase wrapped round twice
    EXPECT_EQ(t->order->orderState, 20);
    EXPECT_EQ(t->routeWait, 0);

    // With a start condition the route waits for its trigger.
    Troop* waiting = Standing(2);
    waiting->officer->Set(L::kActionAi, 1);
    waiting->officer->Set(188, 1); // "初始天條件"
    for (int frame = 0; frame < 8; ++frame)
        waiting->Think();
    EXPECT_EQ(waiting->routeStage, 0);
    waiting->routeTrigger = 1;
    for (int frame = 0; frame < 8; ++frame)
        waiting->Think();
    EXPECT_EQ(waiting->routeStage, 1);
}

TEST_F(DecisionTest, TroopsOutOfTheFightDoNotCountTheirFrames) {
    struct Case {
        const char* what;
        void (*prepare)(Troop&);
    } cases[] = {
        {"dead", [](Troop& t) { t.state = 13; }},
        {"out of play", [](Troop& t) { t.outOfPlay = 1; }},
        {"garrisoned", [](Troop& t) { t.garrison = 1; }},
        {"stopped world", [](Troop&) { TheGameController->running = 0; }},
    };
    for (const Case& c : cases) {
        Troop* t = Standing(3);
        c.prepare(*t);
        t->skillLaunched = 5;
        t->skillDelay = 4;
        t->Think();
        EXPECT_EQ(t->decisionPhase, 0) << c.what;
        EXPECT_EQ(t->skillLaunched, 5) << c.what;
        EXPECT_EQ(t->skillDelay, 4) << c.what;
        TheGameController->running = 1;
    }
    // A troop in the fight counts down its skill delay and runs its skill cool-down to 100.
    Troop* t = Standing(3);
    t->skillLaunched = 100;
    t->skillDelay = 1;
    t->Think();
    EXPECT_EQ(t->skillLaunched, 0);
    EXPECT_EQ(t->skillDelay, 0);
}

TEST_F(DecisionTest, ClientsNeverRunTheOrderMachine) {
    // An order in state 22 makes RunOrder act on the host; a client leaves it alone.
    for (bool client : {false, true}) {
        TheGameController->networked = client;
        TheGameController->isHost = !client;
        Troop* t = Standing(1);
        t->officer->Set(L::kActionAi, 1);
        t->Think();
        // Turn 1 comes on the first frame: the route starts on either station (the client's
        // reduced cycle has the route start too); the order machine only on the host.
        EXPECT_EQ(t->routeStage, 1) << client;
        EXPECT_EQ(t->order->orderState, 20) << client;
    }
    TheGameController->networked = 0;
}

TEST_F(DecisionTest, TheRetreatHoldEndsWithAHaltThatKeepsTheDestination) {
    Troop* t = Standing(7);
    t->state = 0;
    t->actionCode = 1;
    t->goalX = 20;
    t->goalY = 21;
    t->velX = 500;
    t->retreating = 1;
    t->retreatTimer = 2;
    t->TickRetreat();
    EXPECT_EQ(t->retreating, 1);
    EXPECT_EQ(t->retreatTimer, 1);
    t->TickRetreat();
    EXPECT_EQ(t->retreating, 0);
    EXPECT_EQ(t->retreatTimer, 0);
    EXPECT_EQ(t->state, 10);
    EXPECT_EQ(t->velX, 0);
    EXPECT_EQ(t->goalX, 20);
    EXPECT_EQ(t->goalY, 21);
    // No hold: nothing happens.
    t->state = 0;
    t->TickRetreat();
    EXPECT_EQ(t->state, 0);
}

TEST_F(DecisionTest, ArrivalActionsByActionCode) {
    Troop* t = Standing(7);
    Troop* enemy = b.AddTroop(foe, 14, 10);
    struct Case {
        uint8_t action;
        bool withTarget;
        bool acts;
    } cases[] = {{3, false, false}, {4, false, true},  {5, true, true},  {5, false, false},
                 {6, false, true},  {0, false, false}, {2, false, false}};
    for (const Case& c : cases) {
        t->actionCode = c.action;
        t->targetTroop = c.withTarget ? enemy : nullptr;
        t->order->secondX = 12;
        t->order->secondY = 13;
        EXPECT_EQ(t->DoArrivalAction(), c.acts) << int(c.action);
        if (c.action == 4) {
            EXPECT_EQ(t->goalX, 12);
            EXPECT_EQ(t->goalY, 13);
        }
        if (c.action == 5 && c.withTarget) EXPECT_EQ(t->targetTroop, enemy);
    }
}

TEST_F(DecisionTest, AnEscortWithoutItsTroopStopsEscorting) {
    Troop* t = Standing(7);
    Troop* ward = b.AddTroop(k, 20, 20);
    t->flags |= 0x200;
    t->escortTarget = ward;
    EXPECT_TRUE(t->KeepEscort());
    // In state 10 it heads for a cell near its ward: -2..4 off on each axis.
    EXPECT_GE(t->goalX, 18);
    EXPECT_LE(t->goalX, 24);
    EXPECT_GE(t->goalY, 18);
    EXPECT_LE(t->goalY, 24);
    ward->state = 13;
    EXPECT_TRUE(t->KeepEscort());
    EXPECT_EQ(t->flags & 0x200, 0u);
    EXPECT_EQ(t->escortTarget, nullptr);
    EXPECT_EQ(t->state, 10);
}

TEST_F(DecisionTest, ACityTurnsItsGarrisonOnAnEnemyOnItsCells) {
    City* city = b.AddCity(foe, 30, 30, 3);
    Troop* guard = b.AddTroop(foe, 31, 16);
    Troop* busy = b.AddTroop(foe, 32, 16);
    busy->state = 1;
    city->garrison[0] = guard;
    city->garrison[1] = busy;
    Troop* raider = Standing(7);
    for (int kind : {0, 2}) {
        TheGameController->gameKind = kind;
        raider->ArriveAtCityCell(city);
        EXPECT_EQ(guard->targetTroop, nullptr) << kind;
    }
    TheGameController->gameKind = 1;
    // Not at war, or a troop with flag 0x04: nothing.
    Troop* friendly = b.AddTroop(foe, 33, 16);
    friendly->ArriveAtCityCell(city);
    EXPECT_EQ(guard->targetTroop, nullptr);
    raider->flags |= 0x04;
    raider->ArriveAtCityCell(city);
    EXPECT_EQ(guard->targetTroop, nullptr);
    raider->flags &= ~0x04u;
    raider->ArriveAtCityCell(city);
    EXPECT_EQ(guard->targetTroop, raider);
    EXPECT_EQ(busy->targetTroop, nullptr);
    city->garrison[0] = city->garrison[1] = nullptr;
}

TEST_F(DecisionTest, APathThatStopsFarFromItsEndWasCutShort) {
    struct Case {
        int32_t dx;
        uint8_t action;
        bool halted;
    } cases[] = {{96001, 1, true}, {96000, 1, true}, {96001, 6, false}};
    for (const Case& c : cases) {
        Troop* t = Standing(7);
        b.AddCity(k, 4, 4, 0); // the nearest own city an action-6 troop falls back to
        t->state = 0;
        t->actionCode = c.action;
        t->goalX = 30;
        t->goalY = 10;
        t->velX = t->velY = 0; // a step that brings it no closer
        t->waypoints = new PathWaypoint{t->worldX + c.dx, t->worldY, 2, nullptr};
        t->Think();
        if (c.dx > 96000) {
            EXPECT_EQ(t->state == 10, c.halted) << c.dx << " " << int(c.action);
        } else {
            // Close enough: the troop has arrived and halts.
            EXPECT_EQ(t->state, 10);
        }
        FreeUnitPath(t);
    }
}

TEST_F(DecisionTest, ARouteLegThatEndsWithoutPursuitGoesOnAtOnce) {
    for (uint8_t pursue : {uint8_t(0), uint8_t(0x80), uint8_t(0x40)}) {
        Troop* t = Standing(7);
        t->state = 0;
        t->actionCode = 1;
        t->order->orderState = 20;
        t->order->pursue = pursue;
        t->routeStage = 2;
        t->routeWait = 5;
        t->waypoints = new PathWaypoint{t->worldX, t->worldY, 2, nullptr};
        t->decisionPhase = 3; // not its turn: the order machine stays out
        t->Think();
        EXPECT_EQ(t->state, 10) << int(pursue);
        EXPECT_EQ(t->routeWait, pursue == 0 ? -2 : 5) << int(pursue);
        FreeUnitPath(t);
    }
}

TEST_F(DecisionTest, GuardsLetGoOfTargetsThatLeftTheCity) {
    City* city = b.AddCity(foe, 30, 30, 3);
    Troop* raider = Standing(7);
    Troop* inside = b.AddTroop(k, 12, 12);
    TheBattleMap->CellAt(12, 24)->cityId = 1;
    struct Case {
        const char* what;
        Troop* target;
        int kind;
        bool halted;
    } cases[] = {
        {"target off the city's cells", raider, 1, true},
        {"target on a city cell", inside, 1, false},
        {"no target", nullptr, 3, true},
        {"campaign", raider, 0, false},
        {"kind 2", raider, 2, false},
    };
    for (const Case& c : cases) {
        Troop* guard = b.AddTroop(foe, 31, 16);
        guard->state = 1;
        guard->targetTroop = c.target;
        city->garrison[0] = guard;
        TheGameController->gameKind = c.kind;
        city->CheckGuards();
        EXPECT_EQ(guard->state == 10, c.halted) << c.what;
    }
    // A target that is gone counts as having left.
    Troop* guard = city->garrison[0];
    TheGameController->gameKind = 1;
    guard->state = 11;
    guard->targetTroop = inside;
    inside->outOfPlay = 1;
    city->CheckGuards();
    EXPECT_EQ(guard->state, 10);
    city->garrison[0] = nullptr;
}

TEST_F(DecisionTest, AStandingTroopTakesOnAnEnemyWithinItsAlert) {
    struct Case {
        int8_t alert;
        int enemyX;
        bool client;
        bool engaged;
    } cases[] = {{5, 13, false, true}, {2, 13, false, false}, {5, 13, true, false}};
    for (const Case& c : cases) {
        TheGameController->networked = c.client;
        TheGameController->isHost = !c.client;
        Troop* t = Standing(1); // turn 1: decides on the first frame
        t->order->alert = c.alert;
        Troop* enemy = b.AddTroop(foe, c.enemyX, 10);
        t->Think();
        EXPECT_EQ(t->targetTroop == enemy, c.engaged) << int(c.alert) << " " << c.client;
        EXPECT_EQ(t->state == 1, c.engaged) << int(c.alert) << " " << c.client;
        enemy->outOfPlay = 1;
        t->outOfPlay = 1;
    }
    TheGameController->networked = 0;
}

TEST_F(DecisionTest, AnAttackGoesOnOnItsThirdFrameUntilTheTargetFalls) {
    Troop* t = Standing(7);
    Troop* enemy = b.AddTroop(foe, 11, 10);
    t->officer->Set(L::kAttack, 30);
    enemy->officer->Set(L::kHp, 200);
    enemy->officer->Set(L::kMaxHp, 200);
    ASSERT_TRUE(NetCmdTargetTroop(t, enemy));
    t->state = 11;
    t->skill = -1;
    t->goalX = enemy->cellX;
    t->goalY = enemy->cellY;
    t->currentFrame = 2;
    t->Think();
    EXPECT_EQ(enemy->officer->Get(L::kHp), 200); // only the third frame strikes
    t->currentFrame = 3;
    t->Think();
    EXPECT_LT(enemy->officer->Get(L::kHp), 200);
    // The target gone: the attacker stops.
    enemy->outOfPlay = 1;
    t->Think();
    EXPECT_EQ(t->state, 10);
}

TEST_F(DecisionTest, AGroundHolderGoesOverToTheOnlyKingdomAroundIt) {
    struct Case {
        const char* what;
        bool secondKingdom;
        int8_t owner;
    } cases[] = {{"only the foe around", false, 2}, {"two kingdoms around", true, 1}};
    for (const Case& c : cases) {
        Troop* holder = b.AddTroop(k, 30, 30, 1, 5);
        holder->officer->serial = 1;
        Troop* near = b.AddTroop(foe, 32, 30);
        Troop* other = nullptr;
        if (c.secondKingdom) other = b.AddTroop(k, 30, 32);
        holder->Think();
        EXPECT_EQ(holder->owner, c.owner) << c.what;
        for (Troop* t : {holder, near, other})
            if (t) t->outOfPlay = 1;
    }
}

TEST_F(DecisionTest, AFollowerHeadsForItsPlaceBesideAMovingLeader) {
    // The leader stands six cells east of its follower and walks on.
    Troop* leader = b.AddTroop(k, 16, 10);
    leader->officer->serial = 5;
    Troop* f = Standing(6);
    f->formationFollow = 1;
    f->leader = leader;
    f->followerOffsetX = 0;
    f->followerOffsetY = 0;
    f->formationRadius = 0;
    leader->state = 0;
    leader->velX = 4000;
    f->decisionPhase = 0; // not its turn; the leader step runs every frame
    f->Think();
    EXPECT_NE(f->state, 10);
    EXPECT_GE(f->goalX, 15);
    EXPECT_EQ(f->goalY, 10);
    // A follower whose leader has fallen stays where it is.
    Troop* g = Standing(6);
    g->formationFollow = 1;
    g->leader = leader;
    leader->outOfPlay = 1;
    const int16_t goalBefore = g->goalX;
    g->Think();
    EXPECT_EQ(g->state, 10);
    EXPECT_EQ(g->goalX, goalBefore);
}

TEST_F(DecisionTest, AClientClosingOnATargetWithinReachWaitsForTheHost) {
    // The host turns such a troop to strike where it stands; a client copy that walked on
    // would part from it.
    TheGameController->networked = 1;
    TheGameController->isHost = 0;
    struct Case {
        int enemyX;
        bool walks;
    } cases[] = {{12, false}, {25, true}};
    for (const Case& c : cases) {
        Troop* t = Standing(7);
        t->rangeStart = 1;
        t->rangeEnd = 2;
        Troop* enemy = b.AddTroop(foe, c.enemyX, 10);
        t->ApplyTarget(enemy);
        ASSERT_EQ(t->state, 1);
        t->velX = t->velY = 0;
        t->Think();
        EXPECT_EQ(t->velX != 0, c.walks) << c.enemyX;
        EXPECT_EQ(t->state, 1) << c.enemyX;
        t->outOfPlay = enemy->outOfPlay = 1;
    }
    TheGameController->networked = 0;
    TheGameController->isHost = 0;
}

TEST_F(DecisionTest, AnEnemyOnAWalledTownCallsItsWallAndItsDefenders) {
    City* town = b.AddCity(foe, 30, 30, 0);
    Troop* wall = b.AddTroop(foe, 31, 15);
    wall->homeCity = town->id;
    wall->order->orderState = 22; // on the wall
    TheBattleMap->sideActive[2] = 1;
    TheGameController->gameKind = 1;
    Troop* raider = Standing(7);
    raider->ArriveAtCityCell(town);
    EXPECT_EQ(wall->order->orderState, 23); // the wall troops turn on the raider
    EXPECT_EQ(town->lastAttackerX, 10);
    EXPECT_EQ(town->lastAttackerY, 10);
}

} // namespace

namespace {

// Two computer kingdoms with generals and their bands and walking troops: the world step, frame by
// frame, ends in the same world from the same seed.
uint64_t RunBattle(uint32_t seed, int frames, int* underWay) {
    Battle b;
    b.Type(1, {{SoldierColumn::kSpeed, 100}});
    b.Animations({1});
    Kingdom* a = b.AddKingdom(1);
    Kingdom* z = b.AddKingdom(2);
    Battle::War(a, z);
    TheBattleMap->sideActive[1] = TheBattleMap->sideActive[2] = 1;
    TheGameController->running = 1;
    platform::srand(seed);
    std::vector<Troop*> all;
    for (Kingdom* k : {a, z}) {
        const int x0 = k == a ? 5 : 30;
        Troop* g = b.AddTroop(k, x0, 10);
        g->officer->Set(OfficerLayout::kClass, 1);
        g->officer->Set(OfficerLayout::kLevel, 4);
        g->CreateFollowers();
        all.push_back(g);
        for (int i = 0; i < 4; ++i) {
            Troop* t = b.AddTroop(k, x0, 14 + 3 * i, 1, 2);
            t->ApplyCmd02(k == a ? 30 : 5, 14 + 3 * i);
            all.push_back(t);
        }
    }
    for (int f = 0; f < frames; ++f)
        TheBattleMap->Update();
    uint64_t h = 1469598103934665603ull;
    auto mix = [&](int64_t v) {
        h ^= uint64_t(v);
        h *= 1099511628211ull;
    };
    *underWay = 0;
    for (size_t i = 0; i < all.size(); ++i) {
        Troop* t = all[i];
        mix(t->cellX);
        mix(t->cellY);
        mix(t->state);
        mix(t->worldX);
        mix(t->worldY);
        mix(t->OfficerValue(OfficerLayout::kHp));
        mix(t->velX);
        mix(t->nextDirection);
        // The walkers have left their start column toward their destinations.
        *underWay += i % 5 != 0 && t->cellX != (t->owner == 1 ? 5 : 30);
    }
    return h;
}

TEST(DecisionBattle, TheSameSeedGivesTheSameBattle) {
    int underWayA = 0, underWayB = 0;
    const uint64_t first = RunBattle(7, 300, &underWayA);
    const uint64_t second = RunBattle(7, 300, &underWayB);
    EXPECT_EQ(first, second);
    EXPECT_EQ(underWayA, 8); // the eight walkers; the generals and their bands stand
    EXPECT_EQ(underWayB, 8);
}

} // namespace

// A destination walled in on every side moves to the nearest cell outside that the troop can reach.
TEST_F(DecisionTest, AWalledInDestinationMovesToAReachableCell) {
    for (int x = 27; x <= 33; ++x)
        for (int y = 7; y <= 13; ++y)
            if (x == 27 || x == 33 || y == 7 || y == 13) TheBattleMap->CellAt(x, 2 * y)->obstacle = 1;
    struct Case {
        int goalX, goalY, wantX, wantY;
    } cases[] = {{30, 10, 26, 10}, {20, 10, 20, 10}};
    for (const Case& c : cases) {
        Troop* t = Standing(3);
        t->decisionPhase = 1; // not its turn: only the path step runs
        t->state = 0;
        t->goalX = int16_t(c.goalX);
        t->goalY = int16_t(c.goalY);
        t->Think();
        EXPECT_EQ(t->goalX, c.wantX) << c.goalX;
        EXPECT_EQ(t->goalY, c.wantY) << c.goalX;
        FreeUnitPath(t);
    }
}
