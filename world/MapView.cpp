#include "world/MapView.h"

#include "world/BattleMap.h"
#include "world/MapFiles.h"

void MapView::FreeMapCells() {
    if (TheBattleMap) TheBattleMap->FreeCells();
}

void MapView::SetMapSize(int32_t width, int32_t rows, const MinimapRect& minimap) {
    mapWidth = width;
    mapHeight = rows;
    cellCount = width * rows;
    minimapLeft = minimap.left;
    minimapTop = minimap.top;
    minimapRight = minimap.right;
    minimapBottom = minimap.bottom;
}
