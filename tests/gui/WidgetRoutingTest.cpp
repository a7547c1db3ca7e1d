#include "GuiTestSupport.h"

#include "gui/WidgetGroup.h"
#include "platform/Surface.h"

#include <functional>
#include <string>
#include <utility>

namespace {

std::vector<uintptr_t> ChildrenOf(Widget* w) {
    std::vector<uintptr_t> out;
    for (uintptr_t v = w->children->First(); v != 0; v = w->children->Next())
        out.push_back(v);
    return out;
}

uintptr_t U(const void* p) {
    return reinterpret_cast<uintptr_t>(p);
}

// Two overlapping top-level panels on the root: A (100,100)-(300,300) in front of
// B (200,200)-(400,400); on A two overlapping controls c1 (10,10)-(50,50) in front of
// c2 (30,30)-(80,80).
class RoutingTest : public GuiRootFixture {
protected:
    void SetUp() override {
        GuiRootFixture::SetUp();
        la = new RecordingWindow(&log);
        lb = new RecordingWindow(&log);
        b = new GuiPanel(new Rect(200, 200, 400, 400), TheRootWidget, lb, 1, 1, 0);
        a = new HolePanel(new Rect(100, 100, 300, 300), TheRootWidget, la, 0);
        c1 = new RecordingControl(new Rect(10, 10, 50, 50), a, la, &log);
        c2 = new RecordingControl(new Rect(30, 30, 80, 80), a, la, &log);
    }
    void TearDown() override {
        for (Widget* panel : {static_cast<Widget*>(a), static_cast<Widget*>(b)}) {
            if (panel) {
                panel->Close(0);
                DeferDelete(panel);
            }
        }
        GuiRootFixture::TearDown();
        delete la;
        delete lb;
    }
    void Route(uint16_t kind, int x, int y) {
        GuiMessage m = Mouse(kind, x, y);
        TheRootWidget->HandleMessage(&m);
    }

