#include "windows/unit/Win30Window.h"

#include "Program/ScreenControls.h"
#include "gui/Button.h"
#include "gui/DeferredDelete.h"
#include "gui/GuiLayout.h"
#include "gui/GuiPanel.h"
#include "net/SubCommands.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "windows/unit/UnitPanels.h"

namespace {

using L = OfficerLayout;

constexpr int kFirst[4] = {0, 8, 11, 14};
constexpr int kCount[4] = {8, 3, 3, 3};
constexpr int kOk = 0x111, kCancel = 0x112;

// The least "武力", "智力", "體魄", "魅力", "敏捷" each formation asks of its officer.
constexpr int32_t kFormationMinimum[8][5] = {{0, 0, 0, 0, 0},   {60, 0, 60, 0, 0}, {75, 0, 0, 0, 0},
                                             {0, 60, 0, 0, 60}, {60, 60, 0, 0, 0}, {0, 0, 0, 0, 75},
                                             {0, 0, 75, 0, 0},  {0, 75, 0, 0, 0}};
constexpr uint32_t kValueColumns[5] = {L::kStrength, L::kIntelligence, L::kPhysique, L::kCharm, L::kAgility};
constexpr uint32_t kOrderColumns[4] = {L::kFormation, L::kSpacing, L::kAiType, L::kRetreat};

int GroupOf(int n) {
    for (int g = 3; g >= 0; --g)
        if (n >= kFirst[g]) return g;
    return 0;
}

} // namespace

Win30Window::Win30Window(Widget* parentWidget, Window* ownerWindow)
    : owner(ownerWindow), parent(parentWidget), layout(new GuiLayout("Win30.gui")) {}

Win30Window::~Win30Window() {
    Close();
    DeferDelete(layout);
}

void Win30Window::Show(Troop* t) {
    troop = t;
    if (!panel)
        panel = OpenLayoutPanel(layout, parent, this, controls);
    else
        SwitchPanel(panel, true);
    for (int g = 0; g < 4; ++g) {
        values[g] = int8_t(t ? t->OfficerValue(kOrderColumns[g]) : 0);
        for (int i = 0; i < kCount[g]; ++i)
            if (auto* b = dynamic_cast<Button*>(FindScreenControl(controls, 0x100 + kFirst[g] + i)))
                SetButtonState(b, Button::Radio, i == values[g] ? 1 : 0, int16_t(0x100 + g));
    }
    for (int f = 0; f < 8; ++f) {
        Widget* b = FindScreenControl(controls, 0x100 + f);
        if (!b) continue;
        bool offered = true;
        for (int v = 0; v < 5; ++v)
            offered = offered && (t ? t->OfficerValue(kValueColumns[v]) : 0) >= kFormationMinimum[f][v];
        if (offered) {
            b->visible = 1;
        } else {
            DisableButton(b);
            b->visible = 0;
        }
    }
    DisableButton(FindScreenControl(controls, kOk));
}

void Win30Window::Close() {
    DropPanel(panel);
    controls = nullptr;
}

void Win30Window::OnControlClick(Widget* control, Point*) {
    if (!control) return;
    const int n = control->id - 0x100;
    if (n >= 0 && n < 17) {
        const int g = GroupOf(n);
        values[g] = int8_t(n - kFirst[g]);
        EnableButton(FindScreenControl(controls, kOk));
        return;
    }
    if (control->id != kOk && control->id != kCancel) return;
    if (control->id == kOk && troop)
        NetCmdSetOrderMode(troop, uint32_t(values[0]), uint32_t(values[1]), uint32_t(values[2]),
                           uint32_t(values[3]));
    Close();
    if (owner) owner->OnNotify(this, 1);
}
