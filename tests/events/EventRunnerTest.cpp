#include "ScriptFixture.h"

#include "Program/SoundEffects.h"
#include "engine/SoundBank.h"
#include "events/SpeechBox.h"

#include "support/SoundRecorder.h"

#include <gtest/gtest.h>

using namespace scripttest;
using Event = events::EventRecord;

namespace {

constexpr int32_t kDialogue = 2, kCamera = 8, kTimer = 11, kObjectiveDialogue = 12;

class EventRunnerTest : public ::testing::Test {
protected:
    EventRunner* Start(Event* e) {
        w.manager.cursor = e;
        runner = new EventRunner(nullptr, &w.manager, &e->steps);
        w.manager.runner = runner;
        w.manager.runnerActive = 1;
        return runner;
    }
    EventStep* Step(Event* e, int n) { return reinterpret_cast<EventStep*>(e->steps.GetAt(n)); }
    uint8_t Sight(int x, int y) { return TheBattleMap->CellAt(x, y)->sightCount; }

    ScriptWorld w;
    EventRunner* runner = nullptr;
};

} // namespace

TEST_F(EventRunnerTest, AnEventWithoutStepsEndsOnItsFirstCall) {
    Event* e = w.Event(1, 0, {});
    Start(e);
    EXPECT_EQ(TheGameController->cursorLock, 1) << "a running script holds the cursor";
    EXPECT_EQ(runner->RunEventCommand(), 0);
    EXPECT_EQ(runner->currentStep, nullptr);
    w.manager.EndRunner();
    EXPECT_EQ(TheGameController->cursorLock, 0);
}

TEST_F(EventRunnerTest, StepsRunOneACallAndNoOperationCodesCountAsDone) {
    Event* e = w.Event(1, 0, {{0}, {35}, {kTimer, 0, 0, {6}}, {-4}, {99}});
    Start(e);
    for (int n = 0; n < 5; ++n) {
        EXPECT_EQ(runner->RunEventCommand(), 1);
        EXPECT_EQ(runner->currentStep, Step(e, n));
    }
    EXPECT_EQ(w.world.stage->timerTarget, 6);
    EXPECT_EQ(runner->RunEventCommand(), 0);
}

TEST_F(EventRunnerTest, ADialogueWaitsForTheBoxAndItsNoticeRunsTheNextStep) {
    w.Talk(30, "\xb0\xea");
    Event* e = w.Event(1, 0, {{kDialogue, 0, 0, {30}}, {kTimer, 5}, {kTimer, 7}});
    Start(e);
    EXPECT_EQ(runner->RunEventCommand(), 1);
    ASSERT_NE(runner->speechBox, nullptr);
    EXPECT_EQ(TheGameController->speechBox, runner->speechBox);
    EXPECT_EQ(runner->speechBox->text.size(), 3u) << "the talk text of the key";
    EXPECT_EQ(runner->waiting, 1);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(runner->RunEventCommand(), 1) << "waiting: nothing advances";
    EXPECT_EQ(runner->currentStep, Step(e, 0));
    EXPECT_EQ(w.world.stage->timerTarget, 0);

    // The box reports done on every frame after its end wait; each notice runs one step.
    SpeechBox* box = runner->speechBox;
    runner->OnNotify(box, 1);
    EXPECT_EQ(runner->waiting, 0);
    EXPECT_EQ(w.world.stage->timerTarget, 5);
    EXPECT_EQ(runner->speechBox, box) << "the box stays open";
    runner->OnNotify(box, 1);
    EXPECT_EQ(w.world.stage->timerTarget, 7);
    runner->OnNotify(box, 1);
    EXPECT_EQ(w.manager.runner, nullptr) << "the last notice ends the script through the manager";
    EXPECT_EQ(w.manager.runnerActive, 0);
    EXPECT_EQ(TheGameController->speechBox, nullptr);
}

