#include "windows/city/PlayerCamp.h"

#include "Program/GameController.h"
#include "Program/StageSet.h"
#include "engine/LinkList.h"
#include "engine/MusicPlayer.h"
#include "engine/Random.h"
#include "gui/RootWidget.h"
#include "records/AgeTable.h"
#include "records/City.h"
#include "records/CityTroopLists.h"
#include "records/ItemRecord.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "records/SubCastle.h"
#include "records/TemplateTables.h"
#include "stagefiles/PassRecordFile.h"
#include "troops/SoldierTypeColumns.h"
#include "troops/Troop.h"
#include "windows/WindowHosts.h"
#include "windows/city/Win80Window.h"
#include "windows/main/SidePanelLock.h"
#include "world/BattleMap.h"
#include "world/MapView.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

using L = OfficerLayout;

constexpr int32_t kFirstSoldier = 415, kSoldierKinds = 17;
constexpr int32_t kMerchantTemplate = 444;
constexpr int kMaxCandidates = 30;
constexpr int32_t kPlacementRadius = 20;

City* Camp = nullptr;

const uint8_t* Profile() {
    return TheGameController ? AgeBlock(TheGameController->campaignStage) : nullptr;
}

int32_t ProfileInt(uint32_t offset) {
    const uint8_t* p = Profile();
    if (!p || offset + 4 > kAgeBlockBytes) return 0;
    int32_t v;
    std::memcpy(&v, p + offset, 4);
    return v;
}

Kingdom* PlayerKingdom() {
    Zu_StageSet* stage = TheBattleMap ? TheBattleMap->stageSet : nullptr;
    return stage ? stage->playerKingdom : nullptr;
}

bool Qualifies(const Troop* t) {
    return t && t->officer && t->OfficerValue(L::kAttribute) == 1 && t->OfficerValue(L::kFamous) == 0 &&
           t->OfficerValue(L::kControllable) == 1;
}

bool MustAppear(const Troop* t) {
    return t->OfficerValue(L::kMustAppear) != 0;
}

// A free slot of the battle map's city table at or after the city count, or -1.
int FreeCitySlot() {
    for (int i = std::max(TheBattleMap->cityCount, 0); i < BattleMap::kCities; ++i)
        if (!TheBattleMap->cities[i]) return i;
    return -1;
}

void MarkInside(Troop* t, const City* camp) {
    t->garrison = 1;
    t->inCity = 1;
    t->hidden = 1;
    t->homeCity = int16_t(camp->Int(CityLayout::kIndex));
    t->owner = int8_t(camp->ownerSide);
}

void AddSoldiers(City* camp) {
    const int16_t index = int16_t(camp->Int(CityLayout::kIndex));
    for (int32_t id = kFirstSoldier; id < kFirstSoldier + kSoldierKinds; ++id) {
        const int32_t count = campaignprofile::SoldierCount(id);
        if (count <= 0 || !GeneralTemplate(id)) continue;
        for (int32_t n = 0; n < count; ++n) {
            auto* officer = new OfficerRecord(camp->ownerSide, id);
            auto* t = new Troop(officer->Get(L::kSoldierType), 10, 0, 0, int8_t(camp->ownerSide), index, 100,
                                officer);
            MarkInside(t, camp);
            camp->reserve.Add(uintptr_t(t));
        }
    }
}

void GatherGenerals(City* camp, Kingdom* k) {
    std::vector<Troop*> found;
    for (Troop* t : ListValues<Troop>(k->fieldUnits))
        if (Qualifies(t)) found.push_back(t);
    for (City* city : ListValues<City>(k->cities))
        if (city != camp)
            for (Troop* t : ListValues<Troop>(city->units))
                if (Qualifies(t)) found.push_back(t);
    // Smallest officer id first; equal ids keep their order.
    std::stable_sort(found.begin(), found.end(), [](const Troop* a, const Troop* b) {
        return a->OfficerValue(L::kPersonNumber) < b->OfficerValue(L::kPersonNumber);
    });
    const int16_t index = int16_t(camp->Int(CityLayout::kIndex));
    for (Troop* t : found) {
        if (citylists::Holds(camp->units, t)) continue;
        camp->units.Add(uintptr_t(t));
        if (t->currentType != t->baseType) {
            t->currentType = t->baseType;
            t->afloat = 0;
        }
        t->StartActionAnimation();
        if (t->followers)
            for (Troop* f : ListValues<Troop>(*t->followers))
                f->homeCity = index;
    }
}

