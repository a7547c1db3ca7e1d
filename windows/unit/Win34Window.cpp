#include "windows/unit/Win34Window.h"

#include "gui/Widget.h"
#include "net/SubCommands.h"
#include "records/InfoText.h"
#include "records/RecordTables.h"
#include "troops/Troop.h"
#include "windows/unit/Win05Window.h"
#include "windows/unit/Win99Window.h"

Win34Window::Win34Window(Widget* parentWidget, Win05Window* ownerPanel)
    : UnitRowPage(parentWidget, ownerPanel, "Win34.gui", "Win33.gui") {}

void Win34Window::DrawRow(Troop* troop, int r) {
    Win99Window::ShowItemIcons(troop, rowControls[r], 0, true);
}

Troop* Win34Window::GetSlotTroop(int n) const {
    return owner ? owner->RowTroop(n) : nullptr;
}

void Win34Window::ClearEquipSlot(int row, int slot) {
    if (Troop* t = GetSlotTroop(row)) NetCmdDropItem(t, uint32_t(slot), 0);
}

void Win34Window::OnControlClick(Widget* control, Point*) {
    Troop* t = TroopOf(control);
    if (!t || control->id < 0x400 || control->id > 0x403) return;
    Win99Window::DropOnSlot(t, owner->DragRowTroop(), control->id - 0x400 + 6, owner->mode);
}

void Win34Window::OnControlRightPress(Widget* control, Point*) {
    Troop* t = TroopOf(control);
    if (t && control->id >= 0x400 && control->id <= 0x403)
        NetCmdUseItem(t, uint32_t(control->id - 0x400 + 6));
}

void Win34Window::OnControlToggle(Widget* control, Point*) {
    Troop* t = TroopOf(control);
    if (!t || control->id < 0x400 || control->id > 0x403) return;
    const int slot = control->id - 0x400 + 6;
    if (Win99Window::GetSlotItem(t, slot) != 0) Win99Window::BeginDrag(this, t, slot, RowOf(control));
}

void Win34Window::OnControlHover(Widget* control, Point* point) {
    Troop* t = TroopOf(control);
    if (!t || !point || control->id < 0x400 || control->id > 0x403) return;
    if (const int32_t item = Win99Window::GetSlotItem(t, control->id - 0x400 + 6))
        ComposeDescription(InfoText::kItem, ItemBlock(item), this, 0);
}
