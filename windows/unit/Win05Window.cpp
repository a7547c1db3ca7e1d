#include "windows/unit/Win05Window.h"

#include "windows/city/Win80Window.h"

#include "Program/GameController.h"
#include "Program/ScreenControls.h"
#include "engine/LinkList.h"
#include "gui/Button.h"
#include "gui/DeferredDelete.h"
#include "gui/GuiLayout.h"
#include "gui/GuiPanel.h"
#include "gui/MouseCursor.h"
#include "gui/VScrollBar.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "windows/main/FieldText.h"
#include "windows/unit/UnitDrag.h"
#include "windows/unit/UnitPanels.h"
#include "windows/unit/UnitRecords.h"
#include "windows/unit/Win07Window.h"
#include "windows/unit/Win10Window.h"
#include "windows/unit/Win29Window.h"
#include "windows/unit/Win32Window.h"
#include "windows/unit/Win34Window.h"
#include "windows/unit/Win99Window.h"
#include "world/MapView.h"

namespace {

constexpr int kCorps = 0x100, kSkills = 0x101, kBelt = 0x102, kUp = 0x103, kDown = 0x110, kBar = 0x300;
constexpr int kRowSelect = 0x104;
// The officer whose carried troops the rows never mark.
constexpr int32_t kUnmarkedPerson = 444;

int RowOfButton(int id) {
    const int n = id - kRowSelect;
    return n >= 0 && n < 12 && n % 2 == 0 ? n / 2 : -1;
}

void Hide(Widget* w) {
    if (!w) return;
    w->visible = 0;
    w->enabled = 0;
}

} // namespace

Win05Window* UnitPanel() {
    return TheWin99 ? TheWin99->GetPanel() : nullptr;
}

void RefreshUnitPanel(Troop* troop, int mask) {
    if (Win05Window* panel = UnitPanel()) panel->UpdateTroop(troop, mask);
}

bool UnitPanelShown() {
    return TheWin99 && TheWin99->GetPanel() && TheWin99->GetPanel()->Shown();
}

Win05Window::Win05Window(Widget* parentWidget, Window* hostWindow) : host(hostWindow), parent(parentWidget) {
    equipmentPage = new Win07Window(parentWidget, this);
    infoPage = new Win10Window(parentWidget, this);
    corpsPage = new Win29Window(parentWidget, this);
    skillsPage = new Win32Window(parentWidget, this);
    beltPage = new Win34Window(parentWidget, this);
    layoutCity = new GuiLayout("Win05.gui");
    layoutField = new GuiLayout("Win05_1.gui");
    rowLayout = new GuiLayout("Win12.gui");
}

Win05Window::~Win05Window() {
    ClosePanel();
    delete equipmentPage;
    delete infoPage;
    delete corpsPage;
    delete skillsPage;
    delete beltPage;
    // Controls made from the layouts may still wait for deletion: the layouts go after them.
    DeferDelete(layoutCity);
    DeferDelete(layoutField);
    DeferDelete(rowLayout);
}

Widget* Win05Window::Find(int id) const {
    return FindScreenControl(controls, id);
}

Troop* Win05Window::DragRowTroop() const {
    if (!TheMouseCursor) return nullptr;
    return RowTroop(int((TheMouseCursor->dragValue >> 8) & 15));
}

void Win05Window::ClosePanel() {
    if (!panel) return;
    equipTroop = nullptr;
    list = nullptr;
    if (subPage == 2) beltPage->Close();
    if (subPage == 1) skillsPage->Close();
    equipmentPage->Close();
    corpsPage->Close();
    infoPage->Close();
    DropRowPanels(rowPanels, rowControls, 6);
    for (Troop*& t : rows)
        t = nullptr;
    DropPanel(panel);
    controls = nullptr;
}

void Win05Window::ShowUnits(LinkList* troops, int focus, int first, int newMode, int openCorps) {
    UnitDragSource = nullptr;
    if (TheMouseCursor) TheMouseCursor->SetDragPayload(0, 0);
    ClosePanel();
    if (!troops) return;
    layout = newMode == 0 ? layoutField : layoutCity;
    list = troops;
    mode = uint8_t(newMode);
    const int count = troops->GetCount();
    if (mode == 0 && count == 0) return;
    firstRow = int8_t((focus < 7 || count < 7) ? first : std::min(focus - 1, count - 6));
    // The preparation window's title strip stays uncovered.
    panel = OpenLayoutPanel(layout, parent, this, controls, 0, PreparationWindow() ? 36 : 0);
    if (mode == 0) {
        Hide(Find(kUp));
        Hide(Find(kDown));
        Hide(Find(kBar));
    }
    for (int r = 0; r < 6; ++r) {
        rowPanels[r] = OpenRowPanel(rowLayout, Find(0x201 + 2 * r), panel, this, rowControls[r]);
        rows[r] = nullptr;
    }
    int walked = 0;
    for (int pos = 0; pos < count; ++pos) {
        auto* t = reinterpret_cast<Troop*>(troops->GetAt(pos));
        ++walked;
        if (pos < firstRow || pos >= firstRow + 6) continue;
        DrawRow(pos - firstRow, t);
    }
    shownCount = int8_t(walked);
    if (auto* bar = dynamic_cast<VScrollBar*>(Find(kBar))) {
        bar->SetRange(count, 6, 1);
        bar->position = int16_t(std::clamp<int>(firstRow, 0, std::max<int>(bar->maximum, 0)));
        bar->UpdateLayout();
    }
    if (mode == 1) {
        DisableButton(Find(kSkills));
        DisableButton(Find(kBelt));
    } else if (mode == 2) {
        DisableButton(Find(kCorps));
        DisableButton(Find(kSkills));
        DisableButton(Find(kBelt));
    } else if (subPage == 2) {
        beltPage->Show();
    } else if (subPage == 1) {
        skillsPage->Show();
    }
    if (focus > 0) {
        const int r = focus - 1 - firstRow;
        if (r >= 0 && r < 6) OnControlRightClick(Find(kRowSelect + 2 * r), nullptr);
    }
    if (openCorps) OnControlClick(Find(kCorps), nullptr);
}

