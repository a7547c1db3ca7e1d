#include "events/EventCommands.h"

#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/StageSet.h"
#include "events/EventManager.h"
#include "events/EventStep.h"
#include "net/TroopCommands.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/PassRecordTable.h"
#include "records/RecordTables.h"
#include "records/SubCastle.h"
#include "troops/Troop.h"
#include "troops/TroopOrder.h"
#include "world/BattleMap.h"
#include "world/MapView.h"
#include "world/RandomMapTables.h"

#include <algorithm>
#include <cstring>

using L = OfficerLayout;

namespace events {

namespace {

constexpr uint8_t kDead = 13;
constexpr int32_t kNamedGeneral = 1;
constexpr int32_t kAmbushMark = 888;
constexpr int32_t kDrawsPerLevel = 7;
constexpr uint32_t kKingdomAlert = 56;   // "武將警戒"
constexpr uint32_t kKingdomPursuit = 60; // "武將追捕"
constexpr uint32_t kKingdomRetreat = 64; // "武將撤退"

EventManager* Manager() {
    return TheGameController ? TheGameController->eventManager : nullptr;
}

int32_t Person(const Troop* t) {
    return t && t->officer ? t->officer->Get(L::kPersonNumber) : 0;
}

std::vector<Kingdom*> Kingdoms() {
    Zu_StageSet* stage = CurrentStageSet();
    return stage && stage->kingdoms ? ListValues<Kingdom>(*stage->kingdoms) : std::vector<Kingdom*>{};
}

int32_t PlayerSide() {
    Zu_StageSet* stage = CurrentStageSet();
    return stage ? stage->playerSide : 0;
}

uintptr_t Id(const void* p) {
    return reinterpret_cast<uintptr_t>(p);
}

void RemoveFrom(LinkList& list, const void* value) {
    while (list.RemoveValue(Id(value))) {
    }
}

void KeepPassRecord(const Troop* t) {
    if (uint8_t* entry = PassRecords().Entry(Person(t))) std::memcpy(entry, t->officer->block, L::kSize);
}

// The followers of a troop that is deleted lose their leader; those on the field go out of play
// with it. (The troop's own follower release comes with the troop's capture rules.)
void DetachFollowers(Troop* t) {
    if (!t->followers) return;
    for (Troop* f : ListValues<Troop>(*t->followers)) {
        if (f->leader == t) f->leader = nullptr;
        if (f->garrison || f->IsGone()) continue;
        f->outOfPlay = 1;
        f->visibleMark = 0;
        if (TheGameController) TheGameController->DeselectTroop(f);
    }
    t->followers->RemoveAll();
}

// Deletes a troop after taking it out of every list and pointer of the world that can hold it.
void DeleteTroop(Troop* t) {
    if (!t) return;
    for (Kingdom* k : Kingdoms()) {
        RemoveFrom(k->fieldUnits, t);
        for (City* c : ListValues<City>(k->cities)) {
            RemoveFrom(c->units, t);
            RemoveFrom(c->reserve, t);
            if (c->currentUnit == t) c->currentUnit = nullptr;
            for (Troop*& g : c->garrison)
                if (g == t) g = nullptr;
            for (Troop*& tower : c->towers)
                if (tower == t) tower = nullptr;
            for (SubCastle* s : ListValues<SubCastle>(c->subCastles)) {
                RemoveFrom(s->units, t);
                RemoveFrom(s->secondUnits, t);
            }
        }
    }
    if (TheBattleMap)
        for (City* c : TheBattleMap->cities)
            if (c) {
                if (c->currentUnit == t) c->currentUnit = nullptr;
                for (Troop*& g : c->garrison)
                    if (g == t) g = nullptr;
            }
    if (TheGameController) TheGameController->DeselectTroop(t);
    if (EventManager* m = Manager()) m->ReleaseObject(t);
    DetachFollowers(t);
    if (t->leader && t->leader->followers) RemoveFrom(*t->leader->followers, t);
    if (TheBattleMap) TheBattleMap->ForgetTroop(t);
    delete t;
}

// The troop's list inside a city or sub-castle: taken out of it and deleted.
void DeleteStationed(Troop* t, bool keepPass) {
    if (keepPass && t->officer && t->owner == PlayerSide()) KeepPassRecord(t);
    DeleteTroop(t);
}

Troop* FindStationed(int32_t person) {
    for (Kingdom* k : Kingdoms())
        for (City* c : ListValues<City>(k->cities)) {
            for (Troop* t : ListValues<Troop>(c->units))
                if (Person(t) == person) return t;
            for (SubCastle* s : ListValues<SubCastle>(c->subCastles))
                for (Troop* t : ListValues<Troop>(s->units))
                    if (Person(t) == person) return t;
        }
    return nullptr;
}

bool Matches(const Troop* t, int32_t person) {
    return t && t->officer && Person(t) == person && t->officer->Get(L::kAmbush) == 0;
}

bool RebelOf(const Troop* t, int32_t mark) {
    return t && t->officer && t->officer->Get(L::kRebel) == mark;
}

void TakeSide(Troop* t, Kingdom& target, int32_t officerOwner) {
    t->owner = static_cast<int8_t>(target.nationIndex);
    if (t->officer) t->officer->ownerSide = officerOwner;
}

void TransferTroop(Troop* t, Kingdom& from, Kingdom& to) {
    Zu_StageSet* stage = CurrentStageSet();
    Kingdom* player = stage ? stage->playerKingdom : nullptr;
    const bool playerSees =
        player && (&from == player || (from.nationIndex >= 0 && from.nationIndex <= Kingdom::kMaxNations &&
                                       player->relations[from.nationIndex] == 1));
    if (playerSees) t->UpdateSightInView();
    // Officer owner and troop side agree: both take the target's side.
    TakeSide(t, to, to.nationIndex);
    const bool toPlayer = &to == player;
    if (toPlayer) {
        if (const uint8_t* saved = PassRecords().Find(Person(t))) RestoreCarriedOfficer(*t->officer, saved);
        t->UpdateSight();
    }
    t->officer->Set(L::kPolicy, 0);
    if (t->order) {
        const int32_t alert = to.Int(kKingdomAlert);
        if (!toPlayer) {
            t->order->alert = static_cast<int8_t>(alert);
            t->order->pursue = static_cast<uint8_t>(to.Int(kKingdomPursuit));
        } else if (alert >= 0 && alert < 4) {
            // The player's troops take the movement tables' entries of the kingdom's setting.
            t->order->alert = static_cast<int8_t>(GameParams().ConstAlarmRegion[alert]);
            t->order->pursue = GameParams().ConstPursueRegion[alert];
        }
    }
    t->officer->Set(L::kRetreat, to.Int(kKingdomRetreat));
    RemoveFrom(from.fieldUnits, t);
    Append(to.fieldUnits, t);
    if (t->OfficerKind() == kNamedGeneral) {
        RemoveFrom(from.mapGenerals, t->officer);
        Append(to.mapGenerals, t->officer);
    }
    if (toPlayer && t->order) t->order->orderState = 0;
    NetCmdHalt(t);
}

template <class Match>
void TransferMatching(Kingdom& target, Match&& match) {
    for (Kingdom* k : Kingdoms()) {
        if (k == &target) continue;
        for (Troop* t : ListValues<Troop>(k->fieldUnits))
            if (t->state != kDead && !t->outOfPlay && t->officer && match(t)) TransferTroop(t, *k, target);
    }
}

OfficerRecord* NewOfficer(int32_t side, int32_t templateId) {
    const uint8_t* person = GeneralTemplate(templateId);
    if (!person) return nullptr;
    auto* o = new OfficerRecord(side, -1);
    std::memcpy(o->block, person, L::kSize);
    o->activity[0] = o->activity[1] = o->activity[2] = 0;
    o->bonusExperience = 0;
    o->reference = -1;
    return o;
}

Kingdom* HolderOf(City* city) {
    for (Kingdom* k : Kingdoms())
        if (k->cities.Find(Id(city))) return k;
    return nullptr;
}

} // namespace

void SaveCarriedOfficer(const OfficerRecord& officer) {
    if (TheBattleMap) TheBattleMap->carryList.Save(officer);
}

void RestoreCarriedOfficer(OfficerRecord& o, const uint8_t* saved) {
    if (!saved) return;
    const uint8_t* person = GeneralTemplate(o.Get(L::kPersonNumber));
    if (!person) return;
    int32_t attribute = 0;
    std::memcpy(&attribute, person + L::kAttribute, 4);
    if (attribute != kNamedGeneral) return;
    struct Range {
        uint32_t from, to;
    };
    static constexpr Range kRanges[] = {
        {L::kLevel, L::kEvasion + 4}, {L::kMaxHp, L::kMaxMp + 4},   {L::kSkills, L::kGold + 4},
        {L::kSummon, L::kSummon + 4}, {L::kLord, L::kLocation + 4}, {L::kExperience, L::kExperience + 4},
    };
    for (const Range& r : kRanges)
        std::memcpy(o.block + r.from, saved + r.from, r.to - r.from);
    o.bonusExperience = o.Get(L::kExperience);
    o.Set(L::kHp, o.Get(L::kMaxHp));
    o.Set(L::kMp, o.Get(L::kMaxMp));
    o.Set(L::kPolicy, 0);
    o.StatusWord() = 0;
    o.activity[0] = o.activity[1] = o.activity[2] = 0;
}

void WithdrawTroop(Troop* t, int keep) {
    if (!t || t->state == kDead || t->outOfPlay) return;
    t->outOfPlay = 1;
    t->decisionPhase = 0;
    if (TheGameController) TheGameController->DeselectTroop(t);
    if (TheBattleMap) TheBattleMap->RemoveObjectAt(t->cellX, t->cellY, Id(t));
    if (EventManager* m = Manager()) m->ForgetOfficer(t->officer);
    if (t->officer && t->OfficerKind() == kNamedGeneral) {
        if (t->owner == PlayerSide()) {
            if (keep == 0) t->officer->Set(L::kLevel, -1);
            KeepPassRecord(t);
        }
        SaveCarriedOfficer(*t->officer);
    }
    if (t->followers)
        for (Troop* f : ListValues<Troop>(*t->followers)) {
            if (f->state == kDead) continue;
            f->outOfPlay = 1;
            if (TheBattleMap) TheBattleMap->RemoveObjectAt(f->cellX, f->cellY, Id(f));
        }
}

void CmdTransferGeneral(int32_t person, int32_t kingdomId) {
    Kingdom* target = kingdomId == 0 ? PlayerKingdomObject() : StageKingdom(kingdomId);
    if (!target) return;
    TransferMatching(*target, [&](Troop* t) { return Matches(t, person) || Matches(t->leader, person); });
}

void CmdTransferRebels(int32_t mark, int32_t kingdomId) {
    Kingdom* target = StageKingdom(kingdomId);
    if (!target) return;
    TransferMatching(*target, [&](Troop* t) { return RebelOf(t, mark) || RebelOf(t->leader, mark); });
}

void CmdRemoveGenerals(const EventStep& step) {
    EventManager* m = Manager();
    for (const int32_t person : StepIds(step)) {
        if (Troop* t = m ? m->FindTroop(person) : nullptr) {
            WithdrawTroop(t, 1);
            continue;
        }
        if (Troop* t = FindStationed(person)) DeleteStationed(t, true);
    }
}

void CmdRemoveRebels(int32_t mark) {
    for (Kingdom* k : Kingdoms()) {
        for (Troop* t : ListValues<Troop>(k->fieldUnits))
            if (RebelOf(t, mark)) WithdrawTroop(t, 1);
        for (City* c : ListValues<City>(k->cities)) {
            std::vector<Troop*> gone;
            for (Troop* t : ListValues<Troop>(c->units))
                if (RebelOf(t, mark)) gone.push_back(t);
            for (SubCastle* s : ListValues<SubCastle>(c->subCastles))
                for (Troop* t : ListValues<Troop>(s->units))
                    if (RebelOf(t, mark)) gone.push_back(t);
            for (Troop* t : gone) {
                std::vector<Troop*> followers =
                    t->followers ? ListValues<Troop>(*t->followers) : std::vector<Troop*>{};
                DeleteTroop(t);
                for (Troop* f : followers)
                    DeleteTroop(f);
            }
            // Refreshing an open unit panel waits on the unit panel windows.
        }
    }
}

void CmdKillGeneral(int32_t person) {
    for (Kingdom* k : Kingdoms()) {
        for (Troop* t : ListValues<Troop>(k->fieldUnits))
            if (Person(t) == person) {
                WithdrawTroop(t, 0);
                break;
            }
        for (City* c : ListValues<City>(k->cities)) {
            for (Troop* t : ListValues<Troop>(c->units))
                if (Person(t) == person) {
                    WithdrawTroop(t, 0);
                    DeleteTroop(t);
                    return;
                }
            for (SubCastle* s : ListValues<SubCastle>(c->subCastles))
                for (Troop* t : ListValues<Troop>(s->units))
                    if (Person(t) == person) {
                        WithdrawTroop(t, 0);
                        return;
                    }
        }
    }
}

void CmdClearAreaTroops(const EventStep& step) {
    BattleMap* map = TheBattleMap;
    if (!map) return;
    const int32_t kingdomId = step.Int(EventStepLayout::kGeneral);
    int32_t side = -1;
    if (kingdomId != 0) {
        Kingdom* k = StageKingdom(kingdomId);
        if (!k || k->nationIndex == 0) return;
        side = k->nationIndex;
    }
    const int32_t spareA = step.Param(5), spareB = step.Int(EventStepLayout::kWhat);
    // Only field troops are withdrawn: a cell may hold other objects.
    std::vector<Troop*> troops;
    for (Kingdom* k : Kingdoms())
        for (Troop* t : ListValues<Troop>(k->fieldUnits))
            troops.push_back(t);
    const int32_t y0 = std::max(0, step.Param(2) / 2), y1 = std::min(map->unitGridRows, step.Param(4) / 2);
    const int32_t x0 = std::max(0, step.Param(1)), x1 = std::min(map->unitGridWidth, step.Param(3));
    for (int32_t y = y0; y < y1; ++y)
        for (int32_t x = x0; x < x1; ++x) {
            const uintptr_t first = map->FirstObjectAt(x, y);
            if (first == 0) continue;
            auto it = std::find_if(troops.begin(), troops.end(), [&](Troop* t) { return Id(t) == first; });
            if (it == troops.end()) continue;
            Troop* t = *it;
            const int32_t person = Person(t);
            if (side < 0 ||
                (t->owner == side && (spareA == 0 || person != spareA) && (spareB == 0 || person != spareB)))
                WithdrawTroop(t, 1);
        }
}

void CmdAddGarrisonGeneral(int32_t templateId, int32_t kingdomId) {
    Kingdom* k = StageKingdom(kingdomId);
    if (!k) return;
    auto* city = reinterpret_cast<City*>(k->cities.First());
    if (!city) return;
    OfficerRecord* o = NewOfficer(k->nationIndex, templateId);
    if (!o) return;
    // A template below level 1 grows nothing.
    o->GrowStats(std::max(0, (o->Get(L::kLevel) - 1) * kDrawsPerLevel));
    auto* t = new Troop(o->Get(L::kSoldierType), 10, 0, 0, static_cast<int8_t>(k->nationIndex),
                        static_cast<int16_t>(city->id), 100, o);
    t->garrison = 1;
    Append(city->units, t);
}

void CmdAddAmbushGeneral(int32_t templateId) {
    Kingdom* k = nullptr;
    for (Kingdom* each : Kingdoms())
        if (each->NationKind() == 0) {
            k = each;
            break;
        }
    if (!k) return;
    OfficerRecord* o = NewOfficer(k->nationIndex, templateId);
    if (!o) return;
    o->Set(L::kAmbush, kAmbushMark);
    auto* t = new Troop(o->Get(L::kSoldierType), 10, 0, 0, static_cast<int8_t>(k->nationIndex), 0, 100, o);
    // In no city, the ambush is the soldier file's to keep.
    t->outgoingMark = 1;
    Append(k->fieldUnits, t);
}

void CmdDestroyCities(const EventStep& step) {
    EventManager* m = Manager();
    if (!m) return;
    for (const int32_t id : StepIds(step)) {
        City* city = m->FindCity(id);
        if (!city) continue;
        if (Kingdom* k = HolderOf(city)) {
            k->RemoveCity(city);
            // No kingdom holds it now: it is one of the map's unowned cities, which own it.
            if (TheBattleMap) TheBattleMap->unownedCities.Add(city);
        }
        city->ownerSide = 0;
        // Taking it off the minimap waits on the minimap plotting of the map view.
        if (TheBattleMap) {
            BattleMap& map = *TheBattleMap;
            const int32_t size = CityFootprintSize(city->Kind());
            const int32_t x = city->CellX(), y = city->CellY();
            map.MarkArea(x, y, size, 8, 0xFFFF);
            map.MarkArea(x, y, size, 0, 0);
            map.MarkArea(x, y, size, 4, 0);
            map.MarkArea(x, y, size, 5, 0);
            map.MarkArea(x - 1, y, size, 0, 0);
            map.MarkArea(x, y - 2, size, 0, 0);
        }
        if (MapView* view = TheGameController ? TheGameController->gameScreen : nullptr)
            if (view->currentCity == city) view->currentCity = nullptr;
        for (Troop*& g : city->garrison) {
            Troop* attached = g;
            g = nullptr;
            DeleteTroop(attached);
        }
    }
}

void CmdTransferCity(int32_t cityId, int32_t kingdomId) {
    EventManager* m = Manager();
    City* city = m ? m->FindCity(cityId) : nullptr;
    Kingdom* to = StageKingdom(kingdomId);
    Kingdom* from = city ? HolderOf(city) : nullptr;
    if (!city || !to || !from || from == to) return;
    const int32_t side = to->nationIndex;
    for (LinkList* list : {&city->units, &city->reserve})
        for (Troop* t : ListValues<Troop>(*list)) {
            TakeSide(t, *to, side);
            if (t->followers)
                for (Troop* f : ListValues<Troop>(*t->followers))
                    TakeSide(f, *to, side);
        }
    from->RemoveCity(city);
    to->AddCity(city);
    city->ReassignCellOwner(static_cast<uint16_t>(from->nationIndex + 100),
                            static_cast<uint16_t>(side + 100));
    // The gates in the city's area go with it.
    to->TransferGatesInArea(from->nationIndex, side, city->id);
    city->ownerSide = side;
    if (side == PlayerSide()) city->markedCity = 1;
    if (side == PlayerSide() && TheBattleMap) {
        // Both sizes of the city kind come from its footprint until the kind size table exists.
        const int32_t h = CityFootprintSize(city->Kind());
        TheBattleMap->MarkArea(city->CellX(), city->CellY() - (h * 2 - h / 2), 2 * h + 1, 10, 2);
    }
    const int32_t gold = city->Int(CityLayout::kGold);
    from->goldTotal -= gold;
    to->goldTotal += gold;
    for (Troop* g : city->garrison) {
        if (!g) continue;
        TakeSide(g, *to, side);
        for (Kingdom* k : Kingdoms())
            RemoveFrom(k->fieldUnits, g);
        Append(to->fieldUnits, g);
    }
    if (TheGameController && TheGameController->gameScreen)
        TheGameController->gameScreen->MarkObjectCell(city, 0);
}

} // namespace events
