#include "Program/VictoryDefeat.h"
#include "BattleStageFixture.h"
#include "engine/ByteReader.h"
#include "net/room/NetSession.h"

#include "fuzz/seeds/builders/TestDisplay.h"
#include "support/EndMovies.h"
#include "support/SoundRecorder.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <memory>

using namespace battletest;

namespace {

// The program session's room holds these players, with ids 1, 2, ... in order.
void SetPeers(std::initializer_list<const char*> names) {
    NetSession& session = ProgramNetSession();
    session.NetSessionInit();
    platform::sockaddr_in a;
    a.sin_family = platform::AF_INET;
    a.sin_addr.s_addr = platform::inet_addr("127.0.0.1");
    uint16_t port = 1;
    for (const char* name : names) {
        a.sin_port = port++;
        session.NetAddPeer(name, a, 0);
    }
}

const std::string kBeaten = "\xa4\x77\xbe\xd4\xb1\xd1\x21"; // "已戰敗!"
const std::string kTimeUp =
    "\xad\xad\xa9\x77\xae\xc9\xb6\xa1\xa4\x77\xa8\xec\xa1\x41\xbe\xd4\xa7\xd0\xb5\xb2\xa7\xf4\xa1\x43";

void Beat(Kingdom* k) {
    for (uintptr_t v = k->fieldUnits.First(); v != 0; v = k->fieldUnits.Next())
        reinterpret_cast<Troop*>(v)->officer->Set(OfficerLayout::kHp, 0);
}

struct OutcomeCase {
    int gameKind;
    int enemyKind;
    bool enemyCity;
    bool enemyBeaten;
    int victory, noEnemyCities, allBeaten;
};

TEST(VictoryDefeatTest, DailyFlagsFollowTheEnemiesAtWar) {
    const OutcomeCase cases[] = {
        {0, 0, false, true, 1, 1, 1}, {0, 0, true, true, 0, 0, 1},   {0, 0, false, false, 0, 1, 0},
        {0, 2, true, true, 0, 1, 1},  {1, 2, true, true, 1, 1, 1},   {1, 2, false, false, 0, 1, 1},
        {1, 1, true, true, 0, 0, 1},  {3, 2, false, false, 1, 1, 1}, // network: kind 2 never holds
    };
    for (const OutcomeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.gameKind << " enemy " << c.enemyKind << " city "
                                        << c.enemyCity << " beaten " << c.enemyBeaten);
        BattleStage world;
        Kingdom* me = world.AddKingdom(0, 0, true);
        Kingdom* enemy = world.AddKingdom(c.enemyKind, 0, c.enemyCity);
        Kingdom* neutral = world.AddKingdom(0, 0, true);
        world.SetPlayer(me);
        world.SetWarRelations();
        me->relations[neutral->nationIndex] = 2; // not at war: never counts
        if (c.enemyBeaten) Beat(enemy);
        if (c.gameKind == 3) world.Network(true, 3);
        TheGameController->gameKind = c.gameKind;
        world.stage->CheckOutcome();
        EXPECT_EQ(world.stage->victoryReached, c.victory);
        EXPECT_EQ(world.stage->noEnemyCities, c.noEnemyCities);
        EXPECT_EQ(world.stage->allEnemiesBeaten, c.allBeaten);
        EXPECT_EQ(world.stage->daysElapsed, 1);
    }
}

