// The demo stage started as the stage list starts it, with the player on the red side, played
// through the main window's procedure: a drag box picks a general where he is drawn and a right
// click sends him over the ground or at an enemy, and the world's frames walk him there.
#include "DemoBattleGame.h"

#include "support/TempFolder.h"

#include "Program/GameController.h"
#include "Program/MainWindow.h"
#include "Program/SceneMachine.h"
#include "Program/StageSet.h"
#include "engine/LinkList.h"
#include "platform/Messages.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/TemplateTables.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"
#include "world/MapView.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace platform;

class DemoTroopOrdersTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(StartDemoBattleGame(folder.path(), error)) << error;
        // What the stage list's start button leaves behind for a single-play stage.
        GameController& c = *TheGameController;
        c.networked = 0;
        c.gameKind = 1;
        c.freshStage = 1;
        c.menuChoice = -2;
        c.campaignStage = 1;
        if (!c.templateTables) c.templateTables = new TemplateTables;
        ASSERT_TRUE(c.templateTables->ReloadStageTexts("stage01.stg"));
        GetFrontEndServices()->StartStage(&c);
        c.requestedMode = 1;
        for (int i = 0; i < 10 && c.mode != 1; ++i)
            Frame();
        ASSERT_EQ(c.mode, 1);
        ASSERT_TRUE(c.gameScreen);
        // The opening view and speeches, clicked away, until the battle clock runs on its own.
        for (int i = 0, calm = 0; i < 3000 && calm < 120; ++i) {
            Frames(1);
            calm = c.running ? calm + 1 : 0;
            if (!c.running && i % 30 == 29) Click(400, 300);
        }
        ASSERT_EQ(c.running, 1);
    }
    void TearDown() override { TearDownProgram(); }

    static void Frame() {
        GameTimerProc(0, 0, 0, 0, 0);
        MainWndProc(nullptr, FrameMessage, 0, 0);
    }
    static void Pointer(UINT message, int x, int y) {
        MainWndProc(nullptr, WM_MOUSEMOVE, 0, LPARAM(uint32_t(x) | (uint32_t(y) << 16)));
        if (message != WM_MOUSEMOVE) MainWndProc(nullptr, message, 0, 0);
    }
    static void Click(int x, int y, UINT down = WM_LBUTTONDOWN, UINT up = WM_LBUTTONUP) {
        Pointer(WM_MOUSEMOVE, x, y);
        // A pause as a person makes between clicks: two close together are a double click.
        for (int i = 0; i < 12; ++i)
            Frame();
        Pointer(down, x, y);
        Pointer(up, x, y);
    }
    // Frames of the running game; a speech of the stage's script is clicked away as a player would.
    static void Frames(int n) {
        for (int i = 0; i < n; ++i) {
            Frame();
            if (!TheGameController->running && i % 30 == 29) Click(400, 300);
        }
    }
    // The middle of the troop's picture as the last frame drew it, in the game screen.
    static std::pair<int, int> OnScreen(const Troop* t) {
        const MapView* v = TheGameController->gameScreen;
        return {(t->drawnRect[0] + t->drawnRect[2]) / 2 - v->viewX * 40,
                (t->drawnRect[1] + t->drawnRect[3]) / 2 - v->viewY * 10};
    }
    // A drag box around the troop's picture, as a person draws it.
    static void BoxAround(const Troop* t) {
        const auto [x, y] = OnScreen(t);
        Pointer(WM_MOUSEMOVE, x - 30, y - 40);
        for (int i = 0; i < 12; ++i)
            Frame();
        Pointer(WM_LBUTTONDOWN, x - 30, y - 40);
        Pointer(WM_MOUSEMOVE, x, y);
        Pointer(WM_MOUSEMOVE, x + 30, y + 40);
        Pointer(WM_LBUTTONUP, x + 30, y + 40);
    }
    static std::vector<Troop*> Generals(int side) {
        std::vector<Troop*> out;
        Zu_StageSet* stage = CurrentStageSet();
        for (uintptr_t k = stage->kingdoms->First(); k != 0; k = stage->kingdoms->Next()) {
            Kingdom* kingdom = reinterpret_cast<Kingdom*>(k);
            if (kingdom->nationIndex != side) continue;
            for (uintptr_t v = kingdom->fieldUnits.First(); v != 0; v = kingdom->fieldUnits.Next())
                if (reinterpret_cast<Troop*>(v)->leaderFlag) out.push_back(reinterpret_cast<Troop*>(v));
        }
        return out;
    }
    static std::vector<Troop*> Selected() {
        std::vector<Troop*> out;
        LinkList* s = TheGameController->selection;
        for (int i = 0; s && i < s->GetCount(); ++i)
            out.push_back(reinterpret_cast<Troop*>(s->GetAt(i)));
        return out;
    }
    static int Hp(const Troop* t) { return t->officer ? t->officer->Get(OfficerLayout::kHp) : 0; }

    testsupport::TempFolder folder;
};

