#include "events/EventManager.h"

#include "Program/BattleStageFixture.h"
#include "events/EventRecord.h"
#include "events/EventRunner.h"
#include "events/EventStep.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

using battletest::BattleStage;
using Event = events::EventRecord;

namespace {

constexpr int32_t kSwitch = 900; // an event that never fires; the test sets its state

struct EventSetup {
    int32_t id;
    int32_t code;
    std::vector<int32_t> params;
    int steps = 0;
    int32_t loop = 0;
    int32_t cancel = 0;
    int32_t reopen = 0;
};

class EventManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        TheGameController->mode = 1;
        switchEvent = Add({kSwitch, 0, {}});
    }
    void TearDown() override {
        manager.Reset();
        FlushDeferredDeletes();
    }

    Event* Add(const EventSetup& s) {
        auto* e = static_cast<Event*>(world.stage->NewChild(Zu_StageSet::kEventKind));
        e->SetInt(EventLayout::kId, s.id);
        e->SetInt(EventLayout::kCode, s.code);
        for (size_t i = 0; i < s.params.size(); ++i)
            e->SetParam(static_cast<int>(i + 1), s.params[i]);
        for (int i = 0; i < s.steps; ++i)
            e->NewStep();
        e->SetInt(EventLayout::kLoop, s.loop);
        e->SetInt(EventLayout::kCancel, s.cancel);
        e->SetInt(EventLayout::kReopen, s.reopen);
        return e;
    }
    // The end states of the given events after one scan.
    std::vector<int32_t> Frame(std::initializer_list<Event*> watched) {
        manager.CheckTriggers();
        std::vector<int32_t> states;
        for (Event* e : watched)
            states.push_back(e->EndState());
        return states;
    }
    void Switch(bool on) { switchEvent->SetEndState(on ? kEventFired : kEventArmed); }

    BattleStage world;
    EventManager manager;
    Event* switchEvent = nullptr;
};

using States = std::vector<int32_t>;

} // namespace

TEST_F(EventManagerTest, OneEventFiresPerFrameInListOrder) {
    Event* a = Add({1, 40, {kSwitch}});
    Event* b = Add({2, 40, {kSwitch}});
    EXPECT_EQ(Frame({a, b}), (States{0, 0}));
    Switch(true);
    EXPECT_EQ(Frame({a, b}), (States{100, 0}));
    EXPECT_EQ(Frame({a, b}), (States{100, 100}));
    EXPECT_EQ(manager.runnerActive, 0) << "events without steps start no runner";
}

TEST_F(EventManagerTest, ARunnerStopsTheScanAndTheClockUntilItsStepsAreDone) {
    Event* a = Add({1, 40, {kSwitch}, 2});
    Event* b = Add({2, 40, {kSwitch}});
    Switch(true);
    EXPECT_EQ(Frame({a, b}), (States{100, 0}));
    ASSERT_NE(manager.runner, nullptr);
    EXPECT_EQ(manager.runnerActive, 1);
    EXPECT_EQ(TheGameController->running, 0);
    EXPECT_EQ(Frame({a, b}), (States{100, 0})) << "first step";
    EXPECT_EQ(Frame({a, b}), (States{100, 0})) << "second step";
    EXPECT_EQ(Frame({a, b}), (States{100, 0})) << "the runner ends; nothing tested this frame";
    EXPECT_EQ(manager.runner, nullptr);
    EXPECT_EQ(manager.runnerActive, 0);
    EXPECT_EQ(TheGameController->running, 1);
    EXPECT_EQ(Frame({a, b}), (States{100, 100}));
}

TEST_F(EventManagerTest, LoopEventsFireOncePerRisingEdge) {
    Event* loop = Add({1, 40, {kSwitch}, 0, 1});
    int fires = 0;
    int32_t last = 0;
    const bool pattern[] = {true, true, true, false, true, true, false, false, true};
    for (bool on : pattern) {
        Switch(on);
        const int32_t now = Frame({loop})[0];
        fires += last != kEventFired && now == kEventFired;
        last = now;
    }
    EXPECT_EQ(fires, 3);
}

TEST_F(EventManagerTest, CancelAndReopenRules) {
    // Reopening itself re-arms the event; cancel and reopen of one id leave it armed; a cancelled
    // event is not tested again.
    Event* self = Add({1, 40, {kSwitch}, 0, 0, 0, 1});
    Event* target = Add({3, 0, {}});
    Event* both = Add({2, 40, {kSwitch}, 0, 0, 3, 3});
    Event* cancelled = Add({4, 40, {kSwitch}});
    Event* canceller = Add({5, 40, {kSwitch}, 0, 0, 4});
    Switch(true);
    EXPECT_EQ(Frame({self, both, target}), (States{0, 0, 0})) << "fired and re-armed at once";
    manager.CancelEvent(1);
    EXPECT_EQ(Frame({self, both, target}), (States{1, 100, 0}));
    cancelled->SetEndState(kEventEnded);
    EXPECT_EQ(Frame({cancelled, canceller}), (States{1, 100}));
    EXPECT_EQ(Frame({cancelled, canceller}), (States{1, 100}));
    EXPECT_EQ(manager.CancelEvent(77), 0);
    EXPECT_EQ(manager.IsEventEnded(5), 100);
    EXPECT_EQ(manager.IsEventEnded(77), 0);
}

TEST_F(EventManagerTest, NothingIsTestedOutsideBattleAfterTheEndOrWithAResult) {
    Event* a = Add({1, 40, {kSwitch}});
    Switch(true);
    TheGameController->mode = 0;
    EXPECT_EQ(Frame({a}), (States{0}));
    TheGameController->mode = 1;
    TheScreenSettings->battleEnded = 1;
    EXPECT_EQ(Frame({a}), (States{0}));
    TheScreenSettings->battleEnded = 0;
    world.stage->result = 1;
    EXPECT_EQ(Frame({a}), (States{0}));
    world.stage->result = 0;
    EXPECT_EQ(Frame({a}), (States{100}));
}

