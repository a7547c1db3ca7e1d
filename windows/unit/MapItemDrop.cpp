#include "gui/MouseCursor.h"
#include "net/SubCommands.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "windows/unit/UnitDrag.h"
#include "windows/unit/Win07Window.h"
#include "windows/unit/Win29Window.h"
#include "windows/unit/Win34Window.h"
#include "world/BattleMap.h"

bool DropUnitItemOnMap() {
    Window* from = UnitDragSource;
    if (!from || !TheMouseCursor || TheMouseCursor->dragPayload == 0) return false;
    const uint32_t code = uint32_t(TheMouseCursor->dragValue);
    if (code & kDragCarried) return false;
    auto* equipment = dynamic_cast<Win07Window*>(from);
    auto* corps = dynamic_cast<Win29Window*>(from);
    auto* belt = dynamic_cast<Win34Window*>(from);
    if (!equipment && !corps && !belt) return false;
    const int slot = int(code & 0xFF), row = int((code >> 8) & 15);
    const int32_t item = int32_t(TheMouseCursor->dragPayload);
    Troop* t = equipment ? equipment->GetShownTroop()
               : corps   ? corps->GetSlotTroop(row)
                         : belt->GetSlotTroop(row);
    // Only a troop standing on the field puts an item beside itself.
    if (t && t->Scope() == 0 && TheBattleMap && TheBattleMap->FindFreeNeighbour(t->cellX, t->cellY)) {
        const int32_t x = TheBattleMap->lastNeighbourX, y = TheBattleMap->lastNeighbourY;
        if (equipment)
            equipment->ClearEquipSlot(slot);
        else if (corps)
            corps->ClearEquipSlot(row, slot);
        else
            belt->ClearEquipSlot(row, slot);
        NetCmdPlaceMapObject(uint32_t(PlayerKingdom()), uint32_t(item), uint32_t(x), uint32_t(y));
    }
    UnitDragSource = nullptr;
    TheMouseCursor->ClearImage();
    return true;
}
