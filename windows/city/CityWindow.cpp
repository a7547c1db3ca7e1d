#include "windows/city/CityWindow.h"

#include "Program/ScreenControls.h"
#include "engine/LinkList.h"
#include "engine/ResourceStore.h"
#include "gui/DeferredDelete.h"
#include "gui/GuiLayout.h"
#include "gui/GuiPanel.h"
#include "windows/unit/UnitPanels.h"

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

void MarkPage(Widget* button) {
    ShowButtonPressed(button);
    DisableButton(button);
}
