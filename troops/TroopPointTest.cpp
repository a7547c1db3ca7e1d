#include "troops/Troop.h"
#include "world/BattleMap.h"

int Troop::HitTest(int32_t px, int32_t py) {
    if (!frame || !TheBattleMap) return 0;
    const MapCell* cell = TheBattleMap->CellAt(cellX, cellY * 2);
    if (!cell || cell->sightCount < 2) return 0;
    const int32_t left = pixelX + 80, top = pixelY + 130;
    drawnRect[0] = int16_t(left);
    drawnRect[1] = int16_t(top);
    drawnRect[2] = int16_t(left + 40);
    drawnRect[3] = int16_t(top + 55);
    return px >= left && px < left + 40 && py >= top && py < top + 55 ? 1 : 0;
}
