// The loaded world's references turned into links: control, relations, leaders, gate and post
// slots, areas, anchors, camps' targets and units left mid-way.
#include "Program/GameParameters.h"
#include "tests/stagefiles/MainStageFixture.h"
#include "troops/CastleGate.h"
#include "world/BattleMap.h"

#include <gtest/gtest.h>

namespace {

constexpr int kWall = 13, kTower = 14;

class BindWorld {
public:
    BindWorld() {
        p = Side(1, 0, 3);
        q = Side(2, 0, 3);
        r = Side(3, 0, 0);
        battle.stage->playerSide = 1;
    }

    Kingdom* Side(int side, int kind, int team) {
        Kingdom* k = battle.AddKingdom(side);
        k->SetInt(KingdomLayout::kNationKind, kind);
        k->SetAllianceGroup(team);
        TheBattleMap->kingdomTable[side] = k;
        TheBattleMap->sideCount = std::max(TheBattleMap->sideCount, side);
        return k;
    }
    Troop* Piece(Kingdom* k, int x, int y, int kind) { return battle.AddTroop(k, x, y, 1, kind); }
    int CellsMarked(int owner, int id) const {
        int n = 0;
        for (int y = 0; y < trooptest::kMapRows; ++y)
            for (int x = 0; x < trooptest::kMapWidth; ++x) {
                const MapCell* c = TheBattleMap->CellAt(x, y);
                if (c->ownerMark == owner && c->cityId == id) ++n;
            }
        return n;
    }

    trooptest::Battle battle;
    TemplateTables tables;
    Kingdom* p = nullptr;
    Kingdom* q = nullptr;
    Kingdom* r = nullptr;
};

} // namespace

TEST(StageBinding, SavedGameKingdomsOfKindSixAndFourAndControl) {
    BindWorld w;
    w.q->SetInt(KingdomLayout::kNationKind, 6);
    w.r->SetInt(KingdomLayout::kNationKind, 4);
    for (Kingdom* k : {w.p, w.q, w.r})
        for (int s = 1; s <= 3; ++s)
            k->relations[s] = 3;
    ASSERT_EQ(w.tables.BindStageKingdoms(), 1);

    EXPECT_EQ(w.battle.stage->playerKingdom, w.p);
    // Every kingdom, itself included, is neutral toward the kind-6 kingdom and it toward all.
    for (Kingdom* k : {w.p, w.q, w.r}) {
        EXPECT_EQ(k->relations[2], 2) << k->nationIndex;
        EXPECT_EQ(w.q->relations[k->nationIndex], 2) << k->nationIndex;
    }
    EXPECT_EQ(w.p->relations[3], 2); // kind 4: the player is neutral toward it
    EXPECT_EQ(w.r->relations[1], 3);
    for (int s : {1, 2, 3})
        EXPECT_EQ(TheBattleMap->sideActive[s], 0) << s;
    EXPECT_EQ(TheBattleMap->sideActive[4], 1);
}

TEST(StageBinding, SavedGameCitiesFindLeadersGateSlotsAndGates) {
    BindWorld w;
    City* post = w.battle.AddCity(w.p, 10, 20, 2);
    City* village = w.battle.AddCity(w.p, 20, 40, 8);
    City* castle = w.battle.AddCity(w.r, 30, 40, 0);
    castle->SetInt(CityLayout::kScale, 2);
    w.p->markedCityId = village->id;

    // Kind 2: cells (x - 1, row / 2 + 2) and (x + 1, row / 2 + 2); the first kind-13 object wins.
    w.Piece(w.p, 9, 12, 1);
    Troop* left = w.Piece(w.p, 9, 12, kWall);
    w.Piece(w.p, 9, 12, kWall);
    Troop* right = w.Piece(w.p, 11, 12, kWall);
    w.Piece(w.p, 19, 22, kWall); // where a kind-2 city would look; a kind-8 city has no gate cells

    for (int person : {54, 55, 55}) {
        Troop* t = w.Piece(w.p, 0, 0, 1);
        w.p->fieldUnits.RemoveValue(uintptr_t(t));
        t->officer->Set(OfficerLayout::kPersonNumber, person);
        post->units.Add(uintptr_t(t));
    }
    post->leaderPersonNumber = 55;

    auto* gate = new CastleGate(30, 40, 0, w.r->nationIndex, 0, 30, 40);
    w.r->gates.Add(uintptr_t(gate));
    auto* elsewhere = new CastleGate(5, 5, 0, w.r->nationIndex, 0, 5, 5);
    w.r->gates.Add(uintptr_t(elsewhere));

    ASSERT_EQ(w.tables.BindStageKingdoms(), 1);
    EXPECT_EQ(post->garrison[0], left);
    EXPECT_EQ(post->garrison[1], right);
    EXPECT_EQ(post->garrison[2], nullptr);
    for (Troop* slot : village->garrison)
        EXPECT_EQ(slot, nullptr);
    EXPECT_EQ(post->currentUnit, ListValues<Troop>(post->units)[1]);
    EXPECT_EQ(w.p->mainCity, village);

    ASSERT_EQ(castle->gates.GetCount(), 1);
    EXPECT_EQ(castle->gates.First(), uintptr_t(gate));
    const int32_t strength = GameParams().siteRows[1][1];
    int pieces = 0;
    for (Troop* piece : gate->pieces) {
        if (!piece) continue;
        ++pieces;
        EXPECT_EQ(piece->homeCity, castle->id);
        EXPECT_EQ(piece->officer->Get(OfficerLayout::kMaxHp), strength);
    }
    EXPECT_EQ(gate->strengthTotal, pieces * strength);

    // Each city's area carries its owner (id + 100) and its id.
    EXPECT_GT(w.CellsMarked(101, post->id), 0);
    EXPECT_GT(w.CellsMarked(103, castle->id), w.CellsMarked(101, post->id));
}

