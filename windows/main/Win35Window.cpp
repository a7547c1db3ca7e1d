#include "windows/main/Win35Window.h"

#include "gui/GuiPanel.h"
#include "windows/WindowHosts.h"
#include "windows/main/Win01Window.h"

Win35Window::Win35Window(Widget* parent, Window* mainPanel) : ScreenWindow("Win35.gui", parent, mainPanel) {
    AddToDrawList();
}

void Win35Window::OnControlClick(Widget* control, Point*) {
    if (!control || (control->id & 0xFF00) != 0x100) return;
    const int n = control->id & 0xFF;
    if (n == 0 || n == 1) {
        channel = uint8_t(n);
        if (owner) owner->OnNotify(this, 1);
    } else if (n == 2 && !rowsWindow) {
        if (panel) panel->visible = 0;
        rowsWindow = new Win36Window(parentWidget, this);
    }
}

void Win35Window::OnPanelIdle() {
    if (owner) owner->OnNotify(this, 0);
}

void Win35Window::OnNotify(Window* source, int result) {
    if (!source || source != rowsWindow) return;
    rowsWindow = nullptr;
    source->Close(1);
    if (panel) panel->visible = 1;
    if (result < 0) return;
    if (TheWin01Host && TheWin01Host->mainPanel) {
        TheWin01Host->mainPanel->chatRows = int8_t(result);
        if (owner) owner->OnNotify(this, 2);
    } else if (owner) {
        owner->OnNotify(this, result + 20);
    }
}

int Win35Window::Finish(int result) {
    if (rowsWindow) {
        Window* rows = rowsWindow;
        rowsWindow = nullptr;
        rows->Close(1);
    }
    return Close(result);
}

Win36Window::Win36Window(Widget* parent, Window* settings) : ScreenWindow("Win36.gui", parent, settings) {
    AddToDrawList();
}

void Win36Window::OnControlClick(Widget* control, Point*) {
    if (!control || (control->id & 0xFF00) != 0x100) return;
    const int n = control->id & 0xFF;
    if (n <= 5 && owner) owner->OnNotify(this, 5 - n);
}

void Win36Window::OnPanelIdle() {
    if (owner) owner->OnNotify(this, -1);
}
