#include "troops/Troop.h"

#include "net/TroopCommands.h"
#include "records/OfficerRecord.h"
#include "troops/TroopOrder.h"
#include "world/BattleMap.h"
#include "world/Coordinates.h"
#include "world/UnitPath.h"

void Troop::MarkPursuitStart() {
    if ((flags & 0x08) || (order->pursue & 0x80)) return;
    if (state == 10) {
        returnX = returnY = -1;
    } else if (state == 0) {
        returnX = goalX;
        returnY = goalY;
        if (goalX < 0 || goalY < 0) returnX = returnY = -1;
    } else {
        return;
    }
    order->postX = cellX;
    order->postY = cellY;
    order->pursue = static_cast<uint8_t>((order->pursue & 0x3F) | 0x80);
    if (order->orderState != 22 && IsCellWall(cellX, 2 * cellY)) order->pursue |= 0x40;
}

void Troop::ClearMoveFlags() {
    order->pursue &= 0x3F;
}

void Troop::ReturnFromPursuit() {
    const uint8_t kept = order->pursue;
    if (returnX == -1) {
        if (cellX == order->postX && cellY == order->postY) {
            NetCmdHalt(this);
        } else {
            NetCmd02(this, order->postX, order->postY);
            order->pursue = kept;
        }
    } else if (cellX == returnX && cellY == returnY) {
        NetCmdHalt(this);
    } else {
        NetCmd02(this, returnX, returnY);
    }
}

void Troop::SyncPixelPosition() {
    pixelX = posX = static_cast<int16_t>(worldX / 1000 - 100);
    pixelY = posY = static_cast<int16_t>(worldY / 1000 - 180);
    const int32_t cx = WorldToTileX(worldX);
    const int32_t cy = WorldToTileY(worldY);
    if (cx == cellX && cy == cellY) return;
    // A blocked cell keeps the troop where it was; only the picture follows.
    if (GetCellObstacle(cx, 2 * cy) > 0) return;
    const bool occupancy = TheBattleMap && TheBattleMap->occupancy;
    if (occupancy) TheBattleMap->RemoveObjectAt(cellX, cellY, uintptr_t(this));
    cellX = static_cast<int16_t>(cx);
    cellY = static_cast<int16_t>(cy);
    if (occupancy && OfficerValue(OfficerLayout::kAmbush) == 0)
        TheBattleMap->AddObjectAt(cellX, cellY, uintptr_t(this));
}

void Troop::ResetCombatState() {
    nextDirection = 0;
    retreating = 0;
    retreatTimer = 0;
    pathEndHold = 0;
    keep[0] = keep[1] = 0;
    FreeUnitPath(this);
    FreeUnitSearchNodes(this);
    blocked = 0;
}
