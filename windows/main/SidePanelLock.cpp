#include "windows/main/SidePanelLock.h"

#include "Program/GameController.h"
#include "gui/GuiPanel.h"
#include "gui/MouseCursor.h"
#include "windows/WindowHosts.h"
#include "windows/city/SubCastlePanels.h"
#include "windows/city/Win13Window.h"
#include "windows/city/Win98Window.h"
#include "windows/main/Win01Window.h"
#include "windows/unit/Win05Window.h"
#include "windows/unit/Win07Window.h"
#include "windows/unit/Win29Window.h"
#include "windows/unit/Win32Window.h"
#include "windows/unit/Win34Window.h"
#include "world/MapView.h"

namespace {

void Set(GuiPanel* panel, int32_t value) {
    if (panel) panel->enabled = value;
}

void MapArea(int32_t value) {
    GameController* c = TheGameController;
    if (c && c->gameScreen) Set(c->gameScreen->panel, value);
}

void MainPanels(int32_t value) {
    Win01Window* main = TheWin01Host ? TheWin01Host->mainPanel : nullptr;
    if (!main || !main->menuPanel) return;
    Set(main->menuPanel, value);
    Set(main->chatPanel, value);
}

void UnitPanels(int32_t value) {
    Win05Window* units = UnitPanel();
    if (!units) return;
    Set(units->panel, value);
    if (units->equipmentPage) Set(units->equipmentPage->panel, value);
    if (units->corpsPage) Set(units->corpsPage->panel, value);
    if (units->skillsPage) Set(units->skillsPage->panel, value);
    if (units->beltPage) Set(units->beltPage->panel, value);
}

void CityPanels(int32_t value) {
    if (!TheWin98) return;
    if (TheWin98->command) Set(TheWin98->command->view, value);
    if (TheWin98->marketPanel) Set(TheWin98->marketPanel->view, value);
    if (TheWin98->postPanel) Set(TheWin98->postPanel->view, value);
}

void CursorLock(int32_t value) {
    if (TheMouseCursor) TheMouseCursor->inputLocked = value;
}

} // namespace

void LockSidePanels(uint8_t keepUnitPanel) {
    MapArea(0);
    if (!TheWin01Host) return;
    MainPanels(0);
    if (keepUnitPanel == 0) UnitPanels(0);
    CityPanels(0);
    CursorLock(1);
}

void UnlockSidePanels(uint8_t keepUnitPanel) {
    // While the campaign preparation is open only it, its children and the unit panel take input.
    if (!TheWin01Host || !TheWin01Host->preparation) {
        MapArea(1);
        MainPanels(1);
        CityPanels(1);
    }
    if (keepUnitPanel == 0) UnitPanels(1);
    CursorLock(0);
}

void DisableSidePanelButtons() {
    if (!TheWin01Host) return;
    MainPanels(0);
    UnitPanels(0);
    CityPanels(0);
}

void EnableSidePanelButtons() {
    if (!TheWin01Host) return;
    MainPanels(1);
    UnitPanels(1);
    CityPanels(1);
}
