#include "gui/Widget.h"

#include "engine/LinkList.h"
#include "gui/DeferredDelete.h"
#include "gui/GuiMessage.h"
#include "gui/InputQueue.h"
#include "gui/MouseCursor.h"
#include "gui/Window.h"

Widget::Widget(Rect* r, Widget* p, Window* l, int addToParent, uint16_t* px)
    : pixels(px), parent(p), listener(l) {
    if (r) {
        rect = *r;
        delete r;
    }
    JoinParent(addToParent);
}

Widget::~Widget() {
    CancelDeferredDelete(this);
    if (parent && !detachedFromParent && parent->children &&
        parent->children->Contains(reinterpret_cast<uintptr_t>(this)))
        parent->RemoveChild(this);
    parent = nullptr;
    if (TheMouseCursor && TheMouseCursor->captured == this) TheMouseCursor->ReleaseCapture();
    if (TheGuiMessageQueue) TheGuiMessageQueue->RemoveForTarget(this);
    if (children) {
        // Children still listed outlive this list; they must not reach back to a freed parent.
        for (uintptr_t v = children->First(); v != 0; v = children->Next())
            reinterpret_cast<Widget*>(v)->parent = nullptr;
        delete children;
        children = nullptr;
    }
    if (surface) {
        if (lockCount > 0) surface->Unlock(nullptr);
        surface->Release();
        surface = nullptr;
    }
}

void Widget::JoinParent(int addToParent) {
    if (addToParent && parent) parent->AddChild(this);
}

void Widget::HandleMessage(GuiMessage* message) {
    if (message->target && message->target != this) {
        message->target->HandleMessage(message);
        return;
    }
    if (message->source && message->source == TheMouseCursor) {
        RouteMouse(message);
        return;
    }
    if (message->source && listener) listener->OnEvent10(this, message->source);
}

void Widget::RouteMouse(GuiMessage* message) {
    if (!message->param && !rect.Contains(message->point)) return;
    if (children) {
        // A disabled widget passes nothing to its children.
        for (uintptr_t v = children->First(); v != 0 && enabled; v = children->Next()) {
            auto* child = reinterpret_cast<Widget*>(v);
            Rect childRect;
            child->GetRect(&childRect);
            // A disabled child (a button's caption) lets the message through to this widget.
            if (childRect.Contains(message->point) && child->enabled) {
                child->RouteMouse(message);
                return;
            }
        }
    }
    if (enabled) OnMouse(message);
}

void Widget::PassDown(GuiMessage*) {}

Rect* Widget::GetRect(Rect* out) {
    *out = rect;
    return out;
}

int Widget::Close(int fromParent) {
    if (listener && listener->Query11(this) == 0) return 0;
    if (children) {
        // Each closed child leaves the list, so the next one is always first.
        for (uintptr_t v = children->First(); v != 0; v = children->First()) {
            auto* child = reinterpret_cast<Widget*>(v);
            if (!child->Close(1)) return 0;
            if (children->ContainsPtr(v)) children->RemoveCurrent();
            child->detachedFromParent = true;
            DeferDelete(child);
        }
    }
    if (parent && fromParent == 0) parent->RemoveChild(this);
    if (TheMouseCursor) TheMouseCursor->ReleaseCapture();
    if (TheGuiMessageQueue) TheGuiMessageQueue->RemoveForTarget(this);
    return 1;
}

void Widget::AddChild(Widget* widget) {
    const auto v = reinterpret_cast<uintptr_t>(widget);
    if (!children || children->ContainsPtr(v)) return;
    children->Last();
    children->Add(v);
    widget->detachedFromParent = false;
}

void Widget::RemoveChild(Widget* widget) {
    const auto v = reinterpret_cast<uintptr_t>(widget);
    if (!children || !children->ContainsPtr(v)) return;
    children->RemoveCurrent();
    widget->detachedFromParent = true;
}

Widget* Widget::GetParent() {
    return parent;
}

int Widget::LockSurface() {
    if (!surface) return 1;
    if (lockCount == 0) {
        lockDesc = platform::DDSURFACEDESC2{};
        platform::HRESULT hr = platform::DDERR_GENERIC;
        for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
            hr = surface->Lock(nullptr, &lockDesc, 0);
            if (hr == platform::DD_OK) break;
            if (hr == platform::DDERR_SURFACELOST) surface->Restore();
        }
        if (hr != platform::DD_OK) {
            pixels = nullptr;
            return 0;
        }
        pixels = static_cast<uint16_t*>(lockDesc.lpSurface);
    }
    ++lockCount;
    return 1;
}

void Widget::UnlockSurface() {
    if (!surface || lockCount == 0) return;
    if (--lockCount == 0) surface->Unlock(nullptr);
}

uint16_t Widget::HitTest(Point*) {
    return 1;
}

void Widget::NotifyListener(GuiMessage* message) {
    if (!listener) return;
    Point* p = &message->point;
    if (p->x < 0 || p->y < 0 || p->x >= rect.right - rect.left || p->y >= rect.bottom - rect.top) return;
    switch (message->kind) {
    case GuiMessage::kMouseMove:
        listener->OnControlHover(this, p);
        break;
    case GuiMessage::kLeftDown:
        listener->OnControlPress(this, p);
        break;
    case GuiMessage::kLeftUp:
        listener->OnControlClick(this, p);
        break;
    case GuiMessage::kFocusLost:
        listener->OnControlToggle(this, p);
        break;
    case GuiMessage::kRightDown:
        listener->OnControlRightPress(this, p);
        break;
    case GuiMessage::kRightUp:
        listener->OnControlRightClick(this, p);
        break;
    default:
        break;
    }
}

void Widget::OnMouse(GuiMessage* message) {
    NotifyListener(message);
}
