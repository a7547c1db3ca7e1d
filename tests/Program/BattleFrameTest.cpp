#include "Program/BattleFrame.h"
#include "../engine/DrawingFixture.h"
#include "BattleStageFixture.h"
#include "Program/BannerWindow.h"
#include "Program/Palettes.h"
#include "Program/PlainWindow.h"
#include "Program/SceneMachine.h"
#include "Program/Startup.h"
#include "ScreenTestSupport.h"
#include "engine/AniFrame.h"
#include "engine/GameFileWriters.h"
#include "engine/ResourceStore.h"
#include "events/EventManager.h"
#include "fuzz/seeds/builders/MediaFixtures.h"
#include "gui/GuiMessage.h"
#include "gui/GuiRoot.h"
#include "gui/InputQueue.h"
#include "gui/MouseCursor.h"
#include "platform/Present.h"
#include "platform/Window.h"
#include "records/EditorKeyTarget.h"
#include "records/StageEditor.h"
#include "support/EndMovies.h"
#include "support/TempFolder.h"
#include "windows/Win04Window.h"
#include "windows/WindowHosts.h"
#include "world/MapView.h"
#include "world/Missile.h"
#include "world/Zu_SkillEffect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace battletest;

namespace {

// A unit panel page and the city command panel, both open: together they cover the map.
struct CoveringPanels {
    Win98Window city;
    Win99Window unit;
    GuiPanel page{new Rect(0, 0, 800, 600), nullptr, nullptr, 0, 0, 0};
    GuiPanel command{new Rect(0, 0, 800, 600), nullptr, nullptr, 0, 0, 0};
    CoveringPanels() {
        unit.pagePanel = &page;
        city.commandPanel = &command;
        TheWin98 = &city;
        TheWin99 = &unit;
    }
    ~CoveringPanels() {
        TheWin98 = nullptr;
        TheWin99 = nullptr;
    }
};

constexpr uint16_t kBegin = 0x07E0, kPause = 0x001F, kPointer = 0xFFFF, kGround = 0x4208;

// A w x h frame of one colour, opaque.
gamefiles::AniFrameSpec Solid(int w, int h, uint16_t colour) {
    return {
        0, 0, w, h, std::vector<uint16_t>(size_t(w) * h, colour), std::vector<uint8_t>(size_t(w) * h, 255)};
}

void Key(int vk, bool down) {
    platform::RawInputEvent e;
    e.kind = down ? platform::RawInputEvent::KeyDown : platform::RawInputEvent::KeyUp;
    e.virtualKey = vk;
    platform::HandleRawInput(nullptr, e);
}

// A missile that never lands: each world update steps it once.
struct StepCounter : Missile {
    StepCounter() : Missile(nullptr, 0, 1, 1, 2, 2, 1, 0) {}
    void Step() override { ++steps; }
    int steps = 0;
};

// The event manager's scan, counted where the battle map hands it over.
struct CountingScan : FrontEndServices {
    void CheckTriggers(EventManager*) override { ++scans; }
    int scans = 0;
};

// A synthetic stage on an 800 x 600 display with the GUI root and the store: the pointer's arrow
// is a white 6 x 6 square, the begin picture green, the pause picture blue, and two looping map
// effects have three and two frames.
class BattleFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        using gamefiles::AniFile;
        using gamefiles::WriteBytes;
        ASSERT_TRUE(display.ok);
        WriteBytes("Cursor18.ani", AniFile({Solid(6, 6, kPointer)}));
        WriteBytes("Pause.ani", AniFile({Solid(40, 20, kPause)}));
        WriteBytes("Begin.ani", AniFile({Solid(30, 30, kBegin)}));
        WriteBytes("fire.ani", AniFile({Solid(2, 2, 1), Solid(2, 2, 2), Solid(2, 2, 3)}));
        WriteBytes("Work.ani", AniFile({Solid(2, 2, 4), Solid(2, 2, 5)}));
        screentest::WriteLayout("Win25.gui", 0, 2);
        LoadPalettes(false);
        // Start-up's order: the store (with the pointer's animations) before the GUI root.
        TheResourceStore = new ResourceStore;
        TheGuiRoot = new GuiRoot;
        world = std::make_unique<BattleStage>();
        Kingdom* me = world->AddKingdom(0, 1, true);
        world->AddKingdom(0, 2, true);
        world->SetPlayer(me);
        world->SetWarRelations();
        c = TheGameController;
        c->mode = 1;
        c->gameScreen = new MapView;
        oldState = StartupState;
        StartupState = 2;
        ActiveFlag = 1;
        Paint(kGround);
    }
    void TearDown() override {
        SetFrontEndServices(nullptr);
        if (c->eventManager == &events) c->eventManager = nullptr;
        StartupState = oldState;
        ActiveFlag = 0;
        FreeAniFrame(BeginPicture);
        BeginPicture = nullptr;
        BeginPictureCount = 0;
        FreeAniFrame(PausePicture);
        PausePicture = nullptr;
        MapView* screen = c->gameScreen;
        c->gameScreen = nullptr;
        world.reset(); // closes the banner, deletes the controller
        delete screen;
        delete TheGuiRoot;
        TheGuiRoot = nullptr;
        delete TheResourceStore;
        TheResourceStore = nullptr;
    }
    // One frame as the timer drives it: a tick, then the frame message.
    void Frame() {
        auto& counter = TheScreenSettings->frameCounter100;
        const uint16_t next = static_cast<uint16_t>(counter.load() + 1);
        counter = next >= 100 ? 0 : next;
        c->RunBattleFrame(platform::WM_MOUSEMOVE);
    }
    void Cycle(int n = 1) {
        for (int i = 0; i < 4 * n; ++i)
            Frame();
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
    // A map with a missile that counts the world updates, and a scan that counts trigger checks.
    StepCounter* WatchWorld() {
        if (!TheBattleMap->HasCells()) GiveMap(30, 100);
        auto* watcher = new StepCounter;
        TheBattleMap->missiles->Add(reinterpret_cast<uintptr_t>(watcher));
        c->eventManager = &events;
        SetFrontEndServices(&scan);
        return watcher;
    }
    // The mouse at a point, as the window procedure and the cursor see it.
    void PointerAt(int x, int y) {
        c->mouseX = x;
        c->mouseY = y;
        TheMouseCursor->OnMouseMessage(platform::WM_MOUSEMOVE);
        delete TheGuiMessageQueue->Take();
    }
    static void Paint(uint16_t colour) {
        platform::DDSURFACEDESC2 d;
        ASSERT_EQ(GetBackSurface()->Lock(nullptr, &d, platform::DDLOCK_WAIT), platform::DD_OK);
        for (int y = 0; y < 600; ++y) {
            auto* row =
                reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(d.lpSurface) + size_t(y) * d.lPitch);
            std::fill(row, row + 800, colour);
        }
        GetBackSurface()->Unlock(nullptr);
    }
    static uint16_t At(int x, int y) { return GetBackSurface()->PixelAt(x, y); }

    testsupport::TempFolder folder;
    TestDisplay display{565};
    std::unique_ptr<BattleStage> world;
    GameController* c = nullptr;
    EventManager events;
    CountingScan scan;
    int32_t oldState = 0;
};

