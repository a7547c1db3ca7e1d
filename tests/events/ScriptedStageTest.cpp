#include "ScriptFixture.h"

#include "Program/ScreenSettings.h"
#include "Program/Startup.h"
#include "engine/ResourceStore.h"
#include "events/SpeechBox.h"
#include "gui/MouseCursor.h"
#include "platform/Messages.h"
#include "world/FootprintPattern.h"

#include <gtest/gtest.h>

using namespace scripttest;
using L = OfficerLayout;

namespace {

constexpr int32_t kEventsFired = 40, kAlways = 99;
constexpr int32_t kOpening = 1, kEnding = 2;

// A stage whose opening script talks, moves the camera, sets the play area, opens a door, starts
// the timer, makes peace and gives an item; once it has run, a second event ends the stage.
class ScriptedStageTest : public ::testing::Test {
protected:
    void SetUp() override {
        TheResourceStore = new ResourceStore;
        oldState = StartupState;
        StartupState = 2;
        w.Field(w.player, 42, 30, 40);
        w.Field(w.other, 43, 40, 60);
        w.AddCity(w.player, 1, 10, 40);
        w.AddCity(w.other, 2, 50, 120);
        w.Talk(10, "\xb0\xea\xb0\xea\xb0\xea"); // three glyphs
        auto pattern = std::make_unique<FootprintPattern>();
        pattern->width = 1;
        pattern->cellTiles = {0x0555};
        pattern->mask = {0};
        Footprints().door[2] = std::move(pattern);
        TheBattleMap->CellAt(20, 30)->obstacle = 1;
        w.Event(kOpening, kAlways,
                {{2, 0, 0, {10}},
                 {8, 0, 0, {30, 80}},
                 {3, 0, 0, {0, 0, 50, 140}},
                 {24, 2, 0, {20, 30}},
                 {11, 0, 0, {5}},
                 {20, w.other->nationIndex, 2},
                 {19, 0, 42, {301}}});
    }
    void TearDown() override {
        Footprints().door[2].reset();
        StartupState = oldState;
        delete TheResourceStore;
        TheResourceStore = nullptr;
    }
    void Frame() {
        auto& counter = TheScreenSettings->frameCounter100;
        const uint16_t next = static_cast<uint16_t>(counter.load() + 1);
        counter = next >= 100 ? 0 : next;
        TheGameController->RunBattleFrame(platform::WM_MOUSEMOVE);
    }
    // Frames until the stage has a result (at most n); the frames run.
    int RunUntilResult(int n) {
        int frames = 0;
        while (w.world.stage->result == 0 && frames < n) {
            Frame();
            ++frames;
        }
        return frames;
    }

    ScriptWorld w;
    int32_t oldState = 0;
};

} // namespace

