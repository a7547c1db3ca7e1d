#pragma once

#include "gui/RootObject.h"

#include <cstdint>

class Widget;
class GuiLayout;
class GuiPanel;
class Point;

// The logical window behind every screen, panel and dialog. It owns no pixels; its controls
// notify it through these operations, and each screen overrides the ones it cares about.
class Window : public RootObject {
public:
    Window();
    ~Window() override;

    virtual void OnEvent1(uint32_t, uint32_t) {}
    virtual void OnControlPress(Widget*, Point*) {}
    virtual void OnControlRightPress(Widget*, Point*) {}
    virtual void OnControlToggle(Widget*, Point*) {}
    // The point may be null.
    virtual void OnControlClick(Widget*, Point*) {}
    virtual void OnControlRightClick(Widget*, Point*) {}
    // A null point when the cursor has left the control.
    virtual void OnControlHover(Widget*, Point*) {}
    virtual void OnUpdate(uint32_t, uint32_t) {}
    virtual void OnControlEnter(Widget*) {}
    virtual void OnEvent10(Widget*, void*) {}
    // 0 refuses the close of a widget listening to this window.
    virtual int Query11(Widget*) { return 1; }
    virtual int Close(int) { return 1; }
    virtual void OnNotify(Window*, int) {}
    virtual void OnEvent14(uint32_t) {}
    virtual void OnControlRelease(Widget*, Point*) {}
    virtual void EnableFirstWidget();
    virtual void DisableFirstWidget();
    virtual void EnableSecondWidget();
    virtual void DisableSecondWidget();
    virtual void Activate() { active = 1; }
    virtual void Deactivate() { active = 0; }
    virtual void OnPanelIdle() {}

    // The close every layout window makes in its Close: the panel leaves the store's drawing list,
    // takes the result code, closes its controls and leaves its parent at once; the panel and the
    // window are deleted when the current message or frame has finished. A null panel closes the
    // window alone. Returns 1; the caller must not touch the window afterwards.
    int CloseWindowAndPanel(GuiPanel* panel, int result);

    Widget* firstWidget = nullptr;
    Widget* secondWidget = nullptr;
    uint8_t active = 1;
};

// The first steps of building a layout window: load the layout and make the panel on the
// parent widget with the window as listener. A layout that cannot be read gives an empty
// panel and an error record. The caller keeps both.
struct LayoutWindowParts {
    GuiLayout* layout = nullptr;
    GuiPanel* panel = nullptr;
};
LayoutWindowParts BuildLayoutPanel(const char* layoutFile, Widget* parent, Window* listener);
