#include "events/EventManager.h"

#include "ConditionWorld.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using Event = events::EventRecord;

using conditiontest::CellCase;
using conditiontest::ConditionWorld;

TEST(TriggerConditionsTest, OfficerAreaEntryIncludesEveryEdge) {
    // Rectangle x 10..14, half rows 20..28 (cell rows 10..14).
    const CellCase cases[] = {{10, 10, 1}, {14, 14, 1}, {12, 12, 1}, {9, 12, 0},
                              {15, 12, 0}, {12, 9, 0},  {12, 15, 0}};
    for (const CellCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        ConditionWorld w;
        w.Field(w.other, 501, c.x, c.y);
        EXPECT_EQ(w.Test(10, 501, 0, {10, 20, 14, 28}), c.expected);
        EXPECT_EQ(w.Test(53, 501, 0, {10, 20, 14, 28}), c.expected);
    }
}

TEST(TriggerConditionsTest, OfficerAreaEntryNeedsEveryNamedTroopInside) {
    ConditionWorld w;
    w.Field(w.other, 501, 12, 12);
    w.Field(w.other, 502, 20, 12);
    EXPECT_EQ(w.Test(10, 501, 0, {10, 20, 14, 28, 0, 0}), 1);
    EXPECT_EQ(w.Test(10, 501, 0, {10, 20, 14, 28, 502, 0}), 0);
    EXPECT_EQ(w.Test(10, 501, 0, {10, 20, 14, 28, 0, 999}), 0) << "a named troop that is missing fails";
}

TEST(TriggerConditionsTest, SideAreaEntryExcludesRightAndBottomEdges) {
    // Side 1 (the player's, kingdom id 0) in x 10..13, cell rows 10..13.
    const CellCase cases[] = {{10, 10, 1}, {13, 13, 1}, {14, 12, 0}, {12, 14, 0}, {9, 12, 0}, {12, 9, 0}};
    for (const CellCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        ConditionWorld w;
        ASSERT_EQ(w.player->nationIndex, 1);
        w.Field(w.player, 501, c.x, c.y);
        EXPECT_EQ(w.Test(10, 0, 0, {10, 20, 14, 28}), c.expected);
    }
}

TEST(TriggerConditionsTest, SideAreaEntryByKingdomIdIgnoresEnemies) {
    ConditionWorld w;
    w.Field(w.other, 501, 12, 12);
    EXPECT_EQ(w.Test(10, 0, w.other->nationIndex, {10, 20, 14, 28}), 1);
    EXPECT_EQ(w.Test(10, 0, 0, {10, 20, 14, 28}), 0) << "an enemy of the player's side does not count";
    EXPECT_EQ(w.Test(10, 0, 99, {10, 20, 14, 28}), 0) << "no kingdom with that id";
}

