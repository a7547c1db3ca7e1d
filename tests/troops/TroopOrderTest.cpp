#include "TroopFixture.h"

#include "Program/GameController.h"
#include "engine/LinkList.h"
#include "records/ItemRecord.h"
#include "records/RecordTables.h"
#include "records/SubCastle.h"
#include "troops/TroopOrderCounts.h"
#include "world/BattleMap.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>

using trooptest::Battle;

namespace {
// Two kingdoms at war, each with a city; the troop belongs to kingdom 1 and its home city.
struct Campaign {
    Battle b;
    Kingdom* own = b.AddKingdom(1);
    Kingdom* enemy = b.AddKingdom(2);
    City* home = nullptr;
    City* target = nullptr;
    Troop* troop = nullptr;
    Campaign() {
        Battle::War(own, enemy);
        home = b.AddCity(own, 6, 8);
        target = b.AddCity(enemy, 30, 30);
        troop = Add(own, 6, 10);
        troop->order->targetCityId = target->id;
    }
    Troop* Add(Kingdom* k, int x, int y) {
        Troop* t = b.AddTroop(k, x, y);
        t->homeCity = int16_t(k == own ? home->id : target->id);
        return t;
    }
};
} // namespace

TEST(TroopOrders, StateTransitionsGiveCommandsAndNewStates) {
    struct Case {
        const char* name;
        int8_t orderState;
        std::function<void(Campaign&)> setUp;
        int8_t expectState;
        std::function<void(Campaign&)> check;
    };
    const Case cases[] = {
        {"patrol whose home was taken", 4, [](Campaign& c) { c.home->ownerSide = 2; }, 6, nullptr},
        {"patrol over capacity goes home", 8, [](Campaign& c) { c.home->muster[0] = 0; }, 8,
         [](Campaign& c) {
             EXPECT_EQ(c.troop->actionCode, 6);
             EXPECT_EQ(c.troop->targetCity, c.home);
         }},
        {"patrol out starts the advance", 3, nullptr, 1,
         [](Campaign& c) {
             EXPECT_EQ(c.troop->state, 0);
             EXPECT_EQ(c.troop->goalX, 28);
             EXPECT_EQ(c.troop->goalY, 28);
         }},
        {"engaged advance resumes", 5, nullptr, 1, [](Campaign& c) { EXPECT_EQ(c.troop->goalX, 28); }},
        {"advance on a city at peace turns home", 1, [](Campaign& c) { c.own->relations[2] = 1; }, 1,
         [](Campaign& c) {
             EXPECT_EQ(c.troop->actionCode, 6);
             EXPECT_EQ(c.troop->targetCity, c.home);
         }},
        {"enter a fallen city", 9, [](Campaign& c) { c.target->dead = 1; }, 6,
         [](Campaign& c) { EXPECT_EQ(c.troop->state, 10); }},
        {"enter a city", 9, nullptr, 9,
         [](Campaign& c) {
             EXPECT_EQ(c.troop->state, 1);
             EXPECT_EQ(c.troop->actionCode, 2);
             EXPECT_EQ(c.troop->targetCity, c.target);
         }},
        {"held object gone", 10, nullptr, 6, nullptr},
        {"held object", 10, [](Campaign& c) { c.troop->heldObject = c.Add(c.enemy, 20, 20); }, 10,
         [](Campaign& c) {
             EXPECT_EQ(c.troop->state, 1);
             EXPECT_EQ(c.troop->heldObject, nullptr);
             EXPECT_EQ(c.troop->goalX, 20);
         }},
        {"assault finds the nearest enemy of the target city", 6,
         [](Campaign& c) {
             c.Add(c.enemy, 31, 9); // nearer, but 21 rows off the city
             c.Add(c.enemy, 29, 25);
         },
         6,
         [](Campaign& c) {
             ASSERT_NE(c.troop->targetTroop, nullptr);
             EXPECT_EQ(c.troop->targetTroop->cellY, 25);
         }},
        {"assault without enemies attacks the city", 6, nullptr, 6,
         [](Campaign& c) {
             EXPECT_EQ(c.troop->state, 1);
             EXPECT_EQ(c.troop->targetCity, c.target);
         }},
        {"a pending path search waits", 3, [](Campaign& c) { c.troop->pathWait = 1; }, 3, nullptr},
        {"no order does nothing", 0, nullptr, 0, [](Campaign& c) { EXPECT_EQ(c.troop->state, 10); }},
    };
    for (const Case& k : cases) {
        Campaign c;
        c.troop->order->orderState = k.orderState;
        if (k.setUp) k.setUp(c);
        c.troop->RunOrder();
        EXPECT_EQ(c.troop->order->orderState, k.expectState) << k.name;
        if (k.check) {
            SCOPED_TRACE(k.name);
            k.check(c);
        }
    }
}

