#include "Program/GameController.h"

#include "engine/LinkList.h"
#include "gui/MouseCursor.h"
#include "troops/Troop.h"
#include "windows/main/Win11Window.h"
#include "windows/unit/Win05Window.h"
#include "world/MapView.h"

// The ten hot-key groups: Ctrl + digit assigns the selection, the digit selects, and a second
// press of the same digit within the double-press window centres the view on the group.

namespace {

// Empties the group: members lose their group byte.
void EmptyGroup(LinkList* list, GameController::GroupHeader* header) {
    if (!list) return;
    for (uintptr_t v = list->First(); v != 0; v = list->Next())
        reinterpret_cast<Troop*>(v)->hotKeyGroup = -1;
    list->RemoveAll();
    if (header) header->memberCount = 0;
}

} // namespace

void GameController::GroupKey(int n, bool ctrl) {
    if (n < 0 || n > 9 || mode != 1 || groupCommandMode == 1 || running != 1) return;
    if (ctrl) {
        if (selectionActive) AssignGroup(n);
        RefreshGroupRows();
        return;
    }
    bool doublePress = false;
    if (groupKeyPresses.load() == 0) {
        groupKeyPresses = 1;
        groupKeyTimer = 0;
        lastGroupKey = n;
    } else if (lastGroupKey == n) {
        ++groupKeyPresses;
        doublePress = true;
    } else {
        lastGroupKey = n;
        groupKeyTimer = 0;
    }
    if (!groupHeaders[n] || !groupHeaders[n]->inUse) return;
    if (groupCommandMode == 0 && SelectGroup(n)) RefreshGroupRows();
    if (doublePress) FocusGroup(n);
}

bool GameController::SelectGroup(int n) {
    if (n < 0 || n > 9 || n == currentGroup || !groups[n] || !selection) return false;
    if (gameScreen) gameScreen->DeselectAll();
    for (uintptr_t v = selection->First(); v != 0; v = selection->Next())
        reinterpret_cast<Troop*>(v)->selected = 0;
    selection->RemoveAll();
    LinkList& group = *groups[n];
    for (int i = 0; i < group.GetCount(); ++i) {
        Troop* t = reinterpret_cast<Troop*>(group.GetAt(i));
        t->selected = 1;
        selection->Add(uintptr_t(t));
    }
    groupsTouched = 1;
    selectionActive = 1;
    if (TheMouseCursor) TheMouseCursor->SetShapeChecked(3);
    currentGroup = int8_t(n);
    if (Win05Window* panel = UnitPanel()) panel->ShowUnits(selection, 0, 0, 0, 0);
    return true;
}

void GameController::AssignGroup(int n) {
    if (n < 0 || n > 9 || !selection) return;
    if (currentGroup >= 0 && currentGroup <= 9) EmptyGroup(groups[currentGroup], groupHeaders[currentGroup]);
    if (groupHeaders[n] && groupHeaders[n]->inUse) EmptyGroup(groups[n], groupHeaders[n]);
    for (uintptr_t v = selection->First(); v != 0; v = selection->Next()) {
        Troop* t = reinterpret_cast<Troop*>(v);
        const int old = t->hotKeyGroup;
        if (old >= 0 && old <= 9 && old != n && groups[old]) {
            if (groups[old]->RemoveValue(v) && groupHeaders[old] && groupHeaders[old]->memberCount > 0)
                --groupHeaders[old]->memberCount;
        }
        if (old == n && groups[n]->ContainsPtr(v)) continue;
        t->hotKeyGroup = int8_t(n);
        groups[n]->Add(v);
        ++groupHeaders[n]->memberCount;
    }
    groupsTouched = 1;
    currentGroup = int8_t(n);
    for (int g = 0; g < 10; ++g)
        if (groups[g] && groups[g]->GetCount() == 0 && groupHeaders[g]) groupHeaders[g]->inUse = 0;
    GroupHeader& h = *groupHeaders[n];
    if (groups[n]->GetCount() > 0) {
        h.inUse = 1;
        h.b1 = 5;
        h.b2 = 1;
        h.b3 = 1;
    }
    if (TheMouseCursor) TheMouseCursor->SetShapeChecked(3);
}

void GameController::FocusGroup(int n) {
    if (n < 0 || n > 9 || !groups[n]) return;
    if (groupCommandMode) {
        LeaveGroupTargets();
        groupCommandMode = 0;
        groupTargetA = groupTargetB = nullptr;
        selectedCity = nullptr;
        selectedSubCastle = nullptr;
        if (selectionActive && selection && selection->GetCount() > 0) {
            const Troop* first = reinterpret_cast<Troop*>(selection->GetAt(0));
            if (first->garrison != 0 && gameScreen) gameScreen->DeselectAll();
        }
    }
    if (groups[n]->GetCount() > 0) CentreViewOnTroop(reinterpret_cast<Troop*>(groups[n]->GetAt(0)), true);
    if (focusList) focusList->RemoveAll();
    if (Win05Window* panel = UnitPanel()) panel->ShowUnits(selection, 0, 0, 0, 0);
}
