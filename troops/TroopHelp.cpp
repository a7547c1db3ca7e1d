#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "engine/LinkList.h"
#include "engine/Random.h"
#include "net/TroopCommands.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "troops/DiamondRing.h"
#include "troops/SoldierTypeColumns.h"
#include "troops/Troop.h"
#include "troops/TroopOrder.h"
#include "troops/TroopSearch.h"
#include "troops/TroopWorld.h"

#include <cstring>
#include <vector>

namespace {
using L = OfficerLayout;

constexpr int32_t kOccupantCap = 32;

// Skill block columns.
constexpr uint32_t kCost = 24;       // "法力"
constexpr uint32_t kAddedState = 28; // "附加狀態"
constexpr uint32_t kArea = 48;       // "影響範圍"
constexpr uint32_t kSpellKind = 60;  // "法術種類"
// "武力", "智力", "體魄", "魅力", "敏捷" and the officer columns they are measured against.
constexpr uint32_t kNeeds[5][2] = {
    {80, L::kStrength}, {84, L::kIntelligence}, {88, L::kPhysique}, {92, L::kCharm}, {96, L::kAgility}};

int32_t Column(const uint8_t* block, uint32_t offset) {
    int32_t v = 0;
    std::memcpy(&v, block + offset, 4);
    return v;
}

// Troops standing, or marching, that may be called into a fight.
bool Callable(const Troop* t) {
    return TroopActive(t) && t->actionCode != 14 && !(t->flags & 0x0A) && t->order;
}

std::vector<Troop*> FieldTroops(int32_t kingdom) {
    std::vector<Troop*> list;
    if (Kingdom* k = TroopKingdom(kingdom))
        for (uintptr_t v = k->fieldUnits.First(); v != 0; v = k->fieldUnits.Next())
            list.push_back(reinterpret_cast<Troop*>(v));
    return list;
}

int32_t AreaRadius(const Troop* t, const uint8_t* skill) {
    const int32_t r = Column(skill, kArea);
    return r == 0 || r == 99 ? SoldierTypeValue(t->currentType, SoldierColumn::kSight) : r;
}
} // namespace

void Troop::CallForHelp(int32_t radius, int32_t orderState, int32_t mode, bool stopAtFirst) {
    Troop* here[kOccupantCap];
    for (int32_t ring = 1; ring <= radius; ++ring) {
        const bool walked = WalkRing(ring, [&](int32_t dx, int32_t dy) {
            const int32_t cx = cellX + dx, cy = cellY + dy;
            const int32_t count = CollectOccupants(cx, cy, here, kOccupantCap);
            int32_t joined = 0;
            for (int32_t i = 0; i < count; ++i) {
                Troop* a = here[i];
                if (a->cellX != cx || a->cellY != cy || a->OfficerKind() != 1 || a->state != 10 ||
                    !Callable(a) || a->owner != owner || a->order->orderState != orderState)
                    continue;
                if (mode == 0) {
                    const int8_t os = a->order->orderState;
                    bool attacked = false;
                    if (os == 3 || os == 17 || os == 4)
                        attacked = a->AttackNearestEnemy(-1);
                    else if (os != 0)
                        attacked = a->AttackNearestEnemy(order ? order->targetCityId : -1);
                    if (attacked) {
                        a->order->orderState = 11;
                        a->order->postX = a->cellX;
                        a->order->postY = a->cellY;
                        ++joined;
                    }
                } else if (mode == 1) {
                    Troop* enemy = targetTroop;
                    if (!TroopActive(enemy) || (enemy->flags & 0x04)) continue;
                    a->MarkPursuitStart();
                    if (NetCmdTargetTroop(a, enemy)) {
                        a->MarkOrderEngaged();
                        ++joined;
                    } else {
                        a->ClearMoveFlags();
                    }
                }
            }
            return !(stopAtFirst && joined > 0);
        });
        if (!walked) return;
    }
}