TEST(TroopOrders, CloseInStormsOnThe202ndDecision) {
    Campaign c;
    c.troop->order->orderState = 2;
    Troop* waiting = c.Add(c.own, 7, 10);
    waiting->order->orderState = 2;
    waiting->order->targetCityId = c.target->id;
    c.Add(c.enemy, 30, 25);
    for (int i = 0; i < 201; ++i)
        c.troop->RunOrder();
    EXPECT_EQ(c.troop->orderWait, 201);
    EXPECT_EQ(c.troop->order->orderState, 2);
    c.troop->RunOrder();
    EXPECT_EQ(c.troop->orderWait, 0);
    for (Troop* t : {c.troop, waiting}) {
        EXPECT_EQ(t->order->orderState, 6);
        EXPECT_EQ(t->state, 1);
        ASSERT_NE(t->targetTroop, nullptr);
    }
}

TEST(TroopOrders, RoutesWalkTheirPointsAndEndByTheOfficersBehaviour) {
    struct Case {
        int aTemplate;
        bool aAlive;
        int aX, aY, bX, bY;
        int endAi;
        int8_t stage;
        int goalX, goalY;
        int8_t orderState;
    };
    const Case cases[] = {
        {77, true, 0, 0, 9, 20, 0, 1, 15, 15, 20}, // the A troop where it stands
        {77, false, 0, 0, 9, 20, 0, 4, 9, 10, 20}, // A dead, A cell (0, 0): straight to B
        {0, false, 3, 8, 0, 0, 0, 2, 3, 4, 20},    // the A cell, its row halved
        {0, false, 0, 0, 0, 0, 1, 7, -1, -1, 12},  // no points: finished, roam
        {0, false, 0, 0, 0, 0, 3, 7, -1, -1, 2},   // ... or close in and storm
        {0, false, 0, 0, 0, 0, 0, 7, -1, -1, 20},  // ... or nothing more
    };
    for (const Case& k : cases) {
        Campaign c;
        Troop* a = c.Add(c.own, 15, 15);
        a->officer->Set(OfficerLayout::kPersonNumber, 77);
        if (!k.aAlive) a->state = 13;
        OfficerRecord* o = c.troop->officer;
        o->Set(OfficerLayout::kOrderA, k.aTemplate);
        o->Set(OfficerLayout::kOrderA + 4, k.aX);
        o->Set(OfficerLayout::kOrderA + 8, k.aY);
        o->Set(OfficerLayout::kOrderA + 16, k.bX);
        o->Set(OfficerLayout::kOrderA + 20, k.bY);
        o->Set(OfficerLayout::kActionAi, k.endAi);
        c.troop->order->orderState = 20;
        c.troop->routeStage = 1;
        c.troop->routeWait = -2;
        c.troop->goalX = c.troop->goalY = -1;
        c.troop->RunOrder();
        EXPECT_EQ(c.troop->routeStage, k.stage) << k.aTemplate << " " << k.aX << " ai " << k.endAi;
        EXPECT_EQ(c.troop->order->orderState, k.orderState) << k.endAi;
        if (k.goalX >= 0) {
            EXPECT_EQ(c.troop->goalX, k.goalX);
            EXPECT_EQ(c.troop->goalY, k.goalY);
            EXPECT_EQ(c.troop->state, 0);
            EXPECT_EQ(c.troop->anchorX, 6);
            EXPECT_EQ(c.troop->routeWait, 0);
        }
        if (k.endAi == 3) {
            EXPECT_EQ(c.troop->order->stormThenRoam, 1);
        }
    }
}

