#pragma once

#include "gui/WidgetGroup.h"

// The full-screen group that every top-level window panel hangs on. A newly added child comes
// to the front; a left press that no window took is reported to the windows as idle.
class RootWidget : public WidgetGroup {
public:
    // The rectangle is (0, 0, screen width, screen height); no parent, no listener.
    explicit RootWidget(Rect* rect);
    ~RootWidget() override = default;

    // One routed message; closed windows are deleted once the outermost message is done.
    void HandleMessage(GuiMessage* message) override;

protected:
    bool IsRoot() const override { return true; }
};

// Non-null once the GUI root has made the root widget.
extern RootWidget* TheRootWidget;
