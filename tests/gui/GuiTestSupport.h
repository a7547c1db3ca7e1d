#pragma once

#include "Program/MainWindow.h"
#include "engine/LinkList.h"
#include "engine/Point.h"
#include "gui/Control.h"
#include "gui/DeferredDelete.h"
#include "gui/GuiMessage.h"
#include "gui/GuiPanel.h"
#include "gui/GuiRoot.h"
#include "gui/InputQueue.h"
#include "gui/MouseCursor.h"
#include "gui/RootWidget.h"
#include "gui/Window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// One notification or control operation as a test sees it.
struct Heard {
    std::string what;
    const void* who = nullptr;
    bool hasPoint = false;
    int x = 0;
    int y = 0;
    bool operator==(const Heard& o) const {
        return what == o.what && who == o.who && hasPoint == o.hasPoint &&
               (!hasPoint || (x == o.x && y == o.y));
    }
};

inline std::ostream& operator<<(std::ostream& os, const Heard& h) {
    os << h.what << "(" << h.who;
    if (h.hasPoint) os << ", " << h.x << "," << h.y;
    return os << ")";
}

inline Heard At(const std::string& what, const void* who, int x, int y) {
    return Heard{what, who, true, x, y};
}

inline void Record(std::vector<Heard>* log, const std::string& what, const void* who, const Point* p) {
    if (!log) return;
    Heard h{what, who, p != nullptr, p ? p->x : 0, p ? p->y : 0};
    log->push_back(h);
}

// A window that writes down every notification.
class RecordingWindow : public Window {
public:
    explicit RecordingWindow(std::vector<Heard>* log) : log(log) {}
    void OnControlPress(Widget* w, Point* p) override { Record(log, "Press", w, p); }
    void OnControlRightPress(Widget* w, Point* p) override { Record(log, "RightPress", w, p); }
    void OnControlToggle(Widget* w, Point* p) override { Record(log, "Toggle", w, p); }
    void OnControlClick(Widget* w, Point* p) override { Record(log, "Click", w, p); }
    void OnControlRightClick(Widget* w, Point* p) override { Record(log, "RightClick", w, p); }
    void OnControlHover(Widget* w, Point* p) override { Record(log, "Hover", w, p); }
    void OnEvent10(Widget* w, void*) override { Record(log, "Event10", w, nullptr); }
    void OnPanelIdle() override { Record(log, "PanelIdle", this, nullptr); }
    int Query11(Widget*) override { return allowClose; }

    std::vector<Heard>* log;
    int allowClose = 1;
};

// A control that writes down its six mouse operations and tells its listener of a click, as
// the buttons do.
class RecordingControl : public Control {
public:
    RecordingControl(Rect* r, Widget* parent, Window* listener, std::vector<Heard>* log)
        : Control(r, parent, listener, 1), log(log) {}
    void OnMouseMove(Point* p) override { Record(log, "Move", this, p); }
    void OnKillFocus(Point* p) override { Record(log, "KillFocus", this, p); }
    void OnLeftButtonDown(Point* p) override { Record(log, "LeftDown", this, p); }
    void OnRightButtonDown(Point* p) override { Record(log, "RightDown", this, p); }
    void OnLeftButtonUp(Point* p) override { Record(log, "LeftUp", this, p); }
    void OnRightButtonUp(Point* p) override { Record(log, "RightUp", this, p); }

    std::vector<Heard>* log;
};

// A panel whose pixels left of `clearUntil` are transparent.
class HolePanel : public GuiPanel {
public:
    HolePanel(Rect* r, Widget* parent, Window* listener, int clearUntil)
        : GuiPanel(r, parent, listener, 1, 1, 0), clearUntil(clearUntil) {}
    uint16_t HitTest(Point* p) override { return p->x - rect.left < clearUntil ? 0 : 1; }
    int clearUntil;
};

// Makes the framework's globals for one test and takes them down again.
class GuiRootFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ActiveFlag = 1;
        root = new GuiRoot;
    }
    void TearDown() override {
        FlushDeferredDeletes();
        delete root;
        ActiveFlag = 0;
    }

    // A mouse message from the cursor at a screen point.
    static GuiMessage Mouse(uint16_t kind, int x, int y) {
        Point p(x, y);
        return GuiMessage(0, nullptr, TheMouseCursor, kind, &p, nullptr, 0);
    }

    GuiRoot* root = nullptr;
};
