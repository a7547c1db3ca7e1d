#include "TroopFixture.h"
#include "TroopStatusFixture.h"

#include "engine/LinkList.h"
#include "net/StateCommands.h"
#include "support/SentCommands.h"
#include "world/Zu_SkillEffect.h"

#include <gtest/gtest.h>

using namespace trooptest;
using L = OfficerLayout;

namespace {
// The values the status effects touch, in one comparable row.
struct Values {
    int attack, defence, agility, hitRate, evasion, magicDefence, speed, sight, rangeStart, rangeEnd,
        attackSpeed;
    uint32_t flags;
    bool operator==(const Values&) const = default;
};

Values Read(const Troop& t) {
    return {t.OfficerValue(L::kAttack),
            t.OfficerValue(L::kDefence),
            t.OfficerValue(L::kAgility),
            t.OfficerValue(L::kHitRate),
            t.OfficerValue(L::kEvasion),
            t.OfficerValue(L::kMagicDefence),
            t.speed,
            t.sightRadius,
            t.rangeStart,
            t.rangeEnd,
            t.attackSpeed,
            t.flags};
}

Troop* Soldier(Battle& b, Kingdom* k, int x = 10, int y = 10) {
    Troop* t = b.AddTroop(k, x, y);
    OfficerRecord* o = t->officer;
    o->Set(L::kAttack, 50);
    o->Set(L::kDefence, 40);
    o->Set(L::kAgility, 30);
    o->Set(L::kHitRate, 20);
    o->Set(L::kEvasion, 10);
    o->Set(L::kMagicDefence, 15);
    o->Set(L::kHp, 100);
    o->Set(L::kMaxHp, 100);
    t->speed = 7;
    t->sightRadius = 5;
    t->rangeStart = 1;
    t->rangeEnd = 3;
    t->attackSpeed = 9;
    return t;
}

const std::map<uint32_t, int32_t> kPercentages = {
    {kAttackPct, 50},  {kDefencePct, 25}, {kAttackSpeedPct, 100}, {kMoveSpeedPct, 100}, {kAgilityPct, 50},
    {kHitRatePct, 50}, {kEvasionPct, 50}, {kSightPct, 100},       {kStepAmount, -5}};
} // namespace

TEST(TroopStatus, EveryStateAppliesItsAmountsAndItsClearGivesExactlyThemBack) {
    const Values base{50, 40, 30, 20, 10, 15, 7, 5, 1, 3, 9, 0};
    struct Case {
        int state;
        uint32_t bit;
        Values applied;
    };
    const Case cases[] = {
        {1, 0x1, base},
        {2, 0x2, base},
        {3, 0x4, base},
        {4, 0x8, base},
        {6, 0x20, {75, 50, 30, 20, 10, 15, 7, 5, 1, 3, 9, 0}},
        {7, 0x40, {75, 50, 30, 20, 10, 15, 7, 5, 1, 3, 9, 0}},
        {8, 0x80, {75, 50, 30, 20, 10, 15, 7, 5, 1, 3, 9, 0}},
        {9, 0x100, {75, 50, 30, 20, 10, 15, 7, 5, 1, 3, 9, 0}},
        {10, 0x200, base},
        {11, 0x400, {50, 40, 30, 20, 10, 15, 7, 5, 1, 3, 18, 0}},
        {12, 0x800, {50, 40, 45, 30, 15, 15, 7, 5, 1, 3, 9, 0}},
        {13, 0x1000, {50, 40, 30, 20, 10, 15, 14, 5, 1, 3, 9, 0}},
        {14, 0x2000, {50, 40, 30, 20, 10, 15, 7, 5, 1, 3, 9, 0x08}},
        {20, 0x20000, {50, 40, 30, 20, 10, 15, 7, 10, 1, 8, 9, 0}},
        {31, 0x40000, {75, 50, 30, 20, 10, 15, 3, 5, 4, 6, 9, 0}}, // speed 7 halves to 3
    };
    Battle b;
    Kingdom* k = b.AddKingdom(1, true);
    for (const Case& c : cases) {
        Troop* t = Soldier(b, k);
        ASSERT_EQ(Read(*t), base);
        const auto skill = StatusSkill(c.state, 6, kPercentages);
        t->ApplySkillStatus(skill.data());
        EXPECT_EQ(t->statusBits, c.bit) << c.state;
        EXPECT_EQ(Read(*t), c.applied) << c.state;
        t->ClearStatus(c.bit, false);
        EXPECT_EQ(t->statusBits, 0u) << c.state;
        EXPECT_EQ(Read(*t), base) << c.state;
        // A repeated or stale clear of any bit changes nothing.
        t->ClearStatus(0x7FFFF, false);
        t->ClearStatus(c.bit, false);
        EXPECT_EQ(Read(*t), base) << c.state;
    }
    // Every state at once, cleared all together, also comes back exactly.
    Troop* t = Soldier(b, k);
    for (int state : {2, 6, 11, 13, 14, 20})
        t->ApplySkillStatus(StatusSkill(state, 6, kPercentages).data());
    EXPECT_EQ(t->statusBits, 0x2u | 0x20 | 0x400 | 0x1000 | 0x2000 | 0x20000);
    t->ClearStatus(0, true);
    EXPECT_EQ(Read(*t), base);
    EXPECT_EQ(t->statusBits, 0u);
}

