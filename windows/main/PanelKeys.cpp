#include "windows/main/PanelKeys.h"

#include "Program/GameController.h"
#include "events/EventManager.h"
#include "gui/GuiPanel.h"
#include "windows/SidePanels.h"
#include "windows/WindowHosts.h"
#include "windows/main/Win01Window.h"
#include "windows/main/Win11Window.h"
#include "windows/main/Win26Window.h"
#include "windows/main/Win37Window.h"
#include "windows/main/Win41Window.h"
#include "world/MapView.h"

namespace {

constexpr uint32_t kTab = 9;
constexpr uint32_t kEscape = 27;
constexpr uint32_t kF5 = 116;
constexpr uint32_t kF6 = 117;
constexpr uint32_t kF7 = 118;
constexpr uint32_t kF8 = 119;

bool MapAreaLocked() {
    const GameController* c = TheGameController;
    return c && c->gameScreen && c->gameScreen->panel && c->gameScreen->panel->enabled == 0;
}

} // namespace

void HandlePanelKeyDown(uint32_t key) {
    GameController* c = TheGameController;
    Win01Window* main = MainPanel();
    switch (key) {
    case kTab:
        if (!c || !c->running || MapAreaLocked()) return;
        if (TheWin01Host && TheWin01Host->groupList) TheWin01Host->groupList->SelectNextGroup();
        return;
    case kEscape:
        if (!main) return;
        if (main->listWindow)
            main->listWindow->HandleEscape();
        else if (main->overview)
            main->overview->HandleEscape();
        else if (main->gameMenu)
            main->gameMenu->HandleEscape();
        return;
    case kF5:
        if (!main) return;
        if (main->gameMenu)
            main->gameMenu->HandleEscape();
        else
            main->PressMenuButton(0);
        return;
    case kF7:
        if (main) main->ToggleOverview();
        return;
    case kF8:
        if (main) main->ToggleListWindow();
        return;
    case kF6:
        if (c && c->eventManager && c->eventManager->runnerActive == 0) c->eventManager->StartRunner(101);
        return;
    default:
        return;
    }
}

void CloseSidePanels() {
    Win01Window* main = MainPanel();
    if (!main) return;
    main->RemoveChatPage();
    if (main->gameMenu) main->gameMenu->HandleEscape();
}
