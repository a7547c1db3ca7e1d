#include "Program/GameController.h"

#include "engine/LinkList.h"
#include "troops/Troop.h"

namespace {
bool RemoveEvery(LinkList* list, Troop* troop) {
    if (!list) return false;
    bool removed = false;
    while (list->RemoveValue(reinterpret_cast<uintptr_t>(troop)))
        removed = true;
    return removed;
}
} // namespace

void GameController::DeselectTroop(Troop* troop) {
    if (!troop) return;
    troop->selected = 0;
    RemoveEvery(selection, troop);
    troop->hotKeyGroup = -1;
    // Every group is searched: a stale group byte must not leave the troop behind in another one.
    for (int group = 0; group < 10; ++group) {
        LinkList* list = groups[group];
        if (!RemoveEvery(list, troop)) continue;
        GroupHeader* header = groupHeaders[group];
        if (header && header->memberCount > 0) --header->memberCount;
        if (list->GetCount() != 0) continue;
        if (header) *header = GroupHeader{};
        if (currentGroup == group) currentGroup = -1;
    }
    // The selection panel is refreshed by its own window once the unit panels exist.
}
