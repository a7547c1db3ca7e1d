#include "gui/VScrollBar.h"
#include "net/Zu_LocalSet.h"
#include "net/lobby/LobbyWindows.h"

#include <algorithm>

namespace {
const int32_t kLabels[2][6] = {{0x202, 0x206, 0x20A, 0x20E, 0x212, 0x216},
                               {0x203, 0x207, 0x20B, 0x20F, 0x213, 0x217}};
// Toggles of both columns, then the arrows.
const int32_t kClicks[16] = {0x400, 0x402, 0x404, 0x406, 0x408, 0x40A, 0x401, 0x403,
                             0x405, 0x407, 0x409, 0x40B, 0x100, 0x102, 0x101, 0x103};
constexpr int kRange = 8;
constexpr int kVisible = 6;
} // namespace

Win210Window::Win210Window(Widget* parent, Zu_LocalSet* owner) : LobbyWindow("Win210.gui", parent, owner) {
    for (int k = 0; k < 2; ++k)
        if (auto* bar = dynamic_cast<VScrollBar*>(Control(0x300 + k))) bar->SetRange(kRange, kVisible, 1);
    AddToDrawList();
    Refresh();
}

void Win210Window::Refresh() {
    for (int k = 0; k < 2; ++k)
        if (auto* bar = dynamic_cast<VScrollBar*>(Control(0x300 + k))) scroll[k] = bar->position;
    const std::vector<RoomGeneral> none;
    const std::vector<RoomGeneral>& list = session && session->win208 ? session->win208->generals : none;
    // Column 0 lists the first side; column 1 the entries after it.
    size_t at = std::min<size_t>(size_t(scroll[0]), list.size());
    for (int row = 0; row < 6; ++row) {
        const bool has = at < list.size();
        SetText(kLabels[0][row], 255, 241, 166, 2, has ? list[at].name : "");
        if (has) ++at;
    }
    while (at < list.size() && list[at].side == 1)
        ++at;
    at = std::min(list.size(), at + size_t(scroll[1]));
    for (int row = 0; row < 6; ++row) {
        const bool has = at < list.size();
        SetText(kLabels[1][row], 255, 241, 166, 2, has ? list[at].name : "");
        if (has) ++at;
    }
}

void Win210Window::OnControlClick(Widget* control, Point*) {
    if (!control) return;
    const int index = Zu_LocalSet2::IdToIndex(16, kClicks, control->id);
    if (index < 0) return;
    if (index >= 12) {
        const int column = (index - 12) / 2;
        const int step = (index - 12) % 2 ? 1 : -1;
        if (auto* bar = dynamic_cast<VScrollBar*>(Control(0x300 + column))) {
            bar->position = int16_t(std::clamp(bar->position + step, 0, kRange - kVisible));
            bar->UpdateLayout();
        }
        Refresh();
        return;
    }
    Answer(100 + index);
}

void Win210Window::OnControlPress(Widget* control, Point*) {
    if (control && (control->id & 0xFF00) == 0x300) Refresh();
}

void Win210Window::OnControlHover(Widget* control, Point* p) {
    OnControlPress(control, p);
}