    std::vector<Heard> log;
    RecordingWindow* la = nullptr;
    RecordingWindow* lb = nullptr;
    GuiPanel* b = nullptr;
    HolePanel* a = nullptr;
    RecordingControl* c1 = nullptr;
    RecordingControl* c2 = nullptr;
};

class RoutingTable;
struct RouteCase {
    const char* name;
    std::function<void(RoutingTable*)> setup;
    uint16_t kind;
    int x, y;
    std::function<std::vector<Heard>(RoutingTable*)> expected;
};

class RoutingTable : public RoutingTest {
public:
    void Run(const RouteCase& c) {
        if (c.setup) c.setup(this);
        Route(c.kind, c.x, c.y);
        EXPECT_EQ(log, c.expected(this)) << c.name;
        log.clear();
    }
    using RoutingTest::a;
    using RoutingTest::b;
    using RoutingTest::c1;
    using RoutingTest::c2;
    using RoutingTest::la;
    using RoutingTest::lb;
};

TEST_F(RoutingTable, MessagesReachTheFrontMostEnabledWidgetInItsParentsCoordinates) {
    using T = RoutingTable;
    const std::vector<RouteCase> cases = {
        {"front control, point relative to its panel", nullptr, 2, 115, 115,
         [](T* t) { return std::vector<Heard>{At("LeftDown", t->c1, 15, 15)}; }},
        {"overlapping controls: the front one", nullptr, 2, 140, 140,
         [](T* t) { return std::vector<Heard>{At("LeftDown", t->c1, 40, 40)}; }},
        {"disabled front control lets it fall to the one behind", [](T* t) { t->c1->enabled = 0; }, 2, 140,
         140, [](T* t) { return std::vector<Heard>{At("LeftDown", t->c2, 40, 40)}; }},
        {"panel itself notifies its listener", nullptr, 2, 250, 150,
         [](T* t) { return std::vector<Heard>{At("Press", t->a, 150, 50)}; }},
        {"overlapping panels: the front one", nullptr, 2, 250, 250,
         [](T* t) { return std::vector<Heard>{At("Press", t->a, 150, 150)}; }},
        {"transparent pixel falls through to the panel behind", [](T* t) { t->a->clearUntil = 1000; }, 2, 250,
         250, [](T* t) { return std::vector<Heard>{At("Press", t->b, 50, 50)}; }},
        {"disabled panel falls through", [](T* t) { t->a->enabled = 0; }, 2, 250, 250,
         [](T* t) { return std::vector<Heard>{At("Press", t->b, 50, 50)}; }},
        {"unclaimed press: every top-level panel is idle, front first", nullptr, 2, 700, 50,
         [](T* t) {
             return std::vector<Heard>{Heard{"PanelIdle", t->la}, Heard{"PanelIdle", t->lb}};
         }},
        {"unclaimed move reaches nobody", nullptr, 1, 700, 50, [](T*) { return std::vector<Heard>{}; }},
        {"hover on a panel", nullptr, 1, 250, 150,
         [](T* t) { return std::vector<Heard>{At("Hover", t->a, 150, 50)}; }},
        {"click on a panel", nullptr, 3, 250, 150,
         [](T* t) { return std::vector<Heard>{At("Click", t->a, 150, 50)}; }},
        {"focus lost on a panel", nullptr, 4, 250, 150,
         [](T* t) { return std::vector<Heard>{At("Toggle", t->a, 150, 50)}; }},
        {"right press on a panel", nullptr, 5, 250, 150,
         [](T* t) { return std::vector<Heard>{At("RightPress", t->a, 150, 50)}; }},
        {"right click on a panel", nullptr, 6, 250, 150,
         [](T* t) { return std::vector<Heard>{At("RightClick", t->a, 150, 50)}; }},
        {"kind 0 is ignored", nullptr, 0, 250, 150, [](T*) { return std::vector<Heard>{}; }},
        {"control move", nullptr, 1, 115, 115,
         [](T* t) { return std::vector<Heard>{At("Move", t->c1, 15, 15)}; }},
        {"control left up", nullptr, 3, 115, 115,
         [](T* t) { return std::vector<Heard>{At("LeftUp", t->c1, 15, 15)}; }},
        {"control focus lost", nullptr, 4, 115, 115,
         [](T* t) { return std::vector<Heard>{At("KillFocus", t->c1, 15, 15)}; }},
        {"control right down", nullptr, 5, 115, 115,
         [](T* t) { return std::vector<Heard>{At("RightDown", t->c1, 15, 15)}; }},
        {"control right up", nullptr, 6, 115, 115,
         [](T* t) { return std::vector<Heard>{At("RightUp", t->c1, 15, 15)}; }},
        {"control kind 0", nullptr, 0, 115, 115, [](T*) { return std::vector<Heard>{}; }},
    };
    for (const auto& c : cases) {
        c1->enabled = 1;
        a->enabled = 1;
        a->clearUntil = 0;
        Run(c);
    }
}

TEST_F(RoutingTest, DisabledGroupStillHearsItselfButPassesNothingDown) {
    a->enabled = 0;
    GuiMessage m = Mouse(2, 115, 115);
    a->RouteMouse(&m);
    EXPECT_EQ(log, (std::vector<Heard>{At("Press", a, 15, 15)}));
    EXPECT_EQ(m.point.x, 15) << "the point stays in the group's coordinates";
}

TEST_F(RoutingTest, PlainWidgetSharesItsParentsCoordinatesAndDisabledSkipsItself) {
    Widget plain(new Rect(0, 0, 60, 60), nullptr, la, 0);
    plain.children = new LinkList;
    auto* child = new RecordingControl(new Rect(10, 10, 20, 20), &plain, la, &log);
    GuiMessage m = Mouse(2, 15, 15);
    plain.RouteMouse(&m);
    EXPECT_EQ(log, (std::vector<Heard>{At("LeftDown", child, 15, 15)})) << "no translation";
    log.clear();

    plain.enabled = 0;
    GuiMessage onChild = Mouse(2, 15, 15);
    plain.RouteMouse(&onChild);
    GuiMessage onItself = Mouse(2, 40, 40);
    plain.RouteMouse(&onItself);
    EXPECT_TRUE(log.empty()) << "a disabled plain widget neither passes down nor hears itself";
    delete child;
}

TEST_F(RoutingTest, CapturedWidgetGetsMessagesOutsideItsRectangle) {
    ASSERT_EQ(TheMouseCursor->Capture(c1), 1);
    EXPECT_EQ(TheMouseCursor->captureOffset.x, 100);
    EXPECT_EQ(TheMouseCursor->captureOffset.y, 100);
    EXPECT_EQ(TheMouseCursor->Capture(c2), 0) << "the first capture stays";
    EXPECT_EQ(TheMouseCursor->captured, c1);

    TheMouseCursor->x = 700;
    TheMouseCursor->y = 20;
    TheMouseCursor->OnMouseMessage(platform::WM_LBUTTONUP);
    GuiMessage* m = TheGuiMessageQueue->Take();
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->target, c1);
    EXPECT_EQ(m->param, 1u);
    TheRootWidget->HandleMessage(m);
    delete m;
    EXPECT_EQ(log, (std::vector<Heard>{At("LeftUp", c1, 600, -80)}));
}