TEST(VictoryDefeatTest, CityTroopsOrGovernorKeepAKingdomStanding) {
    BattleStage world;
    Kingdom* a = world.AddKingdom(0, 0, false, false);
    Kingdom* b = world.AddKingdom(0, 0, false, false);
    Kingdom* c = world.AddKingdom(0, 0, false, false);
    // The day's recount reads the garrison, so the strength stands in a garrison troop.
    auto* o = new OfficerRecord(a->nationIndex, 1);
    o->Set(OfficerLayout::kHp, 40);
    Troop guard(2, 10, 0, 0, a->nationIndex, 0, 100, o);
    world.AddCity(a, 0)->garrison[0] = &guard;
    world.AddSubCastle(world.AddCity(b, 1), 4)->leader = new Troop(-1, 0, 0, 0, 0, 0, 0, nullptr);
    world.stage->CheckOutcome();
    EXPECT_EQ(a->beaten, 0);
    EXPECT_EQ(a->noCity, 0);
    EXPECT_EQ(b->beaten, 0);
    EXPECT_EQ(b->noCity, 1);
    EXPECT_EQ(c->beaten, 1);
    // The governor stand-in is not the sub-castle's to delete.
    auto* sub = reinterpret_cast<SubCastle*>(reinterpret_cast<City*>(b->cities.First())->subCastles.First());
    delete sub->leader;
    sub->leader = nullptr;
    reinterpret_cast<City*>(a->cities.First())->garrison[0] = nullptr;
}

TEST(VictoryDefeatTest, EvaluationDaysFollowTheActOption) {
    BattleStage world;
    Kingdom* me = world.AddKingdom(0, 0, false);
    CountingCity* mine = world.AddCity(me, 0);
    mine->toggleFlag = 1;
    Kingdom* ai = world.AddKingdom(0, 0, false);
    CountingCity* theirs = world.AddCity(ai, 0);
    TheBattleMap->sideActive[ai->nationIndex] = 1;
    TheGameController->actOption = 2;
    for (int day = 0; day < 24; ++day)
        world.stage->CheckOutcome();
    EXPECT_EQ(mine->strategyTurns, 3);
    EXPECT_EQ(theirs->ticks, 3);
    EXPECT_EQ(theirs->updates, 24);
}

class TeamGameTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Sides 1, 2 in group 1; sides 3, 4 in group 2; one peer on each side.
        for (int i = 0; i < 4; ++i)
            k[i] = world.AddKingdom(0, i < 2 ? 1 : 2, true);
        world.SetWarRelations();
        // A session start empties the slots: the players take them afterwards.
        SetPeers({"Ann", "Bo", "Cy", "Di"});
        world.SetPlayers({{"Ann", k[0]}, {"Bo", k[1]}, {"Cy", k[2]}, {"Di", k[3]}});
        world.stage->SetColumn(StageBlockLayout::kEndMonth, 12);
    }
    void BeatWholly(Kingdom* kingdom) {
        Beat(kingdom);
        for (uintptr_t v = kingdom->cities.First(); v != 0; v = kingdom->cities.First()) {
            kingdom->cities.RemoveCurrent();
            delete reinterpret_cast<City*>(v);
        }
    }

    BattleStage world;
    Kingdom* k[4] = {};
};

TEST_F(TeamGameTest, GroupWinsWhenTheOtherGroupIsBeatenOnEveryMachine) {
    world.SetPlayer(k[0]);
    world.Network(true, 2);
    BeatWholly(k[2]);
    BeatWholly(k[3]);
    world.stage->CheckOutcome();
    EXPECT_EQ(world.stage->result, 5);
    EXPECT_EQ(k[0]->teamResult, 1);
    EXPECT_EQ(k[2]->teamResult, 0);
    ASSERT_EQ(testsupport::SentRecords().size(), 1u);
    const std::vector<uint8_t> record = testsupport::SentRecords()[0];
    ByteReader r(record.data(), record.size());
    EXPECT_EQ(r.u32(), kRecordTeamWinner);
    r.u32();
    EXPECT_EQ(r.i32(), 1);
    // Both beaten players were announced once, with their peer names.
    ASSERT_EQ(testsupport::SentChat().size(), 2u);
    EXPECT_EQ(testsupport::SentChat()[0], "Cy" + kBeaten);
    EXPECT_EQ(MainPanelChat().size(), 2u);

    // A group-2 machine decides nothing itself and follows the host's record.
    world.stage->result = 0;
    world.SetPlayer(k[2]);
    world.Network(false, 2);
    testsupport::SentCommands().clear();
    world.stage->CheckOutcome();
    EXPECT_EQ(world.stage->result, 0);
    EXPECT_TRUE(testsupport::SentRecords().empty());
    EXPECT_EQ(ApplyStageRecord(world.stage, record.data(), record.size()), 1);
    EXPECT_EQ(world.stage->result, 4);
}