TEST_F(ScriptedStageTest, TheOpeningScriptWaitsForItsDialogueThenChangesTheWorldAndTheStageIsWon) {
    w.Event(kEnding, kEventsFired, {{7}})->SetParam(1, kOpening);
    const int32_t viewX = w.view->viewX, viewY = w.view->viewY;
    for (int i = 0; i < 4; ++i)
        Frame();
    ASSERT_NE(w.manager.runner, nullptr) << "the opening fired";
    EXPECT_EQ(TheGameController->speechBox, nullptr) << "its first step runs at the next scan";
    for (int i = 0; i < 4; ++i)
        Frame();
    ASSERT_NE(TheGameController->speechBox, nullptr);
    EXPECT_EQ(TheGameController->running, 0) << "the clock stops while the script runs";
    EXPECT_EQ(TheGameController->cursorLock, 1);

    // The box types its text and waits its 350 frames; nothing else happens meanwhile.
    for (int i = 0; i < 300; ++i)
        Frame();
    EXPECT_NE(TheGameController->speechBox, nullptr);
    EXPECT_EQ(w.view->viewX, viewX);
    EXPECT_EQ(w.view->viewY, viewY);
    EXPECT_EQ(w.world.stage->timerTarget, 0);

    const int frames = RunUntilResult(2000);
    EXPECT_LT(frames, 2000);
    EXPECT_EQ(w.world.stage->result, 1) << "won by the second event";
    EXPECT_EQ(TheScreenSettings->battleEnded, 1);
    EXPECT_EQ(TheGameController->speechBox, nullptr) << "the camera step closed the box";
    EXPECT_EQ(w.view->viewX, 20);
    EXPECT_EQ(w.view->viewY, 52);
    EXPECT_EQ(TheBattleMap->validBounds.right, 50);
    EXPECT_EQ(TheBattleMap->validBounds.bottom, 140);
    EXPECT_EQ(TheBattleMap->CellAt(20, 30)->layerTile, 0x0555);
    EXPECT_EQ(TheBattleMap->CellAt(20, 30)->obstacle, 0) << "the door is open";
    EXPECT_EQ(w.world.stage->timerTarget, 5);
    EXPECT_EQ(w.player->relations[w.other->nationIndex], 2);
    EXPECT_EQ(w.other->relations[w.player->nationIndex], 2);
    auto* general = w.manager.FindTroop(42);
    ASSERT_NE(general, nullptr);
    EXPECT_EQ(general->officer->Get(L::kCarried), 301);
    // The stage's end stops the scan; the controller's end handling ends the last runner.
    EXPECT_EQ(w.manager.runnerActive, 1);
    w.manager.EndRunner();
    EXPECT_EQ(TheGameController->cursorLock, 0);
}

TEST_F(ScriptedStageTest, TheStageIsLostByItsEvent) {
    w.Event(kEnding, kEventsFired, {{4}})->SetParam(1, kOpening);
    const int frames = RunUntilResult(3000);
    EXPECT_LT(frames, 3000);
    EXPECT_EQ(w.world.stage->result, 2);
    EXPECT_EQ(TheScreenSettings->battleEnded, 1);
    EXPECT_EQ(w.world.stage->timerTarget, 5) << "the opening ran first";
}

TEST_F(ScriptedStageTest, AVictoryRightAfterADialogueClosesTheBoxSoTheStageCanEnd) {
    // Only this script: the opening of the fixture is cancelled.
    reinterpret_cast<events::EventRecord*>(w.world.stage->events->First())->SetEndState(kEventEnded);
    w.Event(3, kAlways, {{2, 0, 0, {10}}, {7}});
    RunUntilResult(3000);
    ASSERT_EQ(w.world.stage->result, 1);
    EXPECT_NE(TheGameController->speechBox, nullptr) << "the line is still shown";
    // The scan is off once the stage has ended; the box's next notice ends the script.
    Frame();
    EXPECT_EQ(TheGameController->speechBox, nullptr);
    EXPECT_EQ(w.manager.runner, nullptr);
    EXPECT_EQ(TheGameController->cursorLock, 0);
}

TEST_F(ScriptedStageTest, ClicksOnTheGameScreenHurryTheDialogue) {
    ASSERT_NE(TheMouseCursor, nullptr) << "the GUI root's";
    for (int i = 0; i < 8; ++i)
        Frame();
    SpeechBox* box = TheGameController->speechBox;
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->done, 0);
    TheGameController->OnMouse(platform::WM_LBUTTONDOWN);
    EXPECT_EQ(box->done, 1) << "the rest of the text at once";
    EXPECT_EQ(box->column, 3);
    TheGameController->OnMouse(platform::WM_LBUTTONUP);
    TheGameController->OnMouse(platform::WM_RBUTTONDOWN);
    EXPECT_EQ(box->endWait, 0) << "only a left press counts";
    // The next press ends the line: the script moves on to its camera step, which closes the box,
    // long before the end wait would have run out.
    TheGameController->OnMouse(platform::WM_LBUTTONDOWN);
    for (int i = 0; i < 4 && TheGameController->speechBox; ++i)
        Frame();
    EXPECT_EQ(TheGameController->speechBox, nullptr);
    EXPECT_EQ(w.view->viewX, 20);
    EXPECT_EQ(w.view->viewY, 52);
}