TEST_F(RoutingTest, DraggedPanelFollowsTheCapturedMouseAndStopsOnRelease) {
    a->variant = 0;
    a->dragging = 1;
    a->dragArmed = 1;
    a->grab.Set(10, 10);
    TheMouseCursor->panelDrag = 1;
    ASSERT_EQ(TheMouseCursor->Capture(a), 1);

    Point p(150, 150);
    GuiMessage move(0, a, TheMouseCursor, 1, &p, nullptr, 1);
    TheRootWidget->HandleMessage(&move);
    EXPECT_EQ(a->rect.left, 140);
    EXPECT_EQ(a->rect.top, 140);
    EXPECT_TRUE(log.empty()) << "no notifications while dragged";

    GuiMessage up(0, a, TheMouseCursor, 3, &p, nullptr, 1);
    TheRootWidget->HandleMessage(&up);
    EXPECT_EQ(a->dragging, 0);
    EXPECT_EQ(a->dragArmed, 0);
    EXPECT_EQ(TheMouseCursor->captured, nullptr);
    EXPECT_EQ(TheMouseCursor->panelDrag, 0);
}

TEST_F(RoutingTest, RootPutsNewWindowsInFrontAndPanelsKeepLayoutOrder) {
    EXPECT_EQ(ChildrenOf(TheRootWidget), (std::vector<uintptr_t>{U(a), U(b)}));
    auto* c = new GuiPanel(new Rect(0, 0, 10, 10), TheRootWidget, la, 1, 1, 0);
    EXPECT_EQ(ChildrenOf(TheRootWidget), (std::vector<uintptr_t>{U(c), U(a), U(b)}));
    EXPECT_EQ(TheRootWidget->children->GetCount(), 3);
    EXPECT_EQ(ChildrenOf(a), (std::vector<uintptr_t>{U(c1), U(c2)}));
    c->Close(0);
    delete c;
}

TEST_F(RoutingTest, RefusedCloseKeepsEverything) {
    la->allowClose = 0;
    EXPECT_EQ(a->Close(0), 0);
    EXPECT_EQ(ChildrenOf(TheRootWidget), (std::vector<uintptr_t>{U(a), U(b)}));
    EXPECT_EQ(ChildrenOf(a), (std::vector<uintptr_t>{U(c1), U(c2)}));
    EXPECT_EQ(a->current, c1) << "a refused close leaves the first child current";
    EXPECT_EQ(PendingDeleteCount(), 0);
    la->allowClose = 1;
}

TEST_F(RoutingTest, ChildRefusingStopsTheCloseAfterTheChildrenBeforeIt) {
    RecordingWindow refusing(&log);
    refusing.allowClose = 0;
    c2->listener = &refusing;
    EXPECT_EQ(a->Close(0), 0);
    EXPECT_EQ(ChildrenOf(a), (std::vector<uintptr_t>{U(c2)})) << "c1 is gone, c2 stays";
    EXPECT_EQ(PendingDeleteCount(), 1);
    c2->listener = la;
}

TEST_F(RoutingTest, CloseDetachesAtOnceAndDeletesTheChildrenAfterTheMessage) {
    ASSERT_EQ(TheMouseCursor->Capture(c2), 1);
    TheGuiMessageQueue->Post(0, c1, TheMouseCursor, 1, nullptr, nullptr, 1);
    TheGuiMessageQueue->Post(0, b, TheMouseCursor, 1, nullptr, nullptr, 1);

    EXPECT_EQ(a->Close(0), 1);
    EXPECT_EQ(ChildrenOf(TheRootWidget), (std::vector<uintptr_t>{U(b)}));
    EXPECT_TRUE(a->children->IsEmpty());
    EXPECT_EQ(a->current, nullptr);
    EXPECT_EQ(TheMouseCursor->captured, nullptr);
    EXPECT_EQ(PendingDeleteCount(), 2) << "both controls wait for the end of the message";

    GuiMessage* left = TheGuiMessageQueue->Take();
    ASSERT_NE(left, nullptr);
    EXPECT_EQ(left->target, b) << "input aimed at the closed control was dropped";
    delete left;
    EXPECT_EQ(TheGuiMessageQueue->Take(), nullptr);

    FlushDeferredDeletes();
    EXPECT_EQ(PendingDeleteCount(), 0);
    delete a;
    a = nullptr;
}

