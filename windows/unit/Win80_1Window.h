#pragma once

#include "gui/Window.h"
#include "windows/unit/TroopTexts.h"

class GuiLayout;
class GuiPanel;
class LinkList;
class Troop;
class Widget;
class Win10Window;

// The preparation's read-only list of up to six troop rows ("Win80_1.gui", rows "Win12.gui"): the
// player scrolls it and right-clicks a row to read that troop's values.
class Win80_1Window : public Window {
public:
    Win80_1Window(Widget* parent, Window* owner);
    ~Win80_1Window() override;
    Win80_1Window(const Win80_1Window&) = delete;
    Win80_1Window& operator=(const Win80_1Window&) = delete;

    void ShowList(LinkList* list, int first);
    void Close();

    void OnControlPress(Widget* control, Point* point) override;
    void OnControlHover(Widget* control, Point* point) override;
    void OnControlClick(Widget* control, Point* point) override;
    void OnControlRightClick(Widget* control, Point* point) override;
    void OnNotify(Window* child, int code) override;

    LinkList* list = nullptr;
    int8_t firstRow = 0;
    Troop* rows[6] = {};
    Troop* infoTroop = nullptr;
    int infoRow = -1;
    GuiPanel* panel = nullptr;
    LinkList* controls = nullptr;
    Win10Window* infoPage = nullptr;
    Window* owner = nullptr;
    Widget* parent = nullptr;
    GuiLayout* layout = nullptr;
    GuiLayout* rowLayout = nullptr;
    GuiPanel* rowPanels[6] = {};
    LinkList* rowControls[6] = {};
    FontRecord rowFonts[6];
    std::string rowNames[6];
    int walked = 0;

private:
    void Scroll(int step);
};
