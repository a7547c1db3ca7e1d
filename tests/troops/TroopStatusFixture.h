#pragma once

// Skill blocks for the status tests, written column by column.

#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

namespace trooptest {

constexpr uint32_t kAddedState = 28, kDuration = 36, kStepAmount = 40;
constexpr uint32_t kAttackPct = 100, kDefencePct = 104, kAttackSpeedPct = 108, kMoveSpeedPct = 112;
constexpr uint32_t kAgilityPct = 116, kHitRatePct = 120, kEvasionPct = 124, kSightPct = 128;
// The five stat requirements of a skill tier: "武力", "智力", "體魄", "魅力", "敏捷".
constexpr uint32_t kRequirement = 80;

inline std::vector<uint8_t> StatusSkill(int32_t state, int32_t duration,
                                        std::map<uint32_t, int32_t> columns = {}) {
    std::vector<uint8_t> block(196, 0);
    auto set = [&](uint32_t offset, int32_t v) { std::memcpy(block.data() + offset, &v, 4); };
    set(kAddedState, state);
    set(kDuration, duration);
    for (auto [offset, v] : columns)
        set(offset, v);
    return block;
}

} // namespace trooptest
