#pragma once

#include "gui/Window.h"

class GuiLayout;
class GuiPanel;
class LinkList;
class Troop;
class Widget;
class Win05Window;

// A page beside the selected-unit panel with one row per panel row: the skills page and the belt
// page draw their rows their own way.
class UnitRowPage : public Window {
public:
    UnitRowPage(Widget* parent, Win05Window* owner, const char* pageLayout, const char* rowLayout);
    ~UnitRowPage() override;
    UnitRowPage(const UnitRowPage&) = delete;
    UnitRowPage& operator=(const UnitRowPage&) = delete;

    void Show();
    void Close();
    void Switch(bool on);
    void RefreshRow(Troop* troop, int r);
    bool Shown() const { return panel != nullptr; }

    GuiPanel* panel = nullptr;
    Win05Window* owner = nullptr;
    Widget* parent = nullptr;
    GuiPanel* rowPanels[6] = {};
    GuiLayout* pageLayout = nullptr;
    GuiLayout* rowLayout = nullptr;
    LinkList* controls = nullptr;
    LinkList* rowControls[6] = {};

protected:
    virtual void DrawRow(Troop* troop, int r) = 0;
    // The row whose panel holds the control, and its troop; -1 / null when none.
    int RowOf(const Widget* control) const;
    Troop* TroopOf(const Widget* control) const;
};
