#include "gui/Window.h"

#include "engine/ErrorList.h"
#include "engine/LinkList.h"
#include "engine/Rect.h"
#include "engine/ResourceStore.h"
#include "gui/DeferredDelete.h"
#include "gui/GuiLayout.h"
#include "gui/GuiPanel.h"
#include "gui/Widget.h"

Window::Window() {
    active = 1;
}

Window::~Window() {
    // Deleted by its owner after a Close: the queue must not delete it again.
    CancelDeferredDelete(this);
    DestroyDerived();
}

int Window::CloseWindowAndPanel(GuiPanel* panel, int result) {
    if (panel) {
        if (TheResourceStore && TheResourceStore->drawList)
            TheResourceStore->drawList->RemoveValue(reinterpret_cast<uintptr_t>(panel));
        panel->result = result;
        panel->Close(0);
        DeferDelete(panel);
    }
    DeferDelete(this);
    return 1;
}

// A window without the widget does nothing rather than fail.
void Window::EnableFirstWidget() {
    if (firstWidget) firstWidget->enabled = 1;
}
void Window::DisableFirstWidget() {
    if (firstWidget) firstWidget->enabled = 0;
}
void Window::EnableSecondWidget() {
    if (secondWidget) secondWidget->enabled = 1;
}
void Window::DisableSecondWidget() {
    if (secondWidget) secondWidget->enabled = 0;
}

LayoutWindowParts BuildLayoutPanel(const char* layoutFile, Widget* parent, Window* listener) {
    LayoutWindowParts parts;
    parts.layout = new GuiLayout(layoutFile);
    const GuiImage* background = parts.layout->FirstImage();
    Rect* rect = nullptr;
    if (background) {
        rect = new Rect(background->left, background->top, background->right, background->bottom);
    } else {
        Zu_ErrorList::Global().Add(layoutFile ? layoutFile : "", __LINE__, Zu_ErrorList::KindOpen, 0);
        rect = new Rect(0, 0, 0, 0);
    }
    parts.panel = new GuiPanel(parts.layout->elements[0], rect, parent, listener, 1, 1, 0);
    return parts;
}
