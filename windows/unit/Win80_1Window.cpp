#include "windows/unit/Win80_1Window.h"

#include "Program/ScreenControls.h"
#include "engine/LinkList.h"
#include "gui/DeferredDelete.h"
#include "gui/GuiLayout.h"
#include "gui/GuiPanel.h"
#include "gui/VScrollBar.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "windows/main/FieldText.h"
#include "windows/unit/UnitPanels.h"
#include "windows/unit/Win10Window.h"
#include "windows/unit/Win99Window.h"

#include <algorithm>

namespace {

constexpr int kBack = 0x100, kForward = 0x107, kBar = 0x300;
// The officer whose carried troops the rows never mark.
constexpr int32_t kUnmarkedPerson = 444;

} // namespace

Win80_1Window::Win80_1Window(Widget* parentWidget, Window* ownerWindow)
    : owner(ownerWindow), parent(parentWidget) {
    infoPage = new Win10Window(parentWidget, this);
    layout = new GuiLayout("Win80_1.gui");
    rowLayout = new GuiLayout("Win12.gui");
}

Win80_1Window::~Win80_1Window() {
    Close();
    delete infoPage;
    // Controls made from the layouts may still wait for deletion: the layouts go after them.
    DeferDelete(layout);
    DeferDelete(rowLayout);
}

void Win80_1Window::Close() {
    if (!panel) return;
    infoPage->Close();
    DropRowPanels(rowPanels, rowControls, 6);
    DropPanel(panel);
    controls = nullptr;
    for (Troop*& t : rows)
        t = nullptr;
}

void Win80_1Window::ShowList(LinkList* troops, int first) {
    Close();
    list = troops;
    firstRow = int8_t(std::max(first, 0));
    panel = OpenLayoutPanel(layout, parent, this, controls);
    for (int r = 0; r < 6; ++r)
        rowPanels[r] =
            OpenRowPanel(rowLayout, FindScreenControl(controls, 0x201 + 2 * r), panel, this, rowControls[r]);
    walked = 0;
    const int count = troops ? troops->GetCount() : 0;
    for (int pos = 0; pos < count; ++pos) {
        auto* t = reinterpret_cast<Troop*>(troops->GetAt(pos));
        ++walked;
        const int r = pos - firstRow;
        if (r < 0 || r >= 6 || !t) continue;
        LinkList* rc = rowControls[r];
        Win99Window::ShowPortrait(t, controls, 2 * r, 0);
        rowNames[r] = t->officer ? t->officer->Name() : "";
        ShowFieldText(rowNames[r].c_str(), &rowFonts[r], rc, 0, 2, 12);
        // Unlike the unit panel, every row's strength is red and troops out of play are drawn too.
        if (const int32_t maxHp = t->OfficerValue(OfficerLayout::kMaxHp); maxHp != 0)
            ShowFieldColor(int(int64_t(t->OfficerValue(OfficerLayout::kHp)) * 100 / maxHp), 255, 0, 0, rc, 1,
                           0);
        if (const int32_t maxMp = t->OfficerValue(OfficerLayout::kMaxMp); maxMp != 0)
            ShowFieldColor(int(int64_t(t->OfficerValue(OfficerLayout::kMp)) * 100 / maxMp), 0, 0, 255, rc, 2,
                           0);
        if (t->OfficerValue(OfficerLayout::kPersonNumber) != kUnmarkedPerson && t->followers) {
            for (int m = 0; m < 8; ++m)
                ClearLabel(FindScreenControl(rc, 0x203 + m));
            const int carried = std::min(t->followers->GetCount(), 8);
            for (int m = 0; m < carried; ++m)
                ShowFieldColor(100, 0, 255, 0, rc, 3 + m, 0);
        }
        rows[r] = t;
    }
    if (auto* bar = dynamic_cast<VScrollBar*>(FindScreenControl(controls, kBar))) {
        bar->SetRange(walked, 6, 1);
        bar->position = int16_t(std::clamp<int>(firstRow, 0, std::max<int>(bar->maximum, 0)));
        bar->UpdateLayout();
    }
}

void Win80_1Window::Scroll(int step) {
    auto* bar = dynamic_cast<VScrollBar*>(FindScreenControl(controls, kBar));
    if (!bar) return;
    bar->position = int16_t(std::clamp<int>(bar->position + step, 0, std::max<int>(bar->maximum, 0)));
    ShowList(list, bar->position);
}

void Win80_1Window::OnControlPress(Widget* control, Point*) {
    if (control && control->id == kBar)
        if (auto* bar = dynamic_cast<VScrollBar*>(control)) ShowList(list, bar->position);
}

void Win80_1Window::OnControlHover(Widget* control, Point*) {
    if (!control || control->id != kBar) return;
    if (auto* bar = dynamic_cast<VScrollBar*>(control); bar && bar->position != firstRow)
        ShowList(list, bar->position);
}

void Win80_1Window::OnControlClick(Widget* control, Point*) {
    if (!control || !panel) return;
    if (control->id == kBack) Scroll(-1);
    if (control->id == kForward) Scroll(1);
}

void Win80_1Window::OnControlRightClick(Widget* control, Point*) {
    if (!control || !panel) return;
    const int n = control->id - 0x100;
    if (n < 1 || n > 6 || !rows[n - 1]) return;
    infoTroop = rows[n - 1];
    infoRow = n - 1;
    infoPage->Close();
    infoPage->Show(infoTroop, 500, 100);
}

void Win80_1Window::OnNotify(Window*, int) {}