TEST(TroopOrders, ArrivalHaltsAndEngagedStates) {
    struct Arrival {
        int8_t orderState;
        int cellX, cellY, goalX, goalY;
        uint8_t pursue;
        bool halted;
    };
    // Gathering cell (4, 6) from the home city at (6, 8).
    const Arrival cases[] = {
        {1, 24, 6, 124, 6, 0, false},                                // a fifth of the way
        {1, 74, 6, 104, 6, 0, true},                                 // two thirds covered
        {1, 60, 6, 99, 6, 0, true},                                  // under 40 cells left
        {1, 74, 6, 104, 6, 0x80, false},                             // pursuing: no early halt
        {3, 14, 6, 24, 6, 0, true},                                  // 9 * 10 < 10 * 10
        {3, 13, 6, 24, 6, 0, false},     {2, 30, 6, 79, 6, 0, true}, // a kind-0 target: radius 50
    };
    for (const Arrival& a : cases) {
        Campaign c;
        c.troop->SetCell(int16_t(a.cellX), int16_t(a.cellY), 0);
        c.troop->SetGatherCell();
        // Musters nobody reaches: a halted troop waits.
        c.home->muster[1] = c.home->muster[2] = 50;
        c.home->muster[3] = 5;
        c.troop->state = 0;
        c.troop->order->orderState = a.orderState;
        c.troop->order->pursue = a.pursue;
        c.troop->goalX = int16_t(a.goalX);
        c.troop->goalY = int16_t(a.goalY);
        EXPECT_EQ(c.troop->CheckOrderArrival(), a.halted) << int(a.orderState) << " at " << a.cellX;
        EXPECT_EQ(c.troop->state, a.halted ? 10 : 0);
    }

    const std::pair<int8_t, int8_t> engaged[] = {{3, 7}, {4, 8}, {17, 18}, {1, 5},
                                                 {2, 6}, {6, 6}, {12, 12}, {0, 0}};
    Campaign c;
    for (auto [from, to] : engaged) {
        c.troop->order->orderState = from;
        c.troop->MarkOrderEngaged();
        EXPECT_EQ(c.troop->order->orderState, to) << int(from);
    }
}

TEST(TroopOrders, CountsAndFallbackCities) {
    Campaign c;
    Troop* side = c.Add(c.own, 11, 50 - 40);
    side->order->orderState = 2;
    side->SetCell(11, 35, 0); // 5 to the side, 25 below
    Troop* far = c.Add(c.own, 30, 38);
    far->order->orderState = 6;
    Troop* dead = c.Add(c.own, 6, 6);
    dead->order->orderState = 2;
    dead->state = 13;
    EXPECT_EQ(CountTroopsNearCell(1, 6, 10), 1); // the far one is 12 away on both axes
    EXPECT_EQ(CountKingdomTroopsInOrder(1, c.home->id, 2, true), 1);
    side->state = 0;
    EXPECT_EQ(CountMovingTroopsInOrder(1, c.home->id, 2, false), 1);
    EXPECT_EQ(CountKingdomTroopsInOrder(9, 0, 2, false), 0);

    // Two kind-0 cities at equal distance: even rows take the first.
    City* second = c.b.AddCity(c.own, 6, 12);
    c.home->SetInt(CityLayout::kY, 8);
    c.troop->SetCell(6, 10, 0);
    EXPECT_EQ(c.troop->PickFallbackCity(1), c.home);
    c.troop->SetCell(6, 11, 0);
    EXPECT_EQ(c.troop->PickFallbackCity(1), c.home); // an odd row takes the second kept
    // No kind-0 city: the nearest of kind 1 or 6.
    c.home->SetInt(CityLayout::kKind, 2);
    second->SetInt(CityLayout::kKind, 6);
    City* fort = c.b.AddCity(c.own, 6, 30, 1);
    EXPECT_EQ(c.troop->PickFallbackCity(1), second);
    second->dead = 1;
    EXPECT_EQ(c.troop->PickFallbackCity(1), fort);
    // A city id from a record beyond the table is no city.
    c.troop->order->targetCityId = 4000;
    EXPECT_EQ(c.troop->OrderTargetCity(), nullptr);
}

