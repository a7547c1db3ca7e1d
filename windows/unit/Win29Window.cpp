#include "windows/unit/Win29Window.h"

#include "Program/GameController.h"
#include "Program/ScreenControls.h"
#include "engine/LinkList.h"
#include "gui/DeferredDelete.h"
#include "gui/GuiLayout.h"
#include "gui/GuiPanel.h"
#include "gui/VScrollBar.h"
#include "net/SubCommands.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "windows/main/FieldText.h"
#include "windows/unit/UnitPanels.h"
#include "windows/unit/UnitRecords.h"
#include "windows/unit/Win05Window.h"
#include "windows/unit/Win07Window.h"
#include "windows/unit/Win30Window.h"
#include "windows/unit/Win99Window.h"

namespace {

constexpr int kNextGroup = 0x100, kView0 = 0x101, kView1 = 0x102, kBack = 0x103, kForward = 0x104,
              kClose = 0x105;
constexpr int kGridFrame = 0x0A;

bool GroupInUse(const GameController* c, int g) {
    return c->groupHeaders[g] && c->groupHeaders[g]->memberCount > 0;
}

} // namespace

Win29Window::Win29Window(Widget* parentWidget, Win05Window* ownerPanel)
    : owner(ownerPanel), parent(parentWidget), layout(new GuiLayout("Win29.gui")) {
    rowLayouts[0] = new GuiLayout("Win08.gui");
    rowLayouts[1] = new GuiLayout("Win09.gui");
}

Win29Window::~Win29Window() {
    Close();
    delete orderPage;
    DeferDelete(layout);
    DeferDelete(rowLayouts[0]);
    DeferDelete(rowLayouts[1]);
}

void Win29Window::Show(LinkList* shownList, int newView) {
    if (!panel) panel = OpenLayoutPanel(layout, parent, this, controls);
    SwitchPanel(panel, true);
    list = shownList;
    if (list && list->GetCount() > 0) {
        auto* leader = reinterpret_cast<Troop*>(list->GetAt(0));
        if (leader && leader->officer) {
            leaderText = std::string("\xad\x78\xb9\xce\xb9\xce\xaa\xf8") +
                         std::string(leader->officer->Name()); // 軍團團長
            ShowFieldText(leaderText.c_str(), &leaderFont, controls, 0, 2, 14);
        }
    }
    if (newView < 2) view = int8_t(newView);
    for (int r = 0; r < 6; ++r) {
        if (GuiPanel* other = rows[1 - view][r]) {
            other->visible = 0;
            other->enabled = 0;
        }
        Troop* t = owner ? owner->RowTroop(r) : nullptr;
        if (!t) continue;
        GuiPanel*& row = rows[view][r];
        if (!row)
            row = OpenRowPanel(rowLayouts[view], FindScreenControl(controls, 0x201 + r), panel, this,
                               rowControls[view][r]);
        row->visible = 1;
        row->enabled = 1;
        DrawRow(t, r, 0xF);
    }
    const int count = list ? list->GetCount() : 0;
    auto* bar = owner ? dynamic_cast<VScrollBar*>(FindScreenControl(owner->controls, 0x300)) : nullptr;
    if (count < 7) {
        DisableButton(FindScreenControl(controls, kBack));
        DisableButton(FindScreenControl(controls, kForward));
    } else if (bar) {
        if (bar->position >= bar->maximum) DisableButton(FindScreenControl(controls, kForward));
        if (bar->position == 0) DisableButton(FindScreenControl(controls, kBack));
    }
    int groups = 0;
    if (TheGameController)
        for (int g = 0; g < 10; ++g)
            groups += GroupInUse(TheGameController, g) ? 1 : 0;
    if (groups < 2) DisableButton(FindScreenControl(controls, kNextGroup));
    Widget* on = FindScreenControl(controls, view == 0 ? kView0 : kView1);
    Widget* off = FindScreenControl(controls, view == 0 ? kView1 : kView0);
    ShowButtonPressed(on);
    if (on) on->enabled = 0;
    EnableButton(off);
}

void Win29Window::DrawRow(Troop* t, int r, int mask) {
    LinkList* rc = rowControls[view][r];
    if (!rc) return;
    if (view == 0) {
        if (mask & 1) Win99Window::ShowTroopInfo(t, rc, rowTexts[0][r], true);
        if (mask & 8) Win99Window::ShowItemIcons(t, rc, 0, false);
    } else {
        if (mask & 1) Win99Window::ShowTroopInfo(t, rc, rowTexts[1][r], false);
        if (mask & 4) Win99Window::ShowSkillButtons(t, rc, 0);
        if (mask & 2) {
            Win99Window::ShowCarryGrid(t, rows[1][r], rc, this, 0, kGridFrame);
            Win99Window::ShowOrderCaption(t, rc, rowTexts[1][r].caption, rowTexts[1][r].captionFont);
        }
    }
    DisableButton(FindScreenControl(rc, 0x100));
}

