#include "Program/GameController.h"
#include "engine/LinkList.h"
#include "troops/Troop.h"

void GameController::DeselectTroop(Troop* troop) {
    if (!troop) return;
    troop->selected = 0;
    if (selection)
        while (selection->RemoveValue(reinterpret_cast<uintptr_t>(troop))) {
        }
    const int g = troop->hotKeyGroup;
    if (g >= 0 && g < 10 && groups[g] && groups[g]->RemoveValue(reinterpret_cast<uintptr_t>(troop))) {
        if (GroupHeader* h = groupHeaders[g]) {
            if (h->memberCount > 0) --h->memberCount;
            if (h->memberCount == 0) h->inUse = 0;
        }
        if (groups[g]->GetCount() == 0 && currentGroup == g) currentGroup = -1;
    }
    troop->hotKeyGroup = -1;
    // The selection panel's refresh (Win05Window::UpdateTroop) belongs to the unit panel, which
    // does not exist yet.
}