TEST(TroopStatus, GroupsExcludeEachOtherAndStoredDeltasAreSignedBytes) {
    Battle b;
    Kingdom* k = b.AddKingdom(1, true);
    Troop* t = Soldier(b, k);
    // State 2 ends state 1 first.
    t->ApplySkillStatus(StatusSkill(1, 5, {{kStepAmount, -3}}).data());
    t->ApplySkillStatus(StatusSkill(2, 8, {{kStepAmount, -4}}).data());
    EXPECT_EQ(t->statusBits, 0x2u);
    EXPECT_EQ(t->statusEffects[0].timer, 0);
    EXPECT_EQ(t->statusEffects[0].delta[0], 0);
    EXPECT_EQ(t->statusEffects[1].delta[0], -4);
    // One of 7..12 at a time.
    t->ApplySkillStatus(StatusSkill(7, 5, kPercentages).data());
    t->ApplySkillStatus(StatusSkill(11, 5, kPercentages).data());
    EXPECT_EQ(t->statusBits & 0xFC0u, 0x400u);
    EXPECT_EQ(t->OfficerValue(L::kAttack), 50);

    // A delta past 127 wraps and is taken back the same way.
    t->officer->Set(L::kAttack, 200);
    t->ApplySkillStatus(StatusSkill(6, 5, {{kAttackPct, 100}}).data());
    EXPECT_EQ(t->statusEffects[5].delta[0], -56);
    EXPECT_EQ(t->OfficerValue(L::kAttack), 144);
    // Only the stored delta comes back, not one computed again from the altered value.
    t->officer->Set(L::kAttack, 150);
    t->ClearStatus(0x20, false);
    EXPECT_EQ(t->OfficerValue(L::kAttack), 206);

    // Faster movement does nothing to a transformed troop.
    Troop* beast = Soldier(b, k, 12, 12);
    beast->ApplySkillStatus(StatusSkill(31, 0, kPercentages).data());
    const Values transformed = Read(*beast);
    beast->ApplySkillStatus(StatusSkill(13, 5, kPercentages).data());
    EXPECT_EQ(Read(*beast), transformed);
    EXPECT_EQ(beast->statusBits, 0x40000u);
}

TEST(TroopStatus, WakingALeaderWakesItsSleepingFollowersAndCureEndsTheHarm) {
    Battle b;
    Kingdom* k = b.AddKingdom(1, true);
    Troop* leader = Soldier(b, k);
    Troop* follower = Soldier(b, k, 11, 10);
    Troop* guard = Soldier(b, k, 12, 10);
    guard->flags = 0x08; // owns the flag before it sleeps
    follower->leader = leader;
    leader->followers->Add(uintptr_t(follower));
    leader->followers->Add(uintptr_t(guard));
    for (Troop* t : {leader, follower, guard})
        t->ApplySkillStatus(StatusSkill(14, 0).data());
    EXPECT_EQ(follower->flags & 0x08, 0x08u);
    // A second sleep on a follower with a leader does not wake it.
    follower->ApplySkillStatus(StatusSkill(14, 0).data());
    EXPECT_EQ(follower->statusBits, 0x2000u);
    leader->ClearStatus(0x2000, false);
    for (Troop* t : {leader, follower, guard}) {
        EXPECT_EQ(t->statusBits, 0u);
        EXPECT_EQ(t->hitFlash, 1);
    }
    EXPECT_EQ(follower->flags & 0x08, 0u);
    EXPECT_EQ(guard->flags & 0x08, 0x08u); // its own flag stays

    // Cure takes the four harms and the two raised states, nothing else.
    leader->ApplySkillStatus(StatusSkill(3, 5, kPercentages).data());
    leader->ApplySkillStatus(StatusSkill(6, 5, kPercentages).data());
    leader->ApplySkillStatus(StatusSkill(7, 5, kPercentages).data());
    leader->ApplySkillStatus(StatusSkill(13, 5, kPercentages).data());
    leader->CureAllStatus();
    EXPECT_EQ(leader->statusBits, 0x1000u);
    EXPECT_EQ(leader->OfficerValue(L::kAttack), 50);
}

