#pragma once

#include "gui/Control.h"

#include <cstdint>

// A control that starts a drag: pressed and moved while its owner has given it a payload, it lets
// go of the mouse and tells its window, which takes the payload over.
class DragSourceControl : public Control {
public:
    DragSourceControl(Rect* rect, Widget* parent, Window* listener, int addToParent);
    ~DragSourceControl() override = default;

    void OnMouseMove(Point* p) override;
    void OnLeftButtonDown(Point* p) override;
    void OnLeftButtonUp(Point* p) override;
    void OnRightButtonDown(Point* p) override;

    void SetPayload(void* value) { payload = value; }

    int32_t pressed = 0;
    void* payload = nullptr;
};