TEST_F(BattleFrameTest, OneCycleStepsBothEffectListsAndPresentsOnce) {
    auto* lower = new Zu_SkillEffect(3, 0, 100, 100);  // "fire.ani", first list
    auto* upper = new Zu_SkillEffect(3, 15, 200, 100); // "Work.ani", second list
    ASSERT_EQ(TheResourceStore->firstEffects->GetCount(), 1);
    ASSERT_EQ(TheResourceStore->secondEffects->GetCount(), 1);
    StepCounter* watcher = WatchWorld();
    TheScreenSettings->gameSpeed = 10; // the world updates at every visit
    const uint64_t presented = platform::PresentCount();
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(c->battlePhase, i % 4);
        Frame();
        EXPECT_EQ(platform::PresentCount() - presented, uint64_t((i + 1) / 4))
            << "presented in quarter 3 only";
    }
    EXPECT_EQ(c->battlePhase, 0);
    EXPECT_EQ(lower->currentFrame, 3) << "one step per cycle";
    EXPECT_EQ(upper->currentFrame, 1) << "two frames: round once";
    EXPECT_EQ(lower->state, 1);
    EXPECT_EQ(watcher->steps, 2) << "one world update per cycle";
    EXPECT_EQ(scan.scans, 2) << "one trigger scan per cycle";
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
    CoveringPanels covered;
    c->gameScreen->SetViewOrigin(6, 8);
    for (int i = 0; i < 4; ++i)
        Frame();
    EXPECT_EQ(c->viewLeft, 4);
}

