#include "TroopFightFixture.h"

#include "Program/GameParameters.h"
#include "engine/LinkList.h"
#include "world/Zu_SkillEffect.h"

#include <gtest/gtest.h>

#include <utility>

using trooptest::Field;
using L = OfficerLayout;
namespace sc = trooptest::skillcol;

namespace {
void Land(Troop* caster, int skill, int x, int y) {
    Zu_SkillEffect e;
    e.id = int16_t(skill);
    e.targetX = x * 40 + 7;
    e.targetY = y * 20 + 3;
    caster->TakeSkillHit(&e);
}

bool Listed(Kingdom* k, Troop* t) {
    for (uintptr_t v = k->fieldUnits.First(); v != 0; v = k->fieldUnits.Next())
        if (v == uintptr_t(t)) return true;
    return false;
}
} // namespace

TEST(TroopSkill, AreaDamageUsesTheCastersAttackAndHalvesItForNonGenerals) {
    Field f;
    Troop* caster = f.Add(f.foe, 5, 10, 2);
    caster->officer->Set(L::kAttack, 40);
    caster->officer->Set(L::kMp, 50);
    caster->officer->Set(L::kMaxMp, 50);
    f.Skill(40,
            {{sc::kDamage, -1}, {sc::kAttackPct, 50}, {sc::kSpellKind, 1}, {sc::kArea, 1}, {sc::kCost, 10}});
    Troop* general = f.Add(f.player, 12, 10, 1, 200);
    general->officer->Set(L::kDefence, 10);
    Troop* soldiers = f.Add(f.player, 13, 10, 2, 200);
    soldiers->officer->Set(L::kDefence, 25);
    Troop* beyond = f.Add(f.player, 14, 10, 2, 200);
    Troop* weak = f.Add(f.player, 12, 9, 2, 20);
    caster->skill = 40;
    Land(caster, 40, 12, 10);
    EXPECT_EQ(general->officer->Get(L::kHp), 200 - 60);
    EXPECT_EQ(soldiers->officer->Get(L::kHp), 200 - 30);
    EXPECT_EQ(weak->officer->Get(L::kHp), 0); // at most the strength it has
    EXPECT_EQ(beyond->officer->Get(L::kHp), 200);
    EXPECT_EQ(general->hitFlash, 1);
    EXPECT_EQ(caster->officer->Get(L::kMp), 40);
    EXPECT_EQ(caster->officer->activity[0], 60 + 30 + 20);
    EXPECT_EQ(caster->skill, -2);
    EXPECT_EQ(general->targetTroop, caster); // the struck general answers
}

TEST(TroopSkill, SelfSkillsAndTheSacrificeTouchOnlyTheCaster) {
    Field f;
    Troop* caster = f.Add(f.player, 10, 10, 1, 90);
    caster->officer->Set(L::kLevel, 1);
    caster->officer->Set(L::kMp, 50);
    caster->officer->Set(L::kMaxMp, 50);
    Troop* other = f.Add(f.player, 11, 10, 2, 90);
    // Turning back from the transformed form costs nothing.
    f.Skill(50, {{sc::kAddedState, 31}, {sc::kSpellKind, 3}, {sc::kCastTarget, 3}, {sc::kCost, 20}});
    caster->statusBits = 0x40000;
    Land(caster, 50, 10, 10);
    EXPECT_EQ(caster->statusBits & 0x40000, 0u);
    EXPECT_EQ(caster->officer->Get(L::kMp), 50);
    // Added state 15: the caster drops to strength 1, nobody else is touched.
    f.Skill(51, {{sc::kAddedState, 15}, {sc::kSpellKind, 1}, {sc::kArea, 3}, {sc::kDamage, 50}});
    Land(caster, 51, 10, 10);
    EXPECT_EQ(caster->officer->Get(L::kHp), 1);
    EXPECT_EQ(other->officer->Get(L::kHp), 90);
    // A skill number without a record spends nothing.
    Land(caster, 149, 10, 10);
    EXPECT_EQ(caster->officer->Get(L::kMp), 50);
}

