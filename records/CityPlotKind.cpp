#include "Program/GameController.h"
#include "Program/SoundEffects.h"
#include "records/City.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"
#include "world/FootprintPattern.h"
#include "world/MapView.h"
#include "world/SavedRecord.h"

namespace {

constexpr int kBuildingSlots = 26;
constexpr int16_t kBuilt = 1000;

SavedRecord* FindPlot(LinkList& sites, int32_t x, int32_t y) {
    for (uintptr_t v = sites.First(); v != 0; v = sites.Next()) {
        auto* plot = reinterpret_cast<SavedRecord*>(v);
        if (plot->x == x && plot->y == y) return plot;
    }
    return nullptr;
}

bool SlotKind(int32_t kind) {
    return kind >= 0 && kind < kBuildingSlots;
}

} // namespace

void City::RequestPlotKind(int32_t x, int32_t y, int32_t kind) {
    if (DecidesHere()) ApplyPlotKind(x, y, kind);
    // The peers learn the plot through the code-48 plot sub-command (0x20) of the network
    // commands, which is not yet in the relay.
}

void City::ApplyPlotKind(int32_t x, int32_t y, int32_t kind) {
    SavedRecord* plot = FindPlot(sites, x, y);
    // A kind outside the 26 building slots would write past them.
    if (!plot || !SlotKind(kind)) return;
    BattleMap* map = TheBattleMap;
    if (plot->kind >= 0) {
        if (SlotKind(plot->kind) && buildings[plot->kind] > 0) --buildings[plot->kind];
        if (map) map->StampConstructionPattern(x, y, plot->kind == 0 ? -1 : -2);
        // Summing the city's building totals and refreshing its panel come with the city's
        // construction.
    }
    plot->kind = kind;
    if (buildings[kind] == 0) buildings[kind] = kBuilt;
    plot->work = 0;
    plot->shownStage = 0;
    if (!map) return;
    if (kind == 0) {
        const MapView* view = TheGameController ? TheGameController->gameScreen : nullptr;
        if (view && x >= view->viewX && x < view->viewX + MapView::kViewColumns && y >= view->viewY &&
            y < view->viewY + MapView::kViewRows)
            PlaySoundEffect(53);
        map->StampConstructionPattern(x, y, 0);
    } else {
        map->StampPattern(x, y, PatternAt(Footprints().farm, 0));
        map->StampPattern(x, y, PatternAt(Footprints().farm, 1));
    }
}