// A troop on its route waits "定點靜止天數" of its kingdom's days at each point, then walks on.
TEST(TroopOrders, ARouteTroopWaitsItsDaysAtAPointThenWalksOn) {
    for (int days : {0, 2, 5}) {
        Campaign c;
        OfficerRecord* o = c.troop->officer;
        o->Set(OfficerLayout::kOrderA + 16, 20); // B cell (20, 10)
        o->Set(OfficerLayout::kOrderA + 20, 20);
        o->Set(196, days); // "定點靜止天數"
        c.troop->order->orderState = 20;
        c.troop->routeStage = 3;
        c.troop->routeWait = -1; // just arrived at A
        c.troop->state = 10;
        int waited = -1;
        for (int day = 0; day < 12 && waited < 0; ++day) {
            c.troop->RunOrder();
            if (c.troop->state == 0) waited = day;
            c.own->TickFieldUnits();
        }
        EXPECT_EQ(waited, days + 1) << days;
        EXPECT_EQ(c.troop->goalX, 20);
        EXPECT_EQ(c.troop->goalY, 10);
    }
}

// A general at half strength drinks the potion on his belt before he thinks of retreating.
TEST(TroopOrders, AWoundedGeneralDrinksHisBeltPotionBeforeRetreating) {
    std::array<uint8_t, ItemRecord::kSize> potion{};
    const int32_t category = 7, heal = 30;
    std::memcpy(potion.data() + ItemLayout::kCategory, &category, 4);
    std::memcpy(potion.data() + 180, &heal, 4); // "補血"
    struct Case {
        const char* name;
        int belt, hp, orderState;
        bool drinks;
    } cases[] = {
        {"wounded", 241, 40, 1, true},
        {"no potion", 0, 40, 1, false},
        {"not a potion number", 245, 40, 1, false},
        {"half strength is enough", 241, 50, 1, false},
        {"no order", 241, 40, 0, false},
    };
    for (const Case& k : cases) {
        Campaign c;
        ItemTable[241] = potion.data();
        ItemCount = 300;
        TheGameController->gameKind = 1;
        Troop* g = c.troop;
        g->officer->Set(OfficerLayout::kMaxHp, 100);
        g->officer->Set(OfficerLayout::kHp, k.hp);
        g->officer->Set(OfficerLayout::kCarried, k.belt);
        g->order->orderState = int8_t(k.orderState);
        const bool followedHome = g->CheckRetreat();
        EXPECT_EQ(g->officer->Get(OfficerLayout::kHp), k.drinks ? k.hp + heal : k.hp) << k.name;
        EXPECT_EQ(g->officer->Get(OfficerLayout::kCarried), k.drinks ? 0 : k.belt) << k.name;
        if (k.drinks) EXPECT_FALSE(followedHome) << "the potion takes the turn";
        ItemTable[241] = nullptr;
        ItemCount = 0;
        TheGameController->gameKind = 0;
    }
}

// Looking for a sub-castle to go to, a city whose sub-castle of that kind is full does not count.
TEST(TroopOrders, TheNearestCityForASubCastleHasRoomInIt) {
    struct Case {
        const char* name;
        int subKind, nearUnits; // -1: the near city has no such sub-castle
        bool nearTaken;
    } cases[] = {
        {"room left", 4, 7, true},   {"full", 4, 8, false},
        {"none there", 4, -1, true}, {"a garrison post of 8 is full", 5, 8, false},
        {"any city", 0, 8, true},
    };
    for (const Case& k : cases) {
        Campaign c;
        TheBattleMap->validBounds = {0, 0, 60, 60};
        City* nearCity = c.b.AddCity(c.own, 10, 12);
        City* farCity = c.b.AddCity(c.own, 30, 40);
        for (City* city : {nearCity, farCity}) {
            if (city == nearCity && k.nearUnits < 0) continue;
            auto* s = new SubCastle(0);
            s->SetInt(SubCastleLayout::kKind, k.subKind == 0 ? 4 : k.subKind);
            for (int i = 0; city == nearCity && i < k.nearUnits; ++i)
                s->units.Add(uintptr_t(new Troop(-1, 10, 0, 0, 1, 0, 0, nullptr)));
            city->subCastles.Add(uintptr_t(s));
        }
        c.home->SetInt(CityLayout::kKind, 1); // only the two cities above are kind 0
        c.troop->SetCell(10, 10, 0);
        EXPECT_EQ(c.troop->FindNearestCity(1, k.subKind, false), k.nearTaken ? nearCity : farCity) << k.name;
    }
}
