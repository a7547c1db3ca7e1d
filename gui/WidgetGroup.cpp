#include "gui/WidgetGroup.h"

#include "Program/GameController.h"
#include "engine/LinkList.h"
#include "gui/GuiMessage.h"
#include "gui/GuiPanel.h"
#include "gui/MouseCursor.h"
#include "world/MapView.h"

#include <vector>

WidgetGroup::WidgetGroup(Rect* rect, Widget* parent, Window* listener, int addToParent, uint16_t* pixels)
    : Widget(rect, parent, listener, 0, pixels) {
    children = new LinkList;
    current = nullptr;
    dragging = 0;
    JoinParent(addToParent);
}

namespace {

// Over windows the cursor is the arrow, except over the battle view itself and while the view
// scrolls by the screen edge.
void ArrowOverWindow(Widget* child) {
    if (!TheGameController || !TheGameController->gameScreen || !TheMouseCursor) return;
    if (child == TheGameController->gameScreen->viewWidget) return;
    if (TheMouseCursor->edgeCode != 0) return;
    TheMouseCursor->SetShapeChecked(1);
}

} // namespace

void WidgetGroup::RouteMouse(GuiMessage* message) {
    if (!message->param && !rect.Contains(message->point)) return;
    message->point.Offset(-rect.left, -rect.top);
    const Point& p = message->point;
    const bool inside = p.x >= 0 && p.y >= 0 && p.x < rect.right - rect.left && p.y < rect.bottom - rect.top;
    if (!dragging && enabled && inside) {
        for (uintptr_t v = children->First(); v != 0; v = children->Next()) {
            auto* child = reinterpret_cast<Widget*>(v);
            Rect childRect;
            child->GetRect(&childRect);
            if (!childRect.Contains(message->point)) continue;
            ArrowOverWindow(child);
            // A disabled child or a transparent pixel lets the message fall through.
            if (child->enabled && child->HitTest(&message->point)) {
                child->RouteMouse(message);
                return;
            }
            // The hooks above may have walked the list; come back to this child.
            children->ContainsPtr(v);
        }
    }
    OnMouse(message);
}

void WidgetGroup::PassDown(GuiMessage* message) {
    Point p = message->point;
    p.Offset(-rect.left, -rect.top);
    GuiMessage copy(*message);
    copy.point = p;
    for (uintptr_t v = children->First(); v != 0 && enabled; v = children->Next()) {
        auto* child = reinterpret_cast<Widget*>(v);
        Rect childRect;
        child->GetRect(&childRect);
        if (!childRect.Contains(p)) break;
        child->PassDown(&copy);
        children->ContainsPtr(v);
    }
}

int WidgetGroup::Close(int fromParent) {
    const int closed = Widget::Close(fromParent);
    current = closed ? nullptr : reinterpret_cast<Widget*>(children ? children->First() : 0);
    return closed;
}

void WidgetGroup::AddChild(Widget* widget) {
    const auto v = reinterpret_cast<uintptr_t>(widget);
    if (children->ContainsPtr(v)) return;
    children->Last();
    children->Add(v);
    widget->detachedFromParent = false;
    if (!IsRoot()) return;
    // A newly opened window is the front-most: move its node right after the head.
    if (children->ContainsPtr(v) && children->First() != v) {
        children->ContainsPtr(v);
        children->RemoveCurrent();
        children->GetAt(-1);
        children->Add(v);
    }
    SetCurrent(widget);
}

void WidgetGroup::RemoveChild(Widget* widget) {
    const auto v = reinterpret_cast<uintptr_t>(widget);
    if (!children->ContainsPtr(v)) return;
    children->RemoveCurrent();
    widget->detachedFromParent = true;
    current = reinterpret_cast<Widget*>(children->First());
}

uint16_t WidgetGroup::HitTest(Point*) {
    return 1;
}

void WidgetGroup::OnMouse(GuiMessage* message) {
    if (!dragging) Widget::OnMouse(message);
    switch (message->kind) {
    case GuiMessage::kMouseMove:
        if (dragging && dragArmed == 1 && variant != -1)
            rect.Offset(message->point.x - grab.x, message->point.y - grab.y);
        break;
    case GuiMessage::kLeftDown:
        if (IsRoot()) {
            // Only reached when no window took the press: every top-level panel hears of it.
            // A listener may close its window meanwhile, so walk a copy of the list.
            std::vector<uintptr_t> panels;
            for (uintptr_t v = children->First(); v != 0; v = children->Next())
                panels.push_back(v);
            for (uintptr_t v : panels) {
                if (!children->ContainsPtr(v)) continue;
                auto* panel = dynamic_cast<GuiPanel*>(reinterpret_cast<Widget*>(v));
                if (panel && panel->id == 0) panel->NotifyOutsidePress();
            }
        }
        break;
    case GuiMessage::kLeftUp:
        if (dragging) {
            dragging = 0;
            dragArmed = 0;
            if (TheMouseCursor) {
                TheMouseCursor->panelDrag = 0;
                TheMouseCursor->ReleaseCapture();
            }
        }
        break;
    default:
        break;
    }
}

void WidgetGroup::SetCurrent(Widget* widget) {
    if (widget) children->ContainsPtr(reinterpret_cast<uintptr_t>(widget));
}
