#include "../engine/DrawingFixture.h"
#include "ControllerTestFixture.h"

#include "Program/ScreenControls.h"
#include "engine/GameFileWriters.h"
#include "gui/GuiLayout.h"
#include "windows/Win04Window.h"
#include "windows/WindowHosts.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace controllertest;

namespace {

constexpr uint16_t kBack = 0x2104;
constexpr uint16_t kShown = 0x4208;   // the picture shown with the toggle up
constexpr uint16_t kTerrain = 0x03E0; // the one shown with the toggle down
// Both pages cover the bottom right corner, 200 x 170; the picture lies at (25, 27) inside.
constexpr int kLeft = 600, kTop = 430;

// A page layout: the background, then picture buttons 0x100.. in order; an empty box keeps its
// number free.
void WritePage(const char* name, const std::vector<gamefiles::LayoutBox>& buttons) {
    gamefiles::LayoutWriter w;
    w.Block(0, 1).ElementPixels(kLeft, kTop, kLeft + 200, kTop + 170, 200, 170, 0,
                                std::vector<uint16_t>(200 * 170, kBack));
    w.Block(1, uint32_t(buttons.size()));
    for (const gamefiles::LayoutBox& b : buttons)
        for (uint16_t face : {0x1111, 0x2222, 0x3333, 0x4444})
            if (b.Width() > 0)
                w.Solid(b.left, b.top, b.right, b.bottom, face);
            else
                w.Element(0, 0, 0, 0, -1, -1);
    w.End();
    ASSERT_TRUE(w.Write(name));
}

struct MinimapWindow : testing::Test {
    TestDisplay display{565};
    ControllerBattle battle;
    GameController* c = battle.c;
    MapView* view = battle.view;
    Win01HostWindow* host = nullptr;
    Win04Window* window = nullptr;

    MinimapWindow() {
        WritePage("Win04.gui", {{25, 3, 95, 23}, {25, 27, 185, 147}, {115, 3, 185, 23}});
        WritePage("Win06.gui", {{25, 3, 95, 23}, {}, {115, 3, 185, 23}});
        Paint(c->minimapImages[2], kShown);
        Paint(c->minimapImages[1], kTerrain);
        host = new Win01HostWindow(battle.root, c);
        window = host->GetMinimap();
    }
    ~MinimapWindow() override {
        delete host;
        FlushDeferredDeletes();
    }
    static void Paint(uint8_t* image, uint16_t colour) {
        for (int p = 0; p < 160 * 120; ++p)
            std::memcpy(image + 2 * p, &colour, 2);
    }
    // A pixel of the picture's middle in the page's own surface, after a minimap drawing.
    uint16_t PictureAfterDrawing() {
        window->DrawMiniMap();
        return window->panel->surface->PixelAt(25 + 100, 27 + 100);
    }
    int ToggleShown() const { return ButtonShownPressed(FindScreenControl(window->controls, 0x102)); }
    void Mouse(uint32_t message, int x, int y) { battle.Mouse(message, x, y); }
    void Click(int x, int y) {
        Mouse(platform::WM_MOUSEMOVE, x, y);
        Mouse(platform::WM_LBUTTONDOWN, x, y);
        Mouse(platform::WM_LBUTTONUP, x, y);
    }
    void ClickPageSwitch() { Click(kLeft + 60, kTop + 13); }
    void ClickToggle() { Click(kLeft + 150, kTop + 13); }
    std::vector<int> View() const { return {c->viewLeft, c->viewTop, view->viewX, view->viewY}; }
};

TEST_F(MinimapWindow, ThePageSwitchStopsAndRestartsTheDrawingAndTheToggleKeepsItsState) {
    ASSERT_TRUE(display.ok);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(window->panel, nullptr);
    EXPECT_EQ(window->page, 1);
    EXPECT_EQ(window->panel->rect.left, kLeft);
    EXPECT_EQ(window->panel->surface->PixelAt(25 + 100, 27 + 100), kBack);
    EXPECT_EQ(PictureAfterDrawing(), kShown);
    EXPECT_EQ(ToggleShown(), 0);

    ClickToggle();
    EXPECT_EQ(c->minimapToggle, 1);
    EXPECT_EQ(ToggleShown(), 1);
    EXPECT_EQ(PictureAfterDrawing(), kTerrain);

    // The second page: no picture, the toggle still down.
    ClickPageSwitch();
    FlushDeferredDeletes();
    EXPECT_EQ(window->page, 0);
    EXPECT_EQ(FindScreenControl(window->controls, 0x101), nullptr);
    EXPECT_EQ(ToggleShown(), 1);
    EXPECT_EQ(PictureAfterDrawing(), kBack);
    // The toggle works on this page too.
    ClickToggle();
    EXPECT_EQ(c->minimapToggle, 0);
    EXPECT_EQ(PictureAfterDrawing(), kBack);

    ClickPageSwitch();
    FlushDeferredDeletes();
    EXPECT_EQ(window->page, 1);
    EXPECT_EQ(ToggleShown(), 0);
    EXPECT_EQ(PictureAfterDrawing(), kShown);
    // Only the page shown is a child of the screen.
    int pages = 0;
    for (uintptr_t v = battle.root->children->First(); v != 0; v = battle.root->children->Next())
        pages += reinterpret_cast<Widget*>(v)->listener == window;
    EXPECT_EQ(pages, 1);
}

TEST_F(MinimapWindow, AClickOrAHeldDragOnThePictureMovesTheViewAndARightClickSendsTheSelection) {
    ASSERT_TRUE(display.ok);
    // The 40 x 80 map fills the 160 x 120 picture at (625, 457): 4 pixels a column, 1.5 a row.
    Click(705, 517); // cell (20, 40): the view at (10, 12)
    EXPECT_EQ(View(), (std::vector<int>{10, 12, 10, 12}));

    // Held and moved, the view follows; released, moving over the picture leaves it.
    Mouse(platform::WM_MOUSEMOVE, 665, 487);
    Mouse(platform::WM_LBUTTONDOWN, 665, 487);
    Mouse(platform::WM_MOUSEMOVE, 745, 547); // cell (30, 60): clamped to (20, 24)
    EXPECT_EQ(View(), (std::vector<int>{20, 24, 20, 24}));
    Mouse(platform::WM_MOUSEMOVE, 705, 517);
    EXPECT_EQ(View(), (std::vector<int>{10, 12, 10, 12}));
    Mouse(platform::WM_LBUTTONUP, 705, 517);
    Mouse(platform::WM_MOUSEMOVE, 745, 547);
    Mouse(platform::WM_MOUSEMOVE, 665, 487);
    EXPECT_EQ(View(), (std::vector<int>{10, 12, 10, 12}));

    // A right click on the picture sends the selected troop to the cell, at unit row y / 2.
    Troop* t = battle.Unit(battle.player, 5, 5);
    view->SelectUnit(t);
    Mouse(platform::WM_RBUTTONDOWN, 745, 547);
    Mouse(platform::WM_RBUTTONUP, 745, 547);
    EXPECT_EQ(t->goalX, 30);
    EXPECT_EQ(t->goalY, 30);
    EXPECT_EQ(View(), (std::vector<int>{10, 12, 10, 12})) << "a right click does not move the view";

    // On the second page the picture's place is plain panel.
    ClickPageSwitch();
    FlushDeferredDeletes();
    Click(745, 547);
    EXPECT_EQ(View(), (std::vector<int>{10, 12, 10, 12}));
}

} // namespace