// A map effect is placed in map pixels: the view origin (2, 4) in cells is (80, 40) in pixels, and
// the view ends 560 pixels down.
TEST_F(BattleFrameTest, MapEffectsDrawInTheViewAtTheirMapPosition) {
    c->gameScreen->viewX = 2;
    c->gameScreen->viewY = 4;
    new Zu_SkillEffect(3, 0, 80 + 100, 40 + 50);   // "fire.ani", first list
    new Zu_SkillEffect(3, 15, 80 + 300, 40 + 559); // "Work.ani", second list, at the view's foot
    new Zu_SkillEffect(3, 0, 80 - 1, 40 + 20);     // half left of the view
    Cycle();
    EXPECT_EQ(At(100, 50), 2) << "the fire's second frame";
    EXPECT_EQ(At(101, 51), 2);
    EXPECT_EQ(At(99, 50), kGround);
    EXPECT_EQ(At(300, 559), 5) << "the work mark's second frame, its first row";
    EXPECT_EQ(At(300, 560), kGround) << "below the view";
    EXPECT_EQ(At(0, 20), 2) << "its right column only";
    EXPECT_EQ(At(1, 20), kGround);
}

TEST_F(BattleFrameTest, BeginPicturePointerAndPauseAreDrawnInThatOrder) {
    BeginPicture = TheResourceStore->LoadAniFrame("Begin.ani", 0);
    ASSERT_NE(BeginPicture, nullptr);
    PointerAt(170, 40); // over the begin picture
    Cycle();
    EXPECT_EQ(At(150, 23), kBegin);
    EXPECT_EQ(At(179, 52), kBegin);
    EXPECT_EQ(At(180, 53), kGround);
    EXPECT_EQ(At(149, 23), kGround);
    EXPECT_EQ(At(170, 40), kPointer) << "the pointer over the begin picture";
    EXPECT_EQ(At(175, 45), kPointer);
    EXPECT_EQ(At(176, 46), kBegin);

    PointerAt(36, 16); // partly under the pause picture
    c->pauseScreen = 1;
    Paint(kGround);
    Cycle();
    EXPECT_EQ(c->pauseScreen.load(), 2);
    ASSERT_NE(PausePicture, nullptr);
    EXPECT_EQ(At(0, 0), kPause);
    EXPECT_EQ(At(36, 16), kPause) << "the pause picture over the pointer";
    EXPECT_EQ(At(39, 19), kPause);
    EXPECT_EQ(At(40, 20), kPointer) << "the rest of the pointer";
    EXPECT_EQ(At(41, 21), kPointer);
    EXPECT_EQ(At(42, 22), kGround);
    EXPECT_EQ(At(45, 5), kGround);
}

