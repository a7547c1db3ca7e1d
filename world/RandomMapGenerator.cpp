#include "world/RandomMapGenerator.h"

#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "platform/Files.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/ScenarioData.h"
#include "world/BattleMap.h"
#include "world/GeneratedGarrisons.h"
#include "world/RandomMapLayout.h"
#include "world/VirtualMapFiles.h"

#include <algorithm>
#include <cstring>

namespace {

using CL = CityLayout;
using KL = KingdomLayout;
constexpr uint32_t kStage = 112; // "劇本關卡"
constexpr uint32_t kStandby = 44;
constexpr uint32_t kCaps = 60; // 開發上限, 商業上限, 民心上限
// "虛構戰役"
constexpr char kStageName[] = "\xb5\xea\xba\x63\xbe\xd4\xa7\xd0";

constexpr int32_t kPercent[4] = {30, 50, 70, 100};
constexpr int32_t kCapsByLevel[4][3] = {{100, 100, 100}, {120, 120, 100}, {140, 140, 100}, {160, 160, 100}};

void PickRulers(RandomMapRun& run, const std::vector<Kingdom*>& kingdoms) {
    for (Kingdom* k : kingdoms) {
        int32_t r = -1;
        for (int round = 0; round < 17; ++round) {
            const auto d = int32_t(run.Draw(kRulerPoolSize));
            run.Remix47_13();
            if (!run.rulerUsed[d]) {
                r = d;
                break;
            }
        }
        for (int i = 0; i < kRulerPoolSize && r < 0; ++i)
            if (!run.rulerUsed[i]) r = i;
        // More kingdoms than rulers: the kingdom keeps the one it was made with.
        if (r >= 0) {
            k->SetInt(KL::kPersonNumber, RulerPool[r]);
            run.rulerUsed[r] = 1;
            for (int i = 0; i < kOfficerPoolSize; ++i)
                if (OfficerPool[i] == RulerPool[r]) {
                    run.officerUsed[i] = 1;
                    break;
                }
        }
        const int32_t nation = k->Int(KL::kNation);
        if (nation >= 0 && nation <= 128 && k->nationIndex >= 0 && k->nationIndex <= 128) {
            KingdomColourTable[size_t(k->nationIndex)] = NationColourTable[size_t(nation)];
            k->ownColour = NationColourTable[size_t(nation)][7];
        }
    }
}

void CollectGroupCities(RandomMapRun& run, ScenarioData* scenario) {
    if (!scenario) return;
    int32_t previous = 0;
    LinkList& list = scenario->cityTemplates;
    for (uintptr_t v = list.First(); v != 0; v = list.Next()) {
        auto* city = reinterpret_cast<City*>(v);
        const int32_t index = city->Int(CL::kIndex);
        if (index != previous) {
            if (run.groupCities.size() < 223) run.groupCities.push_back(city);
            previous = index;
        }
        if (city->Kind() == 6 && city->Int(kStage) == 1 && run.villageCandidates.size() < 223)
            run.villageCandidates.push_back(city);
    }
}

void EnterKingdom(RandomMapRun& run, Kingdom& k, int32_t& id) {
    k.SetAllianceGroup(run.options.Team(id - 1));
    k.nationIndex = id;
    if (id < 129) run.kingdomById[size_t(id)] = &k;
    if (TheBattleMap && id >= 0 && id <= BattleMap::kSides) TheBattleMap->kingdomTable[id] = &k;
}

void EnterCity(RandomMapRun& run, Kingdom& k, City& city, int32_t& c) {
    k.cities.Add(reinterpret_cast<uintptr_t>(&city));
    city.ownerSide = k.nationIndex;
    city.id = c;
    run.cityById[size_t(c)] = &city;
    if (TheBattleMap) TheBattleMap->EnterCityById(&city);
    ++c;
}

// The city and kingdom tables end at 255 cities and 127 kingdoms.
constexpr int32_t kLastCity = 255;
constexpr int32_t kLastKingdom = 127;

void KingdomPass(RandomMapRun& run, const std::vector<Kingdom*>& kingdoms) {
    const int32_t G = int32_t(run.groupCities.size());
    const int32_t V = int32_t(run.villageCandidates.size());
    const int32_t level = std::clamp(run.options.resourceLevel, 0, 3);
    const int32_t P = kPercent[level];
    int32_t k = 1, c = 1;
    for (Kingdom* kingdom : kingdoms) {
        if (k > kLastKingdom) break;
        const int32_t kind = kingdom->NationKind();
        kingdom->SetInt(KL::kDefenceMode, 2);
        if (kind == 0 || kind == 1) {
            if (c > kLastCity) break;
            auto* city = new City(kingdom->nationIndex, c - 1);
            int32_t r = -1;
            for (int round = 0; round < 11; ++round) {
                const auto d = int32_t(run.Draw(40));
                run.Remix47_13();
                if (!run.groupPicked[d]) {
                    r = d;
                    break;
                }
                run.Draw(G);
                run.Remix47_13();
            }
            for (int i = 0; i < 40 && r < 0; ++i)
                if (!run.groupPicked[i]) r = i;
            if (r >= 0) {
                run.groupPicked[r] = 1;
                if (r < G) std::memcpy(city->block, run.groupCities[size_t(r)]->block, CL::kSize);
            }
            city->SetInt(CL::kPopulation, 1600 * P / 100);
            city->SetInt(CL::kGold, 3200 * P / 100);
            city->SetInt(CL::kFood, 32000 * P / 100);
            city->SetInt(kStandby, 400 * P / 100);
            for (int i = 0; i < 3; ++i)
                city->SetInt(kCaps + 4 * i, kCapsByLevel[level][i]);
            EnterKingdom(run, *kingdom, k);
            ++k;
            EnterCity(run, *kingdom, *city, c);
            CreateGeneratedOfficers(run, *kingdom, *city, run.options.officersPerCity);
            CreateGeneratedTroops(run, *city, run.options.officersPerCity);
            continue;
        }
        if (kind != 2 && kind != 3) continue;
        const int32_t count = run.settings.Row(run.options.sizeIndex, kind == 2 ? 3 : 4);
        for (int32_t i = 0; i < count && c <= kLastCity; ++i) {
            const City* from = nullptr;
            if (kind == 2) {
                if (V == 0) break;
                from = run.villageCandidates[run.Draw(V)];
                run.M = run.M * 3u / 13u; // every city record's kind word is 3
            } else {
                const uint32_t k3 = run.M * 47u % 3u;
                run.M = k3;
                const int32_t wanted = k3 == 0 ? 2 : k3 == 1 ? 3 : 10;
                for (City* g : run.groupCities)
                    if (g->Kind() == wanted) {
                        from = g;
                        break;
                    }
                if (!from && G > 0) from = run.groupCities.back();
            }
            if (!from) break;
            auto* city = new City(k, c - 1);
            std::memcpy(city->block, from->block, CL::kSize);
            EnterKingdom(run, *kingdom, k);
            EnterCity(run, *kingdom, *city, c);
        }
        ++k;
    }
    // Relations toward every id handed out.
    for (Kingdom* a : kingdoms) {
        for (int32_t j = 1; j < k && j <= kLastKingdom; ++j) {
            const Kingdom* b = run.kingdomById[size_t(j)];
            const int32_t group = a->AllianceGroup();
            a->relations[j] = b == a ? 1 : (group == 0 || !b || group != b->AllianceGroup()) ? 3 : 1;
        }
    }
}

} // namespace

