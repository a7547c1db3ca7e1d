#include "TroopFixture.h"
#include "TroopStatusFixture.h"

#include <gtest/gtest.h>

#include <array>

using namespace trooptest;
using L = OfficerLayout;

namespace {
// Item block columns: "加範圍", "加視野", the six stats, "体力", "技力", the four fight values and
// "武力附加".
constexpr uint32_t kRange = 72, kSight = 76, kStrength = 80, kLoyalty = 100, kHp = 104, kMp = 108,
                   kAttack = 112, kDefence = 116, kMagicAttack = 120, kMagicDefence = 124, kAttackExtra = 188;

struct Items {
    std::map<int, std::array<uint8_t, 192>> blocks;
    void Put(int n, std::map<uint32_t, int32_t> columns) {
        auto& block = blocks[n];
        block.fill(0);
        for (auto [offset, v] : columns)
            std::memcpy(block.data() + offset, &v, 4);
        ItemTable[n] = block.data();
        ItemCount = std::max(ItemCount, n + 1);
    }
    ~Items() {
        for (auto& [n, block] : blocks)
            ItemTable[n] = nullptr;
        ItemCount = 0;
    }
};

Troop* Officer(Battle& b, Kingdom* k) {
    Troop* t = b.AddTroop(k, 10, 10);
    OfficerRecord* o = t->officer;
    o->Set(L::kHp, 120);
    o->Set(L::kMaxHp, 150);
    o->Set(L::kMp, 30);
    o->Set(L::kMaxMp, 40);
    o->Set(L::kAttack, 50);
    o->Set(L::kDefence, 40);
    return t;
}
} // namespace

TEST(TroopEquipment, AnItemAddsItsBonusesAndTakingItOffTakesThemBack) {
    Battle b;
    Items items;
    items.Put(3, {{kRange, 1},
                  {kSight, 2},
                  {kStrength, 3},
                  {kLoyalty, 4},
                  {kHp, -50},
                  {kMp, 5},
                  {kAttack, 6},
                  {kDefence, 7},
                  {kMagicAttack, 8},
                  {kMagicDefence, 9},
                  {kAttackExtra, 10}});
    Kingdom* k = b.AddKingdom(1, true);
    Troop* t = Officer(b, k);
    const int16_t range = t->rangeEnd, sight = t->sightRadius;
    t->ApplyItemBonus(3, +1);
    EXPECT_EQ(t->rangeEnd, range + 1);
    EXPECT_EQ(t->sightRadius, sight + 2);
    EXPECT_EQ(t->OfficerValue(L::kStrength), 3);
    EXPECT_EQ(t->OfficerValue(L::kLoyalty), 4);
    EXPECT_EQ(t->OfficerValue(L::kMaxHp), 100);
    EXPECT_EQ(t->OfficerValue(L::kHp), 100); // lowered to the new maximum
    EXPECT_EQ(t->OfficerValue(L::kMaxMp), 45);
    EXPECT_EQ(t->OfficerValue(L::kAttack), 66); // "攻擊力" and "武力附加"
    EXPECT_EQ(t->OfficerValue(L::kDefence), 47);
    EXPECT_EQ(t->OfficerValue(L::kMagicAttack), 8);
    EXPECT_EQ(t->OfficerValue(L::kMagicDefence), 9);
    t->ApplyItemBonus(3, -1);
    EXPECT_EQ(t->rangeEnd, range);
    EXPECT_EQ(t->OfficerValue(L::kMaxHp), 150);
    EXPECT_EQ(t->OfficerValue(L::kHp), 100); // strength lost stays lost
    EXPECT_EQ(t->OfficerValue(L::kAttack), 50);
    // A number with no item adds nothing.
    t->ApplyItemBonus(77, +1);
    t->ApplyItemBonus(-1, +1);
    EXPECT_EQ(t->OfficerValue(L::kAttack), 50);
}