TEST_F(BattleFrameTest, TheClockStartsWhenTheBeginPictureEndsUnlessAScriptRuns) {
    // The scan is kept quiet so that only the frame decides about the clock.
    struct QuietScan : FrontEndServices {
        void CheckTriggers(EventManager*) override {}
    } quiet;
    SetFrontEndServices(&quiet);
    EventManager manager;
    c->eventManager = &manager;
    for (const int32_t active : {1, 0}) {
        SCOPED_TRACE(active);
        manager.runnerActive = active;
        BeginPicture = TheResourceStore->LoadAniFrame("Begin.ani", 0);
        c->running = 0;
        for (int i = 0; i < 1000 && BeginPicture; ++i)
            Frame();
        ASSERT_EQ(BeginPicture, nullptr);
        EXPECT_EQ(c->running, active ? 0 : 1);
    }
    manager.runnerActive = 0;
    c->eventManager = nullptr;
    SetFrontEndServices(nullptr);
}

TEST_F(BattleFrameTest, WorldUpdatePacedByTicksAndSpeed) {
    const struct {
        int speed;
        bool networked;
        int updates; // in 90 cycles of four ticks
    } cases[] = {{10, false, 90}, {0, false, 10}, {5, false, 22}, {0, true, 22}, {10, true, 22}};
    StepCounter* watcher = WatchWorld();
    for (const auto& p : cases) {
        SCOPED_TRACE(testing::Message() << "speed " << p.speed << " networked " << p.networked);
        TheScreenSettings->gameSpeed = p.speed;
        TheScreenSettings->frameCounter100 = 0;
        c->networked = p.networked ? 1 : 0;
        c->battlePhase = 0;
        watcher->steps = 0;
        Cycle(90);
        EXPECT_EQ(watcher->steps, p.updates);
    }
}

TEST_F(BattleFrameTest, FrozenOrStoppedWorldDoesNotUpdate) {
    StepCounter* watcher = WatchWorld();
    TheScreenSettings->gameSpeed = 10;
    TheScreenSettings->busyState = 1;
    Cycle(2);
    TheScreenSettings->busyState = 0;
    TheScreenSettings->secondCounter = 1; // the battle-stopped flag
    Cycle(2);
    EXPECT_EQ(watcher->steps, 0);
    TheScreenSettings->secondCounter = 0;
    Cycle(2);
    EXPECT_EQ(watcher->steps, 2) << "and updates again once released";
}

TEST_F(BattleFrameTest, CoveredMapDrawsNoObjectsButEffectsAdvance) {
    GiveMap(30, 100);
    auto* lower = new Zu_SkillEffect(3, 0, 100, 100);
    auto covered = std::make_unique<CoveringPanels>();
    Cycle();
    EXPECT_EQ(At(400, 300), kGround) << "no terrain drawn over the map";
    EXPECT_EQ(lower->currentFrame, 2);
    covered.reset();
    Cycle();
    EXPECT_NE(At(400, 300), kGround) << "uncovered, the terrain is drawn";
}

