#pragma once

#include "gui/Window.h"

#include <cstdint>

class GameController;
class GuiLayout;
class GuiMessage;
class GuiPanel;
class LinkList;
class Point;

// The minimap panel of the battle screen. Page 1 ("Win04.gui") holds the map picture that the game
// controller draws into the panel each frame; page 0 ("Win06.gui") shows no picture. Button 0x100
// switches pages, 0x101 is the picture (left click or drag moves the view, right click sends the
// selection), 0x102 chooses which of the controller's two minimap pictures is shown.
class Win04Window : public Window {
public:
    Win04Window(Widget* parent, GameController* owner);
    ~Win04Window() override;
    Win04Window(const Win04Window&) = delete;
    Win04Window& operator=(const Win04Window&) = delete;

    void OnControlClick(Widget* control, Point* point) override;
    void OnControlRightClick(Widget* control, Point* point) override;
    void OnControlHover(Widget* control, Point* point) override;

    void ShowPage(int newPage);
    // Draws the map picture into the panel while the minimap page is shown.
    void DrawMiniMap();
    int Finish(int result);

    GuiPanel* panel = nullptr;
    GameController* owner = nullptr;
    Widget* parent = nullptr;
    GuiLayout* currentLayout = nullptr;
    GuiLayout* minimapLayout = nullptr;
    GuiLayout* secondLayout = nullptr;
    LinkList* controls = nullptr;
    int32_t page = 1;

private:
    // The controller's minimap operations take screen points; the controls report panel points.
    void ToController(Point* point, void (GameController::*operation)(const GuiMessage*));
};
