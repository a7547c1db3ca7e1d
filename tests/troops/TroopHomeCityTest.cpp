#include "TroopFixture.h"

#include "net/CommandLookups.h"
#include "net/TroopCommandCodec.h"
#include "net/TroopCommands.h"
#include "records/City.h"
#include "troops/TroopOrder.h"

#include <gtest/gtest.h>

using trooptest::Battle;

namespace {

// Three cities of one kingdom, so a lookup one place off lands on a wrong city, not on nothing.
struct ThreeCities {
    Battle b;
    Kingdom* own = b.AddKingdom(1);
    Kingdom* enemy = b.AddKingdom(2);
    City* cities[3] = {};
    ThreeCities() {
        Battle::War(own, enemy);
        cities[0] = b.AddCity(own, 6, 8);
        cities[1] = b.AddCity(own, 20, 30);
        cities[2] = b.AddCity(enemy, 30, 60);
    }
};

// A troop keeps its city's id, which counts from 1: its home, its order's target and the city a
// command names are all that city.
TEST(TroopHomeCity, TheCityATroopKeepsIsTheCityItFinds) {
    ThreeCities w;
    for (City* city : w.cities) {
        SCOPED_TRACE(city->id);
        Troop* t = w.b.AddTroop(w.own, 4, 4);
        t->homeCity = int16_t(city->id);
        t->order->targetCityId = city->id;
        EXPECT_EQ(t->HomeCity(), city);
        EXPECT_EQ(t->OrderTargetCity(), city);
        EXPECT_EQ(TheBattleMap->CityById(city->id), city);
    }
    EXPECT_EQ(w.cities[0]->id, 1);
    EXPECT_EQ(TheBattleMap->CityById(0), nullptr) << "0 names no city";
    EXPECT_EQ(TheBattleMap->CityById(4), nullptr);
}

// The home city's campaign target is a city id too: the troop marches on that very city.
TEST(TroopHomeCity, TheHomeCitysCampaignTargetBecomesTheOrdersTarget) {
    ThreeCities w;
    Troop* t = w.b.AddTroop(w.own, 20, 28);
    t->homeCity = int16_t(w.cities[1]->id);
    w.cities[1]->campaignTarget = w.cities[2]->id;
    EXPECT_EQ(t->PickTargetFromHomeCity(), 1);
    EXPECT_EQ(t->order->targetCityId, w.cities[2]->id);
    EXPECT_EQ(t->OrderTargetCity(), w.cities[2]);
}

// A city-attack command travels with the city's id and arrives at the same city.
TEST(TroopHomeCity, ACityAttackCommandArrivesAtTheCityItNames) {
    ThreeCities w;
    Troop* t = w.b.AddTroop(w.own, 28, 58);
    TheGameController->networked = 1;
    TheGameController->isHost = 1;
    // A city key is the city's index in the map's table.
    TroopCommand c{9, t->UnitId(), uint32_t(CityIndexOf(w.cities[2]))};
    EXPECT_EQ(ReceiveTroopCommand(9, PackTroopCommand(c)), TroopCommandOutcome::Relay);
    EXPECT_EQ(t->targetCity, w.cities[2]);
}

} // namespace
