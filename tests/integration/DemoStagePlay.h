#pragma once

// The demo stage started as the stage list starts it, with the player on the red side, played
// through the main window's procedure: frames, pointer moves, clicks and drag boxes as a person
// makes them.

#include "DemoBattleGame.h"
#include "DemoUnitPanels.h"

#include "support/TempFolder.h"

#include "Program/GameController.h"
#include "Program/MainWindow.h"
#include "Program/SceneMachine.h"
#include "platform/Messages.h"
#include "records/TemplateTables.h"
#include "troops/Troop.h"
#include "world/MapView.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

using namespace platform;

class DemoStagePlay : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        // The unit windows' layouts and icon sets, as the demo generator writes them beside the battle.
        if (unitWindows) ASSERT_TRUE(WriteDemoUnitPanels(folder.path().string(), error)) << error;
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

    // The unit windows' files are written too.
    bool unitWindows = false;
    testsupport::TempFolder folder;
};
