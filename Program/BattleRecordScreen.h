#pragma once

#include "gui/Window.h"

// The battle record screen ("Win42.gui"), made on the root widget at the end of a battle.
class BattleRecordScreen : public Window {
public:
    explicit BattleRecordScreen(Widget* root) : root(root) {}
    int Close(int) override {
        delete this;
        return 1;
    }
    Widget* root;
};
