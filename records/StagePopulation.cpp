#include "records/StagePopulation.h"

#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/StageSet.h"
#include "engine/LinkList.h"
#include "engine/Random.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/Persons.h"
#include "records/RecordTables.h"
#include "records/ScenarioData.h"
#include "records/SubCastle.h"
#include "troops/Troop.h"
#include "troops/TroopOrder.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"

#include <vector>

namespace {
using L = OfficerLayout;

constexpr uint32_t kCopiedCity = 108;    // "複製城"
constexpr uint32_t kKingdomAlert = 56;   // "武將警戒"
constexpr uint32_t kKingdomPursue = 60;  // "武將追捕"
constexpr uint32_t kKingdomRetreat = 64; // "武將撤退"
constexpr uint32_t kGarrisonMultiplier = 100641;
constexpr int32_t kPersonsPerSubCastle = 2;

Kingdom* FirstOfNationKind(std::vector<Kingdom*>& kingdoms, int32_t kind) {
    for (Kingdom* k : kingdoms)
        if (k->NationKind() == kind) return k;
    return nullptr;
}

struct GarrisonRow {
    const int32_t* templates = nullptr;
    const int32_t* counts = nullptr;
};

GarrisonRow RowFor(const City& city) {
    const GameParameters& p = GameParams();
    int32_t kind = city.Kind();
    if (kind == 7) {
        switch (city.Int(kCopiedCity)) {
        case 45:
            kind = 2;
            break;
        case 61:
            kind = 3;
            break;
        case 77:
            kind = 10;
            break;
        default:
            return {};
        }
    }
    switch (kind) {
    case 2:
        return {p.banditLeaderKinds, p.banditLeaderCounts};
    case 3:
        return {p.caveBeastKinds, p.caveBeastCounts};
    case 10:
        return {p.graveyardMonsterKinds, p.graveyardMonsterCounts};
    default:
        return {};
    }
}

// The kind-4 sub-castles of the cities each kingdom lists first, up to its first city of another
// kind.
std::vector<SubCastle*> CapitalSubCastles(std::vector<Kingdom*>& kingdoms) {
    std::vector<SubCastle*> out;
    for (Kingdom* k : kingdoms)
        for (City* city : ListValues<City>(k->cities)) {
            if (city->Kind() != 0) break;
            for (SubCastle* sub : ListValues<SubCastle>(city->subCastles))
                if (sub->Kind() == 4) out.push_back(sub);
        }
    return out;
}

OfficerRecord* GarrisonOfficer(Kingdom& k3, int32_t tmpl) {
    auto* officer = new OfficerRecord(k3.nationIndex, tmpl);
    officer->Set(L::kExperience, 0);
    officer->bonusExperience = 0;
    officer->GrowStats(0);
    return officer;
}

void Garrison(City& city, Kingdom& k3, int32_t campaign) {
    const GarrisonRow row = RowFor(city);
    if (!row.templates) return;
    const int32_t tmpl = row.templates[SyncRandom(3, kGarrisonMultiplier)];
    const int32_t base = row.counts[campaign];
    const int32_t n = base + static_cast<int32_t>(SyncRandom(base, kGarrisonMultiplier));
    if (n <= 0) return;
    ClearCityPeople(&city);
    // A template without a record makes no garrison, but the draws above were made alike.
    if (!GeneralTemplate(tmpl)) return;
    for (int32_t i = 0; i < n; ++i) {
        OfficerRecord* officer = GarrisonOfficer(k3, tmpl);
        if (city.Kind() == 7) {
            officer->Set(L::kRetreat, 2);
            officer->Set(L::kActionAi, 1);
            city.generals.Add(reinterpret_cast<uintptr_t>(officer));
            officer = GarrisonOfficer(k3, tmpl);
            officer->Set(L::kRetreat, 2);
            officer->Set(L::kActionAi, 1);
        }
        auto* t = new Troop(officer->Get(L::kSoldierType), 10, 0, 0, static_cast<int8_t>(k3.nationIndex),
                            static_cast<int16_t>(city.id), 100, officer);
        t->flagWord = 1;
        t->garrison = 1;
        city.units.Add(reinterpret_cast<uintptr_t>(t));
        t->order->alert = static_cast<int8_t>(k3.Int(kKingdomAlert));
        t->order->pursue = static_cast<uint8_t>(k3.Int(kKingdomPursue));
        officer->Set(L::kRetreat, k3.Int(kKingdomRetreat));
    }
}

// The campaign index 0..5, or -1 when the stage gets no population.
int32_t CampaignIndex() {
    const GameController* c = TheGameController;
    if (!c) return -1;
    int32_t index;
    if (!c->networked) {
        index = c->campaignStage - 1;
    } else {
        if (c->roomMapKind == 1) return -1;
        index = c->teamMode != 0 ? 2 : c->campaignStage - 1;
    }
    // The tables hold six campaigns; anything else populates nothing, on every station alike.
    return index >= 0 && index <= 5 ? index : -1;
}
} // namespace

void PopulateStageCities() {
    LinkList* list = StageKingdoms();
    const int32_t campaign = CampaignIndex();
    if (!list || campaign < 0) return;
    std::vector<Kingdom*> kingdoms = ListValues<Kingdom>(*list);
    PersonCount = 0;
    Kingdom* k2 = FirstOfNationKind(kingdoms, 2);
    Kingdom* k3 = FirstOfNationKind(kingdoms, 3);
    if (k2) {
        for (City* city : ListValues<City>(k2->cities))
            if (city->Kind() == 6 && PersonCount < PersonCap) SpawnCityPersons(city, k2);
        Zu_StageSet* stage = TheBattleMap ? TheBattleMap->stageSet : nullptr;
        for (SubCastle* sub : CapitalSubCastles(kingdoms))
            if (Troop* keeper = CreateSubCastleKeeper(sub, k2); keeper && stage)
                stage->GiveRandomGear(keeper);
        for (SubCastle* sub : CapitalSubCastles(kingdoms))
            if (PersonCount < PersonCap) SpawnSyncedPersons(sub, k2, kPersonsPerSubCastle);
    }
    if (k3)
        for (City* city : ListValues<City>(k3->cities))
            Garrison(*city, *k3, campaign);
}

void ClearCityPeople(City* city) {
    if (!city) return;
    ScenarioData* scenario = TheBattleMap ? TheBattleMap->scenario : nullptr;
    LinkList* kingdoms = StageKingdoms();
    for (OfficerRecord* officer : ListValues<OfficerRecord>(city->generals)) {
        const auto key = reinterpret_cast<uintptr_t>(officer);
        if (scenario) scenario->stageGenerals.RemoveValue(key);
        if (kingdoms)
            for (Kingdom* k : ListValues<Kingdom>(*kingdoms))
                k->mapGenerals.RemoveValue(key);
        delete officer;
    }
    city->generals.RemoveAll();
    std::vector<Troop*> dropped = ListValues<Troop>(city->units);
    city->units.RemoveAll();
    for (Troop* t : dropped) {
        // Selections, hot-key groups, cells and every other holder let go before it goes.
        if (TheBattleMap) TheBattleMap->ForgetTroop(t);
        delete t;
    }
}
