#include "records/DeployedOrder.h"

#include "Program/GameController.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"

void StartDeployedOrder(Troop* unit, int32_t ownerSide, int32_t orderCode) {
    GameController* c = TheGameController;
    if (c && ownerSide == PlayerKingdom()) {
        unit->pendingSortie = c->deploymentCount < 6 ? 1 : 0;
        ++c->deploymentCount;
        c->deploymentNotice = 1;
    }
    switch (orderCode) {
    case 1:
        unit->ApplyTarget(unit->targetTroop);
        break;
    case 2:
        unit->ApplyFollow(unit->targetCity, unit->targetObject, unit->targetWord >> 16);
        break;
    case 3:
        unit->ApplyCmd09(unit->targetCity, unit->targetWord);
        break;
    case 4:
        unit->ApplyHalt();
        break;
    default:
        unit->ApplyCmd02(unit->goalX, unit->goalY);
        break;
    }
}
