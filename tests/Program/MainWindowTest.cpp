#include "Program/MainWindow.h"
#include "Program/Autoplay.h"
#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "Program/Startup.h"
#include "engine/Blitter16.h"
#include "engine/DisplayDevice.h"
#include "engine/ModalLoopState.h"
#include "engine/NumberFont.h"
#include "engine/NumberTable.h"
#include "engine/ResourceStore.h"
#include "engine/SurfaceText.h"
#include "engine/Tools.h"
#include "gui/GuiRoot.h"
#include "gui/MouseCursor.h"
#include "platform/Messages.h"
#include "platform/Present.h"
#include "records/StageEditor.h"
#include "support/TempFolder.h"
#include "world/BattleMap.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <thread>

using namespace platform;

namespace {

LRESULT NullProc(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetMessageQueue();
        folder = std::make_unique<testsupport::TempFolder>();
        TheScreenSettings = new ScreenSettings;
        TheGameController = new GameController;
        AppWindow.window = AllocateWindowHandle();
        RegisterWindowProc(AppWindow.window, NullProc);
        AppWindow.FramePending = 0;
        FramePeriodMs = 20.0; // 300 ms = 15 ticks, 500 ms = 25 ticks
        ActiveFlag = 1;
    }
    void TearDown() override {
        InstallAutoplay(AutoplaySettings{});
        if (TheGameController) TheGameController->FreeResources();
        delete TheGameController;
        TheGameController = nullptr;
        delete TheScreenSettings;
        TheScreenSettings = nullptr;
        AppWindow.window = nullptr;
        ResetMessageQueue();
        folder.reset();
    }
    int QueuedFrames() {
        int n = 0;
        MSG m;
        while (PeekMessage(&m, nullptr, FrameMessage, FrameMessage, PM_REMOVE))
            ++n;
        return n;
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i)
            GameTimerProc(0, 0, 0, 0, 0);
    }
    std::unique_ptr<testsupport::TempFolder> folder;
};

} // namespace

TEST(FramePeriod, TheTimerRunsAtTheFramePeriodInWholeMilliseconds) {
    struct Case {
        double period;
        uint32_t expected;
    } cases[] = {{0.0, 40},  {-5.0, 40},     {NAN, 40},    {0.4, 1},     {1.0, 1},      {16.7, 16},
                 {33.0, 33}, {1000.0, 1000}, {1001, 1000}, {1e12, 1000}, {INFINITY, 40}};
    for (const Case& c : cases)
        EXPECT_EQ(FrameTimerPeriod(c.period), c.expected) << c.period;
}

TEST_F(MainWindowTest, ASlowFrameNeverQueuesASecondFrame) {
    Ticks(5);
    EXPECT_EQ(QueuedFrames(), 1);
    EXPECT_EQ(AppWindow.FramePending.load(), 1);
    Ticks(3);
    EXPECT_EQ(QueuedFrames(), 0); // still pending: ticks are dropped
    // The counters went on at the tick rate meanwhile.
    EXPECT_EQ(TheScreenSettings->frameCounter100.load(), 8);
    EXPECT_EQ(TheScreenSettings->runningFrameCounter.load(), 8);
    // The frame runs; only then may the next one be posted.
    MainWndProc(AppWindow.window, FrameMessage, 0, 0);
    EXPECT_EQ(AppWindow.FramePending.load(), 0);
    Ticks(2);
    EXPECT_EQ(QueuedFrames(), 1);
}

TEST_F(MainWindowTest, TimedFlagsExpireAfter300And500Milliseconds) {
    GameController* c = TheGameController;
    c->clickCount = 1;
    c->groupKeyPresses = 2;
    Ticks(14);
    EXPECT_EQ(c->clickCount.load(), 1);
    Ticks(1);
    EXPECT_EQ(c->clickCount.load(), 0);
    EXPECT_EQ(c->clickTimer.load(), 0);
    Ticks(9);
    EXPECT_EQ(c->groupKeyPresses.load(), 2);
    Ticks(1);
    EXPECT_EQ(c->groupKeyPresses.load(), 0);
    EXPECT_EQ(c->groupKeyTimer.load(), 0);
}

TEST_F(MainWindowTest, BusyStateStopsTheSlowFlagAndTheCountersButNotTheFrames) {
    GameController* c = TheGameController;
    TheScreenSettings->busyState = 1;
    c->clickCount = 1;
    c->groupKeyPresses = 1;
    Ticks(30);
    EXPECT_EQ(QueuedFrames(), 1);
    EXPECT_EQ(c->clickCount.load(), 0);
    EXPECT_EQ(c->groupKeyPresses.load(), 1);
    EXPECT_EQ(c->groupKeyTimer.load(), 0);
    EXPECT_EQ(TheScreenSettings->frameCounter100.load(), 0);
    EXPECT_EQ(TheScreenSettings->runningFrameCounter.load(), 0);
}

