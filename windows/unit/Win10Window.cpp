#include "windows/unit/Win10Window.h"

#include "Program/ScreenControls.h"
#include "gui/DeferredDelete.h"
#include "gui/GuiLayout.h"
#include "gui/GuiPanel.h"
#include "windows/unit/UnitPanels.h"
#include "windows/unit/Win99Window.h"

Win10Window::Win10Window(Widget* parentWidget, Window* ownerWindow)
    : owner(ownerWindow), parent(parentWidget), layout(new GuiLayout("Win10.gui")) {}

Win10Window::~Win10Window() {
    Close();
    DeferDelete(layout);
}

void Win10Window::Show(Troop* troop, int dx, int dy) {
    if (!panel)
        panel = OpenLayoutPanel(layout, parent, this, controls, dx, dy);
    else
        SwitchPanel(panel, true);
    Win99Window::ShowTroopInfo(troop, controls, texts, true);
    DisableButton(FindScreenControl(controls, 0x100));
    shown = troop;
}

void Win10Window::Refresh(Troop* troop) {
    if (panel && troop && troop == shown) Win99Window::ShowTroopInfo(troop, controls, texts, true);
}

void Win10Window::Close() {
    DropPanel(panel);
    controls = nullptr;
}

void Win10Window::OnControlClick(Widget* control, Point*) {
    if (!control) return;
    if (control->id == 0x101) {
        Close();
        if (owner) owner->OnNotify(this, 1);
    } else if (control->id >= 0x200 && control->id < 0x210) {
        Win99Window::DropOnTroop(shown, nullptr, 1);
    }
}
