#pragma once

#include <cstdint>

// Item block columns that equipment adds to a troop and its officer.
struct ItemBonus {
    static constexpr uint32_t kRange = 72;         // "加範圍"
    static constexpr uint32_t kSight = 76;         // "加視野"
    static constexpr uint32_t kStrength = 80;      // "武力"
    static constexpr uint32_t kIntelligence = 84;  // "智力"
    static constexpr uint32_t kPhysique = 88;      // "體魄"
    static constexpr uint32_t kCharm = 92;         // "魅力"
    static constexpr uint32_t kAgility = 96;       // "敏捷"
    static constexpr uint32_t kLoyalty = 100;      // "忠誠"
    static constexpr uint32_t kHp = 104;           // "体力"
    static constexpr uint32_t kMp = 108;           // "技力"
    static constexpr uint32_t kAttack = 112;       // "攻擊力"
    static constexpr uint32_t kDefence = 116;      // "防禦力"
    static constexpr uint32_t kMagicAttack = 120;  // "魔攻"
    static constexpr uint32_t kMagicDefence = 124; // "魔防"
    static constexpr uint32_t kAttackExtra = 188;  // "武力附加"
};

// Skill block columns: the five stat requirements, then the status amounts.
struct SkillRequirement {
    static constexpr uint32_t kFirst = 80; // "武力", "智力", "體魄", "魅力", "敏捷"
};
struct SkillStatus {
    static constexpr uint32_t kAddedState = 28;      // "附加狀態"
    static constexpr uint32_t kDuration = 36;        // "狀態持續"
    static constexpr uint32_t kStepAmount = 40;      // the column after "狀態持續"
    static constexpr uint32_t kAttackPct = 100;      // "攻擊力+n%"
    static constexpr uint32_t kDefencePct = 104;     // "防禦力+n%"
    static constexpr uint32_t kAttackSpeedPct = 108; // "攻速快n%"
    static constexpr uint32_t kMoveSpeedPct = 112;   // "移速快n%"
    static constexpr uint32_t kAgilityPct = 116;     // "敏捷+n%"
    static constexpr uint32_t kHitRatePct = 120;     // "命中率+n%"
    static constexpr uint32_t kEvasionPct = 124;     // "迴避率+n%"
    static constexpr uint32_t kSightPct = 128;       // "視野+n%"
};

// Attack and defence percentages by formation (rows) and officer group (pairs): pair 0 for every
// troop, pairs 1-3 for the officers of templates 415-417, 418-420 and 421-423.
extern const int16_t kFormationPercent[8][4][2];
