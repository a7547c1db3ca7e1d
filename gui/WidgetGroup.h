#pragma once

#include "engine/Point.h"
#include "gui/Widget.h"

// The container of panels and the root widget: routes mouse messages to the child under the
// cursor in its own coordinates, and moves itself while dragged.
class WidgetGroup : public Widget {
public:
    WidgetGroup(Rect* rect, Widget* parent, Window* listener, int addToParent, uint16_t* pixels = nullptr);
    ~WidgetGroup() override = default;

    void RouteMouse(GuiMessage* message) override;
    void PassDown(GuiMessage* message) override;
    int Close(int fromParent) override;
    void AddChild(Widget* widget) override;
    void RemoveChild(Widget* widget) override;
    uint16_t HitTest(Point* point) override;
    void OnMouse(GuiMessage* message) override;
    // Puts the child list's cursor on the widget.
    virtual void SetCurrent(Widget* widget);

    // -1: cannot be moved with the mouse.
    int32_t variant = -1;
    Widget* current = nullptr;
    int32_t dragging = 0;
    Point grab;
    Rect unusedRect;
    int32_t dragArmed = 0;

protected:
    // Whether this group reports an unclaimed left press to the top-level panels.
    virtual bool IsRoot() const { return false; }
};