TEST_F(EventRunnerTest, TypedBoxNotifiesTheRunnerThroughTheController) {
    w.Talk(31, "\xb0\xea\xb0\xea");
    Event* e = w.Event(1, 0, {{kDialogue, 0, 0, {31}}, {kTimer, 9}});
    Start(e);
    runner->RunEventCommand();
    SpeechBox* box = TheGameController->speechBox;
    ASSERT_NE(box, nullptr);
    box->typingDelay = 0;
    int frames = 0;
    while (w.world.stage->timerTarget == 0 && frames < 500) {
        TheGameController->speechBox->TypeSpeechText();
        ++frames;
    }
    EXPECT_EQ(w.world.stage->timerTarget, 9);
    EXPECT_GE(frames, SpeechBox::kWaitFrames) << "the text stays for the end wait";
}

TEST_F(EventRunnerTest, ASecondDialogueReplacesTheBoxAndACameraStepClosesIt) {
    w.Talk(1, "a");
    w.Talk(2, "b");
    Event* e = w.Event(1, 0, {{kDialogue, 0, 0, {1}}, {kDialogue, 0, 0, {2}}, {kCamera, 0, 0, {30, 60}}});
    Start(e);
    runner->RunEventCommand();
    SpeechBox* first = runner->speechBox;
    runner->OnNotify(first, 1);
    ASSERT_NE(runner->speechBox, nullptr);
    EXPECT_NE(runner->speechBox, first);
    EXPECT_EQ(runner->speechBox->text[0], 'b');
    EXPECT_EQ(runner->waiting, 1);
    runner->OnNotify(runner->speechBox, 1);
    EXPECT_EQ(runner->speechBox, nullptr);
    EXPECT_EQ(TheGameController->speechBox, nullptr);
}

TEST_F(EventRunnerTest, ConditionalDialogueSpeaksOnlyWhileItsEventIsOpen) {
    Event* target = w.Event(50, 40, {});
    Event* e = w.Event(1, 0, {{kObjectiveDialogue, 0, 50}, {kObjectiveDialogue, 0, 50}});
    Start(e);
    runner->RunEventCommand();
    EXPECT_NE(runner->speechBox, nullptr);
    target->SetEndState(kEventEnded);
    runner->OnNotify(runner->speechBox, 1);
    EXPECT_EQ(runner->waiting, 0) << "an ended event's line is skipped";
}

TEST_F(EventRunnerTest, ObjectiveReplayRunsOnlyItsChosenStep) {
    w.Talk(5, "x");
    Event* briefing = w.Event(7, kObjectiveCode, {{kTimer, 3}, {kDialogue, 0, 0, {5}}, {kTimer, 8}});
    w.manager.StartRunner(kObjectiveCode);
    ASSERT_NE(w.manager.runner, nullptr);
    EventRunner* r = w.manager.runner;
    EXPECT_EQ(r->currentStep, Step(briefing, 0)) << "the first step naming an open event";
    // A chosen step that opens no box runs once and ends the script.
    w.manager.CheckTriggers();
    EXPECT_EQ(w.world.stage->timerTarget, 3);
    EXPECT_EQ(w.manager.runner, nullptr);

    // A chosen dialogue ends when the box reports done; the steps after it never run.
    w.world.stage->timerTarget = 0;
    Event* closer = w.Event(8, 0, {});
    closer->SetEndState(kEventEnded);
    Step(briefing, 0)->SetInt(EventStepLayout::kTarget, 8);
    w.manager.StartRunner(kObjectiveCode);
    r = w.manager.runner;
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->currentStep, Step(briefing, 1));
    w.manager.CheckTriggers();
    ASSERT_NE(r->speechBox, nullptr);
    w.manager.CheckTriggers();
    EXPECT_EQ(r->currentStep, Step(briefing, 1)) << "waiting";
    r->OnNotify(r->speechBox, 1);
    EXPECT_EQ(w.manager.runner, nullptr);
    EXPECT_EQ(w.world.stage->timerTarget, 0);
}

