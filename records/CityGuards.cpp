#include "Program/GameController.h"
#include "net/TroopCommands.h"
#include "records/City.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"

void City::CheckGuards() {
    const GameController* c = TheGameController;
    if (!c || c->gameKind == 0 || c->gameKind == 2 || dead) return;
    for (Troop* guard : garrison) {
        if (!guard || (guard->state != 1 && guard->state != 11)) continue;
        const Troop* target = guard->targetTroop;
        bool gone = !target || target->IsGone() || target->outOfPlay || (target->flags & 0x04);
        if (!gone && TheBattleMap) {
            // A target that walked off the city's cells is no longer the garrison's business.
            const MapCell* cell = TheBattleMap->GetCell(target->cellX, 2 * target->cellY);
            gone = !cell || cell->cityId == 0;
        }
        if (gone) NetCmdHalt(guard);
    }
}