TEST(TroopEquipment, EquipmentIsAddedOncePerOfficer) {
    Battle b;
    Items items;
    items.Put(1, {{kAttack, 5}});
    items.Put(2, {{kDefence, 3}});
    Kingdom* k = b.AddKingdom(1, true);
    Troop* t = Officer(b, k);
    t->officer->Set(L::kWeapon, 1);
    t->officer->Set(L::kWeapon + 16, 2); // "鎧甲"
    t->RecomputeEquipment();
    t->RecomputeEquipment();
    EXPECT_EQ(t->OfficerValue(L::kAttack), 55);
    EXPECT_EQ(t->OfficerValue(L::kDefence), 43);
}

TEST(TroopEquipment, FormationsStoreTheirDeltasAndNeverAccumulate) {
    struct Case {
        int formation, column, attack, defence, attackDelta, defenceDelta;
    };
    const Case cases[] = {
        {1, 0, 50, 40, 10, 0}, {3, 0, 50, 40, -3, 4}, {2, 0, 50, 40, 0, 0},  {2, 2, 50, 40, 10, 4},
        {6, 4, 50, 40, 5, -2}, {7, 0, 50, 40, 0, 8},  {5, 6, 50, 40, 10, 4}, {8, 0, 50, 40, 0, 0},
        {1, 1, 50, 40, 0, 0},  {-1, 0, 50, 40, 0, 0},
    };
    Battle b;
    Kingdom* k = b.AddKingdom(1, true);
    for (const Case& c : cases) {
        Troop* t = Officer(b, k);
        t->officer->Set(L::kAttack, c.attack);
        t->officer->Set(L::kDefence, c.defence);
        for (int i = 0; i < 3; ++i)
            t->ApplyFormationModifier(int8_t(c.formation), c.column);
        EXPECT_EQ(t->formationAttackDelta, c.attackDelta) << c.formation << "/" << c.column;
        EXPECT_EQ(t->formationDefenceDelta, c.defenceDelta) << c.formation << "/" << c.column;
        EXPECT_EQ(t->OfficerValue(L::kAttack), c.attack + c.attackDelta);
        EXPECT_EQ(t->OfficerValue(L::kDefence), c.defence + c.defenceDelta);
        t->UndoFormationModifier();
        EXPECT_EQ(t->OfficerValue(L::kAttack), c.attack);
        EXPECT_EQ(t->OfficerValue(L::kDefence), c.defence);
    }
}

TEST(TroopEquipment, SkillLevelsCountTheTiersReachedInOrder) {
    Battle b;
    // Class 2, slot 3: tiers need strength 10, 30 and 20.
    std::array<std::vector<uint8_t>, 3> tiers;
    const int needs[3] = {10, 30, 20};
    for (int t = 0; t < 3; ++t) {
        tiers[t] = StatusSkill(0, 0, {{kRequirement, needs[t]}, {kRequirement + 16, 5}});
        SkillTable[((2 - 1) * 8 + 3) * 3 + t] = tiers[t].data();
    }
    struct Case {
        int cls, strength, agility, level;
    };
    const Case cases[] = {
        {2, 5, 9, 0},  {2, 10, 9, 1}, {2, 25, 9, 1}, // tier 2 met, tier 1 not: level 1
        {2, 30, 9, 3}, {2, 30, 4, 0},                // agility short on every tier
        {0, 30, 9, 7}, {6, 30, 9, 7},                // no class: the levels stay
    };
    Kingdom* k = b.AddKingdom(1, true);
    for (const Case& c : cases) {
        Troop* t = b.AddTroop(k, 10, 10);
        t->officer->Set(L::kClass, c.cls);
        t->officer->Set(L::kStrength, c.strength);
        t->officer->Set(L::kAgility, c.agility);
        t->officer->Set(L::kSkills + 12, 7);
        t->RecomputeSkillLevels();
        EXPECT_EQ(t->OfficerValue(L::kSkills + 12), c.level)
            << c.cls << " " << c.strength << " " << c.agility;
        if (c.cls == 2) EXPECT_EQ(t->OfficerValue(L::kSkills), 0); // slot 0 has no tiers
    }
    for (int t = 0; t < 3; ++t)
        SkillTable[((2 - 1) * 8 + 3) * 3 + t] = nullptr;
}