void StockMerchant(Troop* merchant) {
    for (int group = 0; group < 3; ++group) {
        const int32_t level = campaignprofile::ItemGroupLevel(group);
        const int32_t count = campaignprofile::ItemGroupCount(group);
        if (count <= 0) continue;
        int32_t candidates[kMaxCandidates];
        int found = 0;
        for (int id = 1; id < kItemTableSize && found < kMaxCandidates; ++id) {
            const uint8_t* item = ItemTable[id];
            if (!item) continue;
            int32_t itemLevel, category;
            std::memcpy(&itemLevel, item + ItemLayout::kLevel, 4);
            std::memcpy(&category, item + ItemLayout::kCategory, 4);
            const bool kind = category < 6 || (group == 2 && category >= 9 && category <= 11);
            if (itemLevel == level && kind) candidates[found++] = id;
        }
        // A group that finds no item of its level gives nothing.
        if (found == 0) continue;
        for (int32_t n = 0; n < count; ++n)
            merchant->carried->Add(uintptr_t(candidates[GameRandom() % found]));
    }
    for (int entry = 0; entry < 2; ++entry) {
        const int32_t id = campaignprofile::FixedItem(entry);
        if (id <= 0 || id >= kItemTableSize) continue;
        for (int32_t n = 0; n < campaignprofile::FixedItemCount(entry); ++n)
            merchant->carried->Add(uintptr_t(id));
    }
}

// The general's soldiers go onto the battle map around it.
void BringOutBand(Troop* general, Kingdom* k) {
    if (!general->followers) return;
    const int32_t ambush = general->OfficerValue(L::kAmbush);
    const int32_t rebel = general->OfficerValue(L::kRebel);
    for (Troop* f : ListValues<Troop>(*general->followers)) {
        if (f->officer) {
            f->officer->Set(L::kAmbush, ambush);
            f->officer->Set(L::kRebel, rebel);
        }
        f->homeCity = general->homeCity;
        if (f->garrison == 0) continue;
        citylists::JoinFieldList(k, f);
        f->garrison = 0;
        f->inCity = 0;
        f->hidden = 0;
        int16_t x = general->cellX, y = general->cellY;
        if (!f->FindBestCellAround(general->cellX, general->cellY, general->cellX, general->cellY, x, y, 1,
                                   kPlacementRadius, false))
            x = general->cellX, y = general->cellY;
        f->SetCell(x, y, 0);
        if (general->afloat) {
            const int32_t sea = SoldierTypeValue(f->baseType, SoldierColumn::kSeaCounterpart);
            if (HasSoldierType(sea)) {
                f->currentType = sea;
                f->afloat = 1;
                f->StartActionAnimation();
            }
        }
        if (ambush != 0)
            f->MarkRemoved();
        else
            f->UpdateSight();
    }
    general->StepMove();
}

// A troop that leaves the stage for good: nothing may point at it once it is gone.
void Retire(Troop* t, Kingdom* k) {
    k->fieldUnits.RemoveValue(uintptr_t(t));
    TheBattleMap->RemoveObjectEverywhere(uintptr_t(t));
    if (GameController* c = TheGameController) {
        if (c->selection) c->selection->RemoveValue(uintptr_t(t));
        for (LinkList* group : c->groups)
            if (group) group->RemoveValue(uintptr_t(t));
    }
    for (City* city : ListValues<City>(k->cities)) {
        if (city->currentUnit == t) city->currentUnit = nullptr;
        for (Troop*& g : city->garrison)
            if (g == t) g = nullptr;
    }
    delete t;
}

// A general left out leaves the map with its soldiers. Its pass record is already taken, and no
// list holds it any more: it is deleted rather than left to no owner.
void Bench(Troop* general, Kingdom* k) {
    std::vector<Troop*> band;
    if (general->followers) band = ListValues<Troop>(*general->followers);
    for (Troop* f : band)
        Retire(f, k);
    Retire(general, k);
}

} // namespace

namespace campaignprofile {
int32_t StartingGold() {
    return ProfileInt(160);
}
int32_t SoldierCount(int32_t soldierId) {
    if (soldierId < kFirstSoldier || soldierId >= kFirstSoldier + kSoldierKinds) return 0;
    return ProfileInt(164 + 4 * uint32_t(soldierId - kFirstSoldier));
}
int32_t ItemGroupLevel(int group) {
    return group >= 0 && group < 3 ? ProfileInt(232 + 8 * uint32_t(group)) : 0;
}
int32_t ItemGroupCount(int group) {
    return group >= 0 && group < 3 ? ProfileInt(236 + 8 * uint32_t(group)) : 0;
}
int32_t FixedItem(int entry) {
    return entry >= 0 && entry < 2 ? ProfileInt(256 + 8 * uint32_t(entry)) : 0;
}
int32_t FixedItemCount(int entry) {
    return entry >= 0 && entry < 2 ? ProfileInt(260 + 8 * uint32_t(entry)) : 0;
}
int32_t OfficerQuota() {
    return ProfileInt(272);
}
const char* Text(uint32_t offset, uint32_t width, char (&buffer)[36]) {
    buffer[0] = 0;
    const uint8_t* p = Profile();
    if (!p || width >= sizeof buffer || offset + width > kAgeBlockBytes) return buffer;
    std::memcpy(buffer, p + offset, width);
    buffer[width] = 0;
    return buffer;
}
} // namespace campaignprofile

City* PlayerCamp() {
    return Camp;
}

