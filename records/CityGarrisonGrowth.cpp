#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/GameRules.h"
#include "Program/StageSet.h"
#include "records/City.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"

#include <algorithm>

void City::GrowGarrisonByAge() {
    const GameController* c = TheGameController;
    if (!c) return;
    const GameParameters& p = GameParams();
    int32_t growth = 0;
    if (c->gameKind == 0) {
        growth = p.virtualTowerBonus[((c->campaignStage - 11) % 12 + 12) % 12];
    } else if (c->gameKind == 1 || (c->networked && c->teamMode != 1)) {
        const Zu_StageSet* stage = CurrentStageSet();
        if (!stage || stage->monthsElapsed <= 11) return;
        growth = p.virtualTowerGrowth[std::clamp(AgeIndex(), 0, 9)];
    } else {
        return;
    }
    for (Troop* t : garrison) {
        if (!t || !t->officer) continue;
        t->officer->Set(OfficerLayout::kAttack, t->officer->Get(OfficerLayout::kAttack) + growth);
        t->officer->Set(OfficerLayout::kDefence, t->officer->Get(OfficerLayout::kDefence) + growth);
    }
}

void City::TickGarrison() {
    GrowGarrisonByAge();
}
