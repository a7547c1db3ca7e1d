#include "events/EventManager.h"

#include "ConditionWorld.h"
#include "records/SubCastle.h"
#include "support/SentCommands.h"
#include "troops/CastleGate.h"

#include <gtest/gtest.h>

#include <vector>

using conditiontest::CellCase;
using conditiontest::ConditionWorld;
using conditiontest::Event;

namespace {

constexpr uint32_t kEventCondition = 192; // the officer's "事件條件"

} // namespace

TEST(OutcomeConditionsTest, FallenKingdoms) {
    // Columns: ruler lost, castles lost and the two script flags of the kingdom tested.
    struct Case {
        int32_t code;
        bool player; // the player's kingdom, else the other (of kind 3 for code 33)
        int32_t beaten, noCity, flagC, flagD;
        int expected;
    } cases[] = {
        {21, true, 1, 1, 0, 0, 1},  {21, true, 1, 0, 0, 0, 0},  {21, true, 0, 1, 0, 0, 0},
        {21, true, 2, 1, 0, 0, 1},  {24, true, 1, 0, 0, 0, 1},  {24, true, 0, 1, 0, 0, 0},
        {25, true, 0, 0, 1, 1, 1},  {25, true, 0, 0, 1, 0, 0},  {25, true, 0, 0, 0, 1, 0},
        {21, false, 1, 1, 0, 0, 0}, {24, false, 1, 0, 0, 0, 0}, {33, false, 1, 0, 0, 0, 1},
        {33, false, 0, 1, 0, 0, 0}, {33, true, 1, 0, 0, 0, 0},  {52, false, 1, 1, 0, 0, 1},
        {52, false, 1, 0, 0, 0, 0}, {52, false, 0, 1, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "code " << c.code << " player " << c.player);
        ConditionWorld w;
        w.other->SetInt(KingdomLayout::kNationKind, 3);
        Kingdom* k = c.player ? w.player : w.other;
        k->beaten = c.beaten;
        k->noCity = c.noCity;
        k->outcomeFlagC = c.flagC;
        k->outcomeFlagD = c.flagD;
        EXPECT_EQ(w.Test(c.code, w.other->nationIndex, 0, {}), c.expected);
        EXPECT_EQ(w.world.stage->result, 0) << "the result word is only scratch";
    }
}

TEST(OutcomeConditionsTest, FallenKingdomsNeedAKingdom) {
    ConditionWorld w;
    EXPECT_EQ(w.Test(33, 0, 0, {}), 0) << "no kingdom of kind 3";
    EXPECT_EQ(w.Test(52, 99, 0, {}), 0) << "no kingdom with that id";
}

TEST(OutcomeConditionsTest, OutcomeCodesNeverHoldInNetworkPlay) {
    for (const bool host : {true, false}) {
        ConditionWorld w;
        w.player->beaten = 1;
        w.player->noCity = 1;
        w.player->outcomeFlagC = w.player->outcomeFlagD = 1;
        w.other->SetInt(KingdomLayout::kNationKind, 3);
        w.other->beaten = 1;
        w.other->noCity = 1;
        w.world.stage->winFlagA = 1;
        w.AddCity(w.player, 3)->dead = 1;
        w.world.Network(host, 0);
        for (const int32_t code : {21, 22, 23, 24, 25, 29, 30, 31, 33, 36, 37, 58})
            EXPECT_EQ(w.Test(code, 3, 0, {}), 0) << code;
        // Kingdom 52 is not an outcome test: it holds everywhere.
        EXPECT_EQ(w.Test(52, w.other->nationIndex, 0, {}), 1);
    }
}

TEST(OutcomeConditionsTest, PlayerRulerOnTheFieldCountsOnlyInsideTheActiveArea) {
    // The active area is x 5..29 and cell rows 5..29 (half rows 10..59).
    const CellCase cases[] = {{5, 5, 0}, {29, 29, 0}, {4, 10, 1}, {30, 10, 1}, {10, 4, 1}, {10, 30, 1}};
    for (const CellCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        ConditionWorld w;
        TheBattleMap->validBounds = {5, 10, 30, 60};
        Troop* ruler = w.Field(w.player, 501, c.x, c.y);
        ruler->officer->Set(OfficerLayout::kControllable, 1);
        EXPECT_EQ(w.Test(29, 0, 0, {}), c.expected);
        EXPECT_EQ(w.world.stage->result, 0);
    }
}

