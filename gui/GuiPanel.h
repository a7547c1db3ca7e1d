#pragma once

#include "gui/WidgetGroup.h"

#include <cstdint>

class Rect;
class Window;

// The body of every layout window: a widget group on the parent with the window as listener.
// It takes over the rectangle it is given. A panel cannot be dragged until it says so.
class GuiPanel : public WidgetGroup {
public:
    GuiPanel(Rect* rect, Widget* parent, Window* listener, int addToParent, int a, int b);
    ~GuiPanel() override = default;

    // A left press that no window took: the listener hears of it as an idle panel.
    void NotifyOutsidePress();
};
