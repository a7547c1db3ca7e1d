#include "Program/MainWindow.h"

#include "Program/Autoplay.h"
#include "Program/EditorCommands.h"
#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "Program/Startup.h"
#include "Program/StartupHooks.h"
#include "engine/AviClipManager.h"
#include "engine/Blitter16.h"
#include "engine/DisplayDevice.h"
#include "engine/KeyedTable37.h"
#include "engine/ModalLoopState.h"
#include "engine/MusicPlayer.h"
#include "engine/NumberFont.h"
#include "engine/NumberTable.h"
#include "engine/PixelFormat.h"
#include "engine/ResourceStore.h"
#include "engine/SoundBank.h"
#include "engine/SurfaceText.h"
#include "engine/Tools.h"
#include "gui/GuiRoot.h"
#include "gui/MouseCursor.h"
#include "net/room/TcpLink.h"
#include "platform/MmTimer.h"
#include "platform/Present.h"
#include "platform/TimerPeriod.h"
#include "records/ScenarioData.h"
#include "records/StageEditor.h"
#include "world/BattleMap.h"

#include <cmath>

using namespace platform;

AppWindowRecord AppWindow;
double FramePeriodMs = 0.0;
int32_t ActiveFlag = 0;

namespace {

const char* const kClassName = "VelmoraII";

// The timer's minimum period, kept for the end of the period.
uint32_t timerPeriodMin = 1;

void KeepClientRect(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    POINT a{r.left, r.top};
    POINT b{r.right, r.bottom};
    ClientToScreen(window, &a);
    ClientToScreen(window, &b);
    AppWindow.clientRect[0] = a.x;
    AppWindow.clientRect[1] = a.y;
    AppWindow.clientRect[2] = b.x;
    AppWindow.clientRect[3] = b.y;
    SetDisplayClientRect(RECT{a.x, a.y, b.x, b.y});
    SetClientOrigin(a.x, a.y);
}

int32_t LowWord(LPARAM v) {
    return static_cast<int32_t>(static_cast<uint32_t>(v) & 0xFFFF);
}
int32_t HighWord(LPARAM v) {
    return static_cast<int32_t>((static_cast<uint32_t>(v) >> 16) & 0xFFFF);
}

void PostFrame() {
    int32_t idle = 0;
    if (AppWindow.FramePending.compare_exchange_strong(idle, 1))
        PostMessage(AppWindow.window, FrameMessage, 0, 0);
}

// Under autoplay the timer's tick follows each frame at once, on the window's own thread: the
// next frame runs without a wait and the world's counters advance by one tick a frame.
void AutoplayTick() {
    GameTimerProc(0, 0, 0, 0, 0);
    PostFrame();
}

} // namespace

int CreateMainWindow(HINSTANCE instance, int) {
    AppWindow.instance = instance;
    const bool windowed = TheScreenSettings && TheScreenSettings->windowed;
    WNDCLASSA wc;
    wc.style = windowed ? CS_DBLCLKS : (CS_VREDRAW | CS_HREDRAW | CS_NOCLOSE);
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.hIcon = nullptr; // resource 122
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = nullptr; // black
    wc.lpszMenuName = windowed ? "Tools" : kClassName;
    wc.lpszClassName = kClassName;
    if (!RegisterClassA(&wc)) return 0;
    const int width = TheScreenSettings ? TheScreenSettings->screenWidth : 800;
    const int height = TheScreenSettings ? TheScreenSettings->screenHeight : 600;
    HWND w = windowed ? CreateWindowExA(WS_EX_APPWINDOW, kClassName, kClassName, WS_OVERLAPPEDWINDOW, 0, 0,
                                        width, height, nullptr, nullptr, instance, nullptr)
                      : CreateWindowExA(0, kClassName, kClassName, WS_POPUP, 0, 0, width, height, nullptr,
                                        nullptr, instance, nullptr);
    if (!w) return 0;
    AppWindow.window = w;
    return 1;
}

