#include "windows/WindowHosts.h"

#include "windows/Win04Window.h"
#include "windows/main/Win01Window.h"
#include "windows/main/Win11Window.h"

Win01HostWindow* TheWin01Host = nullptr;

Win01HostWindow::Win01HostWindow(Widget* parent, GameController* owner)
    : mainPanel(new Win01Window(parent, owner)), minimap(new Win04Window(parent, owner)),
      groupList(new Win11Window(parent, owner)) {}

Win01HostWindow::~Win01HostWindow() {
    delete mainPanel;
    mainPanel = nullptr;
    delete minimap;
    minimap = nullptr;
    delete groupList;
    groupList = nullptr;
}

Win01Window* MainPanel() {
    return TheWin01Host ? TheWin01Host->mainPanel : nullptr;
}
