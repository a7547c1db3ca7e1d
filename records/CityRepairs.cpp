#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/ScreenSettings.h"
#include "Program/SoundEffects.h"
#include "net/CityValueCommand.h"
#include "net/TroopValueCommand.h"
#include "records/City.h"
#include "records/CityRecordSenders.h"
#include "records/CityWorks.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "troops/CastleGate.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"
#include "world/MapView.h"
#include "world/Zu_SkillEffect.h"

#include <algorithm>
#include <vector>

namespace {
using L = CityLayout;

constexpr int32_t kHeal = 0x1, kGates = 0x10, kTowers = 0x100;
constexpr int32_t kRebuildDivisor = 10;
constexpr int32_t kTowerSlots = 6;

template <class T>
T* At(uintptr_t v) {
    return reinterpret_cast<T*>(v);
}

int32_t Strength(const Troop* t) {
    return t && t->officer ? t->officer->Get(OfficerLayout::kHp) : 0;
}
int32_t MaxStrength(const Troop* t) {
    return t && t->officer ? t->officer->Get(OfficerLayout::kMaxHp) : 0;
}
bool Damaged(const Troop* t) {
    return t && t->officer && Strength(t) < MaxStrength(t);
}

bool CellVisible(int32_t x, int32_t y) {
    const MapCell* cell = TheBattleMap ? TheBattleMap->CellAt(x, y) : nullptr;
    return cell && cell->sightCount > 1;
}

bool InView(int32_t x, int32_t y) {
    const MapView* view = TheGameController ? TheGameController->gameScreen : nullptr;
    return view && view->viewX <= x && x < view->viewX + MapView::kViewColumns && view->viewY <= y &&
           y < view->viewY + MapView::kViewRows;
}

int32_t GarrisonMaximum(const City& city) {
    return GameParams().siteRows[std::clamp(city.Scale(), 1, 4) - 1][0];
}

void Report(const City& city, int32_t operation) {
    if (!GameNetworked()) return;
    if (auto send = CurrentCityRecordSenders().statusFlags) send(city, city.statusFlags, operation);
}

void EmptyEffectSlots(City& city) {
    for (Zu_SkillEffect*& e : city.effects) {
        delete e;
        e = nullptr;
    }
}

// The repair cost leaves the city's gold and the kingdom's gold tally.
void Pay(City& city, int32_t cost) {
    NetCmdAddCityValue(&city, -cost, kCityGold);
    if (Kingdom* k = TheBattleMap ? TheBattleMap->FindKingdom(city.ownerSide) : nullptr) k->goldTotal -= cost;
}

void HealGarrisonOfVillage(City& city) {
    const GameParameters& p = GameParams();
    if (++city.repairStep < p.repair_castle_freq) return;
    city.repairStep = 0;
    int32_t sum = 0, n = 0, top = 0;
    for (Troop* t : city.garrison)
        if (t) {
            sum += Strength(t);
            top = MaxStrength(t);
            ++n;
        }
    if (sum == 0) NetCmdAddCityValue(&city, 0, kCityGarrisonStrength);
    if (n == 0) return;
    const int32_t each = (sum + p.repair_castle_hp) / n;
    if (each < top) {
        NetCmdAddCityValue(&city, each, kCityGarrisonStrength);
        return;
    }
    city.statusFlags = 0;
    for (Troop* t : city.garrison)
        if (t && t->officer) t->officer->Set(OfficerLayout::kHp, MaxStrength(t));
    EmptyEffectSlots(city);
    Report(city, 2);
}

void HealGarrison(City& city) {
    const GameParameters& p = GameParams();
    if (++city.repairStep <= p.repair_castle_freq) return;
    city.repairStep = 0;
    const int32_t day = TheScreenSettings ? TheScreenSettings->day : 0;
    if (day % 7 == 1 && InView(city.CellX(), city.CellY())) PlaySoundEffect(53);
    const int32_t cap = GarrisonMaximum(city);
    int32_t sum = 0, n = 0;
    for (Troop* t : city.garrison)
        if (t) {
            sum += Strength(t);
            ++n;
        }
    if (sum >= cap) {
        NetCmdAddCityValue(&city, cap / 4, kCityGarrisonStrength);
        EmptyEffectSlots(city);
        city.clearedWord = 0;
        city.garrisonRebuild = 0;
        city.statusFlags &= ~kHeal;
        Report(city, 2);
        return;
    }
    if (city.Int(L::kGold) <= p.repair_castle_cost) {
        city.statusFlags &= ~kHeal;
        Report(city, 3);
        return;
    }
    Pay(city, p.repair_castle_cost);
    if (n > 0) {
        NetCmdAddCityValue(&city, (sum + p.repair_castle_hp) / n, kCityGarrisonStrength);
    } else if (city.garrisonRebuild < cap / kRebuildDivisor) {
        city.garrisonRebuild += p.repair_castle_hp;
    } else {
        NetCmdAddCityValue(&city, 0, kCityGarrisonRebuild);
        NetCmdAddCityValue(&city, city.garrisonRebuild / 4, kCityGarrisonStrength);
        city.garrisonRebuild = 0;
    }
}

bool GateDamaged(const CastleGate& gate) {
    return std::any_of(std::begin(gate.pieces), std::end(gate.pieces), Damaged);
}

std::vector<CastleGate*> Gates(LinkList& list) {
    std::vector<CastleGate*> out;
    for (uintptr_t v = list.First(); v != 0; v = list.Next())
        out.push_back(At<CastleGate>(v));
    return out;
}

// Each flagged gate keeps its own period; a repair that finds nothing left to mend restores the
// gate and unflags it, which ends the bit on a later day.
void RepairGates(City& city) {
    const GameParameters& p = GameParams();
    bool flagged = false;
    for (CastleGate* gate : Gates(city.gates)) {
        if (gate->repairFlag == 0) continue;
        flagged = true;
        const int32_t before = gate->counter;
        if (gate->counter < INT32_MAX) ++gate->counter;
        if (before < p.repair_castle_freq) continue;
        gate->counter = 0;
        if (city.Int(L::kGold) <= p.repair_castle_cost) {
            city.statusFlags &= ~kGates;
            Report(city, 4);
            return;
        }
        if (gate->Repair() != 0) Pay(city, p.repair_castle_cost);
    }
    if (!flagged) {
        city.statusFlags &= ~kGates;
        Report(city, 4);
    }
}

void RepairTowers(City& city) {
    const GameParameters& p = GameParams();
    const int16_t before = city.actionWords[1];
    if (city.actionWords[1] < INT16_MAX) ++city.actionWords[1];
    if (before <= p.repair_castle_freq) return;
    bool damaged = false;
    for (int32_t slot = 0; slot < kTowerSlots; ++slot) {
        if (city.Int(L::kGold) <= p.repair_castle_cost) {
            city.statusFlags &= ~kTowers;
            Report(city, 5);
            return;
        }
        Troop* tower = city.towers[slot];
        if (!tower) {
            // Only a slot with a tower cell is rebuilt.
            int32_t x = 0, y = 0;
            TowerCellOf(city, slot, x, y);
            if (x != 0 || y != 0) {
                NetCmdAddCityValue(&city, slot, kCityTower);
                damaged = true;
            }
            continue;
        }
        if (!Damaged(tower)) continue;
        damaged = true;
        const int32_t strength = std::min(Strength(tower) + p.repair_castle_hp, MaxStrength(tower));
        tower->officer->Set(OfficerLayout::kHp, strength);
        Pay(city, p.repair_castle_cost);
        NetCmdAddTroopValue(tower, strength, 6);
    }
    if (!damaged) {
        city.statusFlags &= ~kTowers;
        Report(city, 5);
    }
}
} // namespace

