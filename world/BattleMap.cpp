#include "world/BattleMap.h"

#include "records/ScenarioData.h"

BattleMap* TheBattleMap = nullptr;

BattleMap::BattleMap() : scenario(new ScenarioData) {}

BattleMap::~BattleMap() {
    delete scenario;
}
