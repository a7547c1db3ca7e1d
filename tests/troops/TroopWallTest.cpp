#include "TroopFightFixture.h"

#include "engine/LinkList.h"
#include "records/City.h"
#include "world/Coordinates.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

using trooptest::Field;
using L = OfficerLayout;

TEST(TroopWall, AWallCellIsPickedOnlyInTheDrawnDirection) {
    Field f;
    City* city = f.b.AddCity(f.player, 20, 20);
    Field::Cell(32, 20)->obstacle = 255; // right, 12 out
    Field::Cell(20, 30)->obstacle = 255; // down, 10 out, occupied
    f.Add(f.foe, 20, 30);
    std::set<std::pair<int, int>> seen;
    int none = 0;
    for (int i = 0; i < 80; ++i) {
        int16_t x = 0, y = -1;
        city->PickWallCell(x, y);
        if (y == -1)
            ++none;
        else
            seen.insert({x, y});
    }
    EXPECT_EQ(seen, (std::set<std::pair<int, int>>{{32, 20}}));
    EXPECT_GT(none, 0); // the other directions find nothing and do not look elsewhere
}

TEST(TroopWall, TheCitySizeLimitsItsWallTroops) {
    struct Case {
        int scale, posted, officer;
        bool sent;
    };
    const Case cases[] = {
        {2, 8, 421, false}, {2, 7, 421, true}, {2, 0, 100, false}, {12, 0, 421, false}, {1, 5, 423, true},
    };
    for (const Case& c : cases) {
        Field f;
        City* city = f.b.AddCity(f.player, 20, 20);
        city->SetInt(CityLayout::kScale, c.scale);
        city->actionWords[0] = int16_t(c.posted);
        for (int x : {10, 12, 14, 16, 18, 22, 24, 26, 28, 30})
            for (int y : {10, 20, 30})
                Field::Cell(x, y)->obstacle = 255;
        for (int y : {8, 10, 12, 14, 16, 22, 24, 26, 28, 30, 32})
            Field::Cell(20, y)->obstacle = 255;
        auto* unit = new Troop(0, 10, 0, 0, 1, 0, 0, f.b.Officer(1, 1, 1, c.officer));
        city->units.Add(uintptr_t(unit));
        city->TryCityAction();
        EXPECT_EQ(city->actionWords[0], c.posted + (c.sent ? 1 : 0)) << c.scale << "/" << c.posted;
        EXPECT_EQ(city->sortieCount, 0) << "the sortie counter is not the wall's";
        EXPECT_EQ(city->units.GetCount(), c.sent ? 0 : 1);
    }
}

TEST(TroopWall, DefendersAndWallTroopsTurnOnTheAttacker) {
    Field f;
    City* city = f.b.AddCity(f.player, 20, 20);
    Troop* attacker = f.Add(f.foe, 10, 10);
    Troop* nearTower = f.Add(f.player, 12, 12, 7);
    Troop* farTower = f.Add(f.player, 13, 13, 7);
    nearTower->rangeEnd = farTower->rangeEnd = 3;
    city->towers[0] = nearTower;
    city->towers[3] = farTower;
    city->DefendersAnswer(attacker);
    EXPECT_EQ(nearTower->targetTroop, attacker);
    EXPECT_EQ(farTower->targetTroop, nullptr);

    Troop* onWall = f.Add(f.player, 18, 18);
    Troop* onGround = f.Add(f.player, 19, 18);
    Field::Cell(18, 18)->obstacle = 255;
    for (Troop* t : {onWall, onGround}) {
        t->homeCity = int16_t(city->id);
        t->order->orderState = 22;
    }
    city->RallyWallTroops(attacker, false);
    EXPECT_EQ(onWall->targetTroop, attacker);
    EXPECT_EQ(onGround->targetTroop, nullptr);
    onWall->state = 10;
    city->RallyWallTroops(attacker, true);
    EXPECT_EQ(onGround->targetTroop, attacker);
    EXPECT_EQ(onGround->order->orderState, 23);
}

TEST(TroopWall, ARoamingWallTroopNeverLeavesTheWall) {
    Field f;
    Troop* t = f.Add(f.player, 20, 20);
    t->goalX = t->goalY = 20;
    Field::Cell(20, 20)->obstacle = 255;
    for (int i = 0; i < 600; ++i) {
        t->RoamOnWall();
        // The only wall cell within reach is its own.
        ASSERT_EQ(std::make_pair(int(t->goalX), int(t->goalY)), std::make_pair(20, 20));
    }
    // Wall cells only to the right: every roam goes there or stays.
    for (int dx : {4, 5})
        for (int dy : {-5, -4, 0, 4, 5})
            Field::Cell(20 + dx, 20 + dy)->obstacle = 255;
    std::set<std::pair<int, int>> seen;
    for (int i = 0; i < 3000; ++i) {
        t->goalX = t->goalY = 20;
        t->RoamOnWall();
        seen.insert({t->goalX - 20, t->goalY - 20});
    }
    EXPECT_GT(seen.size(), 1u);
    for (auto [dx, dy] : seen)
        EXPECT_TRUE(dx > 0 || (dx == 0 && dy == 0)) << dx << "," << dy;
}

