#include "GridFixture.h"

#include "Program/StageSet.h"
#include "engine/LinkList.h"
#include "world/FreeCellSearch.h"
#include "world/Zu_SkillEffect.h"

#include <gtest/gtest.h>

#include <optional>

using namespace worldtest;

namespace {

bool Holds(LinkList& list, const void* p) {
    return list.Find(uintptr_t(p)) != 0;
}

// The free-cell search on a drawn map: '#' blocks, 'W' is a wall top units may stand on.
TEST(FreeCellNear, FixedOffsetsThenTheDiagonalThenTheRings) {
    struct Case {
        const char* what;
        std::vector<std::pair<int, int>> blocked, occupied;
        int x, y;
        std::optional<std::pair<int, int>> found;
    };
    const Case cases[] = {
        {"the cell itself", {}, {}, 10, 10, std::pair{10, 10}},
        {"then (1, 1)", {{10, 10}}, {}, 10, 10, std::pair{11, 11}},
        {"occupied counts as taken", {}, {{10, 10}, {11, 11}}, 10, 10, std::pair{10, 11}},
        {"all nine offsets taken: down the diagonal",
         {{10, 10}, {11, 11}, {10, 11}, {11, 12}, {10, 12}, {12, 12}, {9, 10}, {9, 9}, {9, 11}},
         {},
         10,
         10,
         std::pair{8, 12}},
        // Rows 0..2 read as blocked: a start at the top reaches the map below.
        {"near the top edge", {}, {}, 5, 0, std::pair{6, 2}},
    };
    for (const Case& c : cases) {
        worldtest::World w;
        auto rows = OpenRows(30, 60);
        for (const auto& [x, y] : c.blocked)
            BlockUnit(rows, x, y);
        BattleMap& map = DrawMap(w, rows);
        for (const auto& [x, y] : c.occupied)
            map.AddObjectAt(x, y, 0x1000 + uintptr_t(x));
        int32_t x = c.x, y = c.y;
        const bool ok = FindFreeCellNear(x, y);
        ASSERT_EQ(ok, c.found.has_value()) << c.what;
        if (ok) {
            EXPECT_EQ(std::make_pair(x, y), *c.found) << c.what;
        }
    }
}

TEST(FreeCellNear, StopsAtTheMapEdgeAndFallsBackToTheRings) {
    worldtest::World w;
    // Only one free cell, far from the diagonal.
    std::vector<std::string> rows(20, std::string(12, '#'));
    rows[8][9] = 'W'; // a wall top: units stand on it
    DrawMap(w, rows);
    int32_t x = 2, y = 2;
    ASSERT_TRUE(FindFreeCellNear(x, y));
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(9, 4));
    // A map with no free cell gives up instead of walking on for ever.
    rows[8][9] = '#';
    DrawMap(w, rows);
    x = 5, y = 5;
    EXPECT_FALSE(FindFreeCellNear(x, y));
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(5, 5));
}

// A stage with the player's kingdom 1 (ruler person 77) and kingdom 2, a player's city with a
// kind-4 and a kind-5 sub-castle on an open map.
struct CityActions : testing::Test {
    worldtest::World w;
    BattleMap& map = DrawMap(w, OpenRows(40, 80));
    Zu_StageSet* stage = new Zu_StageSet;
    Kingdom* player = AddKingdom(1, 1);
    Kingdom* other = AddKingdom(2, 1);
    City* city = AddCity(player, 1, 0);
    SubCastle* keep = AddSubCastle(city, 4, 20, 10);
    SubCastle* post = AddSubCastle(city, 5, 30, 20);

    CityActions() {
        map.stageSet = stage;
        stage->playerKingdom = player;
        stage->playerSide = 1;
        player->SetInt(KingdomLayout::kPersonNumber, 77);
        other->SetInt(KingdomLayout::kPersonNumber, 88);
        city->SetInt(CityLayout::kGold, 500);
        w.View();
    }
    ~CityActions() {
        map.stageSet = nullptr;
        delete stage;
    }
    Kingdom* AddKingdom(int side, int nationKind) {
        auto* k = new Kingdom;
        k->nationIndex = side;
        k->SetInt(KingdomLayout::kNationKind, nationKind);
        stage->kingdoms->Add(uintptr_t(k));
        return k;
    }
    City* AddCity(Kingdom* k, int id, int kind) {
        auto* c = new City;
        c->id = id;
        c->ownerSide = k->nationIndex;
        c->SetInt(CityLayout::kKind, kind);
        k->cities.Add(uintptr_t(c));
        map.cities[id - 1] = c;
        return c;
    }
    SubCastle* AddSubCastle(City* c, int kind, int doorX, int doorY) {
        auto* sc = new SubCastle(0);
        sc->SetInt(SubCastleLayout::kKind, kind);
        sc->entranceX = doorX;
        sc->entranceY = doorY;
        sc->ownerSide = c->ownerSide;
        c->subCastles.Add(uintptr_t(sc));
        return sc;
    }
    // A unit of kingdom k on the map at (x, y), selected and the controller's current troop.
    TestTroop* Unit(Kingdom* k, int x, int y, int person = 5, int loyalty = 10) {
        auto* t = new TestTroop(k->nationIndex, x, y);
        k->fieldUnits.Add(uintptr_t(t));
        map.AddObjectAt(x, y, uintptr_t(t));
        t->officer->Set(OfficerLayout::kPersonNumber, person);
        t->officer->Set(OfficerLayout::kLoyalty, loyalty);
        t->officer->allegianceMode = 1;
        TheGameController->selection->Add(uintptr_t(t));
        TheGameController->currentTroop = t;
        return t;
    }
    // A unit waiting in a sub-castle (off the map, hidden).
    TestTroop* Inside(SubCastle* sc, int side) {
        auto* t = new TestTroop(side, 0, 0);
        t->garrison = 1;
        t->officer->allegianceMode = 1;
        sc->secondUnits.Add(uintptr_t(t));
        return t;
    }
    bool OnCell(const Troop* t) {
        for (uintptr_t v = map.FirstObjectAt(t->cellX, t->cellY); v; v = map.NextObjectAt())
            if (v == uintptr_t(t)) return true;
        return false;
    }
};

