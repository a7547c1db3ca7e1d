#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "engine/ByteReader.h"
#include "engine/Random.h"
#include "net/GameRecordChannel.h"
#include "platform/CRand.h"
#include "records/PassRecordTable.h"
#include "world/BattleMap.h"
#include "world/MapView.h"

#include "records/ItemRecord.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "troops/Troop.h"
#include "troops/TroopOrder.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {
template <class T>
T* At(uintptr_t v) {
    return reinterpret_cast<T*>(v);
}

bool Networked() {
    return TheGameController && TheGameController->networked;
}

bool SingleOrHost() {
    return !Networked() || TheGameController->isHost;
}

constexpr int kCaravanTemplate = 444;

int32_t PassInt(const uint8_t* record, uint32_t offset) {
    ByteReader r(record + offset, 4);
    return r.i32();
}

// The columns a campaign pass record carries into the officer of the next stage (byte ranges of
// the officer block); the experience also becomes the officer's experience base.
void CopyPassColumns(OfficerRecord& o, const uint8_t* record) {
    using L = OfficerLayout;
    struct Range {
        uint32_t from, to;
    };
    static constexpr Range kRanges[] = {
        {L::kLevel, L::kEvasion + 4},
        {L::kMaxHp, L::kMaxMp + 4},
        {L::kSkills, L::kGold + 4},
        {L::kSummon, L::kSummon + 4},
        {L::kLord, L::kLocation + 4},
        {L::kExperience, L::kExperience + 4},
        {L::kRetreat, L::kRetreat + 4},
        {L::kFormation, L::kSpacing + 4},
        {L::kPhysiqueRest, L::kPhysiqueRest + 4},
    };
    for (const Range& r : kRanges)
        std::memcpy(o.block + r.from, record + r.from, r.to - r.from);
    o.bonusExperience = o.Get(L::kExperience);
}
constexpr int kCoreOfficers[7] = {42, 183, 50, 44, 45, 47, 46};
} // namespace

void Zu_StageSet::InitKingdoms() {
    BattleMap* map = TheBattleMap;
    auto side = [map](int s) { return map ? map->kingdomTable[s] : nullptr; };
    auto playerRun = [map](int s) {
        if (map) map->sideActive[s] = 0;
    };
    const int32_t gameKind = TheGameController ? TheGameController->gameKind : 0;
    stageWords[1] = 0;
    for (Kingdom* k : ListValues<Kingdom>(*kingdoms)) {
        ++stageWords[1];
        if (k->nationIndex == playerSide && BattleMap::ValidSide(playerSide)) {
            playerKingdom = k;
            playerCities = &k->cities;
            playerRun(playerSide);
            if (TheGameController && TheGameController->gameScreen)
                TheGameController->gameScreen->currentCity = At<City>(k->cities.First());
        }
        if ((gameKind == 1 || gameKind == 3) && (k->NationKind() == 2 || k->NationKind() == 3))
            k->SetAllianceGroup(1001);
        k->BindToStage();
        if (gameKind == 1) {
            for (int s = 1; s <= BattleMap::kSides; ++s)
                k->relations[s] = 3;
            if (BattleMap::ValidSide(k->nationIndex)) {
                k->relations[k->nationIndex] = 1;
                if (playerKingdom) playerKingdom->goodwill[k->nationIndex] = (4 - k->DiplomacyType()) * 20;
            }
        }
    }
    const int32_t count = std::min<int32_t>(stageWords[1], BattleMap::kSides);
    const int32_t sides = std::min<int32_t>(map ? map->sideCount : 0, BattleMap::kSides);
    for (Kingdom* k : ListValues<Kingdom>(*kingdoms)) {
        if (!BattleMap::ValidSide(k->nationIndex)) continue;
        if (k->NationKind() == 4 || k->NationKind() == 5) {
            for (int s = 1; s <= count; ++s)
                if (side(s)) side(s)->relations[k->nationIndex] = k->NationKind() == 4 ? 2 : 1;
            playerRun(k->nationIndex);
        } else if (k->NationKind() == 6) {
            for (int s = 1; s <= sides; ++s) {
                if (side(s)) side(s)->relations[k->nationIndex] = 2;
                k->relations[s] = 2;
            }
            playerRun(k->nationIndex);
        }
        for (int s = 1; s <= sides; ++s) {
            const Kingdom* other = side(s);
            if (s == k->nationIndex)
                k->relations[s] = 1;
            else if (k->AllianceGroup() != 0 && other && other->AllianceGroup() == k->AllianceGroup())
                k->relations[s] = 1;
            else
                k->relations[s] = 3;
        }
    }
    // Every side gets its ratio, the last one included; the sums may pass 32 bits.
    stageWords[1] = kingdoms->GetCount();
    int64_t total = 0;
    for (int s = 1; s <= std::min<int32_t>(stageWords[1], BattleMap::kSides); ++s)
        if (side(s)) total += side(s)->cityStrengthTotal;
    for (int s = 1; s <= std::min<int32_t>(stageWords[1], BattleMap::kSides); ++s) {
        Kingdom* k = side(s);
        if (!k) continue;
        if (k->cityStrengthTotal == 0) {
            k->strengthRatio = 0;
            continue;
        }
        const int64_t ratio = 100 * (total - k->cityStrengthTotal) / k->cityStrengthTotal;
        k->strengthRatio = static_cast<int32_t>(std::clamp<int64_t>(ratio, INT32_MIN, INT32_MAX));
    }
}

