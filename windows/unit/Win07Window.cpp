#include "windows/unit/Win07Window.h"

#include "Program/ScreenControls.h"
#include "gui/DeferredDelete.h"
#include "gui/GuiLayout.h"
#include "gui/GuiPanel.h"
#include "net/SubCommands.h"
#include "net/TroopCommands.h"
#include "records/InfoText.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "troops/Troop.h"
#include "windows/unit/UnitPanels.h"
#include "windows/unit/UnitRecords.h"
#include "windows/unit/Win05Window.h"
#include "windows/unit/Win30Window.h"
#include "windows/unit/Win99Window.h"

namespace {

constexpr int kClose = 0x101, kCaption = 0x600, kGridFrame = 0x10;

} // namespace

// Casts skill slot s of the troop at its own cell: the index of its class, slot and level.
void CastSkillSlot(Troop* troop, int s) {
    const int32_t level = unitrec::SkillLevel(troop, s);
    if (!troop || level == 0) return;
    NetCmdEngage(troop, nullptr, troop->cellX, troop->cellY,
                 unitrec::SkillIndex(troop->OfficerValue(OfficerLayout::kClass), s, level));
}

Win07Window::Win07Window(Widget* parentWidget, Win05Window* ownerPanel)
    : owner(ownerPanel), parent(parentWidget), layout(new GuiLayout("Win07.gui")) {}

Win07Window::~Win07Window() {
    Close();
    delete orderPage;
    DeferDelete(layout);
}

void Win07Window::Show(Troop* troop) {
    if (!panel)
        panel = OpenLayoutPanel(layout, parent, this, controls);
    else
        SwitchPanel(panel, true);
    shown = troop;
    Win99Window::ShowTroopInfo(troop, controls, texts, true);
    Win99Window::ShowCarryGrid(troop, panel, controls, this, 10, kGridFrame);
    Win99Window::ShowSkillButtons(troop, controls, 0);
    Win99Window::ShowItemIcons(troop, controls, 0, false);
    Win99Window::ShowOrderCaption(troop, controls, texts.caption, texts.captionFont);
    DisableButton(FindScreenControl(controls, 0x100));
}

void Win07Window::Close() {
    if (panel && orderPage) {
        orderPage->Close();
        orderOpen = 0;
    }
    DropPanel(panel);
    controls = nullptr;
}

void Win07Window::RefreshInfo(Troop* troop) {
    if (Shows(troop)) Win99Window::ShowTroopInfo(troop, controls, texts, true);
}

void Win07Window::RefreshForTroop(Troop* troop) {
    if (!Shows(troop)) return;
    Win99Window::ShowOrderCaption(troop, controls, texts.caption, texts.captionFont);
    Win99Window::ShowCarryGrid(troop, panel, controls, this, 10, kGridFrame);
}

void Win07Window::RefreshSkills(Troop* troop) {
    if (Shows(troop)) Win99Window::ShowSkillButtons(troop, controls, 0);
}

void Win07Window::RefreshItems(Troop* troop) {
    if (Shows(troop)) Win99Window::ShowItemIcons(troop, controls, 0, false);
}

void Win07Window::ClearEquipSlot(int slot) {
    if (shown) NetCmdDropItem(shown, uint32_t(slot), 0);
}

void Win07Window::PressClose() {
    if (panel) OnControlClick(FindScreenControl(controls, kClose), nullptr);
}

void Win07Window::OnControlClick(Widget* control, Point*) {
    if (!control) return;
    const int id = control->id;
    if (id >= 0x400 && id < 0x423) {
        Win99Window::DropOnSlot(shown, shown, id - 0x400, owner ? owner->mode : 0);
    } else if (id == kClose) {
        Close();
        if (owner) owner->OnNotify(this, 1);
    } else if (id >= 0x200 && id < 0x210) {
        Win99Window::DropOnTroop(shown, nullptr, owner ? owner->mode : 0);
    } else if (id >= 0x500 && id < 0x508) {
        CastSkillSlot(shown, id - 0x500);
    } else if (id == kCaption && shown && !unitrec::OutOfPlay(shown)) {
        if (!orderPage) orderPage = new Win30Window(parent, this);
        orderPage->Show(shown);
        SwitchPanel(panel, false);
        orderOpen = 1;
    }
}

void Win07Window::OnControlRightPress(Widget* control, Point*) {
    if (!control || !owner || owner->mode != 0) return;
    if (control->id >= 0x406 && control->id <= 0x409 && shown)
        NetCmdUseItem(shown, uint32_t(control->id - 0x400));
}

void Win07Window::OnControlToggle(Widget* control, Point*) {
    if (control && control->id >= 0x400 && control->id < 0x423)
        Win99Window::BeginDrag(this, shown, control->id - 0x400, 0);
}

void Win07Window::OnControlHover(Widget* control, Point* point) {
    if (!control || !point || !shown) return;
    const int id = control->id;
    if (id >= 0x400 && id < 0x40A) {
        if (const int32_t item = Win99Window::GetSlotItem(shown, id - 0x400))
            ComposeDescription(InfoText::kItem, ItemBlock(item), this, 0);
    } else if (id >= 0x500 && id < 0x508) {
        const int s = id - 0x500;
        if (const int32_t level = unitrec::SkillLevel(shown, s))
            ComposeDescription(
                InfoText::kSkill,
                SkillBlock(unitrec::SkillIndex(shown->OfficerValue(OfficerLayout::kClass), s, level)), this,
                0);
    }
}

void Win07Window::OnNotify(Window* child, int) {
    if (child != orderPage) return;
    SwitchPanel(panel, true);
    orderOpen = 0;
    RefreshForTroop(shown);
}
