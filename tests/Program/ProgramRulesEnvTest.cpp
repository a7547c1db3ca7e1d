#include "troops/TroopFixture.h"

#include "Program/GameRules.h"
#include "Program/ProgramRulesEnv.h"
#include "engine/LinkList.h"
#include "world/MapObject.h"

#include <gtest/gtest.h>

namespace {

// An item placed by the rules lands on the first free neighbour cell as an object of the map.
TEST(ProgramRulesEnv, AnItemLandsOnTheFirstFreeNeighbourOfTheMap) {
    trooptest::Battle b;
    ASSERT_NE(TheBattleMap->mapItems, nullptr);
    ProgramRulesEnv& env = TheProgramRulesEnv();
    ASSERT_EQ(PlaceItemObject(env, 10, 10, 1), 1);
    MapObject* first = TheBattleMap->GetCellObject(9, 9);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(TheBattleMap->mapItems->GetCount(), 1);
    // The taken cell and a wall are passed over.
    TheBattleMap->CellAt(10, 18)->obstacle = 1;
    ASSERT_EQ(PlaceItemObject(env, 10, 10, 1), 1);
    EXPECT_EQ(TheBattleMap->GetCellObject(10, 9), nullptr);
    EXPECT_NE(TheBattleMap->GetCellObject(11, 9), nullptr);
    // A cell hemmed in on every side takes nothing.
    for (int y = 19; y <= 21; ++y)
        for (int x = 19; x <= 21; ++x)
            TheBattleMap->CellAt(x, 2 * y)->obstacle = 1;
    int fx = -1, fy = -1;
    EXPECT_FALSE(env.FindFreeNeighbour(20, 20, fx, fy));
    EXPECT_EQ(PlaceItemObject(env, 20, 20, 1), 0);
    EXPECT_EQ(TheBattleMap->mapItems->GetCount(), 2);
}

} // namespace