TEST_F(CityActions, MakingALedTroop) {
    TestTroop* t = Unit(player, 5, 5);
    EXPECT_EQ(city->ApplyUnitAction(1, t), 1);
    EXPECT_EQ(city->currentUnit, t);
}

TEST_F(CityActions, SendingOutOfASubCastle) {
    const struct {
        int op;
        bool keepThere, postThere;
        int result;
        int doorX, doorY;
    } cases[] = {
        {2, true, true, 1, 20, 10},
        {3, true, true, 1, 30, 20},
        {2, false, true, 0, 0, 0},
        {3, true, false, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.op);
        SubCastle* sc = c.op == 2 ? keep : post;
        TestTroop* t = Inside(sc, 2);
        if (!c.keepThere) city->subCastles.RemoveValue(uintptr_t(keep));
        if (!c.postThere) city->subCastles.RemoveValue(uintptr_t(post));
        EXPECT_EQ(city->ApplyUnitAction(int16_t(c.op), t), c.result);
        if (c.result == 1) {
            EXPECT_FALSE(Holds(sc->secondUnits, t));
            EXPECT_TRUE(Holds(player->fieldUnits, t));
            EXPECT_EQ(t->owner, 1);
            EXPECT_EQ(t->officer->allegianceMode, 0);
            EXPECT_EQ(std::make_pair(int(t->cellX), int(t->cellY)), std::make_pair(c.doorX - 5, c.doorY));
            EXPECT_EQ(t->garrison, 0);
            EXPECT_TRUE(OnCell(t));
        } else {
            EXPECT_TRUE(Holds(sc->secondUnits, t));
            EXPECT_EQ(t->owner, 2);
            EXPECT_EQ(t->officer->allegianceMode, 1);
        }
        if (!c.keepThere) city->subCastles.Add(uintptr_t(keep));
        if (!c.postThere) city->subCastles.Add(uintptr_t(post));
    }
}

TEST_F(CityActions, AUnitWithNowhereToStandStaysInside) {
    auto rows = std::vector<std::string>(80, std::string(40, '#'));
    DrawMap(w, rows);
    TestTroop* t = Inside(keep, 2);
    EXPECT_EQ(city->ApplyUnitAction(2, t), 0);
    EXPECT_TRUE(Holds(keep->secondUnits, t));
    EXPECT_FALSE(Holds(player->fieldUnits, t));
}

TEST_F(CityActions, TakingInHidesTheUnitInItsKingdomsFirstCastle) {
    City* village = AddCity(other, 2, 6);
    City* castle = AddCity(other, 3, 0);
    TestTroop* t = Unit(other, 6, 6);
    post->secondUnits.Add(uintptr_t(t));
    EXPECT_EQ(city->ApplyUnitAction(4, t), 1);
    EXPECT_TRUE(Holds(castle->units, t));
    EXPECT_FALSE(Holds(village->units, t));
    EXPECT_EQ(t->homeCity, 3);
    EXPECT_EQ(t->garrison, 1);
    EXPECT_EQ(t->officer->Get(OfficerLayout::kPolicy), 2);
    EXPECT_EQ(t->officer->allegianceMode, 0);
    EXPECT_FALSE(Holds(other->fieldUnits, t));
    EXPECT_FALSE(Holds(post->secondUnits, t));
    EXPECT_FALSE(Holds(*TheGameController->selection, t));
    EXPECT_EQ(TheGameController->currentTroop, nullptr);
    EXPECT_FALSE(OnCell(t));
}

