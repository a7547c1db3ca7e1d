#include "windows/main/SidePanelLock.h"

#include "Program/GameController.h"
#include "gui/GuiPanel.h"
#include "windows/WindowHosts.h"
#include "windows/main/Win01Window.h"
#include "world/MapView.h"

namespace {

void SetEnabled(int32_t value) {
    GameController* c = TheGameController;
    if (c && c->gameScreen && c->gameScreen->panel) c->gameScreen->panel->enabled = value;
    Win01Window* main = TheWin01Host ? TheWin01Host->mainPanel : nullptr;
    if (main && main->menuPanel) {
        main->menuPanel->enabled = value;
        if (main->chatPanel) main->chatPanel->enabled = value;
    }
}

} // namespace

void LockSidePanels(uint8_t) {
    SetEnabled(0);
}

void UnlockSidePanels(uint8_t) {
    // While the campaign preparation is open only it, its children and the unit panel take input.
    if (TheWin01Host && TheWin01Host->preparation) return;
    SetEnabled(1);
}
