#include "DemoPoolGenerals.h"

#include <cstring>
#include <string>

std::array<uint8_t, OfficerLayout::kSize> DemoPoolGeneral(int row, int spearmen, int archers,
                                                          int spearmanClass, int archerClass) {
    std::array<uint8_t, OfficerLayout::kSize> block{};
    if (row < 1 || row > kDemoPoolLastRow) return block;
    // Two names a row apart differ in their first letters, so a list of them reads apart.
    static const char* const kFamily[] = {"Han", "Zhou", "Li", "Wu", "Tang", "Song", "Qin", "Wei"};
    static const char* const kGiven[] = {"Bao", "Chen", "Du", "Feng", "Guo", "Hui", "Jin", "Kai", "Lei"};
    const std::string name = std::string(kFamily[row % 8]) + " " + kGiven[(row / 8) % 9];
    const bool archer = row % 3 == 0;
    const int level = 2 + row % 4;
    OfficerRecord o(0, -1);
    o.SetText(OfficerLayout::kName, OfficerLayout::kNameBytes, name.c_str());
    o.Set(OfficerLayout::kPersonNumber, row);
    o.Set(OfficerLayout::kSoldierType, archer ? archers : spearmen);
    o.Set(OfficerLayout::kClass, archer ? archerClass : spearmanClass);
    o.Set(OfficerLayout::kAttribute, 1); // a general
    o.Set(OfficerLayout::kLevel, level);
    o.Set(OfficerLayout::kTroopCapacity, 60);
    o.Set(OfficerLayout::kControllable, 1);
    o.Set(OfficerLayout::kStrength, 40 + 6 * level);
    o.Set(OfficerLayout::kIntelligence, 30 + 4 * level);
    o.Set(OfficerLayout::kPhysique, 40 + 5 * level);
    o.Set(OfficerLayout::kAgility, 30 + 3 * level);
    o.Set(OfficerLayout::kLoyalty, 90);
    o.Set(OfficerLayout::kHp, 120 + 20 * level);
    o.Set(OfficerLayout::kMaxHp, 120 + 20 * level);
    o.Set(OfficerLayout::kAttack, 20 + 4 * level);
    o.Set(OfficerLayout::kDefence, 12 + 3 * level);
    o.Set(OfficerLayout::kHitRate, 80);
    o.Set(OfficerLayout::kEvasion, 10);
    std::memcpy(block.data(), o.block, block.size());
    return block;
}