TEST_F(CityActions, TakingInWithoutACastle) {
    // Kingdom 3 keeps its prisoners: its first city has a keeper's place.
    const struct {
        const char* what;
        bool ruler, holder, holderKeep;
        bool destroyed;
    } cases[] = {
        {"the ruler is destroyed", true, true, true, true},
        {"others go to the holder's keeper's place", false, true, true, false},
        {"without a holder they are destroyed", false, false, false, true},
        {"without its keeper's place too", false, true, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Kingdom* holder = nullptr;
        SubCastle* prison = nullptr;
        if (c.holder) {
            holder = AddKingdom(3, 2);
            City* hc = AddCity(holder, 9, 1);
            if (c.holderKeep) prison = AddSubCastle(hc, 4, 5, 5);
        }
        bool gone = false;
        TestTroop* t = Unit(other, 7, 7, c.ruler ? 88 : 5);
        t->deleted = &gone;
        city->currentUnit = t;
        TheGameController->gameScreen->hoveredObject = t;
        EXPECT_EQ(city->ApplyUnitAction(4, t), 1);
        EXPECT_EQ(gone, c.destroyed);
        EXPECT_EQ(TheGameController->currentTroop, nullptr);
        EXPECT_EQ(TheGameController->selection->GetCount(), 0);
        EXPECT_FALSE(Holds(other->fieldUnits, t));
        if (c.destroyed) {
            EXPECT_EQ(city->currentUnit, nullptr);
            EXPECT_EQ(TheGameController->gameScreen->hoveredObject, nullptr);
            EXPECT_EQ(map.FirstObjectAt(7, 7), 0u);
        } else {
            EXPECT_TRUE(Holds(prison->secondUnits, t));
            EXPECT_EQ(t->homeCity, 9);
        }
        if (holder) {
            stage->kingdoms->RemoveValue(uintptr_t(holder));
            map.cities[8] = nullptr;
            delete holder;
        }
        city->currentUnit = nullptr;
    }
}

TEST_F(CityActions, Dismissing) {
    const struct {
        const char* what;
        bool governor, ruler;
        int stateWord;
        bool destroyed, marked;
    } cases[] = {
        {"the governor stays", true, false, 0, false, false},
        {"the ruler stays while a state word is 0", false, true, 0, false, true},
        {"the ruler goes once both are set", false, true, 1, true, false},
        {"any other unit goes", false, false, 0, true, false},
    };
    int x = 8;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        player->setterWords[0] = player->setterWords[1] = c.stateWord;
        bool gone = false;
        TestTroop* t = Unit(player, ++x, 8, c.ruler ? 77 : 5);
        t->deleted = &gone;
        post->secondUnits.Add(uintptr_t(t));
        if (c.governor) post->leader = t;
        EXPECT_EQ(city->ApplyUnitAction(5, t), 1);
        EXPECT_EQ(gone, c.destroyed);
        if (c.destroyed) {
            EXPECT_FALSE(Holds(player->fieldUnits, t));
            EXPECT_FALSE(Holds(post->secondUnits, t));
            EXPECT_EQ(TheGameController->selection->GetCount(), 0);
            EXPECT_EQ(TheGameController->currentTroop, nullptr);
            EXPECT_EQ(map.FirstObjectAt(x, 8), 0u);
            continue;
        }
        EXPECT_TRUE(Holds(player->fieldUnits, t));
        EXPECT_TRUE(Holds(post->secondUnits, t));
        EXPECT_EQ(t->attachedEffects[2] != nullptr, c.marked);
        if (c.marked) {
            EXPECT_EQ(t->attachedEffects[2]->id, 7);
        }
        post->leader = nullptr;
        post->secondUnits.RemoveValue(uintptr_t(t));
        TheGameController->selection->RemoveAll();
    }
}

TEST_F(CityActions, SpendingGoldOnAUnit) {
    const struct {
        int op;
        bool players;
        int loyalty, gold;
        int loyaltyAfter, goldAfter;
    } cases[] = {
        {6, true, 10, 500, 8, 400}, {7, true, 10, 500, 8, 400}, {6, true, 1, 500, 0, 400},
        {6, true, 0, 500, 0, 500},  {7, true, 10, 50, 8, 0},    {6, false, 10, 500, 8, 400},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "op " << c.op << " loyalty " << c.loyalty << " gold " << c.gold);
        city->ownerSide = c.players ? 1 : 2;
        city->SetInt(CityLayout::kGold, c.gold);
        TestTroop* t = Unit(player, 9, 9, 5, c.loyalty);
        EXPECT_EQ(city->ApplyUnitAction(int16_t(c.op), t), 1);
        EXPECT_EQ(t->officer->Get(OfficerLayout::kLoyalty), c.loyaltyAfter);
        EXPECT_EQ(city->Int(CityLayout::kGold), c.goldAfter);
        const bool marked = c.players && c.loyalty > 0;
        EXPECT_EQ(t->attachedEffects[2] != nullptr, marked);
        if (marked) {
            EXPECT_EQ(t->attachedEffects[2]->id, 10);
        }
    }
    city->ownerSide = 1;
}

} // namespace
