#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/ScreenSettings.h"
#include "events/EventManager.h"
#include "net/CityValueCommand.h"
#include "net/CommandLookups.h"
#include "net/TroopValueCommand.h"
#include "records/City.h"
#include "records/CityRecordSenders.h"
#include "records/ExperienceFloor.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"

#include <algorithm>
#include <cstring>

namespace {
using L = CityLayout;

constexpr int32_t kSpecialTroopKinds = 8;
constexpr int32_t kFirstRecruitTemplate = 424;
constexpr int32_t kEscortFields = 8;

template <class T>
T* At(uintptr_t v) {
    return reinterpret_cast<T*>(v);
}

int32_t GameKind() {
    return TheGameController ? TheGameController->gameKind : 0;
}

// The serial a request carries: the counter's current value, which the first general the apply
// makes takes up.
uint32_t NextSerial() {
    return TheScreenSettings ? static_cast<uint32_t>(TheScreenSettings->serialCounter) : 0;
}

// A general takes a serial handed to it; the counter moves past it so that no later general of
// this station repeats it, whatever the counter stood at when the serial was drawn.
void GiveSerial(OfficerRecord& general, uint32_t serial) {
    general.serial = serial;
    NoteCarriedUnitId(serial);
}

Troop* MakeFieldTroop(City& city, OfficerRecord* general, int32_t x, int32_t y, uint16_t ledUnit,
                      uint32_t serial) {
    GiveSerial(*general, serial);
    auto* troop = new Troop(general->Get(OfficerLayout::kSoldierType), 10, static_cast<int16_t>(x),
                            static_cast<int16_t>(y), static_cast<int8_t>(city.ownerSide),
                            static_cast<int16_t>(city.id), 100, general);
    troop->groupId = TheBattleMap ? TheBattleMap->nextUnitId : 0;
    troop->ledUnit = ledUnit;
    troop->arranged = 0;
    if (Kingdom* k = TheBattleMap ? TheBattleMap->FindKingdom(city.ownerSide) : nullptr)
        k->AddFieldUnit(troop);
    return troop;
}
} // namespace

int32_t ExperienceFloor(int32_t level) {
    const GameParameters& p = GameParams();
    const int32_t* table = GameKind() != 0 ? p.unifiedLevelExp : p.General_Level_up_Ref;
    return table[std::clamp(level, 1, 30) - 1];
}

void City::TickSpawnTimer() {
    if (spawnedFlag == 0) {
        const int32_t days = Int(CityWorkColumns::kSpawnDays);
        if (days < 1) {
            EventManager* events = TheGameController ? TheGameController->eventManager : nullptr;
            const int32_t event = Int(CityWorkColumns::kSpawnEvent);
            if (event > 0 && events && events->IsEventEnded(event)) spawnedFlag = 1;
        } else if (spawnDays < days) {
            ++spawnDays;
        } else {
            spawnedFlag = 1;
        }
        return;
    }
    if (respawnCounter < INT16_MAX) ++respawnCounter;
    if (respawnCounter < Int(CityWorkColumns::kRespawnDays)) return;
    if (GameKind() == 0 ? spawnedOut < 3 : spawnedOut == 0) RequestSpawnTroop();
}

void City::RequestSpawnTroop() {
    const uint32_t serial = NextSerial();
    if (DecidesHere()) ApplySpawnTroop(serial);
    if (GameNetworked())
        if (auto send = CurrentCityRecordSenders().spawnTroop) send(*this, serial);
}

void City::ApplySpawnTroop(uint32_t serial) {
    respawnCounter = 0;
    const uintptr_t first = generals.First();
    if (first == 0) return;
    const auto* model = At<OfficerRecord>(first);
    auto* general = new OfficerRecord(ownerSide, -1);
    std::memcpy(general->block, model->block, OfficerLayout::kSize);
    general->Set(OfficerLayout::kControllable, 0);
    const int32_t x = CellX(), y = CellY() / 2;
    Troop* troop = MakeFieldTroop(*this, general, x, y, 1, serial);
    // Counted out of the city: its fall gives the count back, and a save keeps it.
    troop->outgoingMark = 1;

    uint32_t next = serial;
    for (int32_t i = 0; i < kEscortFields; ++i) {
        const int32_t person = general->Get(OfficerLayout::kEscorts + 4 * static_cast<uint32_t>(i));
        if (person == 0) continue;
        auto* escortGeneral = new OfficerRecord(ownerSide, person);
        Troop* escort = MakeFieldTroop(*this, escortGeneral, x + 2, y, 0, ++next);
        if (!troop->followers) troop->followers = new LinkList;
        troop->followers->Add(reinterpret_cast<uintptr_t>(escort));
    }

    if (general->Get(OfficerLayout::kLevel) < 1) general->Set(OfficerLayout::kLevel, 1);
    const int32_t stage = TheGameController ? TheGameController->campaignStage : 0;
    if (stage >= 11 && stage <= 47 && general->Get(OfficerLayout::kLevel) == 1) {
        const GameParameters& p = GameParams();
        const int32_t i = (stage - 11) % 12;
        general->Set(OfficerLayout::kLevel,
                     general->Get(OfficerLayout::kFamous) != 0 ? p.namedOfficerLevel[i] : p.captainLevel[i]);
    }
    general->GrowStats(0);
    const int32_t floor = ExperienceFloor(general->Get(OfficerLayout::kLevel));
    general->bonusExperience = floor;
    general->Set(OfficerLayout::kExperience, floor);

    if (TheBattleMap) ++TheBattleMap->nextUnitId;
    ++spawnedOut;
    troop->MoveStep();
}

