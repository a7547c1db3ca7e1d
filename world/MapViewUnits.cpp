#include "windows/unit/Win05Window.h"
#include "world/MapView.h"

#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "Program/SoundEffects.h"
#include "engine/LinkList.h"
#include "gui/MouseCursor.h"
#include "platform/CRand.h"
#include "platform/Window.h"
#include "records/ScenarioData.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"

#include <algorithm>

namespace {

constexpr int kMaxSelected = 6;

void MarkWithFollowers(Troop* t, uint8_t mark) {
    t->selected = mark;
    if (t->followers)
        for (uintptr_t v = t->followers->First(); v != 0; v = t->followers->Next())
            reinterpret_cast<Troop*>(v)->selected = mark;
}

bool QuietKind(const Troop* t) {
    const int32_t k = t->OfficerKind();
    return k == 13 || k == 17 || k == 18 || k == 70;
}

// Beasts and spirits answer with their own calls, soldiers with voices.
void PlaySelectionSound(bool allQuiet) {
    PlaySoundEffect(allQuiet ? 4 + platform::rand() % 6 : 81 + platform::rand() % 8);
}

LinkList* SelectedGenerals() {
    return TheBattleMap && TheBattleMap->scenario ? &TheBattleMap->scenario->selectedGenerals : nullptr;
}

} // namespace

void MapView::SelectUnit(Troop* t) {
    GameController* c = TheGameController;
    if (!t || !c || !c->selection) return;
    hoveredObject = t;
    LinkList& list = *c->selection;
    const bool ctrl = (platform::GetKeyState(platform::VK_CONTROL) & 0x8000) != 0;
    if (ctrl) {
        if (list.ContainsPtr(uintptr_t(t))) {
            MarkWithFollowers(t, 0);
            list.RemoveValue(uintptr_t(t));
            if (c->focusList) c->focusList->RemoveValue(uintptr_t(t));
            if (c->currentTroop == t) c->currentTroop = nullptr;
            if (list.GetCount() == 0) c->selectionActive = 0;
        } else if (list.GetCount() < kMaxSelected) {
            MarkWithFollowers(t, 1);
            list.Add(uintptr_t(t));
            c->selectionActive = 1;
        }
    } else {
        DeselectAll();
        MarkWithFollowers(t, 1);
        list.Add(uintptr_t(t));
        c->selectionActive = 1;
    }
    if (!c->selectionActive) c->currentGroup = -1;
    if (t->selected) c->currentTroop = t;
    PlaySelectionSound(QuietKind(t));
    if (c->selectionActive) c->lastOrderX = c->lastOrderY = -1;
    if (Win05Window* panel = UnitPanel(); panel && !c->selectedCity)
        panel->ShowUnits(c->selection, 0, 0, 0, 0);
}

void MapView::BoxSelect() {
    GameController* c = TheGameController;
    if (!c || !c->selection || !TheBattleMap) return;
    if (TheScreenSettings && TheScreenSettings->editorKeys) return;
    DeselectAll();
    c->currentGroup = -1;
    c->mapLock = 0;
    BattleMap& map = *TheBattleMap;
    const int32_t left = std::min(c->dragStartX, c->dragEndX), right = std::max(c->dragStartX, c->dragEndX);
    const int32_t top = std::min(c->dragStartY, c->dragEndY), bottom = std::max(c->dragStartY, c->dragEndY);
    auto column = [&](int32_t x) { return x < 20 ? viewX : viewX + 1 + (x - 20) / 40; };
    const int32_t x0 = column(left), x1 = std::min(column(right), map.width);
    const int32_t y0 = viewY / 2 + top / 20;
    const int32_t y1 = std::min(viewY / 2 + 3 + bottom / 20, map.rows / 2);
    LinkList& list = *c->selection;
    bool allQuiet = true;
    for (int32_t y = y0; y < y1 && list.GetCount() < kMaxSelected; ++y)
        for (int32_t x = x0; x <= x1 && list.GetCount() < kMaxSelected; ++x)
            for (uintptr_t v = map.FirstObjectAt(x, y); v != 0 && list.GetCount() < kMaxSelected;
                 v = map.NextObjectAt()) {
                Troop* t = reinterpret_cast<Troop*>(v);
                if (t->cellX != x || t->cellY != y || list.ContainsPtr(v) || !CanSelectTroop(t, false))
                    continue;
                MarkWithFollowers(t, 1);
                list.Add(v);
                if (LinkList* generals = SelectedGenerals(); generals && t->officer)
                    generals->Add(uintptr_t(t->officer));
                allQuiet = allQuiet && QuietKind(t);
            }
    if (list.GetCount() > 0) {
        PlaySelectionSound(allQuiet);
        if (TheMouseCursor) TheMouseCursor->SetShapeChecked(3);
        c->selectionActive = 1;
        c->groupCommandMode = 0;
        if (c->selectedCity) c->attachPending = 1;
    }
    c->lastOrderX = c->lastOrderY = -1;
    if (Win05Window* panel = UnitPanel(); panel && list.GetCount() > 0 && !c->selectedCity)
        panel->ShowUnits(c->selection, 0, 0, 0, 0);
}

void MapView::DeselectAll() {
    GameController* c = TheGameController;
    if (!c) return;
    if (Win05Window* panel = UnitPanel(); panel && !c->selectedCity) panel->ClosePanel();
    c->currentTroop = nullptr;
    if (LinkList* generals = SelectedGenerals()) generals->RemoveAll();
    c->currentGroup = -1;
    if (!c->selectionActive) return;
    if (TheMouseCursor) TheMouseCursor->SetShapeChecked(1);
    if (c->selection) {
        for (uintptr_t v = c->selection->First(); v != 0; v = c->selection->Next())
            MarkWithFollowers(reinterpret_cast<Troop*>(v), 0);
        c->selection->RemoveAll();
    }
    c->selectionActive = 0;
    c->groupCommandMode = 0;
}
