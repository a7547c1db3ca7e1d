#include "engine/Tools.h"
#include "gui/TextLabel.h"
#include "net/Zu_LocalSet.h"
#include "net/lobby/LobbyWindows.h"

#include "gui/GuiLayout.h"

#include <cstring>

namespace {
constexpr int kFieldCapacity = 8;
}

Win201Window::Win201Window(Widget* parent, Zu_LocalSet* owner) : LobbyWindow("Win201.gui", parent, owner) {
    AddToDrawList();
    Update();
}

Win201Window::~Win201Window() {
    if (editing >= 0 && Zu_Tools::Global().GetBuffer() == fields[editing])
        Zu_Tools::Global().AttachBuffer(nullptr, 0, 0);
}

void Win201Window::Edit(int n) {
    if (n < 0 || n > 1) return;
    editing = n;
    Zu_Tools::Global().AttachBuffer(fields[n], kFieldCapacity, Zu_Tools::kInputOn);
}

std::string Win201Window::FieldText(int n) const {
    if (n < 0 || n > 1) return {};
    return std::string(fields[n], strnlen(fields[n], kFieldCapacity));
}

void Win201Window::Update() {
    ++frame;
    const int period = layout && layout->labelCount > 0 ? layout->labelCount : 1;
    const bool cursor = (frame / period) % 2 == 0;
    // The password shows as many "X" as it has bytes, never itself.
    const std::string shown[2] = {FieldText(0), std::string(FieldText(1).size(), 'X')};
    for (int n = 0; n < 2; ++n)
        SetText(0x200 + n, 255, 241, 166, 2, shown[n] + (n == editing && cursor ? "_" : ""));
}

void Win201Window::OnControlClick(Widget* control, Point*) {
    if (!control) return;
    const int id = control->id;
    if (id == 0x200 || id == 0x201) {
        Edit(id - 0x200);
    } else if (id >= 0x100 && id < 0x200) {
        Answer(id - 0x100);
    } else if (id == 0x400) {
        SetText(0x200, 255, 241, 166, 2, FieldText(0));
    }
}
