#include "troops/Troop.h"

#include "Program/GameController.h"
#include "Program/GameRules.h"
#include "Program/SoundEffects.h"
#include "engine/LinkList.h"
#include "net/SubCommands.h"
#include "records/OfficerRecord.h"
#include "troops/TroopWorld.h"
#include "windows/unit/Win05Window.h"
#include "world/BattleMap.h"
#include "world/MapObject.h"

namespace {

constexpr int8_t kNeighbours[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};

} // namespace

bool Troop::TakeMapObject(MapObject* object) {
    BattleMap* map = TheBattleMap;
    if (!object || !officer || !map || !officer->HasFreeItemSlot()) return false;
    officer->AddItem(object->itemId);
    if (selected) RefreshUnitPanel(this, 8);
    if (map->mapItems) map->mapItems->RemoveValue(reinterpret_cast<uintptr_t>(object));
    const CellBounds& view = map->objectView;
    if (cellX >= view.left && cellX < view.right && cellY >= view.top && cellY < view.bottom)
        PlaySoundEffect(61);
    delete object; // leaves its cell with it
    return true;
}

void Troop::PickUpItems() {
    BattleMap* map = TheBattleMap;
    const GameController* c = TheGameController;
    if (!map || !officer || OfficerKind() != 1 || officer->StatusWord() != 0) return;
    if (!((c && c->gameKind != 0) || owner == PlayerKingdom())) return;
    const int32_t left = pixelX + 80, top = pixelY + 160, right = pixelX + 120, bottom = pixelY + 190;
    for (const auto& d : kNeighbours) {
        if (!officer->HasFreeItemSlot()) return;
        MapObject* object = map->GetCellObject(cellX + d[0], cellY + d[1]);
        if (!object) continue;
        if (object->pixelLeft >= right || object->pixelLeft + 30 <= left || object->pixelTop >= bottom ||
            object->pixelTop + 30 <= top)
            continue;
        // Networked, only the player's troop asks, and the host takes it for every station.
        if (!GameNetworked())
            TakeMapObject(object);
        else if (owner == PlayerKingdom())
            NetSendRemoveMapObject(this, static_cast<uint32_t>(object->cellX),
                                   static_cast<uint32_t>(object->cellY));
    }
}

int32_t Troop::PlaceCarriedItems() {
    BattleMap* map = TheBattleMap;
    if (!officer || !map || !map->mapItems || !map->HasCells()) return 0;
    int32_t count = 0;
    for (int32_t slot = 0; slot < 4; ++slot)
        count += officer->Get(OfficerLayout::kCarried + 4 * slot) != 0;
    int32_t placed = 0;
    for (int32_t slot = 0; slot < 4 && placed < count; ++slot) {
        const uint32_t offset = OfficerLayout::kCarried + 4 * slot;
        const int32_t item = officer->Get(offset);
        // An item whose turn finds no free cell stays with the officer.
        if (item == 0 || !map->FindFreeNeighbour(cellX, cellY)) continue;
        officer->Set(offset, 0);
        auto* object = new MapObject(item, 1, owner, map->lastNeighbourX, map->lastNeighbourY);
        map->mapItems->Add(reinterpret_cast<uintptr_t>(object));
        ++placed;
    }
    return placed;
}

void Troop::DropCarriedItems(int32_t mode) {
    PlaceCarriedItems();
    if (mode == 1) DropLoot(cellX, cellY, 2);
}
