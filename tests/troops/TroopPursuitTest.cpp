#include "TroopFixture.h"

#include <gtest/gtest.h>

using trooptest::Battle;

TEST(TroopPursuit, AnchorsAndReturns) {
    struct Case {
        const char* name;
        uint8_t state;
        int goalX, goalY;
        bool wall;
        int8_t orderState;
        uint32_t flags;
        uint8_t pursueAfter;
        int backX, backY; // where the return leads; -1: halted where it stands
    };
    const Case cases[] = {
        {"halted: back to its post", 10, 0, 0, false, 0, 0, 0x85, 8, 8},
        {"moving: on to the old destination", 0, 20, 15, false, 0, 0, 0x85, 20, 15},
        {"moving without a destination: the post", 0, -1, 15, false, 0, 0, 0x85, 8, 8},
        {"on a wall", 10, 0, 0, true, 0, 0, 0xC5, 8, 8},
        {"on a wall, wall duty", 10, 0, 0, true, 22, 0, 0x85, 8, 8},
        {"flag 8: no pursuit", 10, 0, 0, false, 0, 0x08, 0x05, -1, -1},
    };
    for (const Case& c : cases) {
        Battle b;
        Kingdom* k = b.AddKingdom(1);
        Troop* t = b.AddTroop(k, 8, 8);
        if (c.wall) TheBattleMap->CellAt(8, 16)->obstacle = 255;
        t->state = c.state;
        t->goalX = int16_t(c.goalX);
        t->goalY = int16_t(c.goalY);
        t->order->pursue = 0x05;
        t->order->orderState = c.orderState;
        t->flags = c.flags;
        t->MarkPursuitStart();
        EXPECT_EQ(t->order->pursue, c.pursueAfter) << c.name;
        if (c.backX < 0) continue;
        EXPECT_EQ(t->order->postX, 8) << c.name;
        // A second start while pursuing changes nothing.
        t->SetCell(12, 12, 0);
        t->MarkPursuitStart();
        EXPECT_EQ(t->order->postX, 8) << c.name;

        t->ReturnFromPursuit();
        EXPECT_EQ(t->state, 0) << c.name;
        EXPECT_EQ(t->goalX, c.backX) << c.name;
        EXPECT_EQ(t->goalY, c.backY) << c.name;
        // Going back to the post keeps the troop marked as returning; a move elsewhere does not.
        EXPECT_EQ((t->order->pursue & 0x80) != 0, c.backX == 8 && c.backY == 8) << c.name;
        // Standing on the return cell: a halt.
        t->SetCell(int16_t(c.backX), int16_t(c.backY), 0);
        t->ReturnFromPursuit();
        EXPECT_EQ(t->state, 10) << c.name;
        EXPECT_EQ(t->order->pursue & 0xC0, 0) << c.name;
    }
}

TEST(TroopUpdateOrders, CityTargetsTurnIntoCommandsOnTheDecidingStation) {
    struct Case {
        const char* name;
        uint8_t state;
        uint8_t action;
        bool fallen;
        bool ownCity;
        int16_t guard;
        uint8_t decisionPhase;
        uint8_t expectState;
        uint8_t expectAction;
    };
    const Case cases[] = {
        {"walking to an enemy city attacks it", 0, 6, false, false, 0, 0, 1, 2},
        {"... not while deciding", 0, 6, false, false, 0, 3, 0, 6},
        {"... not a guarded one", 0, 6, false, false, 1, 0, 0, 6},
        {"... a fallen one stops it", 0, 6, true, false, 0, 0, 10, 0},
        {"marching on a city now its own follows it", 1, 2, false, true, 0, 0, 0, 6},
        {"marching on a fallen city stops", 1, 2, true, false, 0, 0, 10, 0},
        {"attacking a guarded city follows it", 11, 12, false, false, 2, 0, 0, 6},
        {"attacking a fallen city stops", 11, 12, true, false, 0, 0, 10, 0},
        {"attacking an enemy city goes on", 11, 12, false, false, 0, 0, 11, 12},
    };
    for (const Case& c : cases) {
        for (bool client : {false, true}) {
            Battle b;
            Kingdom* own = b.AddKingdom(1);
            Kingdom* enemy = b.AddKingdom(2);
            Battle::War(own, enemy);
            City* city = b.AddCity(c.ownCity ? own : enemy, 20, 20);
            city->dead = c.fallen;
            city->guardWord = c.guard;
            Troop* t = b.AddTroop(own, 5, 5);
            t->state = c.state;
            t->actionCode = c.action;
            t->targetCity = city;
            t->decisionPhase = int8_t(c.decisionPhase);
            TheGameController->networked = client;
            TheGameController->isHost = 0;
            t->Update();
            if (client) {
                // A client decides nothing; the host's commands reach it.
                EXPECT_EQ(t->state, c.state) << c.name;
                EXPECT_EQ(t->actionCode, c.action) << c.name;
            } else {
                EXPECT_EQ(t->state, c.expectState) << c.name;
                EXPECT_EQ(t->actionCode, c.expectAction) << c.name;
            }
        }
    }
}