// A drag box around the general's picture selects him; a right click on open ground some rows away
// walks him there, cell by cell, over the following frames.
TEST_F(DemoTroopOrdersTest, ABoxedGeneralWalksToTheGroundRightClicked) {
    const int player = CurrentStageSet()->playerSide;
    const std::vector<Troop*> generals = Generals(player);
    ASSERT_FALSE(generals.empty());
    Troop* general = generals.front();
    TheGameController->CentreViewOnTroop(general, false);
    Frames(2);
    const auto [x, y] = OnScreen(general);
    BoxAround(general);
    ASSERT_EQ(Selected(), std::vector<Troop*>{general});

    const int startX = general->cellX, startY = general->cellY;
    const int goalY = startY - 8; // upward, away from the enemy bands
    Click(x, y - 8 * 20, WM_RBUTTONDOWN, WM_RBUTTONUP);
    std::vector<int> rows{startY};
    for (int step = 0; step < 40 && general->cellY != goalY; ++step) {
        Frames(20);
        if (general->cellY != rows.back()) rows.push_back(general->cellY);
    }
    EXPECT_EQ(general->cellY, goalY);
    EXPECT_LE(std::abs(general->cellX - startX), 1);
    // He walked: each new row one or two from the last, never a jump.
    ASSERT_GE(rows.size(), 4u);
    for (size_t i = 1; i < rows.size(); ++i)
        EXPECT_LE(std::abs(rows[i] - rows[i - 1]), 2) << i;
}

// A right click on an enemy general sends the selected general at him: he strikes and the
// enemy's hit points fall.
TEST_F(DemoTroopOrdersTest, ARightClickOnAnEnemySendsTheGeneralToAttack) {
    const int player = CurrentStageSet()->playerSide;
    const std::vector<Troop*> generals = Generals(player);
    ASSERT_FALSE(generals.empty());
    Troop* general = generals.front();
    Troop* foe = nullptr;
    for (int side = 1; side <= 8 && !foe; ++side)
        if (side != player)
            if (std::vector<Troop*> g = Generals(side); !g.empty()) foe = g.front();
    ASSERT_NE(foe, nullptr);
    TheGameController->CentreViewOnTroop(general, false);
    Frames(2);
    BoxAround(general);
    ASSERT_EQ(Selected(), std::vector<Troop*>{general});

    const int foeHp = Hp(foe);
    const auto [fx, fy] = OnScreen(foe);
    Click(fx, fy, WM_RBUTTONDOWN, WM_RBUTTONUP);
    EXPECT_EQ(general->targetTroop, foe);
    bool struck = false;
    for (int step = 0; step < 60 && !(struck && Hp(foe) < foeHp); ++step) {
        Frames(20);
        struck = struck || general->state == 11;
    }
    EXPECT_TRUE(struck);
    EXPECT_LT(Hp(foe), foeHp);
}

} // namespace
