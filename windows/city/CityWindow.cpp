#include "windows/city/CityWindow.h"

#include "Program/ScreenControls.h"
#include "engine/LinkList.h"
#include "engine/ResourceStore.h"
#include "gui/DeferredDelete.h"
#include "gui/GuiLayout.h"
#include "gui/GuiPanel.h"
#include "gui/ToggleButton.h"
#include "records/ItemRecord.h"
#include "records/RecordTables.h"
#include "windows/unit/UnitPanels.h"
#include "windows/unit/Win99Window.h"

#include <algorithm>
#include <vector>

CityWindow::CityWindow(Widget* parentWidget, const char* layoutFile)
    : parent(parentWidget), layout(new GuiLayout(layoutFile)) {}

CityWindow::~CityWindow() {
    CloseView(1);
    // Controls made from the layout may still wait for deletion: the layout goes after them.
    DeferDelete(layout);
}

Widget* CityWindow::Find(int id) const {
    return FindScreenControl(controls, id);
}

void CityWindow::Press(int id) {
    if (Widget* w = Find(id)) OnControlClick(w, nullptr);
}

void CityWindow::OpenView(int dx, int dy, bool drawn) {
    if (view) {
        SwitchPanel(view, true, drawn);
        view->visible = 1;
        return;
    }
    view = OpenLayoutPanel(layout, parent, this, controls, dx, dy);
    if (view && !drawn && TheResourceStore && TheResourceStore->drawList)
        TheResourceStore->drawList->RemoveValue(reinterpret_cast<uintptr_t>(view));
}

void CityWindow::CloseView(int result) {
    if (!view) return;
    view->result = result;
    DropPanel(view);
    controls = nullptr;
}

bool CityWindow::OwnButton(Widget* control) const {
    return control && view && control->parent == static_cast<const Widget*>(view) &&
           (control->id & 0xFF00) == 0x100;
}

void EnableIf(Widget* control, bool on) {
    if (on)
        EnableButton(control);
    else
        DisableButton(control);
}

void SetSlotIcon(Widget* w, int32_t icon, bool enabled) {
    auto* b = dynamic_cast<ToggleButton*>(w);
    if (!b) return;
    GuiImage** table = icon > 0 ? IconTable(TheWin99 ? TheWin99->GetIconLayout() : nullptr, icon) : nullptr;
    b->table = table;
    b->normalIndex = 0;
    b->thirdIndex = 1;
    b->hoverIndex = 2;
    b->disabledIndex = 3;
    b->dragImage = table ? table[0] : nullptr;
    if (enabled)
        b->Enable();
    else
        b->Disable();
    if (!table) ClearLabel(b);
}

void SortItemList(LinkList& list) {
    std::vector<int32_t> items;
    for (uintptr_t v = list.First(); v != 0; v = list.Next())
        items.push_back(int32_t(v));
    std::stable_sort(items.begin(), items.end(), [](int32_t a, int32_t b) {
        const int32_t ca = ItemColumn(a, ItemLayout::kCategory), cb = ItemColumn(b, ItemLayout::kCategory);
        return ca != cb ? ca < cb : a < b;
    });
    list.RemoveAll();
    for (int32_t item : items)
        list.Add(uintptr_t(item));
}

void MarkPage(Widget* button) {
    ShowButtonPressed(button);
    DisableButton(button);
}
