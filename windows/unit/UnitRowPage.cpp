#include "windows/unit/UnitRowPage.h"

#include "Program/ScreenControls.h"
#include "gui/DeferredDelete.h"
#include "gui/GuiLayout.h"
#include "gui/GuiPanel.h"
#include "windows/unit/UnitPanels.h"
#include "windows/unit/Win05Window.h"
#include "windows/unit/Win29Window.h"

UnitRowPage::UnitRowPage(Widget* parentWidget, Win05Window* ownerPanel, const char* page, const char* row)
    : owner(ownerPanel), parent(parentWidget), pageLayout(new GuiLayout(page)),
      rowLayout(new GuiLayout(row)) {}

UnitRowPage::~UnitRowPage() {
    Close();
    DeferDelete(pageLayout);
    DeferDelete(rowLayout);
}

void UnitRowPage::Show() {
    if (owner && owner->corpsPage && owner->corpsOpen) owner->corpsPage->PressClose();
    if (!panel)
        panel = OpenLayoutPanel(pageLayout, parent, this, controls);
    else
        SwitchPanel(panel, true);
    for (int r = 0; r < 6; ++r) {
        Troop* t = owner ? owner->RowTroop(r) : nullptr;
        if (!t) break;
        if (!rowPanels[r])
            rowPanels[r] =
                OpenRowPanel(rowLayout, FindScreenControl(controls, 0x200 + r), panel, this, rowControls[r]);
        else
            rowPanels[r]->enabled = 1;
        DrawRow(t, r);
    }
}

void UnitRowPage::Close() {
    if (!panel) return;
    DropRowPanels(rowPanels, rowControls, 6);
    DropPanel(panel);
    controls = nullptr;
}

void UnitRowPage::Switch(bool on) {
    if (panel) panel->enabled = on ? 1 : 0;
}

void UnitRowPage::RefreshRow(Troop* troop, int r) {
    if (panel && r >= 0 && r < 6 && rowPanels[r]) DrawRow(troop, r);
}

int UnitRowPage::RowOf(const Widget* control) const {
    for (int r = 0; control && r < 6; ++r)
        if (rowPanels[r] && control->parent == rowPanels[r]) return r;
    return -1;
}

Troop* UnitRowPage::TroopOf(const Widget* control) const {
    const int r = RowOf(control);
    return r >= 0 && owner ? owner->RowTroop(r) : nullptr;
}