TEST(TroopSkill, HealingTrapsAndTurningSkills) {
    Field f;
    Troop* caster = f.Add(f.player, 10, 10, 1);
    caster->officer->Set(L::kIntelligence, 60);
    Troop* ally = f.Add(f.player, 11, 10, 2, 100);
    ally->officer->Set(L::kHp, 40);
    Troop* foe = f.Add(f.foe, 10, 11, 2, 100);
    foe->officer->Set(L::kHp, 40);
    f.Skill(60, {{sc::kSpellKind, 5}, {sc::kArea, 1}, {sc::kHealPct, 50}});
    Land(caster, 60, 10, 10);
    EXPECT_EQ(ally->officer->Get(L::kHp), 70);
    EXPECT_EQ(foe->officer->Get(L::kHp), 40); // no healing for an enemy

    // A trap fires once; a second hit finds it spent.
    Troop* trap = f.Add(f.foe, 12, 10, 7);
    trap->pieceMode = 1;
    f.Skill(61, {{sc::kSpellKind, 8}, {sc::kArea, 1}});
    Land(caster, 61, 12, 10);
    EXPECT_EQ(trap->state, 1);
    EXPECT_EQ(trap->pieceMode, 0xFF);
    trap->state = 10;
    Land(caster, 61, 12, 10);
    EXPECT_EQ(trap->state, 10);

    // Turning: a sure draw takes an enemy soldier troop over, never a general.
    Troop* general = f.Add(f.foe, 20, 11, 1);
    Troop* soldiers = f.Add(f.foe, 20, 10, 2);
    f.Skill(62, {{sc::kSpellKind, 10}, {sc::kArea, 1}, {sc::kChance, 100}});
    Land(caster, 62, 20, 10);
    EXPECT_EQ(soldiers->owner, 1);
    EXPECT_TRUE(Listed(f.player, soldiers));
    EXPECT_FALSE(Listed(f.foe, soldiers));
    EXPECT_EQ(soldiers->order->orderState, 12);
    EXPECT_EQ(general->owner, 2);
}

namespace {
// A general of class 1 whose first skill slot names skill 0.
struct Caster {
    Field f;
    Troop* t = f.Add(f.foe, 20, 20, 1);
    Caster() {
        t->officer->Set(L::kClass, 1);
        t->officer->Set(L::kSkills, 1);
        t->officer->Set(L::kMp, 100);
        t->order->orderState = 1;
    }
};
} // namespace

TEST(TroopSkill, AGeneralCastsOnlySkillsItMeetsTheNeedsOf) {
    Caster c;
    c.f.Skill(0, {{sc::kSpellKind, 1}, {sc::kArea, 3}, {sc::kAgility, 50}, {sc::kCost, 10}});
    c.t->officer->Set(L::kAgility, 40);
    c.t->officer->Set(L::kCharm, 60);
    c.f.Add(c.f.player, 21, 20);
    TheGameController->gameKind = 2;
    GameParams().aiSpellChance[2] = 100;
    EXPECT_FALSE(c.t->ChooseSkill(true));
    EXPECT_EQ(c.t->skill, -1);
    c.t->officer->Set(L::kAgility, 50);
    EXPECT_FALSE(c.t->ChooseSkill(false)); // an area skill is for the attack
    EXPECT_TRUE(c.t->ChooseSkill(true));
    EXPECT_EQ(c.t->skill, 0);
    EXPECT_EQ(c.t->state, 1);
    EXPECT_FALSE(c.t->ChooseSkill(true)); // one skill at a time
    GameParams().aiSpellChance[2] = 40;
}