void Zu_StageSet::PlaceCaravans() {
    if (Column(StageBlockLayout::kBandits) != 0) stageWords[5] = 0;
    if (Column(StageBlockLayout::kCaravans) == 0) return;
    int32_t placed = 0;
    for (Kingdom* k : ListValues<Kingdom>(*kingdoms)) {
        for (City* city : ListValues<City>(k->cities)) {
            if (city->Kind() != 0) continue;
            SubCastle* sub = city->FindSubCastleOfKind(4);
            if (!sub) continue;
            auto* officer = new OfficerRecord(k->nationIndex, kCaravanTemplate);
            auto* troop =
                new Troop(officer->Get(OfficerLayout::kSoldierType), 10, 0, 0,
                          static_cast<int8_t>(k->nationIndex), static_cast<int16_t>(city->id), 100, officer);
            troop->flagWord = 1;
            delete sub->keeper;
            sub->keeper = troop;
            GiveRandomGear(troop);
            sub->SetInt(48, 1);
            ++placed;
        }
    }
    SetColumn(StageBlockLayout::kCaravans, placed);
}

void Zu_StageSet::GiveRandomGear(Troop* troop) {
    const uint32_t seed1 = static_cast<uint32_t>(platform::rand() % 77777 + 23456);
    const uint32_t seed2 = static_cast<uint32_t>(platform::rand() % 77777 + 23456);
    const int32_t years = monthsElapsed / 12;
    if (SingleOrHost()) ApplyRandomGear(troop, years, seed1, seed2);
    if (Networked() && TheGameController->isHost) {
        ByteWriter out;
        out.u32(0x302);
        out.u32(24);
        out.i32(troop->homeCity);
        out.i32(years);
        out.u32(seed1);
        out.u32(seed2);
        SendGameRecord(out.buffer());
    }
}

void Zu_StageSet::ApplyRandomGearRecord(int32_t cityId, int32_t years, uint32_t seed1, uint32_t seed2) {
    for (Kingdom* k : ListValues<Kingdom>(*kingdoms)) {
        for (City* city : ListValues<City>(k->cities)) {
            if (city->id != cityId) continue;
            SubCastle* sub = city->FindSubCastleOfKind(4);
            if (sub && sub->keeper) ApplyRandomGear(sub->keeper, years, seed1, seed2);
            return;
        }
    }
}

