#pragma once

#include "engine/Rect.h"
#include "gui/RootObject.h"
#include "platform/Surface.h"

#include <cstdint>

class GuiMessage;
class LinkList;
class Point;
class Window;

// The drawable element: a rectangle in its parent's coordinates, an optional off-screen surface,
// a parent, a listener window and an optional list of children (first = front-most). A parent
// owns its children and deletes them when it closes.
class Widget : public RootObject {
public:
    // Takes over the heap rectangle (copies it, then deletes it). With addToParent set and a
    // parent, the widget joins the parent's children.
    Widget(Rect* rect, Widget* parent, Window* listener, int addToParent, uint16_t* pixels = nullptr);
    // Also leaves its parent's child list, gives up the mouse capture and drops queued input
    // aimed at it, so nothing keeps pointing at it.
    ~Widget() override;
    Widget(const Widget&) = delete;
    Widget& operator=(const Widget&) = delete;

    virtual void HandleMessage(GuiMessage* message);
    virtual void RouteMouse(GuiMessage* message);
    virtual void PassDown(GuiMessage* message);
    virtual Rect* GetRect(Rect* out);
    // 1 closed, 0 refused. Closed children are detached and deleted after the current message
    // or frame; the widget itself is deleted by its owner.
    virtual int Close(int fromParent);
    virtual void AddChild(Widget* widget);
    virtual void RemoveChild(Widget* widget);
    virtual Widget* GetParent();
    // 1 when the surface is locked (or there is none). A lock that keeps failing gives 0 after
    // a bounded number of tries; the caller then skips its drawing and does not unlock.
    virtual int LockSurface();
    virtual void UnlockSurface();
    virtual uint16_t HitTest(Point* point);
    virtual void OnMouse(GuiMessage* message);
    virtual void Hook14(uintptr_t) {}
    virtual void Hook15() {}
    virtual void Hook16(uintptr_t) {}

    // How often LockSurface asks before it gives up.
    static constexpr int kLockAttempts = 64;

    int16_t groupWord = 0;
    int16_t id = 0;
    int16_t visible = 1;
    int16_t colourKeyed = 1;
    int32_t enabled = 1;
    int32_t result = 0;
    uint16_t* pixels = nullptr;
    platform::DDSURFACEDESC2 lockDesc{};
    platform::Surface* surface = nullptr;
    int32_t pitch = 0;
    uint8_t lockCount = 0;
    LinkList* children = nullptr;
    Rect rect;
    Widget* parent = nullptr;
    Window* listener = nullptr;

    // Set once the parent's child list no longer holds this widget; the parent may then be
    // gone before this widget is deleted, so the destructor leaves it alone.
    bool detachedFromParent = false;

protected:
    // Joins the parent's children when asked; derived constructors call it once complete.
    void JoinParent(int addToParent);
    // The notification of a group's own mouse message to its listener.
    void NotifyListener(GuiMessage* message);
};
