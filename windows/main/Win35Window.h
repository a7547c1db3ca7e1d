#pragma once

#include "Program/FrontEndScreens.h"

#include <cstdint>

class Win36Window;

// The chat settings ("Win35.gui"): public (0x100) or alliance (0x101) channel, and the rows
// chooser (0x102). The main panel hears 1 for a channel, 2 for new rows, 0 for a press elsewhere.
class Win35Window : public ScreenWindow {
public:
    Win35Window(Widget* parent, Window* owner);

    void OnControlClick(Widget* control, Point* point) override;
    void OnControlRightClick(Widget*, Point*) override {}
    void OnNotify(Window* source, int result) override;
    void OnPanelIdle() override;
    // Closes an open rows chooser, then the window.
    int Finish(int result);

    Win36Window* rowsWindow = nullptr;
    uint8_t channel = 0;
};

// The chat rows chooser ("Win36.gui"): button 0x100 + n answers 5 - n rows; a press elsewhere
// cancels (-1).
class Win36Window : public ScreenWindow {
public:
    Win36Window(Widget* parent, Window* owner);

    void OnControlClick(Widget* control, Point* point) override;
    void OnControlRightClick(Widget*, Point*) override {}
    void OnPanelIdle() override;
};
