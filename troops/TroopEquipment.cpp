#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "troops/Troop.h"
#include "troops/TroopEquipmentTables.h"
#include "windows/unit/Win05Window.h"

#include <cstring>

namespace {
using L = OfficerLayout;

int32_t Column(const uint8_t* block, uint32_t offset) {
    int32_t v = 0;
    std::memcpy(&v, block + offset, 4);
    return v;
}

void Add(OfficerRecord* o, uint32_t offset, int32_t v) {
    o->Set(offset, o->Get(offset) + v);
}
} // namespace

const int16_t kFormationPercent[8][4][2] = {
    {{100, 100}, {100, 100}, {100, 100}, {100, 100}}, {{120, 100}, {100, 100}, {100, 100}, {100, 100}},
    {{100, 100}, {120, 110}, {100, 100}, {100, 100}}, {{95, 110}, {95, 110}, {95, 110}, {95, 110}},
    {{100, 100}, {100, 100}, {120, 110}, {100, 100}}, {{100, 100}, {100, 100}, {100, 100}, {120, 110}},
    {{110, 95}, {110, 95}, {110, 95}, {110, 95}},     {{100, 120}, {100, 100}, {100, 100}, {100, 100}},
};

void Troop::ApplyItemBonus(int32_t item, int8_t sign) {
    const uint8_t* block = item > 0 ? ItemBlock(item) : nullptr;
    if (!block || !officer) return;
    auto v = [&](uint32_t offset) { return Column(block, offset) * sign; };
    rangeEnd = static_cast<int16_t>(rangeEnd + v(ItemBonus::kRange));
    sightRadius = static_cast<int16_t>(sightRadius + v(ItemBonus::kSight));
    Add(officer, L::kStrength, v(ItemBonus::kStrength));
    Add(officer, L::kIntelligence, v(ItemBonus::kIntelligence));
    Add(officer, L::kPhysique, v(ItemBonus::kPhysique));
    Add(officer, L::kCharm, v(ItemBonus::kCharm));
    Add(officer, L::kAgility, v(ItemBonus::kAgility));
    Add(officer, L::kLoyalty, v(ItemBonus::kLoyalty));
    if (const int32_t hp = v(ItemBonus::kHp); hp != 0) {
        Add(officer, L::kMaxHp, hp);
        if (officer->Get(L::kHp) > officer->Get(L::kMaxHp)) officer->Set(L::kHp, officer->Get(L::kMaxHp));
    }
    if (const int32_t mp = v(ItemBonus::kMp); mp != 0) {
        Add(officer, L::kMaxMp, mp);
        if (officer->Get(L::kMp) > officer->Get(L::kMaxMp)) officer->Set(L::kMp, officer->Get(L::kMaxMp));
    }
    Add(officer, L::kAttack, v(ItemBonus::kAttack));
    Add(officer, L::kDefence, v(ItemBonus::kDefence));
    Add(officer, L::kMagicAttack, v(ItemBonus::kMagicAttack));
    Add(officer, L::kMagicDefence, v(ItemBonus::kMagicDefence));
    Add(officer, L::kAttack, v(ItemBonus::kAttackExtra));
    RecomputeSkillLevels();
}

void Troop::RecomputeEquipment() {
    // The bonuses add on every call; an officer whose values already hold them is left alone.
    if (!officer || equipmentApplied) return;
    equipmentApplied = 1;
    for (int slot = 0; slot < 6; ++slot)
        if (const int32_t item = officer->Get(L::kWeapon + 4 * slot); item != 0) ApplyItemBonus(item, +1);
    RecomputeSkillLevels();
    RefreshUnitPanel(this, 13);
}

void Troop::ApplyFormationModifier(int8_t formation, int32_t column) {
    if (!officer) return;
    UndoFormationModifier();
    // A formation or column from a file outside the table adds nothing.
    if (formation < 0 || formation > 7 || column < 0 || column > 6 || (column & 1)) return;
    const int16_t* pair = kFormationPercent[formation][column / 2];
    const int32_t attack = officer->Get(L::kAttack);
    const int32_t defence = officer->Get(L::kDefence);
    formationAttackDelta = static_cast<int8_t>(int64_t{attack} * pair[0] / 100 - attack);
    formationDefenceDelta = static_cast<int8_t>(int64_t{defence} * pair[1] / 100 - defence);
    Add(officer, L::kAttack, formationAttackDelta);
    Add(officer, L::kDefence, formationDefenceDelta);
    RecomputeSkillLevels();
}

void Troop::UndoFormationModifier() {
    if (!officer) return;
    if (formationAttackDelta != 0) Add(officer, L::kAttack, -formationAttackDelta);
    if (formationDefenceDelta != 0) Add(officer, L::kDefence, -formationDefenceDelta);
    formationAttackDelta = formationDefenceDelta = 0;
}

void Troop::RecomputeSkillLevels() {
    if (!officer) return;
    const int32_t cls = officer->Get(L::kClass);
    if (cls < 1 || cls > 5) return;
    static constexpr uint32_t kStats[5] = {L::kStrength, L::kIntelligence, L::kPhysique, L::kCharm,
                                           L::kAgility};
    for (int s = 0; s < 8; ++s) {
        int32_t level = 0;
        while (level < 3) {
            const uint8_t* tier = SkillBlock(((cls - 1) * 8 + s) * 3 + level);
            if (!tier) break;
            bool met = true;
            for (int k = 0; k < 5; ++k)
                if (Column(tier, SkillRequirement::kFirst + 4 * k) > officer->Get(kStats[k])) met = false;
            if (!met) break;
            ++level;
        }
        officer->Set(L::kSkills + 4 * s, level);
    }
}