void Troop::RallyDefenders(City* city, int32_t n) {
    if (!city) return;
    const std::vector<Troop*> list = FieldTroops(city->ownerSide);
    int32_t rallied = 0;
    for (int32_t group : {4, 3, 17, 1}) {
        if (rallied >= n) break;
        for (Troop* d : list) {
            if (d->OfficerKind() != 1 || d->homeCity != city->id || (d->state != 10 && d->actionCode != 4) ||
                !Callable(d) || d->order->orderState != group)
                continue;
            d->MarkPursuitStart();
            if (NetCmdTargetTroop(d, this)) {
                d->MarkOrderEngaged();
                ++rallied;
            } else {
                d->ClearMoveFlags();
            }
        }
    }
    if (rallied < n) waitCounter += n - rallied;
}

void Troop::RallyBand(int32_t maxCount) {
    Troop* enemy = targetTroop;
    if (!TroopActive(enemy)) return;
    int32_t sent = 0;
    for (Troop* t : FieldTroops(owner)) {
        if (t == this || t->OfficerKind() != 1 || t->homeCity != homeCity || !TroopActive(t) || !t->order ||
            (t->order->orderState != 3 && t->order->orderState != 4) || (t->flags & 0x02))
            continue;
        t->MarkPursuitStart();
        if (NetCmdTargetTroop(t, enemy)) {
            t->MarkOrderEngaged();
            if (++sent >= maxCount) return;
        } else {
            t->ClearMoveFlags();
        }
    }
}

bool Troop::ChooseSkill(bool offensive) {
    // After a cast the delay holds the next choice back; the two lock words hold it while set.
    if (!TroopActive(this) || OfficerKind() != 1 || skill >= 0 || skillLaunched != 0 || skillDelay != 0 ||
        skillTimers[0] != 0 || skillTimers[1] != 0)
        return false;
    const int32_t job = OfficerValue(L::kClass);
    if (job > 5 || !order || order->orderState == 0) return false;
    for (int32_t i = 0; i < 8; ++i) {
        const int32_t v = OfficerValue(L::kSkills + 4 * uint32_t(i));
        if (v == 0) continue;
        const int32_t number = 24 * (job - 1) + 3 * i + v - 1;
        // A slot value from a file may name no skill at all.
        const uint8_t* s = SkillBlock(number);
        if (!s || Column(s, kCost) > OfficerValue(L::kMp)) continue;
        bool meets = true;
        for (const auto& need : kNeeds) {
            const int32_t required = Column(s, need[0]);
            if (required != 0 && required > OfficerValue(need[1])) meets = false;
        }
        const int32_t added = Column(s, kAddedState);
        if (!meets || added == 13 || added == 20 || (added == 9 && (statusBits & 0x100)) ||
            (added == 8 && (statusBits & 0x80)))
            continue;
        const int32_t area = Column(s, kArea);
        bool cast = false;
        switch (Column(s, kSpellKind)) {
        case 1:
        case 2:
        case 4:
        case 10:
            cast = offensive && TryAreaSkill(s);
            break;
        case 3:
            cast = !offensive && TrySupportSkill(s);
            break;
        case 5:
            cast = CountWoundedAround(area) > 30;
            break;
        case 8:
            cast = CountEnemyTowersAround(this, cellX, cellY, area) >= 2;
            break;
        default:
            break;
        }
        if (cast) {
            NetCmdEngage(this, nullptr, cellX, cellY, number);
            MarkOrderEngaged();
            return true;
        }
    }
    return false;
}

bool Troop::TryAreaSkill(const uint8_t* skillBlock) {
    if (!skillBlock) return false;
    const int32_t n = CountEnemiesAround(this, cellX, cellY, AreaRadius(this, skillBlock));
    if (n <= 0) return false;
    const bool perMille = !order || order->orderState == 0;
    int32_t kind = TheGameController ? TheGameController->gameKind : 0;
    if (kind < 0 || kind > 3) kind = 0;
    int32_t c = perMille ? 10 : GameParams().aiSpellChance[kind];
    if (c != 0) c += 10 * (n - 1);
    return GameRandom() % (perMille ? 1000 : 100) < c;
}

bool Troop::TrySupportSkill(const uint8_t* skillBlock) {
    if (!skillBlock) return false;
    const int32_t n = CountStateElevenAllies(this, cellX, cellY, 5, -1);
    if (!order || order->orderState == 0) return GameRandom() % 30000 < n;
    return GameRandom() % 3000 < 20 * n;
}
