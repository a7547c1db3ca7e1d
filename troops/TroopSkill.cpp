#include "Program/GameController.h"
#include "engine/LinkList.h"
#include "engine/Random.h"
#include "net/StateCommands.h"
#include "net/SubCommands.h"
#include "net/TroopCommands.h"
#include "net/TroopFateCommands.h"
#include "net/TroopValueCommand.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "troops/DiamondRing.h"
#include "troops/SoldierTypeColumns.h"
#include "troops/Troop.h"
#include "troops/TroopOrder.h"
#include "troops/TroopSearch.h"
#include "troops/TroopWorld.h"
#include "windows/unit/Win05Window.h"
#include "world/Zu_SkillEffect.h"

#include <cstring>
#include <vector>

namespace {
using L = OfficerLayout;

constexpr int32_t kOccupantCap = 32;

// Skill block columns.
constexpr uint32_t kDamage = 20;             // "體力"; -1 takes the caster's attack
constexpr uint32_t kCost = 24;               // "法力"
constexpr uint32_t kAddedState = 28;         // "附加狀態"
constexpr uint32_t kChance = 32;             // "附加機率"
constexpr uint32_t kArea = 48;               // "影響範圍"
constexpr uint32_t kCastTarget = 56;         // "施法對象"
constexpr uint32_t kSpellKind = 60;          // "法術種類"
constexpr uint32_t kAttackPct = 100;         // "攻擊力+n%"
constexpr uint32_t kHealPct = 136;           // "補血+n%"
constexpr uint32_t kBelt2 = L::kCarried + 4; // "腰帶2"
constexpr uint32_t kBelt2Slot = 7;

int32_t Column(const uint8_t* block, uint32_t offset) {
    int32_t v = 0;
    std::memcpy(&v, block + offset, 4);
    return v;
}

bool IsPiece(int32_t kind) {
    return kind == 7 || kind == 8;
}
} // namespace

void Troop::TakeSkillHit(Zu_SkillEffect* effect) {
    skill = -2;
    if (!effect || !DecidesHere()) return;
    const int32_t number = effect->id;
    // A skill number that names no record spends nothing and does nothing.
    const uint8_t* s = SkillBlock(number);
    if (!s) return;
    const int32_t added = Column(s, kAddedState);
    const bool repeat = (added == 31 && (statusBits & 0x40000)) || (added == 14 && (statusBits & 0x2000));
    if (!repeat) {
        if (!TheGameController || TheGameController->skillsFree == 0)
            NetCmdAddTroopValue(this, -Column(s, kCost), 2);
        const int32_t belt = OfficerValue(kBelt2);
        if (order && order->orderState != 0 && OfficerValue(L::kMp) < OfficerValue(L::kMaxMp) / 2 &&
            belt >= 245 && belt <= 247)
            NetCmdUseItem(this, kBelt2Slot);
    }
    const int32_t kind = Column(s, kSpellKind);
    const int32_t target = Column(s, kCastTarget);
    if (kind == 7) {
        if (added == 27 || added == 28) NetCmdSkillEffect(this, number, 6);
        if (added == 30) NetCmdSkillEffect(this, number, 7);
        return;
    }
    if (kind == 11) return;
    if ((kind == 3 || kind == 9) && (target == 1 || target == 3)) {
        if (added == 31) {
            NetCmdSkillEffect(this, (statusBits & 0x40000) ? -1 : number, 3);
            return;
        }
        const bool guarded = added == 14 && (statusBits & 0x2000);
        NetCmdSkillEffect(this, number, 0);
        if (target == 1 && !guarded && followers) {
            std::vector<Troop*> list;
            for (uintptr_t v = followers->First(); v != 0; v = followers->Next())
                list.push_back(reinterpret_cast<Troop*>(v));
            for (Troop* f : list)
                NetCmdSkillEffect(f, number, 0);
        }
        return;
    }
    const int32_t cx = effect->targetX / 40, cy = effect->targetY / 20;
    int32_t r = Column(s, kArea);
    if (r == 0 || r == 99) r = SoldierTypeValue(currentType, SoldierColumn::kSight);
    ApplySkillAtCell(effect, number, 0, 0, cx, cy);
    for (int32_t ring = 1; ring <= r; ++ring)
        WalkRing(ring, [&](int32_t dx, int32_t dy) {
            ApplySkillAtCell(effect, number, dx, dy, cx, cy);
            return true;
        });
    NetSendUnitCounters(this);
    if (officer) officer->UpdateExperience(owner, homeCity, garrison, 0);
    if (selected) RefreshUnitPanel(this, 5);
}

void Troop::ApplySkillAtCell(Zu_SkillEffect*, int32_t skillNumber, int32_t dx, int32_t dy, int32_t cx,
                             int32_t cy) {
    const uint8_t* s = SkillBlock(skillNumber);
    if (!s) return;
    const int32_t added = Column(s, kAddedState);
    if (added == 15) {
        NetCmdAddTroopValue(this, 1 - OfficerValue(L::kHp), 1);
        return;
    }
    const int32_t x = cx + dx, y = cy + dy;
    Troop* here[kOccupantCap];
    const int32_t count = CollectOccupants(x, y, here, kOccupantCap);
    const int32_t kind = Column(s, kSpellKind);
    for (int32_t i = 0; i < count; ++i) {
        Troop* t = here[i];
        if (t->cellX != x || t->cellY != y || !t->officer || !TroopActive(t) || t->OfficerKind() == 9)
            continue;
        const int32_t tKind = t->OfficerKind();
        const bool war = KingdomRelation(owner, t->owner) == 3;
        switch (kind) {
        case 1:
        case 2:
        case 4: {
            if (!war || (t->flags & 0x44) || IsPiece(tKind)) break;
            if (added == 25) {
                Troop* on = TroopActive(t->leader) ? t->leader : t;
                NetCmdSkillEffect(on, 0x2000, 2);
                break;
            }
            int32_t v = Column(s, kDamage);
            if (v == -1) {
                const int32_t attack = OfficerValue(L::kAttack);
                v = attack + attack * Column(s, kAttackPct) / 100;
            }
            if (v != 0) {
                if (tKind != 1) v /= 2;
                const int16_t dealt =
                    t->TakeHit(static_cast<int16_t>(v + t->OfficerValue(L::kDefence)), owner, this);
                if (officer) officer->activity[0] += dealt;
            }
            t->hitFlash = 1;
            t->flashColour = 0;
            Engage(t);
            NetCmdSkillEffect(t, skillNumber, 0);
            break;
        }
        case 3:
            if (t->owner != owner || (t->flags & 0x40) || IsPiece(tKind)) break;
            NetCmdSkillEffect(t, skillNumber, added == 21 ? 5 : 0);
            break;
        case 5:
            if (war || IsPiece(tKind) || (t->flags & 0x40)) break;
            NetCmdAddTroopValue(t, OfficerValue(L::kIntelligence) * Column(s, kHealPct) / 100, 1);
            break;
        case 8:
            // A spent piece (mode -1) has nothing left to fire.
            if (!war || !IsPiece(tKind) || int8_t(t->pieceMode) < 0) break;
            NetCmdEngage(t, nullptr, t->cellX, t->cellY, 124 + int8_t(t->pieceMode));
            t->pieceMode = 0xFF;
            break;
        case 10:
            if (!war || (t->flags & 0x40) || IsPiece(tKind) || tKind == 1) break;
            if (GameRandom() % 100 < Column(s, kChance)) NetCmdSkillEffect(t, owner, 4);
            break;
        default:
            break;
        }
    }
}