TEST_F(BattleFrameTest, ScrollRequestsStepUntilTheEdgeAndFeedTheCursor) {
    GiveMap(23, 100);
    c->viewLeft = 0;
    c->viewTop = 0;
    c->viewRight = 20;
    c->viewBottom = 56;
    c->scrollRequest = 0x25; // left, already at the first column
    Frame();
    EXPECT_EQ(c->scrollRequest, 0);
    EXPECT_EQ(c->gameScreen->viewX, 0);

    // The pointer at the right edge keeps the request alive through the cursor's frame message:
    // two steps, then the view's edge.
    c->scrollRequest = 0x27;
    c->mouseX = 799;
    c->mouseY = 300;
    for (int i = 0; i < 12; ++i)
        Frame();
    EXPECT_EQ(c->gameScreen->viewX, 2);
    EXPECT_EQ(c->scrollRequest, 0);
    EXPECT_EQ(c->viewLeft, 2);
    EXPECT_EQ(c->viewRight, 22);
    EXPECT_EQ(TheMouseCursor->x, 799) << "the cursor took the frame message while the view scrolled";
    EXPECT_EQ(TheMouseCursor->shapeIndex, MouseCursor::kShapeBlocked) << "the edge reached";
    EXPECT_TRUE(TheGuiMessageQueue->IsEmpty()) << "and its record was dropped";

    // Away from the edge the request ends at the next frame message: one step.
    c->scrollRequest = 0x25;
    c->mouseX = 400;
    Cycle();
    EXPECT_EQ(c->scrollRequest, 0);
    EXPECT_EQ(c->gameScreen->viewX, 1) << "one step, then the request ends";
    c->mouseY = 300;

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

// The editor's own scrolling: with Ctrl a request moves the view a whole page and ends.
TEST_F(BattleFrameTest, EditorCtrlScrollMovesTheViewAPage) {
    GiveMap(60, 200);
    c->gameScreen->SetView(0, 0, 60, 200);
    GameModeFlag = 0;
    Key(platform::VK_CONTROL, true);
    c->scrollRequest = 0x28; // down
    c->ScrollView();
    EXPECT_EQ(c->gameScreen->viewY, 56);
    EXPECT_EQ(c->scrollRequest, 0);
    c->scrollRequest = 0x25; // left, at the first column already
    c->ScrollView();
    EXPECT_EQ(c->gameScreen->viewX, 0);
    EXPECT_EQ(c->gameScreen->viewY, 56);
    Key(platform::VK_CONTROL, false);
    GameModeFlag = 1;
}

// In the editor view a pending key goes to the stage editor: with Ctrl its tool view moves a
// page unless that would leave the map (100 x 300 cells: the last page starts at 80, 244).
TEST_F(BattleFrameTest, EditorViewKeysPageTheToolView) {
    const struct {
        int key;
        bool ctrl;
        int32_t x, y;     // before
        int32_t toX, toY; // after
    } cases[] = {
        {0x27, true, 0, 0, 20, 0},      // right
        {0x24, true, 0, 0, 0, 0},       // Home at the top-left corner stays
        {0x22, true, 70, 240, 80, 244}, // Page Down, clamped into the map
        {0x22, true, 80, 244, 80, 244}, // Page Down at the last page stops
        {0x21, true, 40, 56, 60, 0},    // Page Up: right and up
        {0x28, false, 20, 56, 20, 56},  // without Ctrl nothing moves
        {0x27, true, 80, 0, 80, 0},     // right at the last column
    };
    EditorKeyTarget tool;
    tool.mapWidth = 100;
    tool.mapHeight = 300;
    StageEditor editor;
    editor.toolView = &tool;
    TheStageEditor = &editor;
    PlainWindow view;
    c->editorView = &view;
    TheScreenSettings->editorKeys = 1;
    for (const auto& k : cases) {
        SCOPED_TRACE(testing::Message()
                     << "key " << k.key << " ctrl " << k.ctrl << " at " << k.x << "," << k.y);
        tool.viewColumn = k.x;
        tool.viewRow = k.y;
        tool.redraw = 0;
        Key(platform::VK_CONTROL, k.ctrl);
        c->scrollRequest = k.key;
        c->battlePhase = 0;
        Frame();
        EXPECT_EQ(tool.viewColumn, k.toX);
        EXPECT_EQ(tool.viewRow, k.toY);
        EXPECT_EQ(tool.redraw, 1);
        EXPECT_EQ(c->scrollRequest, 0);
        EXPECT_EQ(c->viewLeft, k.toX);
        EXPECT_EQ(c->viewRight, k.toX + 20);
        EXPECT_EQ(c->viewTop, k.toY);
        EXPECT_EQ(c->viewBottom, k.toY + 56);
    }
    // Without a tool view the key is used up and nothing else moves.
    editor.toolView = nullptr;
    c->scrollRequest = 0x27;
    c->battlePhase = 0;
    Frame();
    EXPECT_EQ(c->scrollRequest, 0);
    Key(platform::VK_CONTROL, false);
    TheScreenSettings->editorKeys = 0;
    c->editorView = nullptr;
    TheStageEditor = nullptr;
}

TEST_F(BattleFrameTest, BeginPictureStartsTheClockAfterFiftyCycles) {
    BeginPicture = TheResourceStore->LoadAniFrame("Begin.ani", 0);
    c->running = 0;
    Cycle(49);
    EXPECT_EQ(c->running, 0);
    EXPECT_EQ(BeginPictureCount, 49);
    Cycle();
    EXPECT_EQ(c->running, 1);
    EXPECT_EQ(BeginPicture, nullptr);
    EXPECT_EQ(BeginPictureCount, 0);
}

TEST_F(BattleFrameTest, TeamGameEndShowsItsMovieAndBannerOnce) {
    testsupport::EndMovies movies;
    for (int result : {5, 4}) {
        SCOPED_TRACE(result);
        movies.seen.clear();
        TheScreenSettings->battleEnded = 0;
        world->Network(false, 2);
        world->stage->result = result;
        PostEndFrames = 30;
        Cycle();
        Win25Window* banner = TheBanner;
        ASSERT_NE(banner, nullptr);
        Cycle(2);
        EXPECT_EQ(TheBanner, banner) << "shown once";
        EXPECT_EQ(TheScreenSettings->battleEnded, 1);
        EXPECT_EQ(PostEndFrames, 0);
        EXPECT_EQ(banner->closable, 0);
        const LabelText* t = banner->labels.TextOf(screentest::ControlById(banner->controls, 0x201));
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->text, result == 5 ? VictoryBannerText : DefeatBannerText);
        EXPECT_GT(result == 5 ? movies.Victory() : movies.Defeat(), 0) << "its movie played";
        EXPECT_EQ(result == 5 ? movies.Defeat() : movies.Victory(), 0) << "and not the other";
        EXPECT_EQ(movies.seen.back(), kGround) << "then the battle frame again";
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
    int seen = 0;
    for (Kingdom* k : ListValues<Kingdom>(*CurrentStageSet()->kingdoms))
        for (City* city : ListValues<City>(k->cities))
            seen += city->markedCity;
    EXPECT_EQ(seen, 2);
}

// The main panel host's minimap page is drawn into its panel in the overlay quarter and shows in
// the frame; its second page shows the panel's own background there.
TEST_F(BattleFrameTest, TheMinimapPageShowsTheMapPictureInTheFrame) {
    constexpr uint16_t kPicture = 0x7BEF, kPanel = 0x2104;
    screentest::WriteLayout("Win04.gui", 3, 0); // a panel at (200, 150)
    screentest::WriteLayout("Win06.gui", 3, 0);
    GiveMap(40, 80);
    for (int p = 0; p < 160 * 120; ++p) {
        c->minimapImages[2][2 * p] = uint8_t(kPicture);
        c->minimapImages[2][2 * p + 1] = uint8_t(kPicture >> 8);
    }
    TheWin01Host = new Win01HostWindow(TheRootWidget, c);
    Cycle();
    EXPECT_EQ(At(200 + 25, 150 + 27), kPicture) << "the picture's first pixel";
    EXPECT_EQ(At(200 + 25 + 100, 150 + 27 + 100), kPicture);
    EXPECT_EQ(At(200 + 25 + 160, 150 + 27 + 100), kPanel) << "right of the picture";
    TheWin01Host->GetMinimap()->ShowPage(0);
    FlushDeferredDeletes();
    Cycle();
    EXPECT_EQ(At(200 + 25 + 100, 150 + 27 + 100), kPanel);
    delete TheWin01Host;
    TheWin01Host = nullptr;
    FlushDeferredDeletes();
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
