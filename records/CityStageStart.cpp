#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/ScreenSettings.h"
#include "records/City.h"
#include "records/ExperienceFloor.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "records/SubCastle.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <vector>

namespace {
constexpr int32_t kGarrisonTemplate = 452;
constexpr int32_t kReserveTemplates[3] = {415, 418, 421}; // infantry, cavalry, archers
constexpr uint32_t kReserveCounts[3] = {348, 360, 372};   // "步1", "騎1", "弓1"
constexpr uint32_t kAttackColumn = OfficerLayout::kAttack;
// The sight marker's width and height by kind.
constexpr int16_t kMarkerSize[11][2] = {{12, 45}, {7, 22}, {6, 19}, {6, 19}, {7, 22}, {7, 22},
                                        {7, 22},  {7, 22}, {5, 16}, {6, 19}, {6, 19}};

struct Offset {
    int16_t dx, dy;
};
constexpr Offset kCastleSlots[4] = {{0, 4}, {-3, 6}, {0, 9}, {3, 6}};
constexpr Offset kFortSlots[2] = {{-2, 3}, {2, 3}};
constexpr Offset kPostSlots[2] = {{-1, 2}, {1, 2}};

std::span<const Offset> GarrisonSlots(int32_t kind) {
    switch (kind) {
    case 0:
        return kCastleSlots;
    case 1:
    case 6:
        return kFortSlots;
    case 2:
    case 3:
    case 7:
    case 10:
        return kPostSlots;
    default:
        return {};
    }
}

int32_t NextUnitNumber() {
    return TheBattleMap ? TheBattleMap->nextUnitId : 0;
}

Troop* MakeTroop(OfficerRecord* general, int32_t side, int32_t city, int16_t x, int16_t y) {
    return new Troop(general->Get(OfficerLayout::kSoldierType), 10, x, y, static_cast<int8_t>(side),
                     static_cast<int16_t>(city), 100, general);
}

int32_t SortValue(const Troop* t, int key) {
    switch (key) {
    case 0:
        return t->OfficerValue(OfficerLayout::kStrength);
    case 1:
        return t->OfficerValue(OfficerLayout::kHp);
    default:
        return t->OfficerValue(OfficerLayout::kIntelligence);
    }
}
} // namespace

void City::StartStage() {
    if (!TheGameController || !TheGameController->gameScreen || !TheBattleMap || !TheBattleMap->HasCells())
        return;
    PickFirstSoldierType();
    markedMode = 0;
    deployOrder = 0;
    SpawnGenerals();
    if (TheGameController->gameKind == 1 && Kind() == 0) {
        for (uintptr_t v = reserve.First(); v != 0; v = reserve.First()) {
            reserve.RemoveCurrent();
            delete reinterpret_cast<Troop*>(v);
        }
        for (int i = 0; i < 3; ++i) {
            const int32_t count = Int(kReserveCounts[i]);
            for (int32_t n = 0; n < count; ++n) {
                auto* general = new OfficerRecord(ownerSide, kReserveTemplates[i]);
                general->Set(OfficerLayout::kControllable, 0);
                Troop* troop = MakeTroop(general, ownerSide, id, 0, 0);
                troop->inCity = 1;
                reserve.Add(reinterpret_cast<uintptr_t>(troop));
            }
        }
    }
    SumTroops();
    const ScreenSettings* s = TheScreenSettings;
    if (s && s->stageEditMode == 0 && s->editorKeys == 0 && BattleMap::ValidSide(ownerSide) && TheBattleMap &&
        TheBattleMap->sideActive[ownerSide])
        Tick();
    CopyOwnerSettings();
    sortieCount = 0;
    raidTrigger = 0;

    const int32_t x = CellX(), y = CellY();
    int32_t size = 6;
    switch (Kind()) {
    case 0:
        exitX = x + 3;
        exitY = (y + 18) / 2;
        size = 12;
        break;
    case 1:
    case 6:
        exitX = x + 2;
        exitY = (y + 10) / 2;
        size = 7;
        break;
    default:
        exitX = x + 2;
        exitY = (y + 8) / 2;
        break;
    }
    TheBattleMap->MarkArea(x, y, size, 5, static_cast<uint16_t>(id));

    const int32_t player = PlayerKingdom();
    if (ownerSide == player || KingdomRelation(ownerSide, player) == 1) DrawMapMarker(1);
    for (SubCastle* sub : ListValues<SubCastle>(subCastles)) {
        sub->SetOwner(ownerSide, id);
        sub->PlaceOnMap();
    }
}

