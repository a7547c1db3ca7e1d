#pragma once

#include "gui/RootObject.h"

#include <cstdint>

class Zu_StageSet;
class ScenarioData;

// The battle world. Holds the scenario data and the record of the current stage.
class BattleMap : public RootObject {
public:
    BattleMap();
    ~BattleMap() override;

    void FreeObjectLists() {}
    void ResetStage() {}

    Zu_StageSet* stageSet = nullptr;
    ScenarioData* scenario = nullptr;
    void* kingdomTable[128] = {};
    int32_t tableA[256] = {};
    int32_t tableB[256] = {};
};

extern BattleMap* TheBattleMap;
