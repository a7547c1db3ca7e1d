#include "Program/GameController.h"
#include "Program/SoundEffects.h"
#include "net/SubCommands.h"
#include "records/City.h"
#include "stagefiles/SavedRecord.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"
#include "world/FootprintPattern.h"
#include "world/MapView.h"

namespace {
constexpr int32_t kBuildingKinds = 26;
// Farm-table entries a new plot of a building shows: the bare field, then the first common stage.
constexpr int kBareField = 1;
constexpr int kFirstCommonStage = 6;

bool InView(int32_t x, int32_t y) {
    const MapView* view = TheGameController ? TheGameController->gameScreen : nullptr;
    return view && view->viewX <= x && x < view->viewX + MapView::kViewColumns && view->viewY <= y &&
           y < view->viewY + MapView::kViewRows;
}
} // namespace

// Networked, the plot's kind travels as a sub-command, which the host also applies.
void City::RequestPlotKind(int32_t x, int32_t y, int32_t kind) {
    if (GameNetworked())
        NetSendSub20(this, static_cast<uint32_t>(x), static_cast<uint32_t>(y), static_cast<uint32_t>(kind));
    else if (DecidesHere())
        ApplyPlotKind(x, y, kind);
}

void City::ApplyPlotKind(int32_t x, int32_t y, int32_t kind) {
    SavedRecord* site = FindSiteAt(x, y);
    if (!site || kind < 0 || kind >= kBuildingKinds) return;
    if (site->kind >= 0 && site->kind < kBuildingKinds) {
        // A count never goes below none.
        if (buildings[site->kind] > 0) --buildings[site->kind];
        if (TheBattleMap) TheBattleMap->StampConstructionPattern(x, y, site->kind == 0 ? -1 : -2);
    }
    site->kind = kind;
    if (buildings[kind] == 0) buildings[kind] = 1000;
    // A building pulled down for another takes its share of the city's values with it.
    SumBuildings();
    site->work = 0;
    site->shownStage = 0;
    if (!TheBattleMap) return;
    if (kind == 0) {
        if (InView(x, y)) PlaySoundEffect(53);
        TheBattleMap->StampConstructionPattern(x, y, 0);
    } else {
        TheBattleMap->StampPattern(x, y, PatternAt(Footprints().farm, kBareField));
        TheBattleMap->StampPattern(x, y, PatternAt(Footprints().farm, kFirstCommonStage));
    }
}
