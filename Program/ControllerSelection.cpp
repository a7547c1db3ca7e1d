#include "Program/GameController.h"

#include "engine/LinkList.h"
#include "troops/Troop.h"

namespace {
void RemoveEvery(LinkList* list, Troop* troop) {
    if (!list) return;
    while (list->RemoveValue(reinterpret_cast<uintptr_t>(troop))) {
    }
}
} // namespace

void GameController::DeselectTroop(Troop* troop) {
    if (!troop) return;
    troop->selected = 0;
    RemoveEvery(selection, troop);
    troop->hotKeyGroup = -1;
    for (int group = 0; group < 10; ++group) {
        LinkList* list = groups[group];
        if (!list || !list->Find(reinterpret_cast<uintptr_t>(troop))) continue;
        RemoveEvery(list, troop);
        if (list->GetCount() != 0) continue;
        if (groupHeaders[group]) *groupHeaders[group] = GroupHeader{};
        if (currentGroup == group) currentGroup = -1;
    }
    // The selection panel is refreshed by its own window once the unit panels exist.
}
