#include "ControllerTestFixture.h"

#include "Program/CodeLine.h"
#include "Program/Startup.h"
#include "records/ScenarioData.h"

#include <algorithm>

#include <gtest/gtest.h>

using namespace controllertest;
using platform::WM_LBUTTONDOWN;
using platform::WM_LBUTTONUP;
using platform::WM_MOUSEMOVE;
using platform::WM_RBUTTONDOWN;
using platform::WM_RBUTTONUP;

namespace {

struct ControllerInput : testing::Test, ControllerBattle {
    void CtrlDigit(char digit) {
        Key(platform::VK_CONTROL, true);
        c->OnKeyDown(uint32_t(digit));
        Key(platform::VK_CONTROL, false);
    }
    void Drag(int x0, int y0, int x1, int y1) {
        Mouse(WM_MOUSEMOVE, x0, y0);
        Mouse(WM_LBUTTONDOWN, x0, y0);
        Mouse(WM_MOUSEMOVE, (x0 + x1) / 2, (y0 + y1) / 2);
        Mouse(WM_MOUSEMOVE, x1, y1);
        Mouse(WM_LBUTTONUP, x1, y1);
    }
};

// A player's session: box-select with the mouse, store the selection as group 1, lose it, take it
// back with the digit, centre on it with a second press, scroll with the arrows, order an attack.
TEST_F(ControllerInput, AScriptedPlayerSelectsGroupsScrollsAndOrders) {
    Troop* a = Unit(player, 5, 5);
    Troop* bTroop = Unit(player, 6, 6);
    Troop* far = Unit(player, 30, 30);
    Troop* foe = Unit(enemy, 12, 8);
    c->networked = 1; // a client: orders leave as commands
    c->isHost = 0;

    Mouse(WM_MOUSEMOVE, 100, 60);
    Mouse(WM_LBUTTONDOWN, 100, 60);
    EXPECT_EQ(c->leftHeld, 1);
    Mouse(WM_MOUSEMOVE, 300, 160);
    EXPECT_EQ(c->dragging, 1);
    Mouse(WM_LBUTTONUP, 300, 160);
    EXPECT_EQ(Selected(), (std::vector<Troop*>{a, bTroop}));
    EXPECT_EQ(c->dragging, 0);
    EXPECT_EQ(c->selectionActive, 1);
    EXPECT_EQ(a->selected, 1);
    EXPECT_EQ(far->selected, 0);

    Key(platform::VK_CONTROL, true);
    c->OnKeyDown('1');
    Key(platform::VK_CONTROL, false);
    EXPECT_EQ(Group(0), (std::vector<Troop*>{a, bTroop}));
    EXPECT_EQ(c->groupHeaders[0]->inUse, 1);
    EXPECT_EQ(c->groupHeaders[0]->b1, 5);
    EXPECT_EQ(c->groupHeaders[0]->memberCount, 2u);
    EXPECT_EQ(a->hotKeyGroup, 0);
    EXPECT_EQ(c->currentGroup, 0);

    // Another selection drops the group as the current one; the digit brings it back.
    view->DeselectAll();
    Drag(1140 / 2, 500, 799, 559);
    EXPECT_EQ(c->currentGroup, -1);
    c->groupKeyPresses = 0;
    c->OnKeyDown('1');
    EXPECT_EQ(Selected(), (std::vector<Troop*>{a, bTroop}));
    EXPECT_EQ(c->currentGroup, 0);
    EXPECT_EQ(view->viewX, 0) << "one press only selects";

    // A second press of the same digit inside the window centres the view on the group's first troop.
    view->SetViewOrigin(20, 20);
    c->OnKeyDown('1');
    EXPECT_EQ(view->viewX, 0); // 5 - 10, kept inside the map
    EXPECT_EQ(view->viewY, 0); // 2 * 5 - 28
    c->groupKeyPresses = 0;

    // Arrow keys ask the view to scroll unless it stands at that edge.
    view->Redraw();
    c->viewLeft = 0, c->viewTop = 0, c->viewRight = 20, c->viewBottom = 56;
    c->scrollRequest = 0;
    c->OnKeyDown(platform::VK_LEFT);
    EXPECT_EQ(c->scrollRequest, 0);
    c->OnKeyDown(platform::VK_RIGHT);
    EXPECT_EQ(c->scrollRequest, platform::VK_RIGHT);

    // A right click on the enemy sends the selected troops at it.
    const Point over(foe->pixelX + 80 + 20, foe->pixelY + 130 + 27);
    Mouse(WM_MOUSEMOVE, over.x, over.y);
    Mouse(WM_RBUTTONDOWN, over.x, over.y);
    Mouse(WM_RBUTTONUP, over.x, over.y);
    ASSERT_FALSE(sent.empty());
    std::vector<uint32_t> units;
    for (const TroopCommand& cmd : sent) {
        EXPECT_EQ(cmd.target, foe->UnitId());
        units.push_back(cmd.troop);
    }
    EXPECT_NE(std::find(units.begin(), units.end(), a->UnitId()), units.end());
    EXPECT_NE(std::find(units.begin(), units.end(), bTroop->UnitId()), units.end());
}

TEST_F(ControllerInput, AShortDragIsAClickAndALongOneSelects) {
    Troop* a = Unit(player, 5, 5);
    // Nine pixels on both axes: no drag, the release is routed as a click (which selects nothing here).
    Drag(100, 60, 109, 69);
    EXPECT_EQ(c->dragging, 0);
    EXPECT_TRUE(Selected().empty());
    // The drag end is kept inside the map area while the mouse leaves it.
    Mouse(WM_MOUSEMOVE, 100, 60);
    Mouse(WM_LBUTTONDOWN, 100, 60);
    Mouse(WM_MOUSEMOVE, 900, 700);
    EXPECT_EQ(c->dragging, 1);
    EXPECT_EQ(c->dragEndX, 799);
    EXPECT_EQ(c->dragEndY, 559);
    Mouse(WM_LBUTTONUP, 900, 700);
    EXPECT_EQ(Selected(), (std::vector<Troop*>{a}));
}

TEST_F(ControllerInput, HotKeyGroupEdges) {
    Troop* a = Unit(player, 5, 5);
    Troop* bTroop = Unit(player, 6, 6);
    // Ctrl + digit with no selection leaves every group as it was.
    Key(platform::VK_CONTROL, true);
    c->OnKeyDown('3');
    EXPECT_EQ(c->groupHeaders[2]->inUse, 0);
    Key(platform::VK_CONTROL, false);
    view->SelectUnit(a);
    CtrlDigit('3');
    view->SelectUnit(bTroop);
    CtrlDigit('4');
    EXPECT_EQ(Group(2), std::vector<Troop*>{a});
    EXPECT_EQ(Group(3), std::vector<Troop*>{bTroop});
    // A troop moved into another group leaves its old one, which then is not in use.
    view->SelectUnit(a);
    CtrlDigit('4');
    EXPECT_TRUE(Group(2).empty());
    EXPECT_EQ(c->groupHeaders[2]->inUse, 0);
    EXPECT_EQ(Group(3), std::vector<Troop*>{a});
    EXPECT_EQ(bTroop->hotKeyGroup, -1);

    // A press of another digit inside the window is no double press: the view stays.
    view->SelectUnit(bTroop);
    CtrlDigit('6');
    view->SetViewOrigin(10, 20);
    c->groupKeyPresses = 0;
    c->OnKeyDown('4');
    c->OnKeyDown('6');
    EXPECT_EQ(view->viewX, 10);
    EXPECT_EQ(Selected(), std::vector<Troop*>{bTroop});
    // Groups do not answer while the battle clock stands.
    c->running = 0;
    c->groupKeyPresses = 0;
    c->OnKeyDown('4');
    EXPECT_EQ(Selected(), std::vector<Troop*>{bTroop});
}

TEST_F(ControllerInput, DeselectingTheLastMemberEndsTheGroup) {
    Troop* a = Unit(player, 5, 5);
    Troop* bTroop = Unit(player, 6, 6);
    view->SelectUnit(a);
    CtrlDigit('1');
    view->SelectUnit(bTroop);
    CtrlDigit('2');
    ASSERT_EQ(c->currentGroup, 1);
    // The last member of group 0 dies while group 1 is current: no group is current any more.
    c->DeselectTroop(a);
    EXPECT_EQ(c->currentGroup, -1);
    EXPECT_EQ(c->groupHeaders[0]->inUse, 0);
    EXPECT_EQ(a->hotKeyGroup, -1);
    c->DeselectTroop(bTroop);
    EXPECT_TRUE(Selected().empty());
    EXPECT_EQ(c->selectionActive, 0);
    EXPECT_TRUE(Group(1).empty());
}

TEST_F(ControllerInput, ScrollKeysFollowTheEdges) {
    struct Case {
        int key;
        int32_t left, top; // view origin; the view is 20 x 56 on a 40 x 80 map
        int expected;
    } cases[] = {
        {platform::VK_PRIOR, 10, 0, platform::VK_RIGHT},  // at the top: right
        {platform::VK_PRIOR, 20, 0, 0},                   // top right corner: nothing
        {platform::VK_PRIOR, 10, 10, platform::VK_PRIOR}, // up-right
        {platform::VK_PRIOR, 20, 10, platform::VK_UP},
        {platform::VK_NEXT, 10, 10, platform::VK_NEXT},
        {platform::VK_NEXT, 20, 10, platform::VK_DOWN},
        {platform::VK_NEXT, 10, 24, platform::VK_RIGHT},
        {platform::VK_NEXT, 20, 24, 0},
        {platform::VK_END, 10, 10, platform::VK_END},
        {platform::VK_END, 0, 10, platform::VK_DOWN},
        {platform::VK_END, 10, 24, platform::VK_LEFT},
        {platform::VK_HOME, 10, 0, platform::VK_LEFT},
        {platform::VK_HOME, 0, 0, 0},
        {platform::VK_HOME, 0, 10, platform::VK_UP},
        {platform::VK_HOME, 10, 10, platform::VK_HOME},
        {platform::VK_UP, 10, 0, 0},
        {platform::VK_DOWN, 10, 24, 0},
        {platform::VK_DOWN, 10, 10, platform::VK_DOWN},
    };
    for (const Case& k : cases) {
        c->viewLeft = k.left;
        c->viewTop = k.top;
        c->viewRight = k.left + 20;
        c->viewBottom = k.top + 56;
        c->scrollRequest = 0;
        c->OnKeyDown(uint32_t(k.key));
        EXPECT_EQ(c->scrollRequest, k.expected) << k.key << " at " << k.left << "," << k.top;
    }
}

TEST_F(ControllerInput, SpeedPauseAndTheCodeLineKey) {
    ASSERT_NE(TheBattleMap->scenario, nullptr);
    struct Case {
        int32_t gameMode;
        uint8_t developer;
        int32_t top;
    } cases[] = {{1, 0, 9}, {1, 1, 10}, {0, 0, 10}};
    const int32_t keepMode = GameModeFlag;
    for (const Case& k : cases) {
        GameModeFlag = k.gameMode;
        c->developerKeys = k.developer;
        TheScreenSettings->gameSpeed = 5;
        for (int i = 0; i < 8; ++i)
            c->OnKeyDown(platform::VK_ADD);
        EXPECT_EQ(TheScreenSettings->gameSpeed, k.top);
        for (int i = 0; i < 12; ++i)
            c->OnKeyDown(platform::VK_SUBTRACT);
        EXPECT_EQ(TheScreenSettings->gameSpeed, 0);
    }
    c->developerKeys = 0;
    GameModeFlag = 1;

    // 'P' pauses and resumes single play; in a network game it does nothing.
    c->OnChar('p');
    EXPECT_EQ(c->pauseScreen.load(), 1);
    EXPECT_EQ(c->running, 0);
    c->OnChar('x');
    EXPECT_EQ(c->pauseScreen.load(), 1);
    c->OnChar('P');
    EXPECT_EQ(c->pauseScreen.load(), 0);
    EXPECT_EQ(c->running, 1);
    c->networked = 1;
    c->OnChar('p');
    EXPECT_EQ(c->pauseScreen.load(), 0);

    // F9 opens the code line outside network play only; that press runs no battle key.
    c->OnKeyDown(0x78);
    EXPECT_EQ(TheCodeLine.open, 0);
    c->networked = 0;
    c->OnKeyDown(0x78);
    EXPECT_EQ(TheCodeLine.open, 1);
    // While the line is open the digits and letters are text, not keys.
    c->viewLeft = 10, c->viewRight = 30, c->viewTop = 10, c->viewBottom = 66;
    c->scrollRequest = 0;
    c->OnKeyDown(platform::VK_LEFT);
    EXPECT_EQ(c->scrollRequest, 0);
    c->OnChar('p');
    EXPECT_EQ(c->pauseScreen.load(), 0);
    EXPECT_STREQ(TheCodeLine.buffer, "p");
    c->OnChar(13);
    EXPECT_EQ(TheCodeLine.open, 0);
    GameModeFlag = keepMode;
}

TEST_F(ControllerInput, SpaceCentresOnTheSelectionOrTheFirstOwnTroop) {
    Unit(player, 25, 30);
    Troop* b2 = Unit(player, 12, 6);
    c->OnChar(' ');
    EXPECT_EQ(view->viewX, 15);
    EXPECT_EQ(view->viewY, 24); // 60 - 28, kept within 80 - 56
    view->SelectUnit(b2);
    c->OnChar(' ');
    EXPECT_EQ(view->viewX, 2);
    EXPECT_EQ(view->viewY, 0);
}

} // namespace