TEST_F(RoutingTest, WidgetDeletedWithoutCloseLeavesNoReferenceBehind) {
    ASSERT_EQ(TheMouseCursor->Capture(c1), 1);
    TheGuiMessageQueue->Post(0, c1, TheMouseCursor, 2, nullptr, nullptr, 1);
    delete c1;
    c1 = nullptr;
    EXPECT_EQ(ChildrenOf(a), (std::vector<uintptr_t>{U(c2)}));
    EXPECT_EQ(TheMouseCursor->captured, nullptr);
    EXPECT_TRUE(TheGuiMessageQueue->IsEmpty());
    Route(2, 115, 115);
    EXPECT_EQ(log, (std::vector<Heard>{At("Press", a, 15, 15)})) << "where c1 was, the panel hears it";
}

TEST_F(RoutingTest, ParentDeletedWithoutCloseOrphansItsChildren) {
    delete a;
    a = nullptr;
    EXPECT_EQ(ChildrenOf(TheRootWidget), (std::vector<uintptr_t>{U(b)}));
    EXPECT_EQ(c1->parent, nullptr);
    delete c1;
    delete c2;
}

TEST(WidgetEvents, NonMouseMessageGoesToTheListenersEvent10AndTargetsAreReachedDirectly) {
    std::vector<Heard> log;
    RecordingWindow l(&log);
    Widget w(new Rect(0, 0, 10, 10), nullptr, &l, 0);
    Widget other(new Rect(0, 0, 10, 10), nullptr, &l, 0);
    int sender = 0;
    GuiMessage m(0, nullptr, reinterpret_cast<RootObject*>(&sender), 1, nullptr, nullptr, 0);
    w.HandleMessage(&m);
    GuiMessage aimed(0, &w, reinterpret_cast<RootObject*>(&sender), 1, nullptr, nullptr, 0);
    other.HandleMessage(&aimed);
    GuiMessage nobody(0, nullptr, nullptr, 1, nullptr, nullptr, 0);
    w.HandleMessage(&nobody);
    EXPECT_EQ(log, (std::vector<Heard>{Heard{"Event10", &w}, Heard{"Event10", &w}}));
}

// The surface lock nests and gives up on a surface that stays busy.
TEST(WidgetSurface, LockNestsAndABusySurfaceIsGivenUpAfterBoundedTries) {
    Widget w(new Rect(0, 0, 8, 8), nullptr, nullptr, 0);
    EXPECT_EQ(w.LockSurface(), 1) << "no surface: nothing to lock";
    w.surface = new platform::Surface(8, 8, platform::kLayout565, 16, 0);

    EXPECT_EQ(w.LockSurface(), 1);
    EXPECT_EQ(w.LockSurface(), 1);
    EXPECT_NE(w.pixels, nullptr);
    w.UnlockSurface();
    platform::DDSURFACEDESC2 desc{};
    EXPECT_EQ(w.surface->Lock(nullptr, &desc, 0), platform::DDERR_SURFACEBUSY)
        << "still locked after one unlock";
    w.UnlockSurface();
    EXPECT_EQ(w.lockCount, 0);
    ASSERT_EQ(w.surface->Lock(nullptr, &desc, 0), platform::DD_OK) << "unlocked after the outermost unlock";
    w.surface->Unlock(nullptr);

    w.surface->SimulateBusy(3);
    EXPECT_EQ(w.LockSurface(), 1) << "a few busy answers are retried";
    w.UnlockSurface();

    w.surface->SimulateBusy(Widget::kLockAttempts + 5);
    EXPECT_EQ(w.LockSurface(), 0) << "a surface that stays busy is given up";
    EXPECT_EQ(w.lockCount, 0);
    EXPECT_EQ(w.pixels, nullptr);
    w.UnlockSurface();
    EXPECT_EQ(w.lockCount, 0);
}

} // namespace

namespace {

int WindowsDeleted = 0;

// A control that updates its own looks after telling its listener, as buttons do.
class ButtonLike : public Control {
public:
    ButtonLike(Rect* r, Widget* parent, Window* listener) : Control(r, parent, listener, 1) {}
    void OnMouseMove(Point* p) override { After(&Window::OnControlHover, p); }
    void OnKillFocus(Point* p) override { After(&Window::OnControlToggle, p); }
    void OnLeftButtonDown(Point* p) override { After(&Window::OnControlPress, p); }
    void OnRightButtonDown(Point* p) override { After(&Window::OnControlRightPress, p); }
    void OnLeftButtonUp(Point* p) override { After(&Window::OnControlClick, p); }
    void OnRightButtonUp(Point* p) override { After(&Window::OnControlRightClick, p); }