TEST_F(EventManagerTest, FiredEventConditionsNeedEveryListedEventFired) {
    Event* noIds = Add({1, 3, {}});
    Event* onCancelled = Add({2, 3, {3}});
    Event* cancelled = Add({3, 0, {}});
    Event* onFired = Add({4, 3, {0, kSwitch, 0, 0, 0, 0}});
    Event* loopOnFired = Add({5, 3, {kSwitch}, 0, 1});
    cancelled->SetEndState(kEventEnded);
    Switch(true);
    EXPECT_EQ(Frame({noIds, onCancelled, onFired, loopOnFired}), (States{0, 0, 100, 0}));
    EXPECT_EQ(Frame({noIds, onCancelled, onFired, loopOnFired}), (States{0, 0, 100, 100}));
    // A fired loop event of code 3 is not re-tested: it is armed again at once and fires again.
    EXPECT_EQ(Frame({loopOnFired}), (States{0}));
    EXPECT_EQ(Frame({loopOnFired}), (States{100}));
}

TEST_F(EventManagerTest, CodeNinetyNineEndsTheListedEventsAndHoldsTheDayForTheFrame) {
    Event* hold = Add({1, 99, {2, 3}});
    Event* two = Add({2, 40, {kSwitch}});
    Event* three = Add({3, 0, {}});
    EXPECT_EQ(Frame({hold, two, three}), (States{100, 1, 1}));
    EXPECT_EQ(EventDayHold, 1);
    manager.CheckTriggers();
    EXPECT_EQ(EventDayHold, 0) << "a scan that reaches the list's end lets the day go on";
}

TEST_F(EventManagerTest, StageTimeConditionFiresWithoutLeavingAResult) {
    struct Case {
        int32_t endMonth, months, endYear, year;
        uint8_t networked;
        int32_t expected;
    };
    const Case cases[] = {
        {0, 50, 200, 199, 0, 0},                              // no month limit, year not reached
        {12, 11, 200, 199, 0, 0},                             // month limit not reached
        {12, 12, 200, 199, 0, 100}, {0, 0, 200, 200, 0, 100}, // the end year reached
        {0, 0, 0, 190, 0, 100},                               // an end year of 0 counts as reached
        {12, 12, 200, 200, 1, 0},                             // never in network play
    };
    for (const Case& c : cases) {
        Event* e = Add({1, 22, {}});
        world.stage->SetColumn(StageBlockLayout::kEndMonth, c.endMonth);
        world.stage->SetColumn(StageBlockLayout::kEndTime, c.endYear);
        world.stage->monthsElapsed = c.months;
        TheScreenSettings->year = c.year;
        TheGameController->networked = c.networked;
        manager.CheckTriggers();
        EXPECT_EQ(e->EndState(), c.expected)
            << c.endMonth << " " << c.months << " " << c.endYear << " " << c.year;
        EXPECT_EQ(world.stage->result, 0);
        world.stage->RemoveChild(Zu_StageSet::kEventKind, e);
    }
    TheGameController->networked = 0;
}

TEST_F(EventManagerTest, RequestedRunnersStartOpeningsAndOpenObjectivesOnly) {
    Event* opening = Add({10, kOpeningCode, {}, 2});
    Event* objectives = Add({11, kObjectiveCode, {}, 3});
    Event* done = Add({12, 0, {}});
    Event* open = Add({13, 0, {}});
    done->SetEndState(kEventEnded);
    std::vector<EventStep*> steps;
    for (uintptr_t v = objectives->steps.First(); v != 0; v = objectives->steps.Next())
        steps.push_back(reinterpret_cast<EventStep*>(v));
    steps[0]->SetInt(EventStepLayout::kTarget, 12);
    steps[1]->SetInt(EventStepLayout::kTarget, 13);
    steps[2]->SetInt(EventStepLayout::kTarget, 13);

    manager.StartRunner(kOpeningCode);
    ASSERT_NE(manager.runner, nullptr);
    EXPECT_EQ(manager.runnerActive, 1);
    EXPECT_EQ(manager.runner->currentStep, nullptr) << "from the first step";
    EventRunner* first = manager.runner;
    manager.StartRunner(kObjectiveCode);
    EXPECT_EQ(manager.runner, first) << "refused while a script runs";
    manager.OnNotify(first, 100);
    EXPECT_EQ(manager.runnerActive, 0);
    EXPECT_EQ(opening->EndState(), 0) << "an opening can be run again";

    manager.StartRunner(kObjectiveCode);
    ASSERT_NE(manager.runner, nullptr);
    EXPECT_EQ(manager.runner->currentStep, steps[1]);
    manager.EndRunner();

    open->SetEndState(kEventEnded);
    manager.StartRunner(kObjectiveCode);
    EXPECT_EQ(manager.runner, nullptr) << "every objective is ended";
    EXPECT_EQ(manager.runnerActive, 0);
}

TEST_F(EventManagerTest, ResetEndsALiveRunner) {
    Add({1, 40, {kSwitch}, 3});
    Switch(true);
    manager.CheckTriggers();
    ASSERT_EQ(manager.runnerActive, 1);
    TheGameController->running = 0;
    manager.Reset();
    EXPECT_EQ(manager.runner, nullptr);
    EXPECT_EQ(manager.runnerActive, 0);
    EXPECT_EQ(TheGameController->running, 1);
}
