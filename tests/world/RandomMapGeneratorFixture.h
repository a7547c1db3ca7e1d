#pragma once

// One generated game inside a test: the battle world, an entered temporary folder holding the
// generator sources, the stage of CreateNeutralGroups and, on request, group cities and officer
// templates.

#include "RandomMapFixture.h"
#include "WorldFixture.h"
#include "support/TempFolder.h"

#include "Program/StageSet.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "records/ScenarioData.h"
#include "world/RandomMapGenerator.h"
#include "world/VirtualKingdoms.h"

#include <array>
#include <memory>
#include <vector>

namespace randommaptest {

// General templates for every number the generator can make, each carrying its number.
class OfficerTemplates {
public:
    OfficerTemplates() : saved_(GeneralTemplateCount) {
        blocks_.resize(kGeneralTemplateTableSize);
        for (int n = 0; n < kGeneralTemplateTableSize; ++n) {
            old_[size_t(n)] = GeneralTemplateTable[n];
            auto& b = blocks_[size_t(n)];
            b.fill(0);
            Store(b, OfficerLayout::kPersonNumber, n);
            Store(b, OfficerLayout::kSoldierType, n % 7 + 1);
            Store(b, OfficerLayout::kMaxHp, 1000 + n);
            GeneralTemplateTable[n] = b.data();
        }
        GeneralTemplateCount = kGeneralTemplateTableSize;
    }
    ~OfficerTemplates() {
        for (int n = 0; n < kGeneralTemplateTableSize; ++n)
            GeneralTemplateTable[n] = old_[size_t(n)];
        GeneralTemplateCount = saved_;
    }

private:
    static void Store(std::array<uint8_t, 432>& b, uint32_t at, int32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = uint8_t(uint32_t(v) >> (8 * i));
    }
    int32_t saved_;
    std::array<uint8_t*, kGeneralTemplateTableSize> old_{};
    std::vector<std::array<uint8_t, 432>> blocks_;
};

struct GroupCity {
    int32_t index, kind, stage = 0;
};

class Generation {
public:
    explicit Generation(int32_t humans = 1, int32_t officers = 7, int32_t size = 0) {
        WriteGeneratorFolder();
        options.sizeIndex = size;
        options.officersPerCity = officers;
        options.localKingdom = 1;
        this->humans = humans;
    }
    // Group cities in the scenario's city list (castle.ini order).
    void AddGroupCities(const std::vector<GroupCity>& cities) {
        if (!TheBattleMap->scenario) TheBattleMap->scenario = new ScenarioData;
        for (const GroupCity& g : cities) {
            auto* c = new City(0, 0);
            c->SetInt(CityLayout::kIndex, g.index);
            c->SetInt(CityLayout::kKind, g.kind);
            c->SetInt(112, g.stage);
            TheBattleMap->scenario->cityTemplates.Add(reinterpret_cast<uintptr_t>(c));
        }
    }
    bool Run(uint32_t seed) {
        options.seed = seed;
        owned.reset();
        stage = CreateNeutralGroups(options.sizeIndex, humans, "P", settings, options.officersPerCity);
        ScenarioData* scenario = TheBattleMap->scenario;
        // The scenario's stage list owns the stage once it joins it.
        if (!scenario) owned.reset(stage);
        trace.clear();
        return GenerateVirtualStage(*stage, options, settings, scenario, &trace);
    }
    std::vector<Kingdom*> Kingdoms() { return StageKingdoms(*stage); }
    std::vector<City*> Cities(int kingdomPosition) {
        return KingdomCities(*Kingdoms()[size_t(kingdomPosition)]);
    }
    // Draws of range n, in order.
    std::vector<SyncDraw> DrawsOf(int32_t n) const {
        std::vector<SyncDraw> out;
        for (const SyncDraw& d : trace)
            if (d.n == n) out.push_back(d);
        return out;
    }

    worldtest::World world;
    testsupport::TempFolder folder;
    RandomMapOptions options;
    RandomMapSettings settings;
    int32_t humans = 1;
    Zu_StageSet* stage = nullptr;
    std::unique_ptr<Zu_StageSet> owned;
    std::vector<SyncDraw> trace;
};

} // namespace randommaptest
