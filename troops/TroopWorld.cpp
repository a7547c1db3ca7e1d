#include "troops/TroopWorld.h"

#include "Program/GameController.h"
#include "Program/StageSet.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/SubCastle.h"
#include "world/BattleMap.h"

Kingdom* TroopKingdom(int32_t owner) {
    if (!TheBattleMap || owner <= 0 || owner >= BattleMap::kSides) return nullptr;
    return static_cast<Kingdom*>(TheBattleMap->kingdomTable[owner]);
}

int32_t PlayerKingdom() {
    if (!TheBattleMap || !TheBattleMap->stageSet) return 0;
    return TheBattleMap->stageSet->playerSide;
}

int32_t KingdomRelation(int32_t from, int32_t to) {
    Kingdom* k = TroopKingdom(from);
    if (!k || to < 0 || to > BattleMap::kSides) return 0;
    return k->relations[to];
}

bool GameNetworked() {
    return TheGameController && TheGameController->networked;
}

bool DecidesHere() {
    return !GameNetworked() || TheGameController->isHost;
}

LinkList* StageKingdoms() {
    if (!TheBattleMap || !TheBattleMap->stageSet) return nullptr;
    return TheBattleMap->stageSet->kingdoms;
}
