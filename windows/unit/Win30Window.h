#pragma once

#include "gui/Window.h"

#include <cstdint>

class GuiLayout;
class GuiPanel;
class LinkList;
class Troop;
class Widget;

// The order-mode page: formation, spacing, emphasis and retreat of one troop.
class Win30Window : public Window {
public:
    Win30Window(Widget* parent, Window* owner);
    ~Win30Window() override;
    Win30Window(const Win30Window&) = delete;
    Win30Window& operator=(const Win30Window&) = delete;

    void Show(Troop* troop);
    void Close();

    void OnControlClick(Widget* control, Point* point) override;

    int8_t values[4] = {};
    Window* owner = nullptr;
    Widget* parent = nullptr;
    GuiPanel* panel = nullptr;
    GuiLayout* layout = nullptr;
    LinkList* controls = nullptr;
    Troop* troop = nullptr;
};