void City::PickFirstSoldierType() {
    recruitCount = 0;
    recruitKind = -1;
    for (int32_t i = 0; i < kSpecialTroopKinds; ++i) {
        const int32_t n = Int(CityWorkColumns::kSpecialTroops + 4 * static_cast<uint32_t>(i));
        if (n > 0) {
            recruitCount = n;
            recruitKind = i;
            return;
        }
    }
}

void City::RecruitSpecialSoldiers() {
    City* target = recruitCity;
    if (!target) return;
    if (target->RefreshReserveCount() < target->ReserveCapacity()) {
        PickFirstSoldierType();
        for (int32_t i = 0; i < recruitCount && recruitCity; ++i) {
            if (recruitCity->reserveTroopCount >= recruitCity->ReserveCapacity()) break;
            RequestAddSoldier();
        }
    }
    // The city's whole gold and food go to the target every month, and the city keeps them too.
    if (recruitCity) {
        NetCmdAddCityValue(recruitCity, Int(L::kGold), kCityGold);
        NetCmdAddCityValue(recruitCity, Int(L::kFood), kCityFood);
    }
}

void City::RequestAddSoldier() {
    const uint32_t serial = NextSerial();
    if (DecidesHere()) ApplyAddSoldier(serial);
    if (GameNetworked())
        if (auto send = CurrentCityRecordSenders().addSoldier) send(*this, serial);
}

void City::ApplyAddSoldier(uint32_t serial) {
    City* target = recruitCity;
    if (!target || recruitKind < 0 || recruitKind >= kSpecialTroopKinds) return;
    auto* general = new OfficerRecord(ownerSide, kFirstRecruitTemplate + recruitKind);
    GiveSerial(*general, serial);
    auto* troop = new Troop(general->Get(OfficerLayout::kSoldierType), 10, 0, 0,
                            static_cast<int8_t>(ownerSide), static_cast<int16_t>(target->id), 0, general);
    troop->ledUnit = 0;
    troop->arranged = 1;
    troop->homeCity = static_cast<int16_t>(target->id);
    troop->owner = static_cast<int8_t>(target->ownerSide);
    target->reserve.Add(reinterpret_cast<uintptr_t>(troop));
    ++target->reserveTroopCount;
}

void City::TickUnitRecovery() {
    const GameParameters& p = GameParams();
    const int32_t mode = GameKind() == 0 ? 0 : 1;
    for (uintptr_t v = units.First(); v != 0; v = units.Next()) {
        Troop* t = At<Troop>(v);
        OfficerRecord* g = t->officer;
        if (!g || g->Get(OfficerLayout::kAttribute) != 1) continue;
        const int32_t hp = g->Get(OfficerLayout::kHp);
        // A living unit resting in the city is made to stand (troop value kind 5).
        if (hp > 0 && (t->flags & 0x40)) NetCmdAddTroopValue(t, 0, 5);
        if (hp < g->Get(OfficerLayout::kMaxHp)) {
            if (hp <= 0) {
                if (++g->workCounters[0] >= p.recoveryDays[mode]) {
                    g->workCounters[0] = 0;
                    NetCmdAddTroopValue(t, 1, 1);
                }
            } else {
                NetCmdAddTroopValue(t, p.cityHealPerDay[mode], 1);
            }
        }
        if (g->Get(OfficerLayout::kMp) < g->Get(OfficerLayout::kMaxMp) &&
            ++g->workCounters[1] > p.skillRegainDays[mode]) {
            g->workCounters[1] = 0;
            NetCmdAddTroopValue(t, 1, 2);
        }
    }
}