TEST_F(EventRunnerTest, CameraStepsMoveTheViewAndMarkTheSightUntilTheScriptEnds) {
    struct Case {
        int32_t p1, p2;
        int32_t x, y;
    } cases[] = {
        {5, 7, 0, 0},       // both corners fall below 0
        {30, 61, 20, 32},   // even row
        {59, 159, 40, 104}, // the far corner keeps a full view on the map
    };
    for (const Case& c : cases) {
        Event* e = w.Event(1, 0, {{kCamera, 0, 0, {c.p1, c.p2}}});
        Start(e);
        EXPECT_EQ(runner->RunEventCommand(), 1);
        EXPECT_EQ(w.view->viewX, c.x) << c.p1;
        EXPECT_EQ(w.view->viewY, c.y) << c.p2;
        EXPECT_EQ(runner->cameraMark, 1);
        EXPECT_EQ(runner->markX, c.x + 10);
        EXPECT_EQ(runner->markY, c.y + 8);
        EXPECT_EQ(Sight(c.x + 10, c.y + 8), 2) << "sight raised by 2 around the mark";
        EXPECT_EQ(runner->RunEventCommand(), 0);
        EXPECT_EQ(runner->cameraMark, 0);
        EXPECT_EQ(Sight(c.x + 10, c.y + 8), 0) << "taken back when the script ends";
        w.manager.EndRunner();
    }
}

TEST_F(EventRunnerTest, CameraToAGeneralWritesItsCellIntoTheStep) {
    w.Field(w.player, 42, 30, 40);
    City* c = w.AddCity(w.other, 3, 44, 100);
    // The lookup finds garrisons itself; a garrison post's troop is found through its city.
    SubCastle* post = w.world.AddSubCastle(c, 5);
    auto* t = new Troop(1, 10, 0, 0, int8_t(w.other->nationIndex), 0, 100, w.Officer(w.other, 43));
    post->units.Add(Id(t));
    Event* e = w.Event(1, 0, {{10, 42}, {10, 43}, {10, 77, 0, {1, 2}}});
    Start(e);
    runner->RunEventCommand();
    EXPECT_EQ(Step(e, 0)->Param(1), 30);
    EXPECT_EQ(Step(e, 0)->Param(2), 80);
    EXPECT_EQ(w.view->viewX, 20);
    EXPECT_EQ(w.view->viewY, 52);
    runner->RunEventCommand();
    EXPECT_EQ(Step(e, 1)->Param(1), 44) << "a general in a garrison post: its city's position";
    EXPECT_EQ(Step(e, 1)->Param(2), 100);
    EXPECT_EQ(w.view->viewX, 34);
    EXPECT_EQ(w.view->viewY, 72);
    runner->RunEventCommand();
    EXPECT_EQ(Step(e, 2)->Param(1), 1) << "nobody found: the step and the camera stay";
    EXPECT_EQ(w.view->viewX, 34);
    w.manager.EndRunner();
}

TEST_F(EventRunnerTest, AClosedRunnerLeavesTheLockOfTheNextOneAndItsLitArea) {
    Event* e = w.Event(1, 0, {{kCamera, 0, 0, {30, 61}}, {kTimer, 1}});
    Start(e);
    runner->RunEventCommand();
    ASSERT_EQ(Sight(30, 40), 2);
    w.manager.EndRunner(); // the stage ends while the script still runs
    EXPECT_EQ(Sight(30, 40), 0);
    // The next script starts before the closed runner is deleted at the frame's end.
    Start(w.Event(2, 0, {{kTimer, 2}}));
    FlushDeferredDeletes();
    EXPECT_EQ(TheGameController->cursorLock, 1);
    w.manager.EndRunner();
}

TEST_F(EventRunnerTest, EndSoundsFollowTheirStepsExceptForTheRevealAndTheTeamWins) {
    testsupport::SoundRecorder sink;
    Event* e = w.Event(
        1, 0, {{0, 0, 0, {}, 0, 7}, {35, 0, 0, {}, 0, 0x109}, {1, 888, 0, {}, 0, 8}, {47, 0, 0, {}, 0, 9}});
    Start(e);
    while (runner->RunEventCommand() != 0) {
    }
    const std::vector<std::string> expected = {SoundEffectPath(7), SoundEffectPath(9), SoundEffectPath(15)};
    EXPECT_EQ(sink.played, expected) << "the low byte of the end sound; the reveal plays 15 first and no end";
    w.manager.EndRunner();
}