void City::SpawnGenerals() {
    const int32_t kind = Kind();
    if (kind == 0) SetInt(CityLayout::kScale, std::clamp(Scale(), 1, 4));
    Kingdom* k = TheBattleMap ? TheBattleMap->FindKingdom(ownerSide) : nullptr;
    const int32_t width = TheScreenSettings ? TheScreenSettings->mapWidth : 0;
    const int32_t height = TheScreenSettings ? TheScreenSettings->mapHeight : 0;
    const GameParameters& p = GameParams();
    const std::span<const Offset> slots = GarrisonSlots(kind);
    for (size_t i = 0; i < slots.size(); ++i) {
        const int32_t cx = CellX() + slots[i].dx, cy = CellY() / 2 + slots[i].dy;
        if (!k || cx < 0 || cy < 0 || cx >= width || cy >= height) continue;
        auto* general = new OfficerRecord(ownerSide, kGarrisonTemplate);
        const int32_t strength = kind == 0 ? p.siteRows[Scale() - 1][0] / 4 : p.siteRows[kind + 3][0] / 2;
        general->Set(OfficerLayout::kHp, strength);
        general->Set(OfficerLayout::kMaxHp, strength);
        Troop* troop = MakeTroop(general, ownerSide, id, static_cast<int16_t>(cx), static_cast<int16_t>(cy));
        troop->cityUnit = 1;
        // Posted outside the walls: a save keeps the guard with the field troops.
        troop->outgoingMark = 1;
        if (kind == 0) general->Set(kAttackColumn, general->Get(kAttackColumn) + Scale());
        k->AddFieldUnit(troop);
        garrison[i] = troop;
    }
    GrowGarrisonByAge();
}

void City::ReleaseGarrison() {
    Kingdom* k = TheBattleMap ? TheBattleMap->FindKingdom(ownerSide) : nullptr;
    for (Troop*& slot : garrison) {
        // Forgetting the troop clears this very slot, so hold the pointer first.
        Troop* t = slot;
        if (!t) continue;
        slot = nullptr;
        if (k) k->fieldUnits.RemoveValue(reinterpret_cast<uintptr_t>(t));
        if (TheBattleMap) TheBattleMap->ForgetTroop(t);
        delete t;
    }
}

void City::CreateGenerals() {
    const int32_t stage = TheGameController ? TheGameController->campaignStage : 0;
    const GameParameters& p = GameParams();
    for (OfficerRecord* g : ListValues<OfficerRecord>(generals)) {
        const int32_t person = g->Get(OfficerLayout::kPersonNumber);
        auto* general = new OfficerRecord(ownerSide, person);
        std::memcpy(general->block, g->block, OfficerLayout::kSize);
        Troop* troop = MakeTroop(general, ownerSide, id, 0, 0);
        troop->cityUnit = 1;
        troop->inCity = 1;
        // Inside the walls, as a loaded save has it.
        troop->garrison = 1;

        if (stage >= 11 && stage <= 47 && general->Get(OfficerLayout::kLevel) == 1) {
            const int32_t i = (stage - 11) % 12;
            const bool famous = general->Get(OfficerLayout::kFamous) != 0;
            general->Set(OfficerLayout::kLevel, famous ? p.namedOfficerLevel[i] : p.captainLevel[i]);
        }
        general->GrowStats(0);
        // The general object keeps the floor too, or the next gain would count from nothing.
        const int32_t floor = ExperienceFloor(general->Get(OfficerLayout::kLevel));
        general->bonusExperience = floor;
        general->Set(OfficerLayout::kExperience, floor);

        const int32_t number = NextUnitNumber();
        for (int e = 0; e < 8; ++e) {
            const int32_t t = general->Get(OfficerLayout::kEscorts + 4 * e);
            if (t <= 0 || t >= GeneralTemplateCount) continue;
            auto* escortGeneral = new OfficerRecord(ownerSide, t);
            Troop* escort = MakeTroop(escortGeneral, ownerSide, id, 0, 0);
            escort->inCity = 1;
            escort->garrison = 1;
            escort->unitNumber = number;
            if (!troop->followers) troop->followers = new LinkList;
            troop->followers->Add(reinterpret_cast<uintptr_t>(escort));
            escort->mainTroop = troop;
        }
        const int32_t governor = Int(CityLayout::kGovernor);
        if (governor != 0 && governor == person) currentUnit = troop;
        units.Add(reinterpret_cast<uintptr_t>(troop));
        troop->unitNumber = number;
        if (TheBattleMap) ++TheBattleMap->nextUnitId;
    }
    for (SubCastle* sub : ListValues<SubCastle>(subCastles)) {
        sub->SetOwner(ownerSide, id);
        sub->SpawnGarrison();
    }
}

void City::DrawMapMarker(int reveal) {
    if (!TheBattleMap || !TheBattleMap->HasCells() || !TheGameController ||
        TheGameController->citySightHold != 0 || !InsideBattleField())
        return;
    const int32_t kind = std::clamp(Kind(), 0, 10);
    const int32_t w = kMarkerSize[kind][0], h = kMarkerSize[kind][1];
    TheBattleMap->MarkArea(CellX(), CellY() - 2 * h + w / 2, 2 * h + 1, reveal ? 10 : 9, 2);
}

void City::SortUnits(int key) {
    std::vector<Troop*> old = ListValues<Troop>(units);
    std::vector<Troop*> sorted;
    if (key == 0 && currentUnit) {
        auto it = std::find(old.begin(), old.end(), currentUnit);
        if (it != old.end()) {
            sorted.push_back(currentUnit);
            old.erase(it);
        }
    }
    for (;;) {
        auto best = old.end();
        for (auto it = old.begin(); it != old.end(); ++it) {
            if ((*it)->OfficerKind() != 1) continue;
            if (best == old.end() || SortValue(*it, key) > SortValue(*best, key)) best = it;
        }
        if (best == old.end()) break;
        sorted.push_back(*best);
        old.erase(best);
    }
    sorted.insert(sorted.end(), old.begin(), old.end());
    units.RemoveAll();
    for (Troop* t : sorted)
        units.Add(reinterpret_cast<uintptr_t>(t));
}