TEST(TriggerConditionsTest, SideAreaEntrySkipsHeldAndHiddenTroops) {
    struct Case {
        const char* name;
        int32_t ambush, status;
        uint8_t held;
        int expected;
    } cases[] = {
        {"in play", 0, 0, 0, 1},
        {"held by the stage", 0, 0, 1, 0},
        {"in ambush", 1, 0, 0, 0},
        {"officer out of play", 0, 1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConditionWorld w;
        // The other kingdom's side: the player's own troops always pass as its allies.
        Troop* t = w.Field(w.other, 501, 12, 12);
        t->officer->Set(OfficerLayout::kAmbush, c.ambush);
        t->officer->StatusWord() = c.status;
        t->outOfPlay = c.held;
        EXPECT_EQ(w.Test(10, 0, w.other->nationIndex, {10, 20, 14, 28}), c.expected);
    }
}

TEST(TriggerConditionsTest, CountInAreaIncludesEdges) {
    ConditionWorld w;
    w.Field(w.other, 501, 10, 10);
    w.Field(w.other, 501, 14, 14);
    w.Field(w.other, 501, 15, 14); // outside
    w.Field(w.other, 502, 12, 12); // another officer
    struct Case {
        int32_t needed;
        int expected;
    } cases[] = {{0, 1}, {1, 1}, {2, 1}, {3, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(w.Test(17, 501, 0, {10, 20, 14, 28, c.needed}), c.expected) << c.needed;
}

TEST(TriggerConditionsTest, OpenRectangleExcludesEveryEdge) {
    // Bounds x 10..14, half rows 20..28: inside means x 11..13 and cell rows 11..13.
    const CellCase cases[] = {{11, 11, 1}, {13, 13, 1}, {10, 12, 0}, {14, 12, 0}, {12, 10, 0}, {12, 14, 0}};
    for (const CellCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        ConditionWorld w;
        w.Field(w.other, 501, c.x, c.y);
        EXPECT_EQ(w.Test(18, 501, 0, {10, 20, 14, 28}), c.expected);
        // Kingdom units that are not famous count the same way.
        EXPECT_EQ(w.Test(46, w.other->nationIndex, 0, {10, 20, 14, 28}), c.expected);
    }
}

TEST(TriggerConditionsTest, GroupRectangleIncludesLeftAndTopOnly) {
    const CellCase cases[] = {{10, 10, 1}, {13, 13, 1}, {14, 12, 0}, {12, 14, 0}, {9, 12, 0}, {12, 9, 0}};
    for (const CellCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        ConditionWorld w;
        w.Field(w.other, 501, c.x, c.y, 4);
        w.Field(w.other, 502, 30, 30, 5); // another group elsewhere
        EXPECT_EQ(w.Test(57, 4, 0, {10, 20, 14, 28}), c.expected);
        EXPECT_EQ(w.Test(16, 4, 0, {10, 20, 14, 28}), c.expected);
    }
}

TEST(TriggerConditionsTest, GroupHeldInAreaFailsWithATroopInACity) {
    ConditionWorld w;
    w.Field(w.other, 501, 12, 12, 4);
    EXPECT_EQ(w.Test(16, 4, 0, {10, 20, 14, 28}), 1);
    EXPECT_EQ(w.Test(57, 6, 0, {10, 20, 14, 28}), 0) << "an empty group is never inside";
    EXPECT_EQ(w.Test(16, 6, 0, {10, 20, 14, 28}), 1) << "an empty group is held";
    w.InCity(w.AddCity(w.other, 3), w.other, 502, 4);
    EXPECT_EQ(w.Test(16, 4, 0, {10, 20, 14, 28}), 0);
}

TEST(TriggerConditionsTest, CityOwnershipTests) {
    ConditionWorld w;
    w.AddCity(w.player, 3);
    w.AddCity(w.other, 4);
    const int32_t mine = w.player->nationIndex;
    const int32_t theirs = w.other->nationIndex;
    struct Case {
        int32_t code, general;
        std::vector<int32_t> params;
        int expected;
    } cases[] = {
        {15, mine, {3}, 1}, {15, mine, {3, 4}, 0}, {15, theirs, {4, 77}, 1}, // a missing city is skipped
        {37, 3, {}, 1},     {37, 3, {4}, 0},       {37, 77, {3}, 1},
        {23, 3, {}, 0},     {23, 3, {0, 4}, 1},    {23, 77, {}, 0},
        {59, 7, {4}, 1},    {59, 7, {3}, 0},       {59, 0, {3}, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(w.Test(c.code, c.general, 0, c.params), c.expected) << c.code << " " << c.general;
}

TEST(TriggerConditionsTest, CityHoldsOfficers) {
    ConditionWorld w;
    City* c = w.AddCity(w.player, 3);
    w.InCity(c, w.player, 601);
    w.InCity(c, w.player, 602);
    City* far = w.AddCity(w.player, 4);
    w.InCity(far, w.player, 603);
    struct Case {
        int32_t code;
        std::vector<int32_t> params;
        int expected;
    } cases[] = {
        {11, {601, 602}, 1}, {11, {601, 603}, 0}, {11, {}, 0}, {11, {601, 999}, 0},
        {19, {603, 602}, 1}, {19, {603}, 0},      {19, {}, 0},
    };
    for (const Case& k : cases)
        EXPECT_EQ(w.Test(k.code, 3, 0, k.params), k.expected) << k.code;
    EXPECT_EQ(w.Test(11, 99, 0, {601}), 0) << "no such city";
}

TEST(TriggerConditionsTest, OfficersDead) {
    ConditionWorld w;
    Troop* lead = w.Field(w.other, 501, 12, 12);
    Troop* a = w.Field(w.other, 502, 13, 12);
    EXPECT_EQ(w.Test(14, 501, 0, {}), 0);
    lead->officer->Set(OfficerLayout::kHp, 0);
    EXPECT_EQ(w.Test(14, 501, 0, {}), 1) << "the named officer alone";
    EXPECT_EQ(w.Test(14, 501, 0, {502}), 0);
    a->officer->Set(OfficerLayout::kHp, 0);
    EXPECT_EQ(w.Test(14, 501, 0, {502, 999}), 1) << "an unknown parameter is skipped";
    EXPECT_EQ(w.Test(14, 0, 0, {999}), 0) << "nobody found";
    EXPECT_EQ(w.Test(14, 0, 0, {502}), 1);
}

TEST(TriggerConditionsTest, GroupWipedOut) {
    ConditionWorld w;
    Troop* t = w.Field(w.other, 501, 12, 12, 4);
    EXPECT_EQ(w.Test(50, 4, 0, {}), 0);
    EXPECT_EQ(w.Test(38, 4, 0, {}), 0);
    t->officer->StatusWord() = 1; // out of play
    EXPECT_EQ(w.Test(50, 4, 0, {}), 1);
    EXPECT_EQ(w.Test(38, 4, 0, {}), 1);
    w.InCity(w.AddCity(w.other, 3), w.other, 502, 4);
    EXPECT_EQ(w.Test(50, 4, 0, {}), 0) << "a city troop keeps the group alive";
    w.world.Network(true, 0);
    EXPECT_EQ(w.Test(38, 9, 0, {}), 0) << "never in network play";
}

TEST(TriggerConditionsTest, KingdomRulerGone) {
    ConditionWorld w;
    Troop* ruler = w.Field(w.other, 501, 12, 12);
    EXPECT_EQ(w.Test(30, w.other->nationIndex, 0, {}), 0);
    EXPECT_EQ(w.Test(30, 99, 0, {}), 1) << "no kingdom with that id";
    ruler->officer->StatusWord() = 1;
    EXPECT_EQ(w.Test(30, w.other->nationIndex, 0, {}), 1);
    w.world.Network(false, 0);
    EXPECT_EQ(w.Test(30, 99, 0, {}), 0) << "outcome tests never fire in network play";
    EXPECT_EQ(w.world.stage->result, 0);
}

TEST(TriggerConditionsTest, StageCountersAndFlags) {
    ConditionWorld w;
    Zu_StageSet& s = *w.world.stage;
    EXPECT_EQ(w.Test(31, 0, 0, {}), 0);
    s.winFlagA = 1;
    EXPECT_EQ(w.Test(31, 0, 0, {}), 1);
    EXPECT_EQ(w.Test(32, 0, 0, {}), 0);
    s.progressValue = 5;
    EXPECT_EQ(w.Test(45, 5, 0, {}), 1);
    EXPECT_EQ(w.Test(45, 6, 0, {}), 0);
    EXPECT_EQ(w.Test(51, 0, 0, {}), 0) << "a timer without target never holds";
    s.timerTarget = 3;
    s.timerCounter = 2;
    EXPECT_EQ(w.Test(51, 0, 0, {}), 0);
    s.timerCounter = 3;
    EXPECT_EQ(w.Test(51, 0, 0, {}), 1);
    s.tallyTarget = 2;
    s.tallyCounter = 4;
    EXPECT_EQ(w.Test(56, 0, 0, {}), 1);
    EXPECT_EQ(w.Test(25, 0, 0, {}), 0);
}

// Set by a script, the timer counts the months the calendar steps and the tally the days the stage
// evaluates, until their conditions hold.
TEST(TriggerConditionsTest, TheTimerCountsMonthsAndTheTallyCountsDays) {
    ConditionWorld w;
    Zu_StageSet& s = *w.world.stage;
    s.timerTarget = 2;
    s.tallyTarget = 3;
    for (int day = 1; day <= 3; ++day) {
        EXPECT_EQ(w.Test(56, 0, 0, {}), 0) << day;
        s.CheckOutcome();
        s.result = 0;
    }
    EXPECT_EQ(s.tallyCounter, 3);
    EXPECT_EQ(w.Test(56, 0, 0, {}), 1);
    for (int month = 1; month <= 2; ++month) {
        EXPECT_EQ(w.Test(51, 0, 0, {}), 0) << month;
        s.AdvanceMonth();
    }
    EXPECT_EQ(w.Test(51, 0, 0, {}), 1);
}

TEST(TriggerConditionsTest, ItemsAndAreaOfOfficers) {
    ConditionWorld w;
    Troop* a = w.Field(w.other, 501, 12, 12);
    Troop* b = w.Field(w.other, 502, 15, 15);
    EXPECT_EQ(w.Test(60, 0, 7, {10, 20, 14, 28}), 1) << "nobody named";
    EXPECT_EQ(w.Test(41, 501, 0, {}), 0) << "carries nothing";
    a->officer->Set(OfficerLayout::kWeapon, 7);
    a->officer->Set(OfficerLayout::kCarried + 12, 9); // the last slot
    EXPECT_EQ(w.Test(41, 501, 0, {7, 9}), 1);
    EXPECT_EQ(w.Test(41, 501, 0, {7, 8}), 0);
    // 42 and 43: within x-4..x+3, y-4..y+3 of the troop of the first parameter.
    struct Place {
        int x, y;
        int expected;
    };
    const Place places[] = {
        {15, 15, 1}, {16, 12, 1}, {8, 12, 0}, {9, 12, 1}, {12, 16, 1}, {12, 8, 0}, {12, 9, 1}, {17, 12, 0},
    };
    for (const int32_t code : {42, 43})
        for (const Place& p : places) {
            b->cellX = int16_t(p.x);
            b->cellY = int16_t(p.y);
            EXPECT_EQ(w.Test(code, 501, 0, {502}), p.expected) << code << " at " << p.x << "," << p.y;
            EXPECT_EQ(w.Test(code, 501, 0, {502, 9}), p.expected) << code;
            EXPECT_EQ(w.Test(code, 501, 0, {502, 8}), 0) << code << " the item is not carried";
        }
}

TEST(TriggerConditionsTest, LookupsCacheUntilTheTroopIsForgotten) {
    ConditionWorld w;
    Troop* first = w.Field(w.other, 501, 12, 12);
    EXPECT_EQ(w.manager.FindTroop(501), first);
    EXPECT_EQ(w.manager.troopCache[0], first);
    EXPECT_EQ(w.manager.FindOfficer(501), first->officer);
    EXPECT_EQ(w.manager.officerCache[0], first->officer);
    // The removal hook of the battle map empties both slots.
    TheBattleMap->ForgetTroop(first);
    EXPECT_EQ(w.manager.troopCache[0], nullptr);
    EXPECT_EQ(w.manager.officerCache[0], nullptr);
    w.other->fieldUnits.RemoveValue(reinterpret_cast<uintptr_t>(first));
    delete first;
    Troop* second = w.Field(w.other, 501, 20, 20);
    EXPECT_EQ(w.manager.FindTroop(501), second) << "looked up again from the lists";
}

TEST(TriggerConditionsTest, CachedTroopIsNotCheckedAgainstTheArea) {
    ConditionWorld w;
    Troop* t = w.Field(w.other, 501, 12, 12);
    EXPECT_EQ(w.manager.FindTroop(501), t);
    t->cellX = 45; // outside the active area: the cache still answers
    EXPECT_EQ(w.manager.FindTroop(501), t);
    w.manager.Reset();
    EXPECT_EQ(w.manager.FindTroop(501), nullptr);
}

TEST(TriggerConditionsTest, AmbushersAndOutsideCitiesAreNotFound) {
    ConditionWorld w;
    Troop* hidden = w.Field(w.other, 501, 12, 12);
    hidden->officer->Set(OfficerLayout::kAmbush, 1);
    EXPECT_EQ(w.manager.FindTroop(501), nullptr);
    EXPECT_EQ(w.manager.FindOfficer(501), nullptr);
    City* outside = w.AddCity(w.other, 3, 45, 5);
    w.InCity(outside, w.other, 601);
    EXPECT_EQ(w.manager.FindGarrisonOfficer(601), nullptr);
    EXPECT_NE(w.manager.FindTroop(601), nullptr) << "city troops have no area test";
    City* inside = w.AddCity(w.other, 4, 6, 6);
    SubCastle* post = w.world.AddSubCastle(inside, 5);
    auto* o = w.Officer(w.other, 602, 0);
    post->units.Add(reinterpret_cast<uintptr_t>(new Troop(1, 10, 0, 0, 2, 0, 100, o)));
    EXPECT_EQ(w.manager.FindGarrisonOfficer(602), o);
}

TEST(TriggerConditionsTest, FullCacheStillAnswers) {
    ConditionWorld w;
    City* c = w.AddCity(w.player, 3);
    for (int i = 0; i < EventManager::kCacheSlots; ++i)
        w.manager.cityCache[i] = c;
    City* d = w.AddCity(w.player, 9);
    EXPECT_EQ(w.manager.FindCity(9), d);
    EXPECT_EQ(w.manager.FindCity(0), nullptr);
}

TEST(TriggerConditionsTest, OfficersOfASideAndOfAPolicy) {
    ConditionWorld w;
    Troop* a = w.Field(w.other, 501, 12, 12);
    w.Field(w.other, 502, 13, 12);
    const int32_t theirs = w.other->nationIndex;
    EXPECT_EQ(w.Test(13, theirs, 0, {501, 502}), 1);
    EXPECT_EQ(w.Test(13, w.player->nationIndex, 0, {501}), 0);
    EXPECT_EQ(w.Test(13, theirs, 0, {999}), 0) << "nobody found";
    // 12 with kingdom id 0: every officer has some policy.
    EXPECT_EQ(w.Test(12, 0, 0, {501}), 0);
    a->officer->Set(OfficerLayout::kPolicy, theirs);
    EXPECT_EQ(w.Test(12, 0, 0, {501}), 1);
    EXPECT_EQ(w.Test(12, theirs, 0, {501}), 1) << "the policy names the kingdom";
    EXPECT_EQ(w.Test(12, theirs, 0, {501, 502}), 0);
}

TEST(TriggerConditionsTest, OfficerHeldInAGarrisonPost) {
    ConditionWorld w;
    City* c = w.AddCity(w.other, 3, 6, 6);
    SubCastle* post = w.world.AddSubCastle(c, 5);
    auto* o = w.Officer(w.other, 602, 0);
    post->units.Add(reinterpret_cast<uintptr_t>(new Troop(1, 10, 0, 0, 2, 0, 100, o)));
    EXPECT_EQ(w.Test(12, w.other->nationIndex, 0, {602}), 1);
    EXPECT_EQ(w.Test(12, w.player->nationIndex, 0, {602}), 0);
}

TEST(TriggerConditionsTest, MeetingOnTheFieldOrInAPlayerCity) {
    // 20: the troop of the general id within x-2..x+1, y-2..y+1 of the troop of the parameter.
    const CellCase cases[] = {{8, 8, 1}, {11, 11, 1}, {7, 10, 0}, {12, 10, 0}, {10, 7, 0}, {10, 12, 0}};
    for (const CellCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        ConditionWorld w;
        w.Field(w.other, 501, 10, 10);
        w.Field(w.other, 502, c.x, c.y);
        EXPECT_EQ(w.Test(20, 502, 0, {501}), c.expected);
    }
    ConditionWorld w;
    City* c = w.AddCity(w.player, 3, 6, 6);
    w.InCity(c, w.player, 601);
    EXPECT_EQ(w.Test(20, 601, 0, {602}), 0);
    w.InCity(c, w.player, 602);
    EXPECT_EQ(w.Test(20, 601, 0, {602}), 1);
}

TEST(TriggerConditionsTest, CityMorale) {
    ConditionWorld w;
    City* c = w.AddCity(w.player, 3);
    c->SetInt(56, 40);
    EXPECT_EQ(w.Test(35, 3, 0, {40}), 1);
    EXPECT_EQ(w.Test(35, 3, 0, {41}), 0);
    EXPECT_EQ(w.Test(35, 8, 0, {0}), 0) << "no such city";
}

TEST(TriggerConditionsTest, ControllableUnitNearATroop) {
    // 47: a plain controllable unit of the kingdom on the 12 x 12 cells x-6..x+5, y-6..y+5.
    const CellCase cases[] = {{4, 4, 1}, {15, 15, 1}, {3, 10, 0}, {16, 10, 0}, {10, 3, 0}, {10, 16, 0}};
    for (const CellCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        ConditionWorld w;
        w.Field(w.player, 501, 10, 10);
        Troop* t = w.Field(w.other, 502, c.x, c.y);
        t->officer->Set(OfficerLayout::kControllable, 1);
        EXPECT_EQ(w.Test(47, w.other->nationIndex, 0, {501}), c.expected);
    }
}

TEST(TriggerConditionsTest, GroupInOneAlliance) {
    ConditionWorld w;
    w.Field(w.other, 501, 12, 12, 4);
    EXPECT_EQ(w.Test(61, 4, 7, {}), 1);
    EXPECT_EQ(w.Test(61, 4, 0, {}), 0);
    w.InCity(w.AddCity(w.player, 3), w.player, 502, 4);
    EXPECT_EQ(w.Test(61, 4, 7, {}), 0) << "a city troop of the group on another side";
}

TEST(TriggerConditionsTest, NoFieldUnitOfAHostileKind) {
    ConditionWorld w;
    Troop* t = w.Field(w.other, 501, 12, 12); // the other kingdom has kind 1
    EXPECT_EQ(w.Test(34, 0, 0, {}), 0);
    t->officer->StatusWord() = 1;
    EXPECT_EQ(w.Test(34, 0, 0, {}), 1);
    Troop* soldier = w.Field(w.other, 502, 13, 12);
    soldier->officer->Set(OfficerLayout::kAttribute, 5);
    EXPECT_EQ(w.Test(34, 0, 0, {}), 1) << "kind 5 does not count";
    soldier->officer->Set(OfficerLayout::kAttribute, 2);
    EXPECT_EQ(w.Test(34, 0, 0, {}), 0);
    soldier->state = 13;
    EXPECT_EQ(w.Test(34, 0, 0, {}), 1);
}

TEST(TriggerConditionsTest, ScanRefiresTheRepeatingAreaEventOnly) {
    ConditionWorld w;
    Troop* t = w.Field(w.other, 501, 12, 12);
    auto add = [&](int32_t id, int32_t code) {
        auto* e = static_cast<Event*>(w.world.stage->NewChild(Zu_StageSet::kEventKind));
        e->SetInt(EventLayout::kId, id);
        e->SetInt(EventLayout::kCode, code);
        e->SetInt(EventLayout::kGeneral, 501);
        const int32_t rect[] = {10, 20, 14, 28};
        for (int n = 1; n <= 4; ++n)
            e->SetParam(n, rect[n - 1]);
        return e;
    };
    Event* repeating = add(1, 53);
    Event* once = add(2, 10);
    // Each firing of the repeating event reopens this marker.
    Event* marker = add(3, 0);
    repeating->SetInt(EventLayout::kReopen, 3);
    for (int frame = 0; frame < 2; ++frame) {
        marker->SetEndState(kEventEnded);
        w.manager.CheckTriggers(); // the repeating event fires and ends the frame's scan
        EXPECT_EQ(marker->EndState(), 0) << frame;
        EXPECT_EQ(repeating->EndState(), 0);
        EXPECT_EQ(once->EndState(), 0);
    }
    t->cellX = 20; // out of the rectangle: neither holds
    marker->SetEndState(kEventEnded);
    w.manager.CheckTriggers();
    EXPECT_EQ(marker->EndState(), kEventEnded);
    EXPECT_EQ(once->EndState(), 0);
    t->cellX = 12;
    repeating->SetEndState(kEventEnded);
    w.manager.CheckTriggers();
    EXPECT_EQ(once->EndState(), kEventFired);
}

TEST(TriggerConditionsTest, UnownedCitiesAreFoundOnTheBattleMap) {
    ConditionWorld w;
    auto free = std::make_unique<City>(100, 11);
    free->SetInt(CityLayout::kIndex, 12);
    TheBattleMap->cities[11] = free.get();
    EXPECT_EQ(w.manager.FindCity(12), free.get());
    // Without an owner the city passes the ownership test of code 15.
    EXPECT_EQ(w.Test(15, w.player->nationIndex, 0, {12}), 1);
    TheBattleMap->cities[11] = nullptr;
}
