#include "world/VirtualKingdoms.h"

#include "Program/StageSet.h"
#include "records/Kingdom.h"
#include "records/ScenarioData.h"
#include "world/BattleMap.h"
#include "world/RandomMapTables.h"

#include <algorithm>

int32_t RandomPersonCap = 0;

namespace {

using L = KingdomLayout;
// Column offsets of the standing orders.
constexpr uint32_t kDomestic = 36;
constexpr uint32_t kAlert = 56, kPursue = 60, kRetreat = 64, kTactics = 72;
constexpr uint32_t kSpread = 80, kGuardPassages = 84;

// "村莊" and "盜賊"
constexpr char kVillageName[] = "\xa7\xf8\xb2\xf8";
constexpr char kLairName[] = "\xb5\x73\xb8\xe9";

void ForgetStage(Zu_StageSet* old) {
    // Nothing may keep pointing at kingdoms and cities that are about to go.
    if (TheBattleMap) {
        std::fill(std::begin(TheBattleMap->kingdomTable), std::end(TheBattleMap->kingdomTable), nullptr);
        std::fill(std::begin(TheBattleMap->cities), std::end(TheBattleMap->cities), nullptr);
        TheBattleMap->cityCount = 0;
        if (ScenarioData* s = TheBattleMap->scenario) {
            s->selectedGenerals.RemoveAll();
            s->stageCities.RemoveAll();
            s->stageGenerals.RemoveAll();
            // The list owns its records; the current one goes below.
            if (old) s->stageRecords.RemoveValue(reinterpret_cast<uintptr_t>(old));
            for (uintptr_t v = s->stageRecords.First(); v != 0; v = s->stageRecords.First()) {
                s->stageRecords.RemoveCurrent();
                delete reinterpret_cast<Zu_StageSet*>(v);
            }
        }
        TheBattleMap->stageSet = nullptr;
    }
    delete old; // deletes its kingdoms
}

} // namespace

Kingdom* CreateVirtualKingdom(int32_t i, int32_t kind, std::string_view name, int32_t officersPerCity) {
    auto* k = new Kingdom();
    k->nationIndex = i + 1;
    k->SetInt(L::kNation, i + 1);
    if (i + 1 < BattleMap::kSides && TheBattleMap) TheBattleMap->kingdomTable[i + 1] = k;
    if (i + 1 <= 128) k->ownColour = NationColourTable[size_t(i + 1)][7];
    k->SetInt(L::kPersonNumber, i >= 0 && i < kRulerPoolSize ? RulerPool[i] : 0);
    k->SetText(L::kName, 20, name);
    k->SetInt(L::kNationKind, kind);
    k->SetInt(kDomestic, 0);
    k->SetInt(L::kDiplomacy, 0);
    k->SetInt(L::kDefenceMode, 3);
    if (kind == 0) return k;
    const bool computer = kind == 1;
    k->SetInt(kAlert, computer ? 12 : 10);
    k->SetInt(kPursue, computer ? 25 : 20);
    k->SetInt(kRetreat, 1);
    k->SetInt(kTactics, 0);
    k->SetInt(L::kPatrol, computer ? 3 : 0);
    k->SetInt(kSpread, 0);
    k->SetInt(kGuardPassages, 0);
    k->SetInt(L::kStartingStrength, computer ? officersPerCity : 5000);
    k->SetInt(L::kKeptBack, 2);
    return k;
}

Zu_StageSet* CreateNeutralGroups(int32_t sizeIndex, int32_t humans, std::string_view name,
                                 const RandomMapSettings& settings, int32_t officersPerCity) {
    ForgetStage(TheBattleMap ? TheBattleMap->stageSet : nullptr);
    auto* stage = new Zu_StageSet();
    stage->SetColumn(StageBlockLayout::kStartYear, 200);
    // More humans than the row's kingdoms would give the village group a human's id; the two
    // groups also need their ids below the side table's end.
    const int32_t h = std::clamp(humans, 0, 124);
    const int32_t n = std::clamp(std::max(settings.Row(sizeIndex, 1), h), 0, 124);
    for (int32_t i = 0; i < h; ++i)
        stage->AddKingdom(CreateVirtualKingdom(i, 0, name, officersPerCity));
    for (int32_t i = h; i < n; ++i)
        stage->AddKingdom(CreateVirtualKingdom(i, 1, name, officersPerCity));
    Kingdom* villages = CreateVirtualKingdom(n, 2, kVillageName, officersPerCity);
    villages->SetAllianceGroup(1001);
    stage->AddKingdom(villages);
    Kingdom* lairs = CreateVirtualKingdom(n + 1, 3, kLairName, officersPerCity);
    lairs->SetAllianceGroup(1001);
    stage->AddKingdom(lairs);
    RandomPersonCap = 5 * n;
    if (TheBattleMap) TheBattleMap->sideCount = n + 2;
    if (TheBattleMap) TheBattleMap->stageSet = stage;
    return stage;
}