int SelectDisplayMode(int bits, int width, int height) {
    const int count = CountDisplayModes();
    for (int i = 0; i < count; ++i) {
        DisplayModeInfo info{};
        if (!GetDisplayModeInfo(i, &info)) continue;
        if (static_cast<int>(info.bits) != bits || static_cast<int>(info.width) != width ||
            static_cast<int>(info.height) != height)
            continue;
        SetDisplayWidth(width);
        SetDisplayHeight(height);
        SetDisplayBitDepth(bits);
        ApplyDisplayMode(DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
        ShowWindow(AppWindow.window, SW_SHOW);
        return 1;
    }
    return 0;
}

int SetupDisplay() {
    // The primary surface takes the client size in window mode: it is known before the display.
    SetClientSize(TheScreenSettings ? TheScreenSettings->screenWidth : 800,
                  TheScreenSettings ? TheScreenSettings->screenHeight : 600);
    AppWindow.directDraw = CreateDirectDraw(AppWindow.window);
    if (!AppWindow.directDraw) return 0;
    DDSURFACEDESC2 current{};
    AppWindow.directDraw->GetDisplayMode(&current);
    ReleaseSurfaces();
    const int width = TheScreenSettings ? TheScreenSettings->screenWidth : 800;
    const int height = TheScreenSettings ? TheScreenSettings->screenHeight : 600;
    if (!SelectDisplayMode(16, width, height)) {
        // No 16-bit mode of the screen size: show the window all the same, in a window.
        SetDisplayWidth(width);
        SetDisplayHeight(height);
        SetDisplayBitDepth(16);
        ApplyDisplayMode(DDSCL_NORMAL);
        ShowWindow(AppWindow.window, SW_SHOW);
    }
    if (!GameModeFlag) ApplyDisplayMode(DDSCL_NORMAL);
    SetDisplayMode();
    ProbePrimarySurfaceFormat();
    return 1;
}

uint32_t FrameTimerPeriod(double framePeriodMs) {
    double period = framePeriodMs > 0.0 ? framePeriodMs : DefaultFramePeriodMs;
    if (!std::isfinite(period)) period = DefaultFramePeriodMs;
    // A damaged value must leave a game that runs: at most one frame a second.
    if (period < 1.0) period = 1.0;
    if (period > 1000.0) period = 1000.0;
    return static_cast<uint32_t>(period);
}

void StartGameTimer() {
    if (AutoplayPacesFrames()) {
        PostFrame();
        return;
    }
    TIMECAPS caps;
    timeGetDevCaps(&caps, sizeof caps);
    timerPeriodMin = caps.wPeriodMin ? caps.wPeriodMin : 1;
    AppWindow.TimerRate = static_cast<int32_t>(1000 / timerPeriodMin);
    timeBeginPeriod(timerPeriodMin);
    // The delay is the frame period itself, in whole milliseconds.
    AppWindow.timerId =
        timeSetEvent(FrameTimerPeriod(FramePeriodMs), timerPeriodMin, GameTimerProc, 0, TIME_PERIODIC);
}

void GameTimerProc(uint32_t, uint32_t, uintptr_t, uintptr_t, uintptr_t) {
    GameController* c = TheGameController;
    if (c && c->pauseScreen.load() >= 2) return;
    PostFrame();
    const double period = FrameTimerPeriod(FramePeriodMs);
    if (c && c->clickCount.load() != 0) {
        if (++c->clickTimer >= static_cast<int32_t>(300.0 / period)) {
            c->clickCount = 0;
            c->clickTimer = 0;
        }
    }
    ScreenSettings* s = TheScreenSettings;
    if (s && s->busyState.load() != 0) return;
    if (c && c->groupKeyPresses.load() != 0) {
        if (++c->groupKeyTimer >= static_cast<int32_t>(500.0 / period)) {
            c->groupKeyPresses = 0;
            c->groupKeyTimer = 0;
        }
    }
    if (s) {
        uint16_t v = static_cast<uint16_t>(s->frameCounter100.load() + 1);
        s->frameCounter100 = v >= 100 ? 0 : v;
        s->runningFrameCounter.fetch_add(1);
    }
}

void StopGameTimer() {
    if (!AppWindow.timerId) return;
    timeKillEvent(AppWindow.timerId);
    AppWindow.timerId = 0;
    timeEndPeriod(AppWindow.TimerRate ? 1000 / AppWindow.TimerRate : 1);
}

void TearDownProgram() {
    StopGameTimer();
    StartupState = 5;
    TheAviClipManager.CloseAll();
    delete TheSoundBank;
    TheSoundBank = nullptr;
    ShutdownAudio();
    if (TheGameController) TheGameController->FreeResources();
    // Nothing may reach the objects through a hook once they start to go.
    UnbindProgramHooks();
    if (TheResourceStore) TheResourceStore->FreeAll();
    if (TheBattleMap) {
        if (TheBattleMap->scenario) TheBattleMap->scenario->Clear();
        TheBattleMap->FreeObjectLists();
    }
    // Reverse order of construction, so nothing is deleted while a later object may use it.
    delete TheNumberFont;
    TheNumberFont = nullptr;
    delete TheBig5Font;
    TheBig5Font = nullptr;
    delete TheBattleMap;
    TheBattleMap = nullptr;
    delete TheStageEditor;
    TheStageEditor = nullptr;
    delete TheGameController;
    TheGameController = nullptr;
    delete TheBlitter16;
    TheBlitter16 = nullptr;
    delete TheGuiRoot;
    TheGuiRoot = nullptr;
    delete TheNumberTable;
    TheNumberTable = nullptr;
    delete TheResourceStore;
    TheResourceStore = nullptr;
    delete TheKeyedTable37;
    TheKeyedTable37 = nullptr;
    delete TheScreenSettings;
    TheScreenSettings = nullptr;
    ReleaseSurfaces();
    ReleaseDirectDraw();
    AppWindow.directDraw = nullptr;
}

namespace {
// A close that arrives while a frame pumps messages (a screen opening, a movie) would tear the
// program down under that frame: it waits for the frame to end.
int FrameDepth = 0;
bool CloseAfterFrame = false;
} // namespace

LRESULT MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    GameController* c = TheGameController;
    if (c && c->mode == 2) {
        switch (message) {
        case MM_MCINOTIFY:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            ModalLoopState = 2;
            return DefWindowProcA(window, message, wParam, lParam);
        case MCIWNDM_NOTIFYMODE:
            if (lParam == static_cast<LPARAM>(MCI_MODE_STOP)) ModalLoopState = 2;
            return DefWindowProcA(window, message, wParam, lParam);
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
        case WM_SYSCHAR:
            return 1;
        case WM_CLOSE:
            // Closing under a modal movie would tear the program down beneath the movie's
            // caller: end the movie first and close once it has returned.
            ModalLoopState = 2;
            PostMessage(window, WM_CLOSE, 0, 0);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
        }
    }

    switch (message) {
    case WM_CREATE:
        // The editor's shared open/save dialog record is prepared with the editor shell.
        break;
    case WM_CLOSE:
        if (FrameDepth > 0) {
            CloseAfterFrame = true;
            return 0;
        }
        break;
    case WM_DESTROY:
        TearDownProgram();
        PostQuitMessage(0);
        break;
    case WM_MOVE:
    case WM_SIZE:
        KeepClientRect(window);
        break;
    case WM_ACTIVATE:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(window, &ps);
        EndPaint(window, &ps);
        return 1;
    }
    case WM_ERASEBKGND:
        ModalLoopState = 2; // stops a modal movie
        return 1;
    case WM_ACTIVATEAPP:
        ActiveFlag = (wParam == 1 || wParam == 2) ? 1 : 0;
        if (ActiveFlag && StartupState == 2 && AppWindow.directDraw) {
            if (Surface* primary = GetPrimarySurface()) primary->Restore();
            if (c) c->pauseScreen = 0;
        }
        return 0;
    case 200:
        TcpLink::Accept(window, message, wParam, lParam);
        break;
    case 201:
        TcpLink::OnSocketEvent(window, message, wParam, lParam);
        break;
    case WM_KEYDOWN:
        if (TheMouseCursor) {
            if ((wParam == VK_UP || wParam == VK_DOWN) &&
                Zu_Tools::Global().FeedArrowKey(static_cast<int>(wParam)))
                break;
            if (c) c->OnKeyDown(static_cast<uint32_t>(wParam));
        }
        break;
    case WM_CHAR: {
        const char byte = static_cast<char>(wParam & 0xFF);
        // The code line also listens in the front end; the controller keeps its battle keys to battle.
        if (!Zu_Tools::Global().FeedChars(&byte, 1) && c) c->OnChar(static_cast<uint32_t>(wParam));
        break;
    }
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
        return 1;
    case WM_COMMAND:
        return RunEditorCommand(window, static_cast<int>(wParam & 0xFFFF));
    case WM_MOUSEMOVE:
        if (c) {
            c->mouseX = LowWord(lParam);
            c->mouseY = HighWord(lParam);
            c->OnMouse(message);
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        if (c) c->OnMouse(message);
        break;
    case FrameMessage:
        ++FrameDepth;
        if (c) c->Frame(FrameMessage);
        --FrameDepth;
        AppWindow.FramePending = 0;
        if (c && AutoplayPacesFrames()) AutoplayTick();
        if (FrameDepth == 0 && CloseAfterFrame) {
            CloseAfterFrame = false;
            PostMessage(window, WM_CLOSE, 0, 0);
        }
        break;
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
