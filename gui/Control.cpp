#include "gui/Control.h"

#include "gui/GuiMessage.h"

Control::Control(Rect* rect, Widget* parent, Window* listener, int addToParent)
    : Widget(rect, parent, listener, 0) {
    JoinParent(addToParent);
}

uint16_t Control::HitTest(Point*) {
    return 1;
}

void Control::OnMouse(GuiMessage* message) {
    Point* p = &message->point;
    switch (message->kind) {
    case GuiMessage::kMouseMove:
        OnMouseMove(p);
        break;
    case GuiMessage::kLeftDown:
        OnLeftButtonDown(p);
        break;
    case GuiMessage::kLeftUp:
        OnLeftButtonUp(p);
        break;
    case GuiMessage::kFocusLost:
        OnKillFocus(p);
        break;
    case GuiMessage::kRightDown:
        OnRightButtonDown(p);
        break;
    case GuiMessage::kRightUp:
        OnRightButtonUp(p);
        break;
    default:
        break;
    }
}