void Win05Window::DrawRow(int r, Troop* t) {
    LinkList* rc = rowControls[r];
    Win99Window::ShowPortrait(t, controls, 2 * r, 0);
    rowNames[r] = t && t->officer ? t->officer->Name() : "";
    ShowFieldText(rowNames[r].c_str(), &rowFonts[r], rc, 0, 2, 12);
    if (!unitrec::OutOfPlay(t)) {
        const int32_t maxHp = t->OfficerValue(OfficerLayout::kMaxHp);
        if (maxHp > 0) {
            const int percent = int(int64_t(t->OfficerValue(OfficerLayout::kHp)) * 100 / maxHp);
            const uint16_t c = Win99Window::StrengthColour(percent);
            ShowFieldColor(percent, uint8_t((c >> 8) & 0xF8), uint8_t((c >> 3) & 0xFC), 0, rc, 1, 0);
        }
        const int32_t maxMp = t->OfficerValue(OfficerLayout::kMaxMp);
        ShowFieldColor(maxMp > 0 ? int(int64_t(t->OfficerValue(OfficerLayout::kMp)) * 100 / maxMp) : 0, 0, 0,
                       255, rc, 2, 0);
        for (int m = 0; m < 8; ++m)
            ClearLabel(FindScreenControl(rc, 0x203 + m));
        const int carried = t->followers ? std::min(t->followers->GetCount(), 8) : 0;
        if (t->OfficerValue(OfficerLayout::kPersonNumber) != kUnmarkedPerson)
            for (int m = 0; m < carried; ++m)
                ShowFieldColor(100, 0, 255, 0, rc, 3 + m, 0);
    }
    if (PreparationWindow()) {
        Widget* mark = Find(kRowSelect + 1 + 2 * r);
        if (t && t->OfficerValue(OfficerLayout::kMustAppear) != 0)
            ShowButtonPressed(mark);
        else if (auto* b = dynamic_cast<Button*>(mark))
            b->EraseToBackground();
    }
    rows[r] = t;
}

void Win05Window::UpdateTroop(Troop* troop, int mask) {
    if (!panel) return;
    if (!troop) {
        UnitDragSource = nullptr;
        if (TheMouseCursor) TheMouseCursor->ClearImage();
        const bool corps = corpsOpen != 0;
        if (equipTroop) {
            const int focus = equipRow + 1 + firstRow;
            equipTroop = nullptr;
            ShowUnits(list, focus, firstRow, mode, 0);
        } else {
            ShowUnits(list, 0, firstRow, mode, 0);
        }
        if (corps) OnControlClick(Find(kCorps), nullptr);
        return;
    }
    int r = 0;
    while (r < 6 && rows[r] && rows[r] != troop)
        ++r;
    if (r == 6 || rows[r] != troop || unitrec::OutOfPlay(troop)) return;
    if (mask & 3) DrawRow(r, troop);
    if (mask & 1) {
        equipmentPage->RefreshInfo(troop);
        infoPage->Refresh(troop);
    }
    if (mask & 2) equipmentPage->RefreshForTroop(troop);
    if (mask & 4) {
        skillsPage->RefreshRow(troop, r);
        equipmentPage->RefreshSkills(troop);
    }
    if (mask & 8) {
        beltPage->RefreshRow(troop, r);
        equipmentPage->RefreshItems(troop);
    }
    corpsPage->RefreshRow(troop, r, mask);
}

void Win05Window::SubPagesOn(bool on) {
    skillsPage->Switch(on);
    beltPage->Switch(on);
}

void Win05Window::CloseSubPage() {
    if (subPage == 1) skillsPage->Close();
    if (subPage == 2) beltPage->Close();
}

void Win05Window::ShowEquipment(Troop* troop, int row) {
    equipTroop = troop;
    equipRow = int8_t(row);
    if (mode == 2) {
        infoPage->Show(troop, 0, 0);
        return;
    }
    equipmentPage->Close();
    equipmentPage->Show(troop);
}

