#include "Program/BattleFrame.h"
#include "BattleStageFixture.h"
#include "engine/ResourceStore.h"
#include "world/MapView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

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
    // A map of w x r seen cells with the view over all of it.
    void GiveMap(int w, int r) {
        auto cells = std::make_unique<MapCell[]>(size_t(w) * r);
        for (int i = 0; i < w * r; ++i)
            cells[i].sightCount = 2;
        TheBattleMap->SetCells(std::move(cells), w, r);
        TheBattleMap->AllocGrid();
        c->gameScreen->SetView(0, 0, w, r);
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
    const std::vector<std::string> cycle = {"WorldUpdate",       "StepFirstEffects",   "DrawObjects",
                                            "StepSecondEffects", "DrawOverlayObjects", "ComposeObjectInfo",
                                            "CheckTriggers",     "DrawCursor",         "Present"};
    std::vector<std::string> both = cycle;
    both.insert(both.end(), cycle.begin(), cycle.end());
    EXPECT_EQ(trace, both);
    EXPECT_EQ(c->battlePhase, 0);
}

TEST_F(BattleFrameTest, TheViewQuarterDrawsTheTerrainOfTheView) {
    GiveMap(30, 100);
    c->gameScreen->SetViewOrigin(4, 8);
    c->viewLeft = c->viewTop = c->viewRight = c->viewBottom = 0;
    Frame();
    // The terrain drawing leaves the view's tile bounds with the controller.
    EXPECT_EQ(c->viewLeft, 4);
    EXPECT_EQ(c->viewTop, 8);
    EXPECT_EQ(c->viewRight, 24);
    EXPECT_EQ(c->viewBottom, 64);
    // Covered by the city panels the map is not drawn.
    Services().unitPanelPage = true;
    Services().cityCommandPanel = true;
    c->gameScreen->SetViewOrigin(6, 8);
    for (int i = 0; i < 4; ++i)
        Frame();
    EXPECT_EQ(c->viewLeft, 4);
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
    EXPECT_EQ(Count("DrawObjects"), 0);
    EXPECT_EQ(Count("StepFirstEffects"), 1);
    EXPECT_EQ(Count("Present"), 1);
}

TEST_F(BattleFrameTest, ScrollRequestsStepUntilTheEdge) {
    GiveMap(23, 100);
    c->viewLeft = 0;
    c->viewTop = 0;
    c->viewRight = 20;
    c->viewBottom = 56;
    c->scrollRequest = 0x25; // left, already at the first column
    Frame();
    EXPECT_EQ(c->scrollRequest, 0);
    EXPECT_EQ(c->gameScreen->viewX, 0);
    EXPECT_EQ(Count("CursorMessage"), 0);

    c->scrollRequest = 0x27; // right: two steps, then the edge
    for (int i = 0; i < 12; ++i)
        Frame();
    EXPECT_EQ(c->gameScreen->viewX, 2);
    EXPECT_EQ(c->scrollRequest, 0);
    EXPECT_EQ(c->viewLeft, 2);
    EXPECT_EQ(c->viewRight, 22);
    EXPECT_EQ(Count("CursorMessage"), 2); // fed while the request stayed pending

    c->scrollRequest = 0x28; // down, one step in the next view quarter
    for (int i = 0; i < 4; ++i)
        Frame();
    EXPECT_EQ(c->gameScreen->viewY, 2);
    EXPECT_EQ(c->viewTop, 2);

    // Redraw only: the ring starts again at the origin.
    c->gameScreen->ring.ringColumn = 3;
    c->scrollRequest = 0x7777;
    c->ScrollView();
    EXPECT_EQ(c->scrollRequest, 0);
    EXPECT_EQ(c->gameScreen->ring.ringColumn, 0);
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

TEST_F(BattleFrameTest, RevealMapShowsEveryCellAndCity) {
    struct Plotting : MapView {
        int plotted = 0;
        void PlotMinimap(int32_t, int32_t, int32_t mode) override { plotted += mode == 1; }
    };
    delete c->gameScreen;
    auto* view = new Plotting;
    c->gameScreen = view;
    GiveMap(6, 10);
    c->RevealMap();
    EXPECT_EQ(c->mapRevealed, 1);
    EXPECT_EQ(view->plotted, 60);
    for (int i = 0; i < 60; ++i)
        EXPECT_EQ(TheBattleMap->cells[i].sightCount, 2);
    EXPECT_EQ(Services().citiesMarkedSeen, 2);
}

TEST_F(BattleFrameTest, HasCellObjectsLooksAtTheWholeGrid) {
    EXPECT_FALSE(HasCellObjects());
    GiveMap(3, 4);
    EXPECT_FALSE(HasCellObjects());
    TheBattleMap->SetCellObject(2, 1, reinterpret_cast<MapObject*>(uintptr_t(8)));
    EXPECT_TRUE(HasCellObjects());
    TheBattleMap->ClearCellObject(2, 1);
    EXPECT_FALSE(HasCellObjects());
}

} // namespace
