// The demo's clock stage as the game plays it, in this process: the autoplay start begins the
// stage, and its timer and tally run on the game's own calendar. What is checked is read off the
// world: the events' end states, the stage's counters and calendar, red's standing with the hill
// lord that the clocks' steps change, and the stage's result.
#include "DemoBattleGame.h"
#include "DemoClocks.h"

#include "support/TempFolder.h"

#include "Program/Autoplay.h"
#include "Program/GameController.h"
#include "Program/MainWindow.h"
#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "engine/LinkList.h"
#include "events/EventRecord.h"
#include "records/Kingdom.h"
#include "world/BattleMap.h"

#include <gtest/gtest.h>

namespace {

constexpr int kFrameBudget = 24000; // a month of the calendar is some 5,400 frames at the demo's speed
constexpr int32_t kTimerId = democlocks::kClocksId + 1, kTallyId = democlocks::kClocksId + 2;

// The moment an event was first seen fired.
struct Seen {
    int frame = -1;
    int32_t monthsElapsed = 0, timerCounter = 0, tallyCounter = 0, relation = 0, result = 0;
};

class DemoClockStageTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(StartDemoBattleGame(folder.path(), error)) << error;
        AutoplaySettings autoplay;
        autoplay.stageFile = std::string(democlocks::kClockStage) + ".stg";
        autoplay.seeded = true;
        autoplay.seed = 5;
        InstallAutoplay(autoplay);
        for (int i = 0; i < 10 && TheGameController->mode != 1; ++i)
            Frame();
        ASSERT_EQ(TheGameController->mode, 1);
    }
    void TearDown() override {
        TearDownProgram();
        InstallAutoplay(AutoplaySettings{});
    }
    static void Frame() {
        GameTimerProc(0, 0, 0, 0, 0);
        TheGameController->Frame(0);
    }

    testsupport::TempFolder folder;
};

int32_t EndState(Zu_StageSet& stage, int32_t id) {
    for (auto* e : ListValues<events::EventRecord>(*stage.events))
        if (e->Id() == id) return e->EndState();
    return -1;
}

int32_t RelationWithHillLord(Zu_StageSet& stage) {
    return stage.playerKingdom ? stage.playerKingdom->relations[democlocks::kHillLord] : -1;
}

// The tally (five days) rings first, the month timer at the first turn of the month; each changes
// red's standing with the hill lord, and the stage is won only once the timer has reopened the ways
// to win.
TEST_F(DemoClockStageTest, TheTallyAndThenTheMonthTimerFireAndTheStageIsWonOnlyAfterTheTimer) {
    Seen tally, timer;
    int32_t relationAtStart = -1, relationAtEnd = -1;
    int frame = 0, lastFrame = -1;
    // The game reports the stage's end as it leaves the battle.
    testing::internal::CaptureStdout();
    for (; frame < kFrameBudget; ++frame) {
        Frame();
        Zu_StageSet* stage = CurrentStageSet();
        if (!stage || TheGameController->mode != 1) break;
        lastFrame = frame;
        if (frame == 0) relationAtStart = RelationWithHillLord(*stage);
        relationAtEnd = RelationWithHillLord(*stage);
        for (auto [id, seen] : {std::pair{kTallyId, &tally}, {kTimerId, &timer}})
            if (seen->frame < 0 && EndState(*stage, id) >= kEventFired)
                *seen = {frame,
                         stage->monthsElapsed,
                         stage->timerCounter,
                         stage->tallyCounter,
                         RelationWithHillLord(*stage),
                         stage->result};
    }
    const std::string report = testing::internal::GetCapturedStdout();
    ASSERT_GE(tally.frame, 0) << "the tally never fired";
    ASSERT_GE(timer.frame, 0) << "the timer never fired";
    EXPECT_NE(relationAtStart, democlocks::kTallyRelation);

    // The tally counts days: it fires inside the first month, once five days have passed.
    EXPECT_EQ(tally.monthsElapsed, 0);
    EXPECT_GE(tally.tallyCounter, democlocks::kTallyDays);
    EXPECT_EQ(tally.timerCounter, 0);

    // The timer counts months: it fires at the first month's turn, when the tally's own step has
    // long since made the hill lord neutral.
    EXPECT_GT(timer.frame, tally.frame);
    EXPECT_EQ(timer.monthsElapsed, democlocks::kTimerMonths);
    EXPECT_EQ(timer.timerCounter, democlocks::kTimerMonths);
    EXPECT_EQ(timer.relation, democlocks::kTallyRelation);
    EXPECT_EQ(timer.result, 0);

    // The timer's step made him an ally, and the ways to win that it reopened ended the stage in
    // victory.
    EXPECT_EQ(relationAtEnd, democlocks::kTimerRelation);
    EXPECT_GT(lastFrame, timer.frame);
    EXPECT_NE(report.find("stage result: victory"), std::string::npos) << report << " after " << frame;
}

} // namespace