// The players' own kingdoms come from the room's slots: with every side standing nobody wins.
TEST_F(TeamGameTest, WithEverySideStandingTheGameGoesOn) {
    world.SetPlayer(k[0]);
    world.Network(true, 2);
    for (int day = 0; day < 3; ++day)
        world.stage->CheckOutcome();
    EXPECT_EQ(world.stage->result, 0);
    EXPECT_TRUE(testsupport::SentRecords().empty());
    EXPECT_EQ(world.stage->defeatShown, 0);
}

TEST_F(TeamGameTest, TimeLimitEndsTheStageWithNoWinner) {
    world.SetPlayer(k[0]);
    world.Network(true, 2);
    world.stage->monthsElapsed = 12;
    TheScreenSettings->battleEnded = 1;
    world.stage->CheckOutcome();
    EXPECT_EQ(world.stage->result, 4);
    EXPECT_EQ(TheScreenSettings->battleEnded, 0);
    EXPECT_EQ(MainPanelChat(), std::vector<std::string>{kTimeUp});
    EXPECT_EQ(testsupport::SentChat(), std::vector<std::string>{kTimeUp});
    ASSERT_EQ(testsupport::SentRecords().size(), 1u);
    const std::vector<uint8_t> record = testsupport::SentRecords()[0];
    EXPECT_EQ(record[0], 0x05);
    EXPECT_EQ(record[1], 0x08);
    EXPECT_EQ(record[8], 0); // no winner

    // A client shows the text and ends the same way once the record arrives.
    world.stage->result = 0;
    world.Network(false, 2);
    MainPanel()->logCount = 0;
    testsupport::SentCommands().clear();
    world.stage->CheckOutcome();
    EXPECT_EQ(world.stage->result, 0);
    ApplyStageRecord(world.stage, record.data(), record.size());
    EXPECT_EQ(world.stage->result, 4);
    EXPECT_TRUE(MainPanelChat().empty()); // only the host writes its log
    EXPECT_EQ(testsupport::SentChat(), std::vector<std::string>{kTimeUp});
}

TEST_F(TeamGameTest, BeatenLocalPlayerBecomesSpectatorOnce) {
    TheBattleMap->SetCells(std::make_unique<MapCell[]>(4), 2, 2); // a map to reveal
    world.SetPlayer(k[0]);
    world.Network(false, 2);
    ProgramNetSession().ownId = 0;
    BeatWholly(k[0]);
    testsupport::SoundRecorder sounds;
    for (int day = 0; day < 5; ++day)
        world.stage->CheckOutcome();
    EXPECT_EQ(world.stage->result, 0);
    EXPECT_EQ(world.stage->defeatShown, 2);
    ASSERT_NE(TheBanner, nullptr);
    EXPECT_EQ(TheBanner->closable, 1);
    EXPECT_EQ(BannerTicks, 4); // 1 when made, raised each day up to 4
    EXPECT_EQ(sounds.Count(10), 1);
    EXPECT_EQ(TheGameController->mapRevealed, 1);
    EXPECT_TRUE(testsupport::SentChat().empty()); // a client sends nothing in the team game
    EXPECT_EQ(k[0]->beaten, 2);
}

TEST_F(TeamGameTest, CommanderInsideACityKeepsItsSideStanding) {
    world.SetPlayer(k[0]);
    world.Network(true, 2);
    BeatWholly(k[2]);
    Beat(k[3]);
    auto* o = new OfficerRecord(k[3]->nationIndex, 1);
    o->Set(OfficerLayout::kAttribute, 1);
    o->Set(OfficerLayout::kHp, 5);
    auto* keep = new Troop(1, 10, 0, 0, k[3]->nationIndex, 0, 100, o);
    reinterpret_cast<City*>(k[3]->cities.First())->units.Add(reinterpret_cast<uintptr_t>(keep));
    world.stage->CheckOutcome();
    EXPECT_EQ(k[3]->beaten, 0);
    EXPECT_EQ(world.stage->result, 0);
}

