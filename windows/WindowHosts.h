#pragma once

#include "gui/Window.h"
#include "windows/city/Win98Window.h"
#include "windows/unit/Win99Window.h"

class GameController;
class GuiPanel;
class Win01Window;
class Win04Window;
class Win11Window;

// The three in-game window hosts, each kept in its own global pointer while open.

// The main panel host: owns the main panel, the battle screen's minimap and the hot-key group
// list for the whole battle.
class Win01HostWindow : public Window {
public:
    Win01HostWindow(Widget* parent, GameController* owner);
    ~Win01HostWindow() override;
    Win01HostWindow(const Win01HostWindow&) = delete;
    Win01HostWindow& operator=(const Win01HostWindow&) = delete;

    Win04Window* GetMinimap() const { return minimap; }

    Win01Window* mainPanel = nullptr;
    Win04Window* minimap = nullptr;
    Win11Window* groupList = nullptr;
    // Panels the campaign preparation leaves undrawn: two sub-panels of the main panel and the
    // minimap's page, while they are open.
    GuiPanel* preparationHidden[3] = {};
    // The campaign preparation window while it is open.
    Window* preparation = nullptr;
};

extern Win01HostWindow* TheWin01Host;

// The main panel of the running battle, or null.
Win01Window* MainPanel();