void Zu_StageSet::ApplyRandomGear(Troop* troop, int32_t years, uint32_t seed1, uint32_t seed2) {
    if (!troop) return;
    if (troop->carried) troop->carried->RemoveAll();
    const GameParameters& p = GameParams();
    const auto& goods = p.merchantGoods;
    int row = -1;
    for (int r = 0; r <= 8 && row < 0; ++r) {
        if (years < goods[r][0])
            row = r;
        else if (goods[r][0] <= years && years < goods[r + 1][0])
            row = r + 1;
    }
    if (row < 0 || years >= p.shipStats[0]) row = 9;
    const int32_t* g = goods[row];

    RandomSeed = seed1;
    RandomMultiplier = seed2;

    const int32_t itemCount = LastItemNumber();
    auto validItem = [&](int32_t id) { return id >= 1 && id <= itemCount; };
    auto carry = [&](int32_t id) {
        if (!troop->carried) troop->carried = new LinkList;
        troop->carried->Add(static_cast<uintptr_t>(id));
    };
    std::vector<int32_t> candidates;
    for (int32_t id = 1; id <= itemCount && candidates.size() < 60; ++id) {
        const int32_t level = ItemColumn(id, ItemLayout::kLevel);
        if (level != 0 && (level == g[1] || level == g[1] - 1)) candidates.push_back(id);
    }
    if (!candidates.empty())
        for (int32_t i = 0; i < g[2]; ++i)
            carry(candidates[Random(static_cast<int32_t>(candidates.size()))]);
    if (validItem(g[3]))
        for (int32_t i = 0; i < g[4]; ++i)
            carry(g[3]);
    if (validItem(g[5]))
        for (int32_t i = 0; i < g[6]; ++i)
            carry(g[5]);
    if (troop->officer) {
        troop->officer->Set(OfficerLayout::kHp, 0);
        troop->officer->Set(OfficerLayout::kMp, (g[7] + static_cast<int32_t>(Random(g[8]))) * g[9]);
    }
    troop->SortCarriedList();
    // The city panel host's troop item page redraw comes with the game windows.
}

void Zu_StageSet::ApplyPassRecords() {
    const int stage = TheGameController ? TheGameController->campaignStage : 0;
    const bool editorView = TheScreenSettings && TheScreenSettings->editorKeys;
    const bool firstOfAct = stage == 11 || stage == 23 || stage == 35;
    auto core = [](int n) {
        return std::find(std::begin(kCoreOfficers), std::end(kCoreOfficers), n) != std::end(kCoreOfficers);
    };

    for (Kingdom* k : ListValues<Kingdom>(*kingdoms)) {
        if (k->NationKind() != 0) {
            for (Troop* t : ListValues<Troop>(k->fieldUnits)) {
                t->owner = static_cast<int8_t>(k->nationIndex);
                t->RaiseStageFollowers();
            }
            for (City* c : ListValues<City>(k->cities))
                for (Troop* t : ListValues<Troop>(c->units)) {
                    t->owner = static_cast<int8_t>(k->nationIndex);
                    t->garrison = 1;
                    t->RaiseStageFollowers();
                }
            continue;
        }
        auto handle = [&](LinkList& list, bool field) {
            for (Troop* t : ListValues<Troop>(list)) {
                t->owner = static_cast<int8_t>(k->nationIndex);
                OfficerRecord* o = t->officer;
                if (!o) continue;
                const int32_t attribute = o->Get(OfficerLayout::kAttribute);
                const int32_t person = o->Get(OfficerLayout::kPersonNumber);
                if (attribute == 3) {
                    t->RaiseStageFollowers();
                    continue;
                }
                if (attribute != 1) continue;
                const uint8_t* record = PassRecords().Find(person);
                bool drop = false;
                if (!record) {
                    if (!core(person) || editorView || firstOfAct)
                        t->RaiseStageFollowers();
                    else
                        drop = true;
                } else if (PassInt(record, OfficerLayout::kLevel) < 1) {
                    drop = true;
                }
                if (drop) {
                    list.RemoveValue(reinterpret_cast<uintptr_t>(t));
                    if (field && TheBattleMap)
                        TheBattleMap->RemoveObjectAt(t->cellX, t->cellY, reinterpret_cast<uintptr_t>(t));
                    delete t;
                    continue;
                }
                if (!record) continue;
                ApplyPassRecordToTroop(t, record, k);
                const int32_t soldierType = o->Get(OfficerLayout::kSoldierType);
                if (field && t->baseType != soldierType) {
                    if (t->currentType == t->baseType) t->currentType = soldierType;
                    t->baseType = soldierType;
                    t->StartActionAnimation();
                }
            }
        };
        handle(k->fieldUnits, true);
        for (City* c : ListValues<City>(k->cities))
            handle(c->units, false);
    }
}

