#pragma once

#include "gui/Widget.h"

// Base of every button, label and scroll bar: turns a mouse message into one of six mouse
// operations by its kind.
class Control : public Widget {
public:
    // Joins the parent only once complete, so the parent sees a whole control.
    Control(Rect* rect, Widget* parent, Window* listener, int addToParent);
    ~Control() override = default;

    uint16_t HitTest(Point* point) override;
    void OnMouse(GuiMessage* message) override;

    virtual void OnMouseMove(Point*) {}
    virtual void OnKillFocus(Point*) {}
    virtual void OnLeftButtonDown(Point*) {}
    virtual void OnRightButtonDown(Point*) {}
    virtual void OnLeftButtonUp(Point*) {}
    virtual void OnRightButtonUp(Point*) {}
};
