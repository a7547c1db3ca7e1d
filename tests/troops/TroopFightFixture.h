#pragma once

// Two kingdoms at war on the free test map, with the cell and skill helpers the fight tests share.

#include "TroopFixture.h"

#include "records/Kingdom.h"
#include "troops/TroopOrder.h"

#include <cstring>
#include <map>
#include <vector>

namespace trooptest {

struct Field {
    Battle b;
    Kingdom* player = b.AddKingdom(1, true);
    Kingdom* foe = b.AddKingdom(2);
    Kingdom* third = b.AddKingdom(3);
    std::map<int, std::vector<uint8_t>> skills;

    Field() {
        Battle::War(player, foe);
        TheScreenSettings->mapWidth = kMapWidth;
        TheScreenSettings->mapHeight = kMapRows / 2;
    }

    static MapCell* Cell(int x, int y) { return TheBattleMap->CellAt(x, 2 * y); }

    Troop* Add(Kingdom* k, int x, int y, int kind = 2, int hp = 100) {
        Troop* t = b.AddTroop(k, x, y, 1, kind);
        t->officer->Set(OfficerLayout::kHp, hp);
        t->officer->Set(OfficerLayout::kMaxHp, hp);
        t->rangeStart = 0;
        t->rangeEnd = 1;
        return t;
    }

    // A skill block of that number, written column by column.
    void Skill(int number, std::map<uint32_t, int32_t> columns) {
        auto& block = skills[number];
        block.assign(196, 0);
        for (auto [offset, v] : columns)
            std::memcpy(block.data() + offset, &v, 4);
        SkillTable[number] = block.data();
    }
};

// Skill block columns.
namespace skillcol {
constexpr uint32_t kDamage = 20, kCost = 24, kAddedState = 28, kChance = 32, kArea = 48, kReach = 52;
constexpr uint32_t kCastTarget = 56, kSpellKind = 60, kAgility = 96, kCharm = 92, kAttackPct = 100;
constexpr uint32_t kHealPct = 136;
} // namespace skillcol

} // namespace trooptest