TEST_F(MainWindowTest, HoldWordTwoStopsEverythingUntilActivation) {
    GameController* c = TheGameController;
    c->pauseScreen = 2;
    c->clickCount = 1;
    Ticks(40);
    EXPECT_EQ(QueuedFrames(), 0);
    EXPECT_EQ(c->clickTimer.load(), 0);
    EXPECT_EQ(TheScreenSettings->runningFrameCounter.load(), 0);
    // Activation while the message loop runs clears the hold word once the display exists.
    AppWindow.directDraw = CreateDirectDraw(nullptr);
    StartupState = 2;
    EXPECT_EQ(MainWndProc(AppWindow.window, WM_ACTIVATEAPP, 1, 0), 0);
    EXPECT_EQ(ActiveFlag, 1);
    EXPECT_EQ(c->pauseScreen.load(), 0);
    Ticks(1);
    EXPECT_EQ(QueuedFrames(), 1);
    EXPECT_EQ(MainWndProc(AppWindow.window, WM_ACTIVATEAPP, 0, 0), 0);
    EXPECT_EQ(ActiveFlag, 0);
    ReleaseDirectDraw();
    AppWindow.directDraw = nullptr;
    StartupState = 0;
}

TEST_F(MainWindowTest, FrameCountersWrap) {
    TheScreenSettings->frameCounter100 = 98;
    TheScreenSettings->runningFrameCounter = 65534;
    Ticks(1);
    EXPECT_EQ(TheScreenSettings->frameCounter100.load(), 99);
    Ticks(1);
    EXPECT_EQ(TheScreenSettings->frameCounter100.load(), 0);
    EXPECT_EQ(TheScreenSettings->runningFrameCounter.load(), 0);
}

TEST_F(MainWindowTest, DuringAModalMovieClicksEndItAndNeverReachTheGame) {
    GameController* c = TheGameController;
    c->mode = 2;
    ModalLoopState = 1;
    c->mouseX = 500;
    MainWndProc(AppWindow.window, WM_MOUSEMOVE, 0, (20 << 16) | 10);
    EXPECT_EQ(c->mouseX, 500);
    EXPECT_EQ(ModalLoopState, 1);
    MainWndProc(AppWindow.window, WM_RBUTTONDOWN, 0, 0);
    EXPECT_EQ(ModalLoopState, 2);
    ModalLoopState = 1;
    MainWndProc(AppWindow.window, MCIWNDM_NOTIFYMODE, 0, 0x20C);
    EXPECT_EQ(ModalLoopState, 1);
    MainWndProc(AppWindow.window, MCIWNDM_NOTIFYMODE, 0, MCI_MODE_STOP);
    EXPECT_EQ(ModalLoopState, 2);
    EXPECT_EQ(MainWndProc(AppWindow.window, WM_SYSKEYDOWN, VK_MENU, 0), 1);
    // A close request ends the movie and comes back once it has returned.
    ModalLoopState = 1;
    EXPECT_EQ(MainWndProc(AppWindow.window, WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(ModalLoopState, 2);
    MSG m;
    ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_CLOSE);
    EXPECT_NE(TheGameController, nullptr);
    c->mode = 0;
    MainWndProc(AppWindow.window, WM_MOUSEMOVE, 0, (20 << 16) | 10);
    EXPECT_EQ(c->mouseX, 10);
    EXPECT_EQ(c->mouseY, 20);
    // Alt keys never reach the system outside movies either.
    EXPECT_EQ(MainWndProc(AppWindow.window, WM_SYSCHAR, 'x', 0), 1);
    EXPECT_EQ(MainWndProc(AppWindow.window, WM_ACTIVATE, 1, 0), 1);
    ModalLoopState = 0;
}

TEST_F(MainWindowTest, CharactersAndKeysWithoutAControllerAreIgnored) {
    GameController* keep = TheGameController;
    TheGameController = nullptr;
    EXPECT_EQ(MainWndProc(AppWindow.window, WM_CHAR, 'p', 0), 0);
    EXPECT_EQ(MainWndProc(AppWindow.window, WM_KEYDOWN, VK_UP, 0), 0);
    EXPECT_EQ(MainWndProc(AppWindow.window, WM_LBUTTONDOWN, 0, 0), 0);
    MainWndProc(AppWindow.window, FrameMessage, 0, 0);
    EXPECT_EQ(AppWindow.FramePending.load(), 0);
    TheGameController = keep;
}

TEST_F(MainWindowTest, DestroyTearsEverythingDownAndQuits) {
    // Build the objects in start-up's order.
    TheGameController->FreeResources();
    delete TheGameController;
    TheGameController = nullptr;
    TheResourceStore = new ResourceStore;
    TheNumberTable = new NumberTable;
    TheGuiRoot = new GuiRoot;
    TheBlitter16 = new Blitter16;
    TheGameController = new GameController;
    TheStageEditor = new StageEditor;
    TheBattleMap = new BattleMap;
    TheBig5Font = new Big5BitmapFont;
    TheNumberFont = new NumberFont;
    ResetMessageQueue();
    MainWndProc(AppWindow.window, WM_DESTROY, 0, 0);
    EXPECT_EQ(StartupState, 5);
    EXPECT_EQ(TheGameController, nullptr);
    EXPECT_EQ(TheScreenSettings, nullptr);
    EXPECT_EQ(TheBattleMap, nullptr);
    EXPECT_EQ(TheResourceStore, nullptr);
    EXPECT_EQ(TheGuiRoot, nullptr);
    EXPECT_EQ(TheNumberFont, nullptr);
    MSG m;
    ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, 0u);
    StartupState = 0;
}

