#include "WorldFixture.h"

#include "Program/BannerWindow.h"
#include "engine/KeyedTable37.h"
#include "engine/Point.h"
#include "engine/Rect.h"
#include "gui/DeferredDelete.h"
#include "gui/GuiPanel.h"
#include "gui/RootWidget.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace worldtest;

namespace {

class MapViewSlotsTest : public ::testing::Test {
protected:
    void SetUp() override {
        TheRootWidget = new RootWidget(new Rect(0, 0, 800, 600));
        view = new MapView;
        TheGameController->gameScreen = view;
    }
    void TearDown() override {
        TheGameController->gameScreen = nullptr;
        delete view;
        FlushDeferredDeletes();
        delete TheRootWidget;
        TheRootWidget = nullptr;
    }
    testsupport::TempFolder folder;
    World world;
    MapView* view = nullptr;
};

TEST_F(MapViewSlotsTest, ThePanelCoversTheMapAreaAndLeavesWithTheView) {
    ASSERT_NE(view->panel, nullptr);
    EXPECT_EQ(view->viewWidget, view->panel);
    EXPECT_EQ(view->panel->rect.right, 800);
    EXPECT_EQ(view->panel->rect.bottom, 560);
    EXPECT_EQ(view->panel->GetParent(), TheRootWidget);
    EXPECT_EQ(KeyedTable37::RedrawHook, &MapView::LockUnlockBackSurface);
    TheGameController->tileRedraws.push_back({1, 2, 3, 4, 0});
    // Closing hands both over for deletion at the end of the frame.
    TheGameController->gameScreen = nullptr;
    EXPECT_EQ(view->Close(1), 1);
    view = nullptr;
    FlushDeferredDeletes();
    EXPECT_EQ(KeyedTable37::RedrawHook, nullptr);
    EXPECT_TRUE(TheGameController->tileRedraws.empty());
}

TEST_F(MapViewSlotsTest, ALeftPressStartsADragAndClosesAClosableBanner) {
    TheBanner = new Win25Window(TheRootWidget, view, "x", 1);
    Win25Window* banner = TheBanner;
    BannerTicks = 2;
    Point p(120, 340);
    view->OnControlPress(view->panel, &p);
    EXPECT_EQ(TheBanner, banner); // not yet shown long enough
    EXPECT_EQ(TheGameController->leftHeld, 1);
    EXPECT_EQ(TheGameController->dragStartX, 120);
    EXPECT_EQ(TheGameController->dragStartY, 340);
    BannerTicks = 3;
    view->OnControlPress(view->panel, &p);
    EXPECT_EQ(TheBanner, nullptr);
    BannerTicks = 0;
    delete banner;
}

TEST_F(MapViewSlotsTest, ARightPressEndsCommandsAndPlacementOrCancelsTheDrag) {
    Point p(10, 10);
    TheGameController->leftHeld = 1;
    TheGameController->dragging = 1;
    view->commandMode = 4;
    view->placingBuilding = 1;
    view->OnControlRightPress(view->panel, &p);
    EXPECT_EQ(view->commandMode, 0);
    EXPECT_EQ(view->placingBuilding, 0);
    EXPECT_EQ(TheGameController->rightHeld, 0); // placement ended: nothing else
    EXPECT_EQ(TheGameController->dragging, 1);

    view->OnControlRightPress(view->panel, &p);
    EXPECT_EQ(TheGameController->rightHeld, 1);
    EXPECT_EQ(TheGameController->dragging, 0);
    EXPECT_EQ(TheGameController->leftHeld, 0);
    view->OnControlRightClick(view->panel, &p);
    EXPECT_EQ(TheGameController->rightHeld, 0);

    // Another widget's press is not the map's.
    view->OnControlRightPress(nullptr, &p);
    EXPECT_EQ(TheGameController->rightHeld, 0);
}

} // namespace
