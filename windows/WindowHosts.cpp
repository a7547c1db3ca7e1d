#include "windows/WindowHosts.h"

#include "windows/Win04Window.h"

Win01HostWindow* TheWin01Host = nullptr;
Win98Window* TheWin98 = nullptr;

Win01HostWindow::Win01HostWindow(Widget* parent, GameController* owner)
    : minimap(new Win04Window(parent, owner)) {}

Win01HostWindow::~Win01HostWindow() {
    delete minimap;
    minimap = nullptr;
}