TEST_F(MainWindowTest, TheRealTimerPostsFramesThatTheLoopRuns) {
    FramePeriodMs = 5.0;
    RegisterWindowProc(AppWindow.window, MainWndProc);
    StartGameTimer();
    EXPECT_NE(AppWindow.timerId, 0u);
    EXPECT_EQ(AppWindow.TimerRate, 1000);
    int frames = 0;
    MSG m;
    while (frames < 5 && GetMessage(&m, nullptr, 0, 0) > 0) {
        EXPECT_EQ(m.message, FrameMessage);
        DispatchMessage(&m);
        ++frames;
    }
    StopGameTimer();
    EXPECT_EQ(AppWindow.timerId, 0u);
    EXPECT_EQ(frames, 5);
    EXPECT_GE(TheScreenSettings->runningFrameCounter.load(), 5);
}

// Under autoplay no timer runs: each frame posts the next one at once and the clock advances one
// tick a frame, however long a frame takes, so the world updates at the same frames in every run.
TEST_F(MainWindowTest, UnderAutoplayEachFrameIsOneClockTickAndPostsTheNext) {
    AutoplaySettings autoplay;
    autoplay.stageFile = "stage01.stg";
    InstallAutoplay(autoplay);
    RegisterWindowProc(AppWindow.window, MainWndProc);
    ActiveFlag = 0; // the frames themselves do nothing here
    StartGameTimer();
    EXPECT_EQ(AppWindow.timerId, 0u);
    MSG m;
    for (int frame = 0; frame < 30; ++frame) {
        ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) << frame;
        ASSERT_EQ(m.message, FrameMessage);
        DispatchMessage(&m);
        if (frame == 10) std::this_thread::sleep_for(std::chrono::milliseconds(60)); // a slow frame
    }
    EXPECT_EQ(TheScreenSettings->frameCounter100.load(), 30);
    EXPECT_EQ(TheScreenSettings->runningFrameCounter.load(), 30);
    EXPECT_EQ(QueuedFrames(), 1);
    StopGameTimer();
}

// Up and Down reach the text input as arrow keys, never as the '&' and '(' typed on the same codes.
TEST_F(MainWindowTest, ArrowKeysReachTheTextInputAsArrows) {
    auto* cursor = new MouseCursor;
    MouseCursor* keep = TheMouseCursor;
    TheMouseCursor = cursor;
    char field[Zu_Tools::kFieldSize] = {};
    Zu_Tools& tools = Zu_Tools::Global();
    struct Case {
        WPARAM key;
        uint32_t flag;
    };
    for (const Case& k : {Case{VK_UP, Zu_Tools::kUpPressed}, Case{VK_DOWN, Zu_Tools::kDownPressed}}) {
        SCOPED_TRACE(k.key);
        tools.AttachBuffer(field, Zu_Tools::kFieldSize, Zu_Tools::kInputOn);
        EXPECT_EQ(MainWndProc(AppWindow.window, WM_KEYDOWN, k.key, 0), 0);
        EXPECT_NE(tools.GetFlags() & k.flag, 0u);
        EXPECT_EQ(tools.GetLength(), 0) << "no character typed";
        EXPECT_EQ(field[0], 0);
        // Input off: the key belongs to the game and no flag is raised.
        tools.AttachBuffer(nullptr, 0, 0);
        MainWndProc(AppWindow.window, WM_KEYDOWN, k.key, 0);
        EXPECT_EQ(tools.GetFlags() & k.flag, 0u);
    }
    // The typed '&' (the code of Up) is text.
    tools.AttachBuffer(field, Zu_Tools::kFieldSize, Zu_Tools::kInputOn);
    MainWndProc(AppWindow.window, WM_CHAR, '&', 0);
    EXPECT_STREQ(field, "&");
    EXPECT_EQ(tools.GetFlags() & Zu_Tools::kUpPressed, 0u);
    tools.AttachBuffer(nullptr, 0, 0);
    TheMouseCursor = keep;
    delete cursor;
}

// A move tells the display where the client area now is, for blits through the clipper.
TEST_F(MainWindowTest, AMoveHandsTheClientOriginToTheDisplay) {
    SetClientOrigin(-77, -77);
    MainWndProc(AppWindow.window, WM_MOVE, 0, 0);
    int x = 0, y = 0;
    GetClientOrigin(&x, &y);
    EXPECT_EQ(x, AppWindow.clientRect[0]);
    EXPECT_EQ(y, AppWindow.clientRect[1]);
    EXPECT_NE(x, -77);
}
