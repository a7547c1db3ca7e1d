#pragma once

// A battle map with scenario data and an empty stage, for the city, kingdom and sub-castle tests.

#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/StageSet.h"
#include "engine/ByteReader.h"
#include "fuzz/seeds/builders/SectionFixtures.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/ScenarioData.h"
#include "records/SubCastle.h"
#include "world/BattleMap.h"
#include "world/MapView.h"

#include <cstring>
#include <vector>

namespace stagetest {

class StageRecords {
public:
    StageRecords() {
        GameParams() = GameParameters();
        TheBattleMap = new BattleMap;
        TheGameController = new GameController;
        stage = new Zu_StageSet;
        TheBattleMap->stageSet = stage;
        scenario = TheBattleMap->scenario;
    }
    ~StageRecords() {
        TheBattleMap->stageSet = nullptr;
        delete stage;
        delete TheGameController;
        TheGameController = nullptr;
        delete TheBattleMap;
        TheBattleMap = nullptr;
    }
    StageRecords(const StageRecords&) = delete;
    StageRecords& operator=(const StageRecords&) = delete;

    // A general template of the scenario.
    OfficerRecord* AddTemplate(int32_t person, const char* name) {
        auto* t = new OfficerRecord(100, -1);
        t->SetText(OfficerLayout::kName, OfficerLayout::kNameBytes, name);
        t->Set(OfficerLayout::kPersonNumber, person);
        scenario->generalTemplates.Add(reinterpret_cast<uintptr_t>(t));
        return t;
    }

    Zu_StageSet* stage = nullptr;
    ScenarioData* scenario = nullptr;
};

using sectionfix::General;

template <class T>
T* At(LinkList& list, int i) {
    return reinterpret_cast<T*>(list.GetAt(i));
}

inline std::vector<uint8_t> U32s(std::initializer_list<uint32_t> words) {
    std::vector<uint8_t> out;
    for (uint32_t w : words)
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(w >> (8 * i)));
    return out;
}

} // namespace stagetest
