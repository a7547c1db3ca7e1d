#include "Program/GameController.h"
#include "engine/LinkList.h"
#include "net/StateCommands.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "troops/TroopEquipmentTables.h"
#include "troops/TroopWorld.h"
#include "windows/unit/Win05Window.h"
#include "world/Zu_SkillEffect.h"

#include <bit>
#include <cstring>

namespace {
using L = OfficerLayout;

int32_t Column(const uint8_t* block, uint32_t offset) {
    int32_t v = 0;
    std::memcpy(&v, block + offset, 4);
    return v;
}

int Bit(uint32_t mask) {
    return std::countr_zero(mask);
}

// A delta is kept as a signed byte; what does not fit wraps, and the wrapped value is what is added.
int8_t Delta(int32_t value, int32_t percent) {
    return static_cast<int8_t>(value * percent / 100);
}

void AddTo(OfficerRecord* o, uint32_t offset, int32_t v) {
    if (o) o->Set(offset, o->Get(offset) + v);
}

void DeleteEffect(Troop& t, int slot) {
    delete t.attachedEffects[slot];
    t.attachedEffects[slot] = nullptr;
}

constexpr uint32_t kClearOrder[] = {0x1,   0x2,    0x4,     0x8,   0x20,    0x40,  0x80,   0x100,
                                    0x400, 0x1000, 0x20000, 0x800, 0x10000, 0x200, 0x2000, 0x40000};
constexpr uint32_t kTickOrder[] = {0x20,    0x40,  0x80,    0x100, 0x400, 0x1000,
                                   0x20000, 0x800, 0x10000, 0x200, 0x2000};
} // namespace

void Troop::ApplySkillStatus(const uint8_t* skill) {
    if (!skill) return;
    const int32_t state = Column(skill, SkillStatus::kAddedState);
    const auto timer = static_cast<uint16_t>(Column(skill, SkillStatus::kDuration));
    auto pct = [&](uint32_t offset) { return Column(skill, offset); };
    auto attackDefence = [&](uint32_t bit) {
        StatusEffect& e = statusEffects[Bit(bit)];
        e.delta[0] = Delta(OfficerValue(L::kAttack), pct(SkillStatus::kAttackPct));
        e.delta[1] = Delta(OfficerValue(L::kDefence), pct(SkillStatus::kDefencePct));
        AddTo(officer, L::kAttack, e.delta[0]);
        AddTo(officer, L::kDefence, e.delta[1]);
    };
    switch (state) {
    case 1:
    case 2:
    case 3:
    case 4: {
        ClearStatus(0xF, false);
        const uint32_t bit = 1u << (state - 1);
        StatusEffect& e = statusEffects[Bit(bit)];
        e.delta[0] = static_cast<int8_t>(Column(skill, SkillStatus::kStepAmount));
        e.timer = timer;
        statusBits |= bit;
        break;
    }
    case 6:
        ClearStatus(0x20, false);
        attackDefence(0x20);
        statusEffects[Bit(0x20)].timer = timer;
        statusBits |= 0x20;
        break;
    case 7:
    case 8:
    case 9: {
        ClearStatus(0xFC0, false);
        const uint32_t bit = 0x40u << (state - 7);
        attackDefence(bit);
        statusEffects[Bit(bit)].timer = timer;
        statusBits |= bit;
        break;
    }
    case 10:
        ClearStatus(0xFC0, false);
        statusEffects[Bit(0x200)].timer = timer;
        statusBits |= 0x200;
        break;
    case 11: {
        ClearStatus(0xFC0, false);
        StatusEffect& e = statusEffects[Bit(0x400)];
        e.delta[0] = Delta(attackSpeed, pct(SkillStatus::kAttackSpeedPct));
        attackSpeed = static_cast<int16_t>(attackSpeed + e.delta[0]);
        e.timer = timer;
        statusBits |= 0x400;
        break;
    }
    case 12: {
        ClearStatus(0xFC0, false);
        StatusEffect& e = statusEffects[Bit(0x800)];
        e.delta[0] = Delta(OfficerValue(L::kAgility), pct(SkillStatus::kAgilityPct));
        e.delta[1] = Delta(OfficerValue(L::kHitRate), pct(SkillStatus::kHitRatePct));
        e.delta[2] = Delta(OfficerValue(L::kEvasion), pct(SkillStatus::kEvasionPct));
        AddTo(officer, L::kAgility, e.delta[0]);
        AddTo(officer, L::kHitRate, e.delta[1]);
        AddTo(officer, L::kEvasion, e.delta[2]);
        e.timer = timer;
        statusBits |= 0x800;
        break;
    }
    case 13: {
        if (statusBits & 0x40000) break;
        if (statusBits & 0x1000) ClearStatus(0x1000, false);
        StatusEffect& e = statusEffects[Bit(0x1000)];
        int8_t d = Delta(speed, pct(SkillStatus::kMoveSpeedPct));
        if (d < 0) d = 0;
        e.delta[0] = d;
        speed = static_cast<int16_t>(speed + d);
        e.timer = timer;
        statusBits |= 0x1000;
        break;
    }
    case 14:
        if (!(statusBits & 0x2000)) {
            // Remember whether the sleep set the flag, so waking takes back only that.
            statusEffects[Bit(0x2000)].delta[0] = (flags & 0x08) ? 0 : 1;
            statusBits |= 0x2000;
            flags |= 0x08;
            if (selected) {
                selected = 0;
                if (TheGameController && TheGameController->selection)
                    TheGameController->selection->RemoveValue(reinterpret_cast<uintptr_t>(this));
                if (Win05Window* panel = UnitPanel(); panel && panel->Shown()) {
                    if (TheGameController->selection && TheGameController->selection->GetCount() == 0)
                        panel->ClosePanel();
                    else
                        panel->UpdateTroop(nullptr, 0);
                }
            }
        } else if (!leader) {
            ClearStatus(0x2000, false);
        }
        break;
    case 20: {
        const bool wasMarked = sightMark.marked != 0;
        WithdrawSight();
        ClearStatus(0x20000, false);
        StatusEffect& e = statusEffects[Bit(0x20000)];
        e.delta[0] = Delta(sightRadius, pct(SkillStatus::kSightPct));
        sightRadius = static_cast<int16_t>(sightRadius + e.delta[0]);
        rangeEnd = static_cast<int16_t>(rangeEnd + e.delta[0]);
        e.timer = timer;
        statusBits |= 0x20000;
        if (wasMarked) UpdateSight();
        break;
    }
    case 31: {
        if (statusBits & 0x1000) ClearStatus(0x1000, false);
        if (statusBits & 0x20000) ClearStatus(0x20000, false);
        if (statusBits & 0x40000) ClearStatus(0x40000, false);
        statusBits |= 0x40000;
        attackDefence(0x40000);
        // Halving loses the odd unit; what was taken is given back exactly.
        transformSpeedTaken = static_cast<int16_t>(speed - speed / 2);
        speed = static_cast<int16_t>(speed - transformSpeedTaken);
        rangeStart = static_cast<int16_t>(rangeStart + 3);
        rangeEnd = static_cast<int16_t>(rangeEnd + 3);
        break;
    }
    default:
        return;
    }
    RecomputeSkillLevels();
    if (selected) RefreshUnitPanel(this, 5);
}