TEST(OutcomeConditionsTest, PlayerRulerLost) {
    struct Case {
        const char* name;
        int32_t kind, controllable, ambush, status;
        bool inCity;
        int expected;
    } cases[] = {
        {"field ruler", 1, 1, 0, 0, false, 0},           {"not controllable", 1, 0, 0, 0, false, 1},
        {"not a ruler", 2, 1, 0, 0, false, 1},           {"in ambush", 1, 1, 1, 0, false, 1},
        {"out of play", 1, 1, 0, 1, false, 1},           {"city ruler", 1, 1, 0, 0, true, 0},
        {"city ruler in ambush", 1, 1, 1, 0, true, 0},   {"city ruler not controllable", 1, 0, 0, 0, true, 1},
        {"city ruler out of play", 1, 1, 0, 1, true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConditionWorld w;
        Troop* t =
            c.inCity ? w.InCity(w.AddCity(w.player, 3), w.player, 501) : w.Field(w.player, 501, 12, 12);
        t->officer->Set(OfficerLayout::kAttribute, c.kind);
        t->officer->Set(OfficerLayout::kControllable, c.controllable);
        t->officer->Set(OfficerLayout::kAmbush, c.ambush);
        t->officer->StatusWord() = c.status;
        // A ruler of the other kingdom does not keep the player in the game.
        w.Field(w.other, 502, 14, 14)->officer->Set(OfficerLayout::kControllable, 1);
        EXPECT_EQ(w.Test(29, 0, 0, {}), c.expected);
    }
}

TEST(OutcomeConditionsTest, PlayerRulerHeldInASubCastle) {
    ConditionWorld w;
    SubCastle* post = w.world.AddSubCastle(w.AddCity(w.player, 3), 5);
    EXPECT_EQ(w.Test(29, 0, 0, {}), 1);
    post->garrisonFlag = 1;
    EXPECT_EQ(w.Test(29, 0, 0, {}), 0);
    w.world.stage->playerSide = 9; // no kingdom on the player's side
    EXPECT_EQ(w.Test(29, 0, 0, {}), 1);
}

TEST(OutcomeConditionsTest, NamedOfficersInThePlayersHands) {
    ConditionWorld w;
    w.Field(w.player, 501, 12, 12);
    Troop* held = w.Field(w.player, 502, 13, 12);
    w.Field(w.other, 503, 14, 12);
    held->outOfPlay = 1;
    struct Case {
        std::vector<int32_t> params;
        int expected;
    } cases[] = {
        {{501}, 1}, {{0, 0, 0, 0, 0, 501}, 1}, {{501, 502}, 0}, {{501, 503}, 0}, {{501, 999}, 0}, {{}, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(w.Test(36, 0, 0, c.params), c.expected) << testing::PrintToString(c.params);
    held->outOfPlay = 0;
    EXPECT_EQ(w.Test(36, 0, 0, {501, 502}), 1);
}

TEST(OutcomeConditionsTest, GateBrokenAtACell) {
    ConditionWorld w;
    auto gate = [](Kingdom* k, int x, int y, int32_t state) {
        auto* g = new CastleGate;
        g->cellX = x;
        g->cellY = y;
        g->openState = state;
        k->gates.Add(reinterpret_cast<uintptr_t>(g));
        return g;
    };
    gate(w.player, 12, 6, 1);
    CastleGate* far = gate(w.other, 20, 9, 2);
    gate(w.other, 12, 6, 2); // the first gate on that cell answers
    struct Case {
        int32_t x, halfRow;
        int expected;
    } cases[] = {{20, 18, 1}, {20, 19, 0}, {20, 9, 0}, {21, 18, 0}, {12, 12, 0}, {30, 30, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(w.Test(39, 0, 0, {c.x, c.halfRow}), c.expected) << c.x << "," << c.halfRow;
    far->openState = 3;
    EXPECT_EQ(w.Test(39, 0, 0, {20, 18}), 0) << "only state 2 counts";
}

TEST(OutcomeConditionsTest, CitiesRazed) {
    ConditionWorld w;
    City* a = w.AddCity(w.player, 3);
    City* b = w.AddCity(w.other, 4);
    a->dead = 1;
    struct Case {
        int32_t general;
        std::vector<int32_t> params;
        int expected;
    } cases[] = {
        {3, {}, 1}, {3, {4}, 0}, {0, {0, 0, 3}, 1}, {4, {}, 0}, {3, {77}, 1}, // a missing city is skipped
    };
    for (const Case& c : cases)
        EXPECT_EQ(w.Test(58, c.general, 0, c.params), c.expected) << c.general;
    b->dead = 1;
    EXPECT_EQ(w.Test(58, 3, 0, {4}), 1);
}

TEST(OutcomeConditionsTest, WipedOutGroupEndsATeamGameOnTheHost) {
    struct Case {
        const char* name;
        bool host;
        int gameKind;
        bool wiped;
        int32_t param1;
        int32_t result; // the stage result afterwards; 0 = nothing happened
    } cases[] = {
        {"team 2 wins", true, 2, true, 1, 5},  {"team 1 wins", true, 2, true, 0, 4},
        {"client", false, 2, true, 1, 0},      {"not a team game", true, 0, true, 1, 0},
        {"group alive", true, 2, false, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConditionWorld w;
        w.player->SetAllianceGroup(2);
        w.other->SetAllianceGroup(1);
        Troop* t = w.Field(w.other, 501, 12, 12, 4);
        if (c.wiped) t->officer->StatusWord() = 1;
        w.world.Network(c.host, c.gameKind);
        EXPECT_EQ(w.Test(38, 4, 0, {c.param1}), 0) << "never fires in network play";
        EXPECT_EQ(w.world.stage->result, c.result);
        const auto records = testsupport::SentRecords();
        ASSERT_EQ(records.size(), c.result != 0 ? 1u : 0u);
        // The record names the winning team.
        if (!records.empty()) {
            EXPECT_EQ(records[0].at(8), c.param1 == 1 ? 2 : 1);
        }
    }
}

TEST(OutcomeConditionsTest, FiredEventsReleaseTheTroopsWaitingForThem) {
    ConditionWorld w;
    auto waiting = [&](int32_t person, int32_t eventId) {
        Troop* t = w.Field(w.other, person, 12, 12);
        t->officer->Set(kEventCondition, eventId);
        return t;
    };
    Troop* forFired = waiting(501, 1);
    Troop* forCancelled = waiting(502, 2);
    Troop* forListed = waiting(503, 3);
    Troop* forArmed = waiting(504, 4);
    auto add = [&](int32_t id, int32_t code) {
        auto* e = static_cast<Event*>(w.world.stage->NewChild(Zu_StageSet::kEventKind));
        e->SetInt(EventLayout::kId, id);
        e->SetInt(EventLayout::kCode, code);
        return e;
    };
    Event* fired = add(1, 31);
    fired->SetInt(EventLayout::kCancel, 2);
    add(2, 0);
    Event* hold = add(5, 99);
    hold->SetParam(1, 3);
    add(3, 0);
    add(4, 0);
    w.world.stage->winFlagA = 1;
    w.manager.CheckTriggers();
    EXPECT_EQ(forFired->routeTrigger, 1);
    EXPECT_EQ(forCancelled->routeTrigger, 1);
    EXPECT_EQ(forListed->routeTrigger, 0) << "the day-hold event has not run yet";
    w.manager.CheckTriggers(); // now the code-99 event ends event 3
    EXPECT_EQ(forListed->routeTrigger, 1);
    EXPECT_EQ(forArmed->routeTrigger, 0);
    EXPECT_EQ(EventDayHold, 1);
    EventDayHold = 0;
}

TEST(OutcomeConditionsTest, AnEventWithoutIdReleasesNobody) {
    ConditionWorld w;
    Troop* notWaiting = w.Field(w.other, 501, 12, 12); // its event condition is 0
    auto* e = static_cast<Event*>(w.world.stage->NewChild(Zu_StageSet::kEventKind));
    e->SetInt(EventLayout::kCode, 31);
    w.world.stage->winFlagA = 1;
    w.manager.CheckTriggers();
    ASSERT_EQ(e->EndState(), kEventFired);
    EXPECT_EQ(notWaiting->routeTrigger, 0);
}

TEST(OutcomeConditionsTest, FiredLoopEventOfCode25IsArmedAgainAtOnce) {
    ConditionWorld w;
    w.player->outcomeFlagC = w.player->outcomeFlagD = 1;
    auto* e = static_cast<Event*>(w.world.stage->NewChild(Zu_StageSet::kEventKind));
    e->SetInt(EventLayout::kId, 1);
    e->SetInt(EventLayout::kCode, 25);
    e->SetInt(EventLayout::kLoop, 1);
    w.manager.CheckTriggers();
    EXPECT_EQ(e->EndState(), kEventFired);
    // Its condition still holds, but code 25 is not tested again: the event re-arms.
    w.manager.CheckTriggers();
    EXPECT_EQ(e->EndState(), 0);
}