void Win29Window::Close() {
    if (panel && orderPage) orderPage->Close();
    for (int v = 0; v < 2; ++v)
        DropRowPanels(rows[v], rowControls[v], 6);
    DropPanel(panel);
    controls = nullptr;
}

void Win29Window::RefreshRow(Troop* troop, int r, int mask) {
    if (panel && r >= 0 && r < 6 && rows[view][r]) DrawRow(troop, r, mask);
}

void Win29Window::RefreshForTroop(Troop* troop) {
    if (!panel || !troop) return;
    for (int r = 0; r < 6; ++r)
        if (owner && owner->RowTroop(r) == troop && rows[1][r]) {
            Win99Window::ShowOrderCaption(troop, rowControls[1][r], rowTexts[1][r].caption,
                                          rowTexts[1][r].captionFont);
            Win99Window::ShowCarryGrid(troop, rows[1][r], rowControls[1][r], this, 0, kGridFrame);
        }
}

Troop* Win29Window::GetSlotTroop(int n) const {
    return owner ? owner->RowTroop(n) : nullptr;
}

void Win29Window::ClearEquipSlot(int row, int slot) {
    if (Troop* t = GetSlotTroop(row)) NetCmdDropItem(t, uint32_t(slot), 0);
}

void Win29Window::PressClose() {
    if (panel) OnControlClick(FindScreenControl(controls, kClose), nullptr);
}

bool Win29Window::RowOf(const Widget* control, int& v, int& r) const {
    for (v = 0; control && v < 2; ++v)
        for (r = 0; r < 6; ++r)
            if (rows[v][r] && control->parent == rows[v][r]) return true;
    return false;
}

void Win29Window::OnControlClick(Widget* control, Point*) {
    if (!control) return;
    int v = 0, r = 0;
    if (RowOf(control, v, r)) {
        Troop* t = GetSlotTroop(r);
        if (!t) return;
        const int id = control->id;
        const int mode = owner ? owner->mode : 0;
        Troop* source = owner ? owner->DragRowTroop() : nullptr;
        if (id >= 0x400 && id < 0x419)
            Win99Window::DropOnSlot(t, source, id - 0x400 + (v == 1 ? 10 : 0), mode);
        else if (id >= 0x200 && id < 0x210)
            Win99Window::DropOnTroop(t, source, mode);
        else if (v == 1 && id >= 0x500 && id < 0x508)
            CastSkillSlot(t, id - 0x500);
        else if (v == 1 && id == 0x600 && !unitrec::OutOfPlay(t)) {
            if (!orderPage) orderPage = new Win30Window(parent, this);
            orderPage->Show(t);
            orderRow = int8_t(r);
            panel->enabled = 0;
        }
        return;
    }
    switch (control->id) {
    case kNextGroup: {
        GameController* c = TheGameController;
        if (!c) return;
        for (int step = 1; step <= 10; ++step) {
            const int g = (c->currentGroup + step + 10) % 10;
            if (!GroupInUse(c, g)) continue;
            if (g != c->currentGroup) c->SelectGroup(g);
            break;
        }
        return;
    }
    case kView0:
    case kView1:
        Show(list, control->id == kView0 ? 0 : 1);
        return;
    case kBack:
    case kForward: {
        auto* bar = owner ? dynamic_cast<VScrollBar*>(FindScreenControl(owner->controls, 0x300)) : nullptr;
        if (!bar) return;
        const int moved = bar->position + (control->id == kBack ? -bar->page : bar->page);
        bar->position = int16_t(std::clamp(moved, 0, std::max<int>(bar->maximum, 0)));
        owner->ShowUnits(owner->list, 0, bar->position, owner->mode, 0);
        Show(list, view);
        return;
    }
    case kClose:
        Close();
        if (owner) owner->OnNotify(this, 1);
        return;
    default:
        return;
    }
}

void Win29Window::OnControlRightPress(Widget* control, Point*) {
    int v = 0, r = 0;
    if (!RowOf(control, v, r) || v != 0 || !owner || owner->mode != 0) return;
    if (control->id >= 0x406 && control->id <= 0x409)
        if (Troop* t = GetSlotTroop(r)) NetCmdUseItem(t, uint32_t(control->id - 0x400));
}

void Win29Window::OnControlToggle(Widget* control, Point*) {
    int v = 0, r = 0;
    if (!RowOf(control, v, r) || control->id < 0x400 || control->id >= 0x419) return;
    Win99Window::BeginDrag(this, GetSlotTroop(r), control->id - 0x400 + (v == 1 ? 10 : 0), r);
}

void Win29Window::OnNotify(Window* child, int) {
    if (child != orderPage || !panel) return;
    panel->enabled = 1;
    if (Troop* t = GetSlotTroop(orderRow)) {
        Win99Window::ShowOrderCaption(t, rowControls[1][orderRow], rowTexts[1][orderRow].caption,
                                      rowTexts[1][orderRow].captionFont);
        RefreshRow(t, orderRow, 2);
    }
}