void Zu_StageSet::ApplyPassRecordToTroop(Troop* troop, const uint8_t* record, Kingdom* kingdom) {
    OfficerRecord* o = troop->officer;
    troop->order->orderState = 0;
    delete troop->followers;
    troop->followers = nullptr;
    CopyPassColumns(*o, record);
    o->Set(OfficerLayout::kHp, o->Get(OfficerLayout::kMaxHp));
    o->Set(OfficerLayout::kMp, o->Get(OfficerLayout::kMaxMp));
    o->Set(OfficerLayout::kPolicy, 0);
    for (int32_t& c : o->activity)
        c = 0;
    o->workWords[0] = 0; // the status word
    // The controller's fresh-stage word is 0 only while a save slot is read or written.
    const bool loadingSave = TheGameController && TheGameController->freshStage == 0;
    for (int slot = 0; slot < 8; ++slot) {
        const int32_t number = o->Get(OfficerLayout::kEscorts + 4 * slot);
        // A number from the stage that names no general template makes no escort.
        if (number < 1 || !GeneralTemplate(number)) continue;
        // Escorts stand beside their leader, never off the map.
        const int32_t columns = TheBattleMap ? TheBattleMap->unitGridWidth : 0;
        const int32_t unitRows = TheBattleMap ? TheBattleMap->unitGridRows : 0;
        const int x = std::clamp<int>(troop->cellX + slot, 0, std::max(0, columns - 1));
        const int y = std::clamp<int>(troop->cellY, 0, std::max(0, unitRows - 1));
        auto* eo = new OfficerRecord(troop->owner, number);
        const int32_t escortType = eo->Get(OfficerLayout::kSoldierType);
        auto* escort = new Troop(escortType, 10, static_cast<int16_t>(x), static_cast<int16_t>(y),
                                 troop->owner, 0, 100, eo);
        escort->serial = TheBattleMap ? TheBattleMap->nextUnitId : 0;
        escort->flagWord = 0;
        escort->leader = troop;
        eo->Set(OfficerLayout::kAmbush, o->Get(OfficerLayout::kAmbush));
        eo->Set(OfficerLayout::kRebel, o->Get(OfficerLayout::kRebel));
        const bool ambush = eo->Get(OfficerLayout::kAmbush) != 0;
        const bool friendly = escort->owner == playerSide ||
                              (BattleMap::ValidSide(playerSide) && kingdom->relations[playerSide] == 1);
        if (!troop->garrison && !ambush && !loadingSave && friendly) escort->UpdateSight();
        if (troop->currentType != troop->baseType) {
            escort->currentType = SeaCounterpart(escortType);
            escort->StartActionAnimation();
        }
        if (ambush) escort->MarkRemoved();
        if (!troop->followers) troop->followers = new LinkList;
        troop->followers->Add(reinterpret_cast<uintptr_t>(escort));
        kingdom->fieldUnits.Add(reinterpret_cast<uintptr_t>(escort));
    }
    troop->moveBytes[0] = troop->moveBytes[1] = 0;
    troop->MoveStep();
}