TEST(TroopStatus, ThePeriodicStepHurtsAndEndsTimedStates) {
    Battle b;
    Kingdom* k = b.AddKingdom(1, true);
    Troop* t = Soldier(b, k);
    t->ApplySkillStatus(StatusSkill(1, 3, {{kStepAmount, -5}}).data());
    t->ApplySkillStatus(StatusSkill(6, 2, kPercentages).data());
    t->TickStatus();
    EXPECT_EQ(t->OfficerValue(L::kHp), 95);
    EXPECT_EQ(t->statusBits, 0x21u);
    t->TickStatus();
    EXPECT_EQ(t->OfficerValue(L::kHp), 90);
    EXPECT_EQ(t->statusBits, 0x1u); // 0x20 ran out
    EXPECT_EQ(t->OfficerValue(L::kAttack), 50);
    t->TickStatus();
    EXPECT_EQ(t->OfficerValue(L::kHp), 90); // the last step only ends it
    EXPECT_EQ(t->statusBits, 0u);
    // A positive amount still costs one point a step.
    t->ApplySkillStatus(StatusSkill(2, 5, {{kStepAmount, 4}}).data());
    t->TickStatus();
    EXPECT_EQ(t->OfficerValue(L::kHp), 89);
    // A client never counts down.
    TheGameController->networked = 1;
    t->TickStatus();
    EXPECT_EQ(t->OfficerValue(L::kHp), 89);
    EXPECT_EQ(t->statusEffects[1].timer, 4);
}

TEST(TroopStatus, AMoveOrderEndsTheTransformedFormAndGivesItsValuesBack) {
    Battle b;
    Kingdom* k = b.AddKingdom(1, true);
    Troop* beast = Soldier(b, k);
    const Values before = Read(*beast);
    beast->ApplySkillStatus(StatusSkill(31, 0, kPercentages).data());
    ASSERT_NE(Read(*beast), before);
    // A troop under a standing order leaves the form when it is moved.
    beast->order->orderState = 1;
    ASSERT_TRUE(beast->ApplyCmd02(20, 20));
    EXPECT_EQ(beast->statusBits & 0x40000, 0u);
    EXPECT_EQ(beast->speed, before.speed);
    EXPECT_EQ(beast->OfficerValue(L::kAttack), before.attack);
    EXPECT_EQ(beast->OfficerValue(L::kDefence), before.defence);
}

// A timed end on a network host goes to every station as the skill-effect command's clear, and is
// applied here by the same clear.
TEST(TroopStatus, ATimedEndIsSentAsTheSkillEffectClear) {
    Battle b;
    Kingdom* k = b.AddKingdom(1, true);
    Troop* t = Soldier(b, k);
    t->ApplySkillStatus(StatusSkill(6, 1, kPercentages).data());
    ASSERT_EQ(t->statusBits, 0x20u);
    TheGameController->networked = 1;
    TheGameController->isHost = 1;
    testsupport::CaptureSentCommands();
    t->TickStatus();
    EXPECT_EQ(t->statusBits, 0u);
    EXPECT_EQ(t->OfficerValue(L::kAttack), 50);
    ASSERT_EQ(testsupport::SentCommands().size(), 1u);
    EXPECT_EQ(testsupport::SentCommands()[0].code, kSkillEffectCommand);
    SetGameCommandSender(nullptr);
}

// A status mark is drawn in the slot its status takes away again when it ends: the icon leaves the
// screen, and the marks of the other slots (the city action's, the level's) stay.
TEST(TroopStatus, AnEndedStatusTakesItsOwnMarkOffTheTroop) {
    Battle b;
    Kingdom* k = b.AddKingdom(1, true);
    struct Case {
        uint32_t bit;
        int slot;
    } cases[] = {{0x20000, 3}, {0x1000, 4}, {0x40, 5}, {0x20, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bit);
        Troop* t = Soldier(b, k);
        for (int slot = 1; slot <= 5; ++slot)
            t->attachedEffects[slot] = new Zu_SkillEffect(3, 1, 0, 0);
        t->statusBits |= c.bit;
        t->ClearStatus(c.bit, false);
        for (int slot = 1; slot <= 5; ++slot)
            EXPECT_EQ(t->attachedEffects[slot] == nullptr, slot == c.slot) << slot;
    }
}
