#include "Program/BattleFrame.h"
#include "BattleStageFixture.h"
#include "engine/ResourceStore.h"
#include "world/MapView.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace battletest;

namespace {

class BattleFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        Kingdom* me = world.AddKingdom(0, 1, true);
        world.AddKingdom(0, 2, true);
        world.SetPlayer(me);
        world.SetWarRelations();
        c = TheGameController;
        c->mode = 1;
        c->gameScreen = new MapView;
        Services().trace = [this](const char* what) { trace.emplace_back(what); };
    }
    void TearDown() override {
        Services().trace = nullptr;
        delete c->gameScreen;
        c->gameScreen = nullptr;
    }
    // One frame as the timer drives it: a tick, then the frame message.
    void Frame() {
        auto& counter = TheScreenSettings->frameCounter100;
        const uint16_t next = static_cast<uint16_t>(counter.load() + 1);
        counter = next >= 100 ? 0 : next;
        c->RunBattleFrame(1024);
    }
    int Count(const std::string& what) const {
        return static_cast<int>(std::count(trace.begin(), trace.end(), what));
    }

    BattleStage world;
    GameController* c = nullptr;
    std::vector<std::string> trace;
};

TEST_F(BattleFrameTest, FourQuartersInOrderWithOnePresentPerCycle) {
    TheScreenSettings->gameSpeed = 10; // the world updates at every visit
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(c->battlePhase, i % 4);
        Frame();
    }
    const std::vector<std::string> cycle = {
        "DrawTerrain",       "DrawMapMarkers",     "WorldUpdate",       "StepFirstEffects", "DrawObjects",
        "StepSecondEffects", "DrawOverlayObjects", "ComposeObjectInfo", "CheckTriggers",    "Present"};
    std::vector<std::string> both = cycle;
    both.insert(both.end(), cycle.begin(), cycle.end());
    EXPECT_EQ(trace, both);
    EXPECT_EQ(c->battlePhase, 0);
}

struct PaceCase {
    int speed;
    bool networked;
    int updates; // in 90 cycles of four ticks
};

TEST_F(BattleFrameTest, WorldUpdatePacedByTicksAndSpeed) {
    const PaceCase cases[] = {{10, false, 90}, {0, false, 10}, {5, false, 22}, {0, true, 22}, {10, true, 22}};
    for (const PaceCase& p : cases) {
        SCOPED_TRACE(testing::Message() << "speed " << p.speed << " networked " << p.networked);
        TheScreenSettings->gameSpeed = p.speed;
        TheScreenSettings->frameCounter100 = 0;
        c->networked = p.networked ? 1 : 0;
        c->battlePhase = 0;
        trace.clear();
        for (int i = 0; i < 90 * 4; ++i)
            Frame();
        EXPECT_EQ(Count("WorldUpdate"), p.updates);
        EXPECT_EQ(Count("Present"), 90);
    }
}

TEST_F(BattleFrameTest, FrozenOrStoppedWorldDoesNotUpdate) {
    TheScreenSettings->gameSpeed = 10;
    TheScreenSettings->busyState = 1;
    for (int i = 0; i < 8; ++i)
        Frame();
    TheScreenSettings->busyState = 0;
    TheScreenSettings->secondCounter = 1; // the battle-stopped flag
    for (int i = 0; i < 8; ++i)
        Frame();
    EXPECT_EQ(Count("WorldUpdate"), 0);
    EXPECT_EQ(Count("Present"), 4);
}

TEST_F(BattleFrameTest, CoveredMapDrawsNothingButEffectsAdvance) {
    Services().unitPanelPage = true;
    Services().cityCommandPanel = true;
    for (int i = 0; i < 4; ++i)
        Frame();
    EXPECT_EQ(Count("DrawTerrain"), 0);
    EXPECT_EQ(Count("DrawObjects"), 0);
    EXPECT_EQ(Count("StepFirstEffects"), 1);
    EXPECT_EQ(Count("Present"), 1);
}

TEST_F(BattleFrameTest, ScrollRequestsStepUntilTheEdge) {
    c->viewLeft = 0;
    c->viewTop = 0;
    c->viewRight = 20;
    c->viewBottom = 56;
    c->scrollRequest = 0x25; // left, already at the first column
    Frame();
    EXPECT_EQ(c->scrollRequest, 0);
    EXPECT_EQ(Count("ScrollLeft"), 0);
    EXPECT_EQ(Count("CursorMessage"), 0);

    Services().columnCount = 23;
    c->scrollRequest = 0x27; // right: two steps, then the edge
    for (int i = 0; i < 12; ++i)
        Frame();
    EXPECT_EQ(Count("ScrollRight"), 2);
    EXPECT_EQ(c->scrollRequest, 0);
    EXPECT_EQ(c->viewLeft, 2);
    EXPECT_EQ(c->viewRight, 22);
    EXPECT_EQ(Count("CursorMessage"), 2); // fed while the request stayed pending

    c->scrollRequest = 0x7777;
    c->ScrollView();
    EXPECT_EQ(c->scrollRequest, 0);
    EXPECT_EQ(Count("Redraw"), 1);
}

TEST_F(BattleFrameTest, BeginPictureStartsTheClockAfterFiftyCycles) {
    Services().beginPicture = new AniFrame;
    c->running = 0;
    for (int cycle = 0; cycle < 49; ++cycle)
        for (int i = 0; i < 4; ++i)
            Frame();
    EXPECT_EQ(c->running, 0);
    for (int i = 0; i < 4; ++i)
        Frame();
    EXPECT_EQ(c->running, 1);
    EXPECT_EQ(Services().beginPicture, nullptr);
    EXPECT_EQ(Count("DrawBegin"), 50);
}

TEST_F(BattleFrameTest, PauseCountsItsDrawings) {
    c->pauseScreen = 1;
    for (int i = 0; i < 4; ++i)
        Frame();
    EXPECT_EQ(c->pauseScreen.load(), 2);
    EXPECT_EQ(Count("DrawPause"), 1);
}

TEST_F(BattleFrameTest, TeamGameEndShowsItsMovieAndWindowOnce) {
    for (int result : {5, 4}) {
        SCOPED_TRACE(result);
        Services().movies.clear();
        TheScreenSettings->battleEnded = 0;
        trace.clear();
        world.Network(false, 2);
        world.stage->result = result;
        PostEndFrames = 30;
        for (int i = 0; i < 12; ++i)
            Frame();
        EXPECT_EQ(TheScreenSettings->battleEnded, 1);
        EXPECT_EQ(PostEndFrames, 0);
        EXPECT_EQ(Count("MessageWindow"), 1);
        ASSERT_EQ(Services().movies.size(), 1u);
        EXPECT_EQ(Services().movies[0],
                  result == 5 ? "Victory.avi+Victory_a.avi" : "Failure.avi+Failure_a.avi");
        EXPECT_NE(EndMessageWindow, nullptr);
    }
}

TEST_F(BattleFrameTest, RevealMapShowsEveryCity) {
    c->RevealMap();
    EXPECT_EQ(c->mapRevealed, 1);
    EXPECT_EQ(Services().cellSightCount, 2);
    EXPECT_EQ(Services().citiesMarkedSeen, 2);
}

TEST(BattleFrameCellsTest, HasCellObjectsLooksAtTheWholeGrid) {
    int32_t cells[6] = {};
    CellObjects() = {cells, 3, 2};
    EXPECT_FALSE(HasCellObjects());
    cells[5] = 9;
    EXPECT_TRUE(HasCellObjects());
    CellObjects() = {};
    EXPECT_FALSE(HasCellObjects());
}

} // namespace