bool GenerateVirtualStage(Zu_StageSet& stage, const RandomMapOptions& options,
                          const RandomMapSettings& settings, ScenarioData* scenario,
                          std::vector<SyncDraw>* trace) {
    RandomMapRun run(stage, options, settings);
    run.trace = trace;
    // Serial numbers name officers across machines: every peer starts the stage from the same.
    if (TheScreenSettings) TheScreenSettings->serialCounter = 100;
    stage.SetText(StageBlockLayout::kName, 20, kStageName);

    const std::vector<Kingdom*> kingdoms = StageKingdoms(stage);
    PickRulers(run, kingdoms);
    if (TheBattleMap) {
        std::fill(std::begin(TheBattleMap->kingdomTable), std::end(TheBattleMap->kingdomTable), nullptr);
        std::fill(std::begin(TheBattleMap->cities), std::end(TheBattleMap->cities), nullptr);
        TheBattleMap->cityCount = 0;
    }
    CollectGroupCities(run, scenario);
    KingdomPass(run, kingdoms);

    stage.playerSide = options.localKingdom;
    stage.SetColumn(StageBlockLayout::kPlayerSide, options.localKingdom);
    const int32_t n = std::clamp(settings.Row(options.sizeIndex, 1), 0, BattleMap::kSides);
    if (TheBattleMap) {
        for (int32_t i = 1; i <= n; ++i)
            TheBattleMap->sideActive[i] = 1;
        if (options.localKingdom >= 0 && options.localKingdom <= BattleMap::kSides)
            TheBattleMap->sideActive[options.localKingdom] = 0;
    }
    if (scenario && !scenario->stageRecords.Find(reinterpret_cast<uintptr_t>(&stage)))
        scenario->stageRecords.Add(reinterpret_cast<uintptr_t>(&stage));

    LoadGeneratorSources(run.sources);
    const bool templatesRead = run.castles.Load();
    bool ok = false;
    if (run.sources.Complete() && templatesRead) {
        LayoutVirtualMap(run);
        ok = SaveVirtualMap(run, "Virtual");
    }
    if (!ok)
        for (const char* old : {"Virtual.dor", "Virtual.m", "Virtual.x"})
            platform::DeleteFile(old);
    FreeGeneratorSources(run.sources);
    if (TheGameController) TheGameController->syncRandom = run.state;
    return ok;
}