void CreatePlayerCity() {
    GameController* c = TheGameController;
    Kingdom* k = PlayerKingdom();
    if (!c || !TheBattleMap || !k || Camp) return;
    const int32_t side = k->nationIndex;
    auto* camp = new City(side, TheBattleMap->cityCount);
    if (!c->templateTables) c->templateTables = new TemplateTables;
    if (!c->templateTables->LoadCastleFile(camp, 1)) camp->SetInt(CityLayout::kGold, 0);
    if (camp->Int(CityLayout::kGold) < 0) camp->SetInt(CityLayout::kGold, 0);
    const int slot = FreeCitySlot();
    if (slot < 0) {
        delete camp;
        return;
    }
    camp->SetInt(CityLayout::kIndex, slot);
    camp->id = slot + 1;
    camp->ownerSide = side;
    for (Troop* t : ListValues<Troop>(camp->reserve)) {
        MarkInside(t, camp);
    }
    TheBattleMap->cities[slot] = camp;
    TheBattleMap->cityCount = std::max(TheBattleMap->cityCount, slot + 1);
    camp->SetInt(CityLayout::kGold, camp->Int(CityLayout::kGold) + campaignprofile::StartingGold());
    camp->SetInt(CityLayout::kFood, 0);
    AddSoldiers(camp);
    GatherGenerals(camp, k);

    auto* market = new SubCastle(0);
    market->SetInt(SubCastleLayout::kKind, 4);
    market->cityId = slot;
    market->ownerSide = side;
    camp->subCastles.Add(uintptr_t(market));
    if (GeneralTemplate(kMerchantTemplate)) {
        auto* officer = new OfficerRecord(side, kMerchantTemplate);
        auto* merchant =
            new Troop(officer->Get(L::kSoldierType), 10, 0, 0, int8_t(side), int16_t(slot), 100, officer);
        merchant->flagWord = 1;
        if (!merchant->carried) merchant->carried = new LinkList;
        market->keeper = merchant;
        StockMerchant(merchant);
    }
    market->workWord = 1;
    Camp = camp;
    c->selectedCity = camp;
    c->selectedSubCastle = market;
    LockSidePanels(1);
    if (!TheWin01Host) TheWin01Host = new Win01HostWindow(TheRootWidget, c);
    TheWin01Host->preparation = new Win80Window(TheRootWidget, c);
}

void RemovePlayerCity() {
    GameController* c = TheGameController;
    City* camp = Camp;
    Kingdom* k = PlayerKingdom();
    if (!c || !camp || !TheBattleMap) return;
    Camp = nullptr;
    // The generals stay in their own lists; the camp only showed them.
    camp->units.RemoveAll();
    if (SubCastle* market = reinterpret_cast<SubCastle*>(camp->subCastles.First())) {
        camp->subCastles.RemoveValue(uintptr_t(market));
        delete market;
    }
    if (c->templateTables) c->templateTables->SaveCastleFile(camp);
    if (c->templateTables && c->templateTables->playerCity == camp) c->templateTables->playerCity = nullptr;
    const int slot = camp->Int(CityLayout::kIndex);
    if (slot >= 0 && slot < BattleMap::kCities && TheBattleMap->cities[slot] == camp) {
        TheBattleMap->cities[slot] = nullptr;
        --TheBattleMap->cityCount;
    }
    delete camp; // with the soldiers still in it

    if (k) {
        for (Troop* t : ListValues<Troop>(k->fieldUnits)) {
            if (!Qualifies(t) || !citylists::Holds(k->fieldUnits, t)) continue;
            RecordPassOfficer(t);
            if (MustAppear(t))
                BringOutBand(t, k);
            else
                Bench(t, k);
        }
        for (City* city : ListValues<City>(k->cities))
            for (Troop* t : ListValues<Troop>(city->units)) {
                if (!Qualifies(t)) continue;
                RecordPassOfficer(t);
                if (!MustAppear(t)) {
                    city->units.RemoveValue(uintptr_t(t));
                    Bench(t, k);
                    continue;
                }
                if (t->followers)
                    for (Troop* f : ListValues<Troop>(*t->followers)) {
                        f->homeCity = t->homeCity;
                        f->garrison = t->garrison;
                        f->inCity = t->inCity;
                    }
            }
        c->selectedCity = k->cities.GetCount() > 0 ? reinterpret_cast<City*>(k->cities.GetAt(0)) : nullptr;
    } else {
        c->selectedCity = nullptr;
    }
    c->selectedSubCastle = nullptr;
    TheBattleMap->RestorePlayerUnits();
    if (TheWin01Host) TheWin01Host->preparation = nullptr;
    UnlockSidePanels(1);
    static const char* const tracks[7] = {"Track01.mp3", "Track02.mp3", "Track03.mp3", "Track04.mp3",
                                          "Track05.mp3", "Track06.mp3", "Track07.mp3"};
    PlayMusic(tracks[GameRandom() % 7], 1);
}