void Win05Window::OnControlPress(Widget* control, Point*) {
    if (!control || control->id != kBar) return;
    if (auto* bar = dynamic_cast<VScrollBar*>(control)) ShowUnits(list, 0, bar->position, mode, 0);
}

void Win05Window::OnControlClick(Widget* control, Point*) {
    if (!control || !panel) return;
    const int id = control->id;
    switch (id) {
    case kCorps:
        corpsPage->Show(list, 0);
        panel->enabled = 0;
        SubPagesOn(false);
        corpsOpen = 1;
        return;
    case kSkills:
    case kBelt: {
        const uint8_t was = subPage;
        CloseSubPage();
        subPage = 0;
        if (id == kSkills && was != 1) {
            skillsPage->Show();
            subPage = 1;
        }
        if (id == kBelt && was != 2) {
            beltPage->Show();
            subPage = 2;
        }
        return;
    }
    case kUp:
    case kDown:
        if (auto* bar = dynamic_cast<VScrollBar*>(Find(kBar))) {
            bar->position = int16_t(
                std::clamp<int>(bar->position + (id == kUp ? -1 : 1), 0, std::max<int>(bar->maximum, 0)));
            ShowUnits(list, 0, bar->position, mode, 0);
        }
        return;
    default:
        break;
    }
    const int r = RowOfButton(id);
    if (r < 0 || !rows[r]) return;
    if (Win80Window* preparation = PreparationWindow()) {
        ToggleChosen(r, preparation);
        return;
    }
    if (mode == 2) return;
    if (TheGameController && TheGameController->gameScreen)
        TheGameController->gameScreen->SelectUnit(rows[r]);
}

// During the preparation a row's button marks its troop for the battle, up to the campaign's
// quota, or takes the mark away.
void Win05Window::ToggleChosen(int r, Win80Window* preparation) {
    Troop* t = rows[r];
    if (!t || !t->officer) return;
    Widget* mark = Find(kRowSelect + 1 + 2 * r);
    if (t->OfficerValue(OfficerLayout::kMustAppear) != 0) {
        t->officer->Set(OfficerLayout::kMustAppear, 0);
        if (auto* b = dynamic_cast<Button*>(mark)) b->EraseToBackground();
        ShowButtonNormal(mark);
        preparation->RefreshCount();
    } else if (preparation->RefreshCount() < preparation->Quota()) {
        t->officer->Set(OfficerLayout::kMustAppear, 2);
        ShowButtonPressed(mark);
        preparation->RefreshCount();
    }
}

void Win05Window::OnControlRightClick(Widget* control, Point*) {
    if (!control || !panel) return;
    const int r = RowOfButton(control->id);
    if (r < 0 || !rows[r]) return;
    ShowEquipment(rows[r], r);
    DisableButton(Find(kCorps));
    DisableButton(Find(kSkills));
    DisableButton(Find(kBelt));
    SubPagesOn(false);
}

void Win05Window::OnControlHover(Widget* control, Point*) {
    if (!control || control->id != kBar) return;
    if (auto* bar = dynamic_cast<VScrollBar*>(control); bar && bar->position != firstRow)
        ShowUnits(list, 0, bar->position, mode, 0);
}

void Win05Window::OnControlRelease(Widget* control, Point*) {
    if (!control) return;
    const int r = RowOfButton(control->id);
    if (r < 0 || !rows[r]) return;
    Win99Window::DropOnTroop(rows[r], DragRowTroop(), mode);
}

void Win05Window::OnNotify(Window* child, int) {
    if (!panel) return;
    if (child == corpsPage) {
        panel->enabled = 1;
        SubPagesOn(true);
        corpsOpen = 0;
        return;
    }
    if (child == equipmentPage || child == infoPage) {
        if (mode == 0) {
            EnableButton(Find(kCorps));
            EnableButton(Find(kSkills));
            EnableButton(Find(kBelt));
        } else if (mode == 1) {
            EnableButton(Find(kCorps));
        }
        SubPagesOn(true);
        if (equipTroop && equipRow >= 0 && equipRow < 6 && rows[equipRow]) DrawRow(equipRow, rows[equipRow]);
        equipTroop = nullptr;
    }
}

int Win05Window::NextRowKey() {
    if (!equipTroop) return 0;
    UnitDragSource = nullptr;
    if (TheMouseCursor) TheMouseCursor->ClearImage();
    int r = equipRow + 1;
    if (r > 5 || !rows[r]) r = 0;
    if (r != equipRow && rows[r]) ShowEquipment(rows[r], r);
    return 1;
}

int Win05Window::PressButtonKey(int n) {
    if (!panel) return 0;
    Widget* button = Find(0x100 + n);
    if (n >= 0 && n <= 2 && button && button->enabled) {
        ShowButtonNormal(button);
        OnControlClick(button, nullptr);
    }
    return 1;
}

int Win05Window::SwitchSubPageKey() {
    return PressButtonKey(subPage == 0 || subPage == 2 ? 1 : 2);
}