    int32_t pressed = 1;

private:
    void After(void (Window::*notify)(Widget*, Point*), Point* p) {
        (listener->*notify)(this, p);
        pressed = 0;
        visible = static_cast<int16_t>(rect.left + parent->rect.left >= 0);
    }
};

// A layout-like window that closes itself from one notification.
class SelfClosingWindow : public Window {
public:
    explicit SelfClosingWindow(std::string closeOn) : closeOn(std::move(closeOn)) {
        panel = new GuiPanel(new Rect(100, 100, 300, 300), TheRootWidget, this, 1, 1, 0);
        button = new ButtonLike(new Rect(10, 10, 50, 50), panel, this);
    }
    ~SelfClosingWindow() override { ++WindowsDeleted; }

    int Close(int code) override {
        panel->result = code;
        panel->Close(0);
        DeferDelete(panel);
        DeferDelete(this);
        return 1;
    }
    void OnControlPress(Widget*, Point*) override { Maybe("Press"); }
    void OnControlRightPress(Widget*, Point*) override { Maybe("RightPress"); }
    void OnControlToggle(Widget*, Point*) override { Maybe("Toggle"); }
    void OnControlClick(Widget*, Point*) override { Maybe("Click"); }
    void OnControlRightClick(Widget*, Point*) override { Maybe("RightClick"); }
    void OnControlHover(Widget*, Point*) override { Maybe("Hover"); }
    void OnPanelIdle() override { Maybe("PanelIdle"); }

    std::string closeOn;
    GuiPanel* panel;
    ButtonLike* button;

private:
    void Maybe(const char* what) {
        if (closeOn == what) Close(1);
    }
};

class SelfClosingTest : public GuiRootFixture {};

TEST_F(SelfClosingTest, WindowsClosingThemselvesFromEveryNotificationAreDeletedSafelyAfterTheMessage) {
    struct Case {
        const char* closeOn;
        uint16_t kind;
        int x, y;
        bool dragging;
    };
    const Case cases[] = {
        {"Hover", 1, 115, 115, false},      {"Press", 2, 115, 115, false},
        {"Click", 3, 115, 115, false},      {"Toggle", 4, 115, 115, false},
        {"RightPress", 5, 115, 115, false}, {"RightClick", 6, 115, 115, false},
        {"Hover", 1, 250, 250, false},      {"Press", 2, 250, 250, false},
        {"Click", 3, 250, 250, false},      {"Click", 3, 250, 250, true},
        {"Toggle", 4, 250, 250, false},     {"RightPress", 5, 250, 250, false},
        {"RightClick", 6, 250, 250, false}, {"PanelIdle", 2, 700, 50, false},
    };
    for (const Case& c : cases) {
        WindowsDeleted = 0;
        // A second window that stays, behind the one that closes: the idle walk goes on to it.
        auto* stays = new SelfClosingWindow("never");
        auto* w = new SelfClosingWindow(c.closeOn);
        if (c.dragging) {
            // A click released over a panel that was being dragged but never moved.
            w->panel->dragArmed = 1;
            ASSERT_EQ(TheMouseCursor->Capture(w->panel), 1);
        }
        GuiMessage m = Mouse(c.kind, c.x, c.y);
        if (c.dragging) {
            m.target = w->panel;
            m.param = 1;
        }
        TheRootWidget->HandleMessage(&m);
        EXPECT_EQ(WindowsDeleted, 1) << c.closeOn << " at " << c.x;
        EXPECT_EQ(PendingDeleteCount(), 0);
        ASSERT_EQ(TheRootWidget->children->GetCount(), 1) << c.closeOn;
        EXPECT_EQ(TheRootWidget->children->First(), reinterpret_cast<uintptr_t>(stays->panel));
        EXPECT_EQ(TheMouseCursor->captured, nullptr);
        stays->Close(0);
        FlushDeferredDeletes();
    }
}

TEST_F(SelfClosingTest, CloseFromInsideAFrameWaitsForTheFrameToEnd) {
    WindowsDeleted = 0;
    auto* w = new SelfClosingWindow("never");
    {
        DeferredDeleteScope frame;
        w->Close(1);
        EXPECT_EQ(WindowsDeleted, 0);
        EXPECT_TRUE(TheRootWidget->children->IsEmpty()) << "detached at once";
        EXPECT_EQ(w->panel->result, 1);
        FlushDeferredDeletes();
        EXPECT_EQ(WindowsDeleted, 0) << "no flush while the frame runs";
    }
    EXPECT_EQ(WindowsDeleted, 1);
}

} // namespace
