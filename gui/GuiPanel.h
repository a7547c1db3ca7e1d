#pragma once

#include "gui/Widget.h"

#include <cstdint>

class Rect;
class Window;

// The body of every layout window: a widget on the parent that routes mouse input on its
// rectangle to the listener window. It takes over the rectangle it is given.
class GuiPanel : public Widget {
public:
    GuiPanel(Rect* rect, Widget* parent, Window* listener, int addToParent, int a, int b);
    ~GuiPanel() override;
    // Closes the panel's controls and takes it out of its parent.
    void Close(int fromParent);

    Rect* rect = nullptr;
    Widget* parent = nullptr;
    Window* listener = nullptr;
    uint8_t visible = 1;
    int32_t capture = 0;
    int32_t result = 0;
};
