#include "gui/DragSourceControl.h"

#include "gui/ControlDrawing.h"
#include "gui/Window.h"

DragSourceControl::DragSourceControl(Rect* r, Widget* p, Window* l, int addToParent) : Control(r, p, l, 0) {
    JoinParent(addToParent);
}

void DragSourceControl::OnLeftButtonDown(Point* p) {
    CaptureMouse(this);
    pressed = 1;
    if (listener) listener->OnControlPress(this, p);
}

void DragSourceControl::OnLeftButtonUp(Point* p) {
    if (listener) listener->OnControlClick(this, p);
    pressed = 0;
}

void DragSourceControl::OnMouseMove(Point* p) {
    if (pressed && payload) {
        ReleaseMouse();
        pressed = 0;
        if (listener) listener->OnControlToggle(this, p);
        return;
    }
    if (listener) listener->OnControlHover(this, p);
}

void DragSourceControl::OnRightButtonDown(Point* p) {
    if (listener) listener->OnControlRightPress(this, p);
}