int32_t City::ComputeNeedFlags() {
    int32_t word = 0;
    int32_t sum = 0;
    for (Troop* t : garrison)
        sum += Strength(t);
    if (sum < GarrisonMaximum(*this)) word |= kHeal;
    for (const CastleGate* gate : Gates(gates))
        if (GateDamaged(*gate)) word |= kGates;
    if (std::any_of(std::begin(towers), std::end(towers), Damaged)) word |= kTowers;
    return word;
}

void City::ApplyStatusFlags(int32_t word) {
    pendingStatus = word;
    if (word == 0) return;
    const int32_t added = word & ~statusFlags;
    if (added & kHeal) repairStep = 0;
    if (added & kGates)
        for (CastleGate* gate : Gates(gates))
            if (GateDamaged(*gate)) gate->FlagForRepair();
    if ((added & kTowers) && std::any_of(std::begin(towers), std::end(towers), Damaged)) actionWords[1] = 0;
    statusFlags = pendingStatus;
    if (!statusEffect && CellVisible(CellX(), CellY()))
        statusEffect = new Zu_SkillEffect(3, 15, CellX() * 40, CellY() * 10 + 240);
}

void City::CommitStatusFlags() {
    const int32_t word = pendingStatus;
    if (DecidesHere()) ApplyStatusFlags(word);
    if (GameNetworked())
        if (auto send = CurrentCityRecordSenders().statusFlags) send(*this, word, 0);
}

bool City::ApplyStatusOperation(int32_t operation, int32_t word) {
    switch (operation) {
    case 0:
        ApplyStatusFlags(word);
        return true;
    case 1:
        pendingStatus = word;
        return true;
    case 2:
        EmptyEffectSlots(*this);
        clearedWord = 0;
        garrisonRebuild = 0;
        statusFlags &= ~kHeal;
        return true;
    case 3:
        statusFlags &= ~kHeal;
        return true;
    case 4:
        statusFlags &= ~kGates;
        return true;
    case 5:
        statusFlags &= ~kTowers;
        return true;
    case 6:
        delete statusEffect;
        statusEffect = nullptr;
        return true;
    default:
        return false;
    }
}

void City::TickRepairs() {
    if (Kind() == 1 || Kind() == 6) {
        HealGarrisonOfVillage(*this);
        return;
    }
    if (statusFlags & kHeal) HealGarrison(*this);
    if (statusFlags & kGates) RepairGates(*this);
    if (statusFlags & kTowers) RepairTowers(*this);
    if (statusFlags == 0 && statusEffect) {
        delete statusEffect;
        statusEffect = nullptr;
        Report(*this, 6);
    }
}

void City::SumGarrison() {
    if (!garrison[0]) return;
    int32_t maximum = 0;
    for (Troop* t : garrison)
        if (t) {
            garrisonStrength += Strength(t);
            maximum += MaxStrength(t);
        }
    // A garrison rebuilt at strength 0 has no maximum to measure against.
    if (maximum <= 0 || garrisonStrength * 100 / maximum >= 60 || !CellVisible(CellX(), CellY())) return;
    static constexpr int32_t kFires[3][3][2] = {
        {{-154, -77}, {-39, -28}, {88, -83}},
        {{-126, -98}, {-12, -33}, {69, -94}},
        {{-97, -2}, {-5, 26}, {55, -37}},
    };
    const int32_t row = Kind() == 0 ? 0 : (Kind() == 1 || Kind() == 6) ? 1 : 2;
    for (int i = 0; i < 3; ++i)
        if (!effects[i])
            effects[i] =
                new Zu_SkillEffect(3, 19, CellX() * 40 + kFires[row][i][0], CellY() * 10 + kFires[row][i][1]);
}