void Troop::ClearStatus(uint32_t mask, bool all) {
    if (all) mask = statusBits;
    // Only what is set is taken back: a repeated or stale clear changes nothing.
    mask &= statusBits;
    for (uint32_t bit : kClearOrder) {
        if (!(mask & bit)) continue;
        StatusEffect& e = statusEffects[Bit(bit)];
        switch (bit) {
        case 0x20:
        case 0x40:
            DeleteEffect(*this, 5);
            [[fallthrough]];
        case 0x80:
        case 0x100:
            AddTo(officer, L::kAttack, -e.delta[0]);
            AddTo(officer, L::kDefence, -e.delta[1]);
            break;
        case 0x400:
            attackSpeed = static_cast<int16_t>(attackSpeed - e.delta[0]);
            break;
        case 0x1000:
            DeleteEffect(*this, 4);
            speed = static_cast<int16_t>(speed - e.delta[0]);
            break;
        case 0x20000: {
            DeleteEffect(*this, 3);
            const bool wasMarked = sightMark.marked != 0;
            WithdrawSight();
            sightRadius = static_cast<int16_t>(sightRadius - e.delta[0]);
            rangeEnd = static_cast<int16_t>(rangeEnd - e.delta[0]);
            if (wasMarked) UpdateSight();
            break;
        }
        case 0x800:
            AddTo(officer, L::kAgility, -e.delta[0]);
            AddTo(officer, L::kHitRate, -e.delta[1]);
            AddTo(officer, L::kEvasion, -e.delta[2]);
            break;
        case 0x10000:
            AddTo(officer, L::kMagicDefence, -e.delta[0]);
            break;
        case 0x2000:
            if (e.delta[0]) flags &= ~0x08u;
            hitFlash = 1;
            flashColour = 0;
            if (followers)
                for (uintptr_t v = followers->First(); v != 0; v = followers->Next()) {
                    auto* f = reinterpret_cast<Troop*>(v);
                    if (f != this && (f->statusBits & 0x2000)) f->ClearStatus(0x2000, false);
                }
            break;
        case 0x40000:
            AddTo(officer, L::kAttack, -e.delta[0]);
            AddTo(officer, L::kDefence, -e.delta[1]);
            speed = static_cast<int16_t>(speed + transformSpeedTaken);
            transformSpeedTaken = 0;
            rangeStart = static_cast<int16_t>(rangeStart - 3);
            rangeEnd = static_cast<int16_t>(rangeEnd - 3);
            break;
        default:
            break;
        }
        e = StatusEffect{};
        statusBits &= ~bit;
    }
    if (selected) RefreshUnitPanel(this, 5);
}

void Troop::CureAllStatus() {
    ClearStatus(0x6F, false);
}

void Troop::TickStatus() {
    if (!DecidesHere()) return;
    // An end goes to every station as the skill-effect command's clear.
    int32_t total = 0;
    for (uint32_t bit : {0x1u, 0x2u, 0x4u, 0x8u}) {
        StatusEffect& e = statusEffects[Bit(bit)];
        if (e.timer == 0) continue;
        if (--e.timer == 0)
            NetCmdSkillEffect(this, int32_t(bit), 2);
        else
            total -= e.delta[0];
    }
    if (total != 0) TakeHit(static_cast<int16_t>(total + OfficerValue(L::kDefence)), owner, this);
    for (uint32_t bit : kTickOrder) {
        StatusEffect& e = statusEffects[Bit(bit)];
        if (e.timer == 0) continue;
        if (--e.timer == 0) NetCmdSkillEffect(this, int32_t(bit), 2);
    }
}
