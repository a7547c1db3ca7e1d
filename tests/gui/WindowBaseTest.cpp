#include "GuiTestSupport.h"
#include "engine/ErrorList.h"
#include "engine/LinkList.h"
#include "engine/Point.h"
#include "engine/Rect.h"
#include "engine/ResourceStore.h"
#include "gui/GuiLayout.h"
#include "gui/GuiPanel.h"
#include "gui/RootWidget.h"
#include "gui/Widget.h"
#include "gui/Window.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

namespace {
// A free-standing widget: the constructor takes over the heap rectangle.
std::unique_ptr<Widget> MakeWidget() {
    return std::make_unique<Widget>(new Rect(0, 0, 10, 10), nullptr, nullptr, 0);
}
} // namespace

TEST(WindowBase, AWindowThatOverridesNothingIgnoresEverything) {
    Window w;
    EXPECT_EQ(w.active, 1);
    auto widget = MakeWidget();
    Widget& control = *widget;
    Point p{3, 4};
    w.OnControlPress(&control, &p);
    w.OnControlClick(&control, nullptr);
    w.OnControlHover(&control, nullptr);
    w.OnNotify(nullptr, 1);
    EXPECT_EQ(w.Query11(&control), 1);
    EXPECT_EQ(w.Close(1), 1);
    EXPECT_EQ(control.enabled, 1);
    // Deactivate touches only the active byte.
    w.firstWidget = &control;
    w.Deactivate();
    EXPECT_EQ(w.active, 0);
    EXPECT_EQ(control.enabled, 1);
    w.Activate();
    EXPECT_EQ(w.active, 1);
}

TEST(WindowBase, WidgetSwitchesSetTheirWidgetAndIgnoreAMissingOne) {
    Window w;
    // No widgets: nothing happens.
    w.EnableFirstWidget();
    w.DisableFirstWidget();
    w.EnableSecondWidget();
    w.DisableSecondWidget();
    auto wa = MakeWidget(), wb = MakeWidget();
    Widget& a = *wa;
    Widget& b = *wb;
    w.firstWidget = &a;
    w.secondWidget = &b;
    w.DisableFirstWidget();
    EXPECT_EQ(a.enabled, 0);
    EXPECT_EQ(b.enabled, 1);
    w.DisableSecondWidget();
    EXPECT_EQ(b.enabled, 0);
    w.EnableFirstWidget();
    w.EnableSecondWidget();
    EXPECT_EQ(a.enabled, 1);
    EXPECT_EQ(b.enabled, 1);
}

TEST(WindowBase, UnreadableLayoutGivesAnEmptyPanelAndAnErrorRecord) {
    Zu_ErrorList& errors = Zu_ErrorList::Global();
    const int before = errors.GetCount();
    auto rootWidget = MakeWidget();
    Widget& root = *rootWidget;
    Window w;
    LayoutWindowParts parts = BuildLayoutPanel("NoSuchLayout.gui", &root, &w);
    ASSERT_NE(parts.layout, nullptr);
    ASSERT_NE(parts.panel, nullptr);
    EXPECT_EQ(parts.layout->FirstImage(), nullptr);
    EXPECT_EQ(parts.panel->rect.left, 0);
    EXPECT_EQ(parts.panel->rect.right, 0);
    EXPECT_EQ(parts.panel->listener, &w);
    EXPECT_EQ(errors.GetCount(), before + 1);
    EXPECT_EQ(errors.GetCurrent()->kind, Zu_ErrorList::KindOpen);
    delete parts.panel;
    delete parts.layout;
}

TEST(WindowBase, ReadableLayoutGivesThePanelOfItsBackground) {
    const auto file = std::filesystem::temp_directory_path() / "kardol-winbase.gui";
    {
        std::ofstream out(file, std::ios::binary);
        const uint32_t words[] = {0, 1, 100, 50, 300, 250, 0, 0, 0, 0xFFFFFFFF, 0};
        out.write(reinterpret_cast<const char*>(words), sizeof words);
    }
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(file.parent_path());
    auto rootWidget = MakeWidget();
    Widget& root = *rootWidget;
    Window w;
    LayoutWindowParts parts = BuildLayoutPanel("kardol-winbase.gui", &root, &w);
    std::filesystem::current_path(previous);
    std::filesystem::remove(file);
    ASSERT_NE(parts.layout->FirstImage(), nullptr);
    EXPECT_EQ(parts.panel->background, parts.layout->FirstImage()); // else the window is invisible
    EXPECT_EQ(parts.panel->rect.left, 100);
    EXPECT_EQ(parts.panel->rect.bottom, 250);
    delete parts.panel;
    delete parts.layout;
}

namespace {
class WindowCloseTest : public GuiRootFixture {};

// A window that closes itself from one of its own notifications.
class SelfClosingWindow : public Window {
public:
    GuiPanel* panel = nullptr;
    int closedWith = -1;
    void OnControlClick(Widget*, Point*) override {
        closedWith = 7;
        CloseWindowAndPanel(panel, 7);
        // Still inside the notification: the object must be alive here.
        closedWith = 8;
    }
};
} // namespace

TEST_F(WindowCloseTest, AClosedWindowLeavesAtOnceAndIsDeletedAfterTheMessage) {
    TheResourceStore = new ResourceStore;
    auto* w = new SelfClosingWindow;
    w->panel = new GuiPanel(new Rect(0, 0, 100, 100), TheRootWidget, w, 1, 1, 0);
    TheResourceStore->drawList->Add(reinterpret_cast<uintptr_t>(w->panel));
    ASSERT_TRUE(TheRootWidget->children->Contains(reinterpret_cast<uintptr_t>(w->panel)));
    {
        DeferredDeleteScope message;
        w->OnControlClick(nullptr, nullptr);
        EXPECT_EQ(w->closedWith, 8);
        EXPECT_EQ(w->panel->result, 7);
        EXPECT_FALSE(TheRootWidget->children->Contains(reinterpret_cast<uintptr_t>(w->panel)));
        EXPECT_FALSE(TheResourceStore->drawList->Contains(reinterpret_cast<uintptr_t>(w->panel)));
        EXPECT_EQ(PendingDeleteCount(), 2);
    }
    EXPECT_EQ(PendingDeleteCount(), 0);
    // Without a panel the window alone goes; deleting it by other means cancels the queued delete.
    auto* plain = new Window;
    EXPECT_EQ(plain->CloseWindowAndPanel(nullptr, 0), 1);
    EXPECT_EQ(PendingDeleteCount(), 1);
    delete plain;
    EXPECT_EQ(PendingDeleteCount(), 0);
    delete TheResourceStore;
    TheResourceStore = nullptr;
}
