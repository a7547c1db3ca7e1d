#include "world/Coordinates.h"

#include "world/BattleMap.h"

int32_t GetCellObstacle(int32_t x, int32_t row) {
    if (!TheBattleMap) return kBorderCell.obstacle;
    return static_cast<int8_t>(TheBattleMap->GetCell(x, row)->obstacle);
}

bool IsCellWall(int32_t x, int32_t row) {
    return GetCellObstacle(x, row) == -1;
}
