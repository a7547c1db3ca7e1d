#pragma once

// The demo stage started as the stage list starts it, with the player on the red side, and the
// pointer of a person: moves, presses and releases that reach the main window's procedure.
// `Pointer` is where they enter; a fixture may route them through the window's own events.

#include "DemoBattleGame.h"
#include "DemoUnitPanels.h"

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
#include "world/MapView.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

class DemoBattlePlay : public ::testing::Test {
protected:
    using UINT = platform::UINT;

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

    virtual void Frame() {
        GameTimerProc(0, 0, 0, 0, 0);
        MainWndProc(nullptr, FrameMessage, 0, 0);
    }
    // A pointer event at (x, y) of the game's 800 x 600 screen.
    virtual void Pointer(UINT message, int x, int y) {
        MainWndProc(nullptr, platform::WM_MOUSEMOVE, 0, platform::LPARAM(uint32_t(x) | (uint32_t(y) << 16)));
        if (message != platform::WM_MOUSEMOVE) MainWndProc(nullptr, message, 0, 0);
    }
    void Click(int x, int y, UINT down = platform::WM_LBUTTONDOWN, UINT up = platform::WM_LBUTTONUP) {
        Pointer(platform::WM_MOUSEMOVE, x, y);
        // A pause as a person makes between clicks: two close together are a double click.
        for (int i = 0; i < 12; ++i)
            Frame();
        Pointer(down, x, y);
        Pointer(up, x, y);
    }
    // Frames of the running game; a speech of the stage's script is clicked away as a player would.
    void Frames(int n) {
        for (int i = 0; i < n; ++i) {
            Frame();
            if (!TheGameController->running && i % 30 == 29) Click(400, 300);
        }
    }
    // The middle of the troop's picture as the last frame drew it, in the game screen.
    static std::pair<int, int> OnScreen(const Troop* t) {
        const MapView* v = TheGameController->gameScreen;
        return {t->pixelX + t->frameGeometry[0] + t->frameGeometry[2] / 2 - v->viewX * 40,
                t->pixelY + t->frameGeometry[1] + t->frameGeometry[3] / 2 - v->viewY * 10};
    }
    // A drag box from one corner to the other, as a person draws it.
    void Drag(int x0, int y0, int x1, int y1) {
        Pointer(platform::WM_MOUSEMOVE, x0, y0);
        for (int i = 0; i < 12; ++i)
            Frame();
        Pointer(platform::WM_LBUTTONDOWN, x0, y0);
        Pointer(platform::WM_MOUSEMOVE, (x0 + x1) / 2, (y0 + y1) / 2);
        Pointer(platform::WM_MOUSEMOVE, x1, y1);
        Pointer(platform::WM_LBUTTONUP, x1, y1);
    }
    // A drag box just around the troop's picture.
    void BoxAround(const Troop* t) {
        const auto [x, y] = OnScreen(t);
        const int w = t->frameGeometry[2] / 2 + 4, h = t->frameGeometry[3] / 2 + 4;
        Drag(x - w, y - h, x + w, y + h);
    }
    static std::vector<Troop*> Units(int side, bool generalsOnly) {
        std::vector<Troop*> out;
        Zu_StageSet* stage = CurrentStageSet();
        for (uintptr_t k = stage->kingdoms->First(); k != 0; k = stage->kingdoms->Next()) {
            Kingdom* kingdom = reinterpret_cast<Kingdom*>(k);
            if (kingdom->nationIndex != side) continue;
            for (uintptr_t v = kingdom->fieldUnits.First(); v != 0; v = kingdom->fieldUnits.Next())
                if (!generalsOnly || reinterpret_cast<Troop*>(v)->leaderFlag)
                    out.push_back(reinterpret_cast<Troop*>(v));
        }
        return out;
    }
    static std::vector<Troop*> Generals(int side) { return Units(side, true); }
    static std::vector<Troop*> Selected() {
        std::vector<Troop*> out;
        LinkList* s = TheGameController->selection;
        for (int i = 0; s && i < s->GetCount(); ++i)
            out.push_back(reinterpret_cast<Troop*>(s->GetAt(i)));
        return out;
    }
    static int Hp(const Troop* t) { return t->officer ? t->officer->Get(OfficerLayout::kHp) : 0; }

    // The unit windows' files are written too.
    bool unitWindows = false;
    testsupport::TempFolder folder;
};