TEST(StageBinding, FreshStageRelationsFollowTeams) {
    BindWorld w;
    TheGameController->freshStage = 1;
    w.tables.BindStageWorld();
    // P and Q share team 3; R has no team.
    const int want[3][3] = {{1, 1, 3}, {1, 1, 3}, {3, 3, 1}};
    const Kingdom* sides[3] = {w.p, w.q, w.r};
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b)
            EXPECT_EQ(sides[a]->relations[b + 1], want[a][b]) << a + 1 << " toward " << b + 1;
}

TEST(StageBinding, WorldPostsAnchorsCampsAndUnfinishedUnits) {
    BindWorld w;
    TheGameController->freshStage = 1;
    City* castle = w.battle.AddCity(w.p, 10, 20, 0);
    City* fort = w.battle.AddCity(w.p, 20, 30, 1);
    City* camp = w.battle.AddCity(w.p, 30, 10, 6);
    camp->targetCellX = 10;
    camp->targetCellY = 20;

    // Post 0 stands on a tower; post 1 names no cell but held a unit; post 2's cell has no tower.
    Troop* tower = w.Piece(w.p, 14, 15, kTower);
    castle->towerRecords[0][1] = 14;
    castle->towerRecords[0][2] = 15;
    Troop* stale = w.Piece(w.p, 3, 3, 1);
    castle->towers[1] = stale;
    w.Piece(w.p, 16, 15, 1);
    castle->towerRecords[2][1] = 16;
    castle->towerRecords[2][2] = 15;
    fort->towers[0] = stale;

    Troop* leaving = w.Piece(w.p, 5, 5, 1);
    leaving->actionCode = 116;
    Troop* staying = w.Piece(w.p, 6, 5, 1);
    staying->actionCode = 114;

    w.tables.BindStageWorld();

    EXPECT_EQ(castle->towers[0], tower);
    EXPECT_EQ(castle->towers[1], nullptr);
    EXPECT_EQ(castle->towers[2], nullptr);
    EXPECT_EQ(fort->towers[0], nullptr);
    for (auto [x, y] : {std::pair{14, 30}, {14, 31}, {13, 31}, {14, 32}})
        EXPECT_EQ(TheBattleMap->CellAt(x, y)->obstacle, 255) << x << "," << y;
    EXPECT_EQ(TheBattleMap->CellAt(16, 30)->obstacle, 0);

    EXPECT_EQ(castle->exitX, 13);
    EXPECT_EQ(castle->exitY, 19);
    EXPECT_EQ(fort->exitX, 22);
    EXPECT_EQ(fort->exitY, 20);
    EXPECT_EQ(camp->exitX, 32);
    EXPECT_EQ(camp->exitY, 10);
    EXPECT_EQ(camp->recruitCity, castle);
    EXPECT_EQ(w.p->mainCity, castle);
    EXPECT_EQ(w.p->markedCityId, castle->id);

    const auto units = ListValues<Troop>(w.p->fieldUnits);
    EXPECT_EQ(std::count(units.begin(), units.end(), leaving), 0);
    EXPECT_EQ(std::count(units.begin(), units.end(), staying), 1);
    EXPECT_FALSE(w.battle.OnCell(leaving, 5, 5));
    EXPECT_TRUE(w.battle.OnCell(staying, 6, 5));
}