// A blow on a gate piece calls the city's wall troops and defenders; the city is numbered as a
// stage numbers it (id one above its table index).
TEST(TroopWall, AStruckGateCallsTheWallTroopsAndDefenders) {
    Field f;
    auto* city = new City(1);
    city->id = TheBattleMap->cityCount + 1;
    city->SetInt(CityLayout::kX, 20);
    city->SetInt(CityLayout::kY, 20);
    TheBattleMap->cities[TheBattleMap->cityCount++] = city;
    f.player->AddCity(city);
    Troop* gate = f.Add(f.player, 20, 24, 17);
    gate->homeCity = int16_t(city->id);
    Troop* onWall = f.Add(f.player, 18, 22);
    onWall->homeCity = int16_t(city->id);
    onWall->order->orderState = 22;
    Field::Cell(18, 22)->obstacle = 255;
    Troop* tower = f.Add(f.player, 21, 24, 7);
    tower->rangeEnd = 4;
    city->towers[2] = tower;
    Troop* attacker = f.Add(f.foe, 20, 25);
    attacker->Engage(gate);
    EXPECT_EQ(onWall->targetTroop, attacker);
    EXPECT_EQ(tower->targetTroop, attacker);
}

// The city counts the wall troops it sent out; one that falls gives its place to the next.
TEST(TroopWall, AFallenWallTroopFreesItsPlace) {
    Field f;
    City* city = f.b.AddCity(f.player, 20, 20);
    city->SetInt(CityLayout::kScale, 6); // two wall troops
    for (int x : {30, 32, 34, 36, 38})
        Field::Cell(x, 20)->obstacle = 255;
    for (int y : {30, 32, 34, 36, 38})
        Field::Cell(20, y)->obstacle = 255;
    for (int x : {10, 8, 6, 4, 2})
        Field::Cell(x, 20)->obstacle = 255;
    for (int y : {10, 8, 6, 4, 2})
        Field::Cell(20, y)->obstacle = 255;
    for (int i = 0; i < 4; ++i)
        city->units.Add(
            uintptr_t(new Troop(0, 10, 0, 0, 1, int16_t(city->id), 0, f.b.Officer(1, 1, 1, 421))));
    std::vector<Troop*> out;
    auto sendAll = [&] {
        for (int i = 0; i < 20; ++i)
            city->TryCityAction();
        out.clear();
        for (uintptr_t v = f.player->fieldUnits.First(); v != 0; v = f.player->fieldUnits.Next()) {
            auto* t = reinterpret_cast<Troop*>(v);
            if (t->order && t->order->orderState == 22 && t->state != 13) out.push_back(t);
        }
    };
    sendAll();
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(city->actionWords[0], 2);
    out[0]->Kill(f.foe->nationIndex);
    EXPECT_EQ(city->actionWords[0], 1);
    sendAll();
    EXPECT_EQ(out.size(), 2u) << "the fallen troop's place is taken again";
    EXPECT_EQ(city->units.GetCount(), 1);
}

// Posted troops walk to a wall post of their city; roaming troops keep to the wall.
TEST(TroopWall, TheOrderMachineRunsTheWallDuties) {
    Field f;
    City* city = f.b.AddCity(f.player, 20, 20);
    for (int k = 10; k <= 48; k += 2)
        for (auto [x, y] : {std::pair{20 + k, 20}, {20 - k, 20}, {20, 20 + k}, {20, 20 - k}})
            if (x >= 0 && y >= 0 && x < trooptest::kMapWidth && y < trooptest::kMapRows / 2)
                Field::Cell(x, y)->obstacle = 255;
    Troop* posted = f.Add(f.player, 15, 25);
    posted->homeCity = int16_t(city->id);
    posted->order->orderState = 22;
    posted->state = 10;
    posted->RunOrder();
    EXPECT_EQ(posted->order->orderState, 22);
    EXPECT_TRUE(IsCellWall(posted->goalX, 2 * posted->goalY)) << posted->goalX << "," << posted->goalY;
    EXPECT_TRUE(posted->goalX == 20 || posted->goalY == 20);

    Troop* roaming = f.Add(f.player, 30, 20);
    Field::Cell(30, 20)->obstacle = 255;
    roaming->order->orderState = 23;
    std::set<std::pair<int, int>> goals;
    for (int i = 0; i < 3000; ++i) {
        roaming->goalX = 30;
        roaming->goalY = 20;
        roaming->state = 10;
        roaming->RunOrder();
        goals.insert({roaming->goalX, roaming->goalY});
    }
    EXPECT_GT(goals.size(), 1u) << "state 23 roams";
    for (auto [x, y] : goals)
        EXPECT_TRUE(IsCellWall(x, 2 * y)) << x << "," << y;
}