TEST(AllianceGameTest, OnlyTheHostEndsWithOneDistinctSurvivor) {
    struct Case {
        int groups[3];
        bool beaten[3];
        bool host;
        int result;
    };
    const Case cases[] = {
        {{3, 3, 0}, {false, false, true}, true, 5},  // one surviving group of two kingdoms
        {{3, 3, 0}, {false, false, true}, false, 0}, // a client waits for the host's record
        {{0, 3, 3}, {false, false, false}, true, 0}, // a lone kingdom and a group: two survivors
        {{0, 0, 0}, {true, false, true}, true, 4},   // the lone survivor is not the player
    };
    for (const Case& c : cases) {
        BattleStage world;
        Kingdom* k[3];
        for (int i = 0; i < 3; ++i)
            k[i] = world.AddKingdom(0, c.groups[i], !c.beaten[i], !c.beaten[i]);
        world.SetWarRelations();
        world.SetPlayer(k[0]);
        world.Network(c.host, 3);
        SetPeers({"Ann", "Bo", "Cy"});
        world.SetPlayers({{"Ann", k[0]}, {"Bo", k[1]}, {"Cy", k[2]}});
        world.stage->CheckOutcome();
        EXPECT_EQ(world.stage->result, c.result);
    }
}

TEST(AllianceGameTest, MissingOwnPeerGivesAnEmptyName) {
    BattleStage world;
    Kingdom* me = world.AddKingdom(0, 0, false, false);
    Kingdom* other = world.AddKingdom(0, 0, true);
    world.SetWarRelations();
    world.SetPlayer(me);
    world.Network(true, 3);
    SetPeers({"Ann", "Bo"});
    world.SetPlayers({{"Ann", me}, {"Bo", other}});
    ProgramNetSession().ownId = 7; // no such peer
    world.stage->CheckOutcome();
    EXPECT_EQ(world.stage->defeatShown, 2);
    ASSERT_FALSE(testsupport::SentChat().empty());
    EXPECT_EQ(testsupport::SentChat().back(), kBeaten);
}

TEST(AllianceGameTest, LastPlayerBeatenLosesAtOnce) {
    testsupport::TempFolder folder;
    TestDisplay display{565};
    testsupport::EndMovies movies;
    BattleStage world;
    Kingdom* me = world.AddKingdom(0, 0, false, false);
    world.AddKingdom(0, 0, true);
    world.SetWarRelations();
    world.SetPlayer(me);
    world.Network(true, 3);
    SetPeers({"Ann"});
    world.SetPlayers({{"Ann", me}});
    world.stage->CheckOutcome();
    EXPECT_EQ(world.stage->result, 4);
    EXPECT_EQ(TheScreenSettings->battleEnded, 1);
    EXPECT_EQ(me->teamResult, 0);
    EXPECT_GT(movies.Defeat(), 0) << "the defeat movie played";
    EXPECT_EQ(movies.Victory(), 0);
    EXPECT_EQ(TheBanner, nullptr); // no banner with a single peer
}

TEST(VictoryDefeatTest, ReceivedRecordsAreCheckedBeforeUse) {
    BattleStage world;
    Kingdom* me = world.AddKingdom(0, 1, true);
    world.SetPlayer(me);
    const uint8_t shortRecord[6] = {0x05, 0x08, 0, 0, 16, 0};
    EXPECT_EQ(ApplyStageRecord(world.stage, shortRecord, sizeof shortRecord), 0);
    const uint8_t unknownSide[16] = {0x05, 0x08, 0, 0, 16, 0, 0, 0, 99, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(ApplyStageRecord(world.stage, unknownSide, sizeof unknownSide), 0);
    EXPECT_EQ(world.stage->result, 0);
    const uint8_t mine[16] = {0x05, 0x08, 0, 0, 16, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(ApplyStageRecord(world.stage, mine, sizeof mine), 1);
    EXPECT_EQ(world.stage->result, 5);
}

} // namespace
