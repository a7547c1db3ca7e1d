#include "world/MapView.h"

#include "Program/GameController.h"
#include "Program/SoundEffects.h"
#include "gui/MouseCursor.h"
#include "net/CityValueCommand.h"
#include "records/City.h"
#include "stagefiles/SavedRecord.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"
#include "world/DiamondWalk.h"

namespace {
constexpr int32_t kBuildingSlots = 26;
} // namespace

int32_t MapView::BuildingPrice(int32_t kind) {
    if (kind == 26) return 1000;
    if (kind == 28) return 10;
    if (kind >= 29 && kind <= 31) return 20;
    return 100;
}

void MapView::UpdatePlacementAllowed() {
    placementAllowed = 0;
    if (!currentCity || !TheBattleMap) return;
    for (uintptr_t v = currentCity->sites.First(); v != 0; v = currentCity->sites.Next()) {
        const auto* plot = reinterpret_cast<const SavedRecord*>(v);
        if (plot->x != placementCellX || plot->y != placementCellY) continue;
        const MapCell* cell = TheBattleMap->CellAt(plot->x, plot->y);
        placementAllowed = cell && cell->sightCount > 1 ? 1 : 0;
        return;
    }
}

void MapView::ClickPlacement() {
    City* city = currentCity;
    // The cell under the pointer may have moved since the frame's check.
    UpdatePlacementAllowed();
    const int32_t price = BuildingPrice(buildingKind);
    // Kinds past the 26 building slots have a price but no slot: nothing is bought.
    const bool slot = buildingKind >= 0 && buildingKind < kBuildingSlots;
    if (placementAllowed && slot && city && city->Int(CityLayout::kGold) >= price) {
        PlaySoundEffect(53);
        city->RequestPlotKind(placementCellX, placementCellY, buildingKind);
        if (GameController* c = TheGameController) {
            c->floatingKind = buildingKind;
            c->floatingX = placementCellX;
            c->floatingY = placementCellY;
            c->floatingFrames = 0;
        }
        NetCmdAddCityValue(city, -price, kCityGold);
    }
    placingBuilding = 0;
    if (TheMouseCursor) TheMouseCursor->ReleaseCapture();
}

void MapView::MarkArea(int32_t x, int32_t y, int32_t size, int32_t op, uint16_t value) {
    BattleMap* map = TheBattleMap;
    if (!map) return;
    const uint8_t low = uint8_t(value);
    WalkDiamond(x, y, size, [&](int32_t cx, int32_t cy, int32_t, int32_t, int32_t, int32_t) {
        if (cx < 0 || cy < 0 || cx >= mapWidth || cy >= mapHeight) return;
        MapCell* c = map->CellAt(cx, cy);
        if (!c || BattleMap::SetCellField(*c, op, value)) return;
        // Here a sight count is stored as it is, without the minimap upkeep of the map's marker.
        if (op == 7) c->sightCount = low;
    });
}
