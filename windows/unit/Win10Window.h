#pragma once

#include "gui/Window.h"
#include "windows/unit/TroopTexts.h"

class GuiLayout;
class GuiPanel;
class LinkList;
class Troop;
class Widget;

// The information page: a troop's values only (the panel's city order list).
class Win10Window : public Window {
public:
    Win10Window(Widget* parent, Window* owner);
    ~Win10Window() override;
    Win10Window(const Win10Window&) = delete;
    Win10Window& operator=(const Win10Window&) = delete;

    void Show(Troop* troop, int dx, int dy);
    void Refresh(Troop* troop);
    void Close();

    void OnControlClick(Widget* control, Point* point) override;

    Window* owner = nullptr;
    Widget* parent = nullptr;
    GuiPanel* panel = nullptr;
    GuiLayout* layout = nullptr;
    LinkList* controls = nullptr;
    TroopTexts texts;
    Troop* shown = nullptr;
};