TEST(TroopSkill, AreaSkillChanceGrowsWithTheEnemiesAround) {
    struct Case {
        int gameKind, orderState, enemies, low, high; // casts in 4000 tries
    };
    const Case cases[] = {
        {3, 1, 3, 880, 1120},  // 5 % and 10 % for each further enemy: 25 %
        {0, 0, 1, 15, 70},     // a player's troop: 10 per mille
        {1, 1, 1, 1080, 1320}, // 30 %
        {3, 1, 0, 0, 0},       // nobody around
    };
    for (const Case& k : cases) {
        Caster c;
        c.f.Skill(0, {{sc::kSpellKind, 1}, {sc::kArea, 3}});
        for (int i = 0; i < k.enemies; ++i)
            c.f.Add(c.f.player, 21 + i, 20);
        TheGameController->gameKind = k.gameKind;
        c.t->order->orderState = int8_t(k.orderState);
        int casts = 0;
        for (int i = 0; i < 4000; ++i)
            casts += c.t->TryAreaSkill(c.f.skills[0].data()) ? 1 : 0;
        EXPECT_GE(casts, k.low) << k.gameKind << "/" << k.enemies;
        EXPECT_LE(casts, k.high) << k.gameKind << "/" << k.enemies;
    }
}

// A skill aimed at its best cell lands where most enemies stand; any other lands on the destination.
TEST(TroopSkill, ASkillAimedByItsTargetWordLandsOnTheThickestEnemies) {
    for (int castTarget : {1, 0}) {
        Caster c;
        c.f.b.Animations({1});
        c.f.Skill(0, {{sc::kSpellKind, 1}, {sc::kArea, 1}, {sc::kCastTarget, castTarget}});
        c.f.Add(c.f.player, 22, 20);
        for (auto [x, y] : {std::pair{18, 23}, {17, 23}, {19, 23}, {18, 22}, {18, 24}})
            c.f.Add(c.f.player, x, y);
        c.t->skill = 0;
        c.t->goalX = 25;
        c.t->goalY = 21;
        c.t->LaunchAttack();
        LinkList* effects = TheResourceStore->firstEffects;
        ASSERT_EQ(effects->GetCount(), 1) << castTarget;
        auto* e = reinterpret_cast<Zu_SkillEffect*>(effects->GetAt(0));
        EXPECT_EQ(std::pair(e->targetX / 40, e->targetY / 20),
                  castTarget == 1 ? std::pair(18, 23) : std::pair(25, 21));
        EXPECT_EQ(e->owner, c.t);
        delete e;
    }
}

// The end of a cast holds the general's next skill choice back until its delay has run out.
TEST(TroopSkill, TheNextSkillWaitsForTheDelayOfTheLast) {
    Caster c;
    c.f.b.Animations({1});
    c.f.Skill(0, {{sc::kSpellKind, 1}, {sc::kArea, 3}});
    c.f.Add(c.f.player, 21, 20);
    TheGameController->gameKind = 2;
    GameParams().aiSpellChance[2] = 100;
    ASSERT_TRUE(c.t->ChooseSkill(true));
    c.t->LaunchAttack();
    LinkList* effects = TheResourceStore->firstEffects;
    ASSERT_EQ(effects->GetCount(), 1);
    auto* e = reinterpret_cast<Zu_SkillEffect*>(effects->GetAt(0));
    e->FinishMovie();
    delete e;
    EXPECT_EQ(c.t->skillDelay, 7 * 20);
    // The cast is over: no skill in progress and the launch counter back at rest.
    c.t->skill = -1;
    c.t->skillLaunched = 0;
    c.t->state = 10;
    EXPECT_FALSE(c.t->ChooseSkill(true));
    for (int16_t& lock : c.t->skillTimers) {
        c.t->skillDelay = 0;
        lock = 9;
        EXPECT_FALSE(c.t->ChooseSkill(true)) << "a lock word holds it";
        lock = 0;
    }
    EXPECT_TRUE(c.t->ChooseSkill(true));
    GameParams().aiSpellChance[2] = 40;
}
