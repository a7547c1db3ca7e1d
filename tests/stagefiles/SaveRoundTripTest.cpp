// Troops that came onto the field during play come back from a saved slot.
#include "events/EventManager.h"
#include "records/City.h"
#include "stagefiles/SaveSlots.h"
#include "tests/stagefiles/MainStageFixture.h"
#include "world/MapView.h"

#include <gtest/gtest.h>

#include <string>

using namespace mainstagetest;

namespace {

Kingdom* KingdomNamed(const char* name) {
    for (Kingdom* k : ListValues<Kingdom>(*TheBattleMap->stageSet->kingdoms))
        if (k->Text(KingdomLayout::kName, 20) == std::string(name)) return k;
    return nullptr;
}

int CityUnits(Kingdom& k) {
    int n = 0;
    for (City* c : ListValues<City>(k.cities))
        n += c->units.GetCount();
    return n;
}

// Saves to a slot and loads it back; the counts of field and city troops of "Wei" before and after.
struct Counts {
    int field = 0, inCities = 0;
};

Counts SaveAndLoad(MainWorld& w, int slot, Counts& after) {
    TheGameController->gameScreen = new MapView;
    TemplateTables tables;
    const Counts before{w.a->fieldUnits.GetCount(), CityUnits(*w.a)};
    EXPECT_EQ(tables.SaveGame(slot), 1);
    EXPECT_EQ(tables.LoadGame(slot), 1);
    if (Kingdom* a = KingdomNamed("Wei")) after = {a->fieldUnits.GetCount(), CityUnits(*a)};
    delete TheGameController->gameScreen;
    TheGameController->gameScreen = nullptr;
    delete TheGameController->eventManager;
    TheGameController->eventManager = nullptr;
    return before;
}

// However a troop came out (a city sent it, a city spawned it, a script posted an ambush), the
// saved slot holds it, and only once.
TEST(SaveRoundTrip, TroopsThatCameOutDuringPlayComeBackOnce) {
    enum class Way { PutOnMapByItsCity, SpawnedByItsCity, MarkedByHand };
    const struct {
        Way way;
        const char* name;
    } cases[] = {
        {Way::PutOnMapByItsCity, "a unit its city put on the map"},
        {Way::SpawnedByItsCity, "a troop its city spawned"},
        {Way::MarkedByHand, "a troop beside one read from a soldier file"},
    };
    int slot = 2;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MainWorld w;
        switch (c.way) {
        case Way::PutOnMapByItsCity: {
            Troop* t = w.battle.AddTroop(w.a, 0, 0);
            w.a->fieldUnits.RemoveValue(uintptr_t(t));
            t->garrison = 1;
            t->hidden = 1;
            t->inCity = 1;
            w.city1->units.Add(uintptr_t(t));
            w.city1->PutUnitOnMap(t);
            break;
        }
        case Way::SpawnedByItsCity: {
            auto* general = new OfficerRecord(w.city1->ownerSide, 5);
            w.city1->generals.Add(uintptr_t(general));
            w.city1->ApplySpawnTroop(900);
            break;
        }
        case Way::MarkedByHand:
            w.battle.AddTroop(w.a, 12, 12);
            w.battle.AddTroop(w.a, 14, 14)->outgoingMark = 1;
            break;
        }
        Counts after;
        const Counts before = SaveAndLoad(w, slot++, after);
        EXPECT_GE(before.field, 1);
        EXPECT_EQ(after.field, before.field);
        EXPECT_EQ(after.inCities, before.inCities);
    }
}

// A unit back inside its city is the city's to keep: saved once, not also as a field troop.
TEST(SaveRoundTrip, AUnitBackInsideItsCityIsSavedOnce) {
    MainWorld w;
    Troop* t = w.battle.AddTroop(w.a, 0, 0);
    w.a->fieldUnits.RemoveValue(uintptr_t(t));
    t->garrison = 1;
    t->hidden = 1;
    t->inCity = 1;
    t->ledUnit = 1;
    w.city1->units.Add(uintptr_t(t));
    w.city1->PutUnitOnMap(t);
    ASSERT_EQ(t->outgoingMark, 1);
    w.city1->ApplyTroopEntry(t);
    EXPECT_EQ(t->outgoingMark, 0);
    Counts after;
    const Counts before = SaveAndLoad(w, 5, after);
    EXPECT_EQ(after.field, before.field);
    EXPECT_EQ(after.inCities, before.inCities);
}

} // namespace
