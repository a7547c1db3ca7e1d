#pragma once

#include "gui/Window.h"
#include "windows/unit/TroopTexts.h"

#include <cstdint>

class GuiLayout;
class GuiPanel;
class LinkList;
class Troop;
class Widget;
class Win05Window;
class Win30Window;

// The corps page: the panel's six troops side by side, in view 0 (values and item slots) or view 1
// (skills, carried troops and order).
class Win29Window : public Window {
public:
    Win29Window(Widget* parent, Win05Window* owner);
    ~Win29Window() override;
    Win29Window(const Win29Window&) = delete;
    Win29Window& operator=(const Win29Window&) = delete;

    // View 2 keeps the current view.
    void Show(LinkList* list, int view);
    void Close();
    void RefreshRow(Troop* troop, int r, int mask);
    void RefreshForTroop(Troop* troop);
    void ClearEquipSlot(int row, int slot);
    Troop* GetSlotTroop(int n) const;
    void PressClose();

    void OnControlClick(Widget* control, Point* point) override;
    void OnControlRightPress(Widget* control, Point* point) override;
    void OnControlToggle(Widget* control, Point* point) override;
    void OnNotify(Window* child, int code) override;

    int8_t view = 0;
    LinkList* list = nullptr;
    GuiPanel* panel = nullptr;
    Win05Window* owner = nullptr;
    Widget* parent = nullptr;
    GuiPanel* rows[2][6] = {};
    GuiLayout* layout = nullptr;
    GuiLayout* rowLayouts[2] = {};
    LinkList* controls = nullptr;
    LinkList* rowControls[2][6] = {};
    FontRecord leaderFont;
    std::string leaderText;
    TroopTexts rowTexts[2][6];
    int8_t orderRow = -1;
    Win30Window* orderPage = nullptr;

private:
    void DrawRow(Troop* troop, int r, int mask);
    // The view and row whose panel holds the control; false when none.
    bool RowOf(const Widget* control, int& v, int& r) const;
};
