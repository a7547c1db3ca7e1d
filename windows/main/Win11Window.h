#pragma once

#include "gui/FontRecord.h"
#include "gui/Window.h"

class GuiLayout;
class GuiPanel;
class LinkList;

// The hot-key group list ("Win11.gui"): row n names group n's key and its first troop, the
// current group in red.
class Win11Window : public Window {
public:
    Win11Window(Widget* parent, void* owner);
    ~Win11Window() override;
    Win11Window(const Win11Window&) = delete;
    Win11Window& operator=(const Win11Window&) = delete;

    void RefreshGroupRows();
    // The Tab key: 0 without a current group, else 1.
    int SelectNextGroup();

    void* owner = nullptr;
    Widget* parent = nullptr;
    GuiPanel* panel = nullptr;
    GuiLayout* layout = nullptr;
    LinkList* controls = nullptr;
    FontRecord rows[10];
    char rowText[10][48] = {};
};

// Redraws the group list when the battle screen shows it.
void RefreshGroupRows();
