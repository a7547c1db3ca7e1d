#include "platform/Window.h"

#include "platform/Big5.h"

#include "platform/Present.h"
#include "platform/ScriptMarks.h"
#include "platform/SingleInstance.h"
#include "platform/Time.h"

#include <SDL.h>
#include <array>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>

namespace platform {

// Scripted steps in milliseconds count from here: programs started together share their clock.
const uint32_t ProgramStartTime = timeGetTime();

const char* const IDC_ARROW = "IDC_ARROW";

namespace {

struct ClassRecord {
    WNDCLASSA wc;
    std::string name;
    std::string menu;
};

struct WindowRecord {
    std::string className;
    std::string title;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    UINT classStyle = 0;
    int x = 0, y = 0, width = 0, height = 0;
    bool visible = false;
    bool shownOnce = false;
    bool minimized = false;
    bool remote = false;
    SDL_Window* sdl = nullptr;
};

std::mutex tableMutex;
std::map<std::string, ClassRecord> classes; // by folded name
std::map<HWND, WindowRecord> windows;
HWND mainWindow = nullptr;
std::array<std::atomic<bool>, 256> keyDown{};
std::atomic<int> cursorCount{0};
std::atomic<bool> restoreRequested{false};
std::atomic<bool> raiseRequested{false};
volatile std::sig_atomic_t closeSignalled = 0;
bool framesClosePosted = false;
bool sdlVideoStarted = false;

std::string Fold(const char* s) {
    std::string out = s ? s : "";
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

void OnCloseSignal(int) {
    closeSignalled = 1;
}

WindowRecord* Find(HWND h) {
    auto it = windows.find(h);
    return it == windows.end() ? nullptr : &it->second;
}

LPARAM MakeLParam(int lo, int hi) {
    return static_cast<LPARAM>((static_cast<uint32_t>(hi & 0xFFFF) << 16) |
                               static_cast<uint32_t>(lo & 0xFFFF));
}

bool StartSdlVideo() {
    if (sdlVideoStarted) return true;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    sdlVideoStarted = true;
    return true;
}

SDL_Window* MakeSdlWindow(const char* title, uint32_t style, int width, int height) {
    if (IsHeadless() || !StartSdlVideo()) return nullptr;
    Uint32 flags = SDL_WINDOW_HIDDEN;
    int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED;
    SDL_Rect desktop;
    if (style & WS_POPUP) {
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
        // Made over the whole desktop from the start: without a window manager the switch to full
        // screen keeps the window's own position and size, and the frame shows cropped.
        if (SDL_GetDisplayBounds(0, &desktop) == 0) {
            x = desktop.x;
            y = desktop.y;
            width = desktop.w;
            height = desktop.h;
        }
    }
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    SDL_Window* w = SDL_CreateWindow(title ? title : "", x, y, width, height, flags);
    if (w) SDL_StartTextInput();
    return w;
}

void PostKey(HWND window, const RawInputEvent& e, bool down) {
    if (e.virtualKey <= 0 || e.virtualKey > 255) return;
    const bool wasDown = keyDown[static_cast<size_t>(e.virtualKey)].exchange(down);
    const bool sys = e.altDown || e.virtualKey == VK_MENU;
    UINT msg = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
    // lParam: repeat count 1, the previous key state in bit 30, the transition in bit 31.
    uint32_t lp = 1;
    if (down && wasDown) lp |= 1u << 30;
    if (!down) lp |= (1u << 30) | (1u << 31);
    PostMessage(window, msg, static_cast<WPARAM>(e.virtualKey), static_cast<LPARAM>(lp));
}

void RemoteRequest(InstanceRequest r) {
    if (r == InstanceRequest::Restore) restoreRequested = true;
    if (r == InstanceRequest::Raise) raiseRequested = true;
}

} // namespace

bool IsHeadless() {
    if (const char* h = std::getenv("KARDOL_HEADLESS"); h && std::string(h) == "1") return true;
    return GetPresenter().IsHeadless();
}

ATOM RegisterClassA(const WNDCLASSA* wc) {
    if (!wc || !wc->lpszClassName || !wc->lpfnWndProc) return 0;
    std::lock_guard lock(tableMutex);
    ClassRecord& rec = classes[Fold(wc->lpszClassName)];
    rec.wc = *wc;
    rec.name = wc->lpszClassName;
    rec.menu = wc->lpszMenuName ? wc->lpszMenuName : "";
    rec.wc.lpszClassName = rec.name.c_str();
    rec.wc.lpszMenuName = rec.menu.c_str();
    return static_cast<ATOM>(0xC000 + classes.size());
}

HWND CreateWindowExA(uint32_t exStyle, const char* className, const char* title, uint32_t style, int x, int y,
                     int width, int height, HWND parent, HMENU, HINSTANCE, void*) {
    WNDPROC proc = nullptr;
    UINT classStyle = 0;
    {
        std::lock_guard lock(tableMutex);
        auto it = classes.find(Fold(className));
        if (it == classes.end()) return nullptr;
        proc = it->second.wc.lpfnWndProc;
        classStyle = it->second.wc.style;
    }
    HWND h = AllocateWindowHandle();
    WindowRecord rec;
    rec.className = className;
    rec.title = title ? title : "";
    rec.style = style;
    rec.exStyle = exStyle;
    rec.classStyle = classStyle;
    rec.x = x;
    rec.y = y;
    rec.width = width;
    rec.height = height;
    if (!parent) {
        ClaimInstance(className);
        SetInstanceRequestHandler(RemoteRequest);
        rec.sdl = MakeSdlWindow(title, style, width, height);
    }
    {
        std::lock_guard lock(tableMutex);
        windows[h] = rec;
        if (!parent && !mainWindow) mainWindow = h;
    }
    if (rec.sdl) SetPresentWindow(rec.sdl);
    if (!parent) {
        SetEventPump(PumpWindowEvents);
        std::signal(SIGINT, OnCloseSignal);
        std::signal(SIGTERM, OnCloseSignal);
    }
    RegisterWindowProc(h, proc);
    if (SendMessageA(h, WM_CREATE, 0, 0) == -1) {
        DestroyWindow(h);
        return nullptr;
    }
    return h;
}

BOOL DestroyWindow(HWND window) {
    {
        std::lock_guard lock(tableMutex);
        WindowRecord* w = Find(window);
        if (!w || w->remote) return 0;
    }
    SendMessageA(window, WM_DESTROY, 0, 0);
    SDL_Window* sdl = nullptr;
    bool lastMainDestroyed = false;
    {
        std::lock_guard lock(tableMutex);
        if (WindowRecord* w = Find(window)) sdl = w->sdl;
        windows.erase(window);
        if (mainWindow == window) {
            mainWindow = nullptr;
            lastMainDestroyed = true;
        }
    }
    // Once its window is gone, a later copy may start.
    if (lastMainDestroyed) ReleaseInstances();
    RegisterWindowProc(window, nullptr);
    if (sdl) {
        SetPresentWindow(nullptr);
        SDL_DestroyWindow(sdl);
    }
    return 1;
}

BOOL ShowWindow(HWND window, int command) {
    bool firstShow = false;
    SDL_Window* sdl = nullptr;
    int w = 0, h = 0, x = 0, y = 0;
    {
        std::lock_guard lock(tableMutex);
        WindowRecord* rec = Find(window);
        if (!rec) return 0;
        if (rec->remote) {
            if (command == SW_RESTORE || command == SW_SHOWNORMAL)
                SignalRunningInstance(rec->className, InstanceRequest::Restore);
            return 1;
        }
        sdl = rec->sdl;
        rec->visible = command != SW_HIDE;
        rec->minimized = command == SW_MINIMIZE || command == SW_SHOWMINIMIZED;
        firstShow = rec->visible && !rec->shownOnce;
        if (firstShow) rec->shownOnce = true;
        w = rec->width;
        h = rec->height;
        x = rec->x;
        y = rec->y;
    }
    if (sdl) {
        if (command == SW_HIDE)
            SDL_HideWindow(sdl);
        else if (command == SW_MINIMIZE || command == SW_SHOWMINIMIZED)
            SDL_MinimizeWindow(sdl);
        else {
            SDL_ShowWindow(sdl);
            if (command == SW_RESTORE) SDL_RestoreWindow(sdl);
        }
    }
    if (firstShow) {
        // Showing a top-level window activates the application, as the system does.
        SendMessageA(window, WM_SIZE, 0, MakeLParam(w, h));
        SendMessageA(window, WM_MOVE, 0, MakeLParam(x, y));
        SendMessageA(window, WM_ACTIVATEAPP, 1, 0);
        SendMessageA(window, WM_ACTIVATE, WA_ACTIVE, 0);
    }
    return 1;
}

BOOL IsWindow(HWND window) {
    std::lock_guard lock(tableMutex);
    return Find(window) ? 1 : 0;
}

BOOL IsIconic(HWND window) {
    std::lock_guard lock(tableMutex);
    WindowRecord* rec = Find(window);
    if (!rec) return 0;
    // The copy that owns the window knows; it restores only when it is minimised.
    if (rec->remote) return 1;
    if (rec->sdl) return (SDL_GetWindowFlags(rec->sdl) & SDL_WINDOW_MINIMIZED) ? 1 : 0;
    return rec->minimized ? 1 : 0;
}

BOOL SetForegroundWindow(HWND window) {
    std::lock_guard lock(tableMutex);
    WindowRecord* rec = Find(window);
    if (!rec) return 0;
    if (rec->remote) return SignalRunningInstance(rec->className, InstanceRequest::Raise) ? 1 : 0;
    if (rec->sdl) SDL_RaiseWindow(rec->sdl);
    return 1;
}

HWND FindWindowA(const char* className, const char* title) {
    {
        std::lock_guard lock(tableMutex);
        for (auto& [h, rec] : windows) {
            if (rec.remote) continue;
            if (className && Fold(className) != Fold(rec.className.c_str())) continue;
            if (title && rec.title != title) continue;
            return h;
        }
    }
    if (!className || !InstanceRunningElsewhere(className)) return nullptr;
    HWND h = AllocateWindowHandle();
    WindowRecord rec;
    rec.className = className;
    rec.title = title ? title : "";
    rec.remote = true;
    std::lock_guard lock(tableMutex);
    windows[h] = rec;
    return h;
}

BOOL GetClientRect(HWND window, RECT* rect) {
    std::lock_guard lock(tableMutex);
    WindowRecord* rec = Find(window);
    if (!rec || !rect) return 0;
    int w = rec->width, h = rec->height;
    *rect = RECT{0, 0, w, h};
    return 1;
}

BOOL ClientToScreen(HWND window, POINT* point) {
    std::lock_guard lock(tableMutex);
    WindowRecord* rec = Find(window);
    if (!rec || !point) return 0;
    int x = rec->x, y = rec->y;
    if (rec->sdl) SDL_GetWindowPosition(rec->sdl, &x, &y);
    point->x += x;
    point->y += y;
    return 1;
}

BOOL SetWindowTextA(HWND window, const char* text) {
    std::lock_guard lock(tableMutex);
    WindowRecord* rec = Find(window);
    if (!rec) return 0;
    rec->title = text ? text : "";
    if (rec->sdl) SDL_SetWindowTitle(rec->sdl, rec->title.c_str());
    return 1;
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM, LPARAM) {
    if (message == WM_CLOSE) DestroyWindow(window);
    return 0;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC proc = GetWindowProc(window);
    return proc ? proc(window, message, wParam, lParam) : 0;
}

BOOL IsDialogMessageA(HWND, MSG*) {
    return 0;
}

void* BeginPaint(HWND, PAINTSTRUCT* paint) {
    if (paint) *paint = PAINTSTRUCT{};
    return nullptr;
}
BOOL EndPaint(HWND, const PAINTSTRUCT*) {
    return 1;
}

int ShowCursor(BOOL show) {
    const int count = show ? ++cursorCount : --cursorCount;
    if (sdlVideoStarted) SDL_ShowCursor(count >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return count;
}
HCURSOR LoadCursorA(HINSTANCE, const char* name) {
    return const_cast<char*>(name);
}
HCURSOR SetCursor(HCURSOR cursor) {
    if (sdlVideoStarted && cursor) SDL_SetCursor(SDL_GetDefaultCursor());
    return nullptr;
}

int16_t GetKeyState(int vk) {
    if (vk < 0 || vk > 255) return 0;
    return keyDown[static_cast<size_t>(vk)].load() ? static_cast<int16_t>(0x8000) : 0;
}
int16_t GetAsyncKeyState(int vk) {
    return GetKeyState(vk);
}

void* SdlWindowOf(HWND window) {
    std::lock_guard lock(tableMutex);
    WindowRecord* rec = window ? Find(window) : (mainWindow ? Find(mainWindow) : nullptr);
    return rec ? rec->sdl : nullptr;
}

int VirtualKeyFromSdl(int32_t k) {
    if (k >= 'a' && k <= 'z') return k - 'a' + 'A';
    if (k >= '0' && k <= '9') return k;
    switch (k) {
    case SDLK_BACKSPACE:
        return VK_BACK;
    case SDLK_TAB:
        return VK_TAB;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        return VK_RETURN;
    case SDLK_ESCAPE:
        return VK_ESCAPE;
    case SDLK_SPACE:
        return VK_SPACE;
    case SDLK_PAGEUP:
        return VK_PRIOR;
    case SDLK_PAGEDOWN:
        return VK_NEXT;
    case SDLK_END:
        return VK_END;
    case SDLK_HOME:
        return VK_HOME;
    case SDLK_LEFT:
        return VK_LEFT;
    case SDLK_UP:
        return VK_UP;
    case SDLK_RIGHT:
        return VK_RIGHT;
    case SDLK_DOWN:
        return VK_DOWN;
    case SDLK_INSERT:
        return VK_INSERT;
    case SDLK_DELETE:
        return VK_DELETE;
    case SDLK_PAUSE:
        return VK_PAUSE;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
        return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
        return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT:
        return VK_MENU;
    case SDLK_KP_PLUS:
        return VK_ADD;
    case SDLK_KP_MINUS:
        return VK_SUBTRACT;
    default:
        break;
    }
    if (k >= SDLK_F1 && k <= SDLK_F12) return VK_F1 + (k - SDLK_F1);
    return 0;
}

std::string Utf8ToCp950(const std::string& text) {
    // A character CP950 lacks (or broken UTF-8) is not typed at all.
    return Utf8ToBig5(text, true);
}

void HandleRawInput(HWND window, const RawInputEvent& e) {
    switch (e.kind) {
    case RawInputEvent::MouseMove:
        PostMessage(window, WM_MOUSEMOVE, 0, MakeLParam(e.x, e.y));
        break;
    case RawInputEvent::MouseDown:
    case RawInputEvent::MouseUp: {
        const bool down = e.kind == RawInputEvent::MouseDown;
        UINT msg = 0;
        if (e.button == 1) msg = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
        if (e.button == 3) msg = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
        if (msg) PostMessage(window, msg, 0, MakeLParam(e.x, e.y));
        break;
    }
    case RawInputEvent::KeyDown:
        PostKey(window, e, true);
        break;
    case RawInputEvent::KeyUp:
        PostKey(window, e, false);
        break;
    case RawInputEvent::Text:
        for (unsigned char b : Utf8ToCp950(e.text))
            PostMessage(window, WM_CHAR, b, 1);
        break;
    case RawInputEvent::FocusGained:
    case RawInputEvent::FocusLost: {
        const WPARAM on = e.kind == RawInputEvent::FocusGained ? 1 : 0;
        if (!on)
            for (auto& k : keyDown)
                k = false;
        PostMessage(window, WM_ACTIVATEAPP, on, 0);
        PostMessage(window, WM_ACTIVATE, on ? WA_ACTIVE : WA_INACTIVE, 0);
        break;
    }
    case RawInputEvent::Moved:
    case RawInputEvent::Resized: {
        {
            std::lock_guard lock(tableMutex);
            if (WindowRecord* rec = Find(window)) {
                if (e.kind == RawInputEvent::Moved) {
                    rec->x = e.x;
                    rec->y = e.y;
                } else {
                    rec->width = e.x;
                    rec->height = e.y;
                }
            }
        }
        PostMessage(window, e.kind == RawInputEvent::Moved ? WM_MOVE : WM_SIZE, 0, MakeLParam(e.x, e.y));
        break;
    }
    case RawInputEvent::Close:
        // The game-mode class has no close box, but the desktop may still ask the program to end
        // (as the system's task list does): that request takes the program's own quit path.
        PostMessage(window, WM_CLOSE, 0, 0);
        break;
    }
}

namespace {
// A frame period for counting the frames of a run in which nothing is presented.
constexpr uint32_t kIdleFrameMs = 33;
// A gap shorter than this is an ordinary slow frame and counts as none.
constexpr uint32_t kIdleAfterMs = 1000;
} // namespace

uint64_t SeamFrameCount() {
    static uint64_t presented = 0, idleFrames = 0;
    static uint32_t since = timeGetTime();
    const uint64_t now = PresentCount();
    const uint32_t time = timeGetTime();
    // Start-up presents nothing for a while: the count starts with the first frame.
    if (now != presented || now == 0) {
        presented = now;
        since = time;
    } else if (time - since >= kIdleAfterMs) {
        const uint32_t frames = (time - since) / kIdleFrameMs;
        idleFrames += frames;
        since += frames * kIdleFrameMs;
    }
    return presented + idleFrames;
}

void PumpWindowEvents() {
    HWND main = nullptr;
    SDL_Window* sdl = nullptr;
    {
        std::lock_guard lock(tableMutex);
        main = mainWindow;
        if (WindowRecord* rec = main ? Find(main) : nullptr) sdl = rec->sdl;
    }
    if (sdlVideoStarted) {
        SDL_Event ev;
        while (SDL_PollEvent(&ev)) {
            if (!main) continue;
            RawInputEvent e;
            switch (ev.type) {
            case SDL_MOUSEMOTION:
                e.kind = RawInputEvent::MouseMove;
                e.x = ev.motion.x;
                e.y = ev.motion.y;
                break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                e.kind = ev.type == SDL_MOUSEBUTTONDOWN ? RawInputEvent::MouseDown : RawInputEvent::MouseUp;
                e.x = ev.button.x;
                e.y = ev.button.y;
                e.button = ev.button.button == SDL_BUTTON_RIGHT  ? 3
                           : ev.button.button == SDL_BUTTON_LEFT ? 1
                                                                 : 0;
                break;
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                e.kind = ev.type == SDL_KEYDOWN ? RawInputEvent::KeyDown : RawInputEvent::KeyUp;
                e.virtualKey = VirtualKeyFromSdl(ev.key.keysym.sym);
                e.altDown = (ev.key.keysym.mod & KMOD_ALT) != 0;
                break;
            case SDL_TEXTINPUT:
                e.kind = RawInputEvent::Text;
                e.text = ev.text.text;
                break;
            case SDL_QUIT:
                e.kind = RawInputEvent::Close;
                break;
            case SDL_WINDOWEVENT:
                switch (ev.window.event) {
                case SDL_WINDOWEVENT_FOCUS_GAINED:
                    e.kind = RawInputEvent::FocusGained;
                    break;
                case SDL_WINDOWEVENT_FOCUS_LOST:
                    e.kind = RawInputEvent::FocusLost;
                    break;
                case SDL_WINDOWEVENT_MOVED:
                    e.kind = RawInputEvent::Moved;
                    e.x = ev.window.data1;
                    e.y = ev.window.data2;
                    break;
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                    e.kind = RawInputEvent::Resized;
                    e.x = ev.window.data1;
                    e.y = ev.window.data2;
                    break;
                case SDL_WINDOWEVENT_CLOSE:
                    e.kind = RawInputEvent::Close;
                    break;
                default:
                    continue;
                }
                break;
            default:
                continue;
            }
            HandleRawInput(main, e);
        }
    }
    if (sdl && restoreRequested.exchange(false) && (SDL_GetWindowFlags(sdl) & SDL_WINDOW_MINIMIZED))
        SDL_RestoreWindow(sdl);
    if (sdl && raiseRequested.exchange(false)) SDL_RaiseWindow(sdl);
    FlushPendingPresent();
    if (!main) return;
    if (closeSignalled) {
        closeSignalled = 0;
        PostMessage(main, WM_CLOSE, 0, 0);
    }
    // KARDOL_FRAMES=N: close the main window once N frames have been presented, or have passed
    // while none is (a paused game presents nothing).
    static const long frameLimit = [] {
        const char* f = std::getenv("KARDOL_FRAMES");
        return f ? std::strtol(f, nullptr, 10) : 0L;
    }();
    if (frameLimit > 0 && !framesClosePosted && SeamFrameCount() >= static_cast<uint64_t>(frameLimit)) {
        framesClosePosted = true;
        PostMessage(main, WM_CLOSE, 0, 0);
    }
    // KARDOL_POINTER=x,y[,n]: the pointer moves to (x, y) once n frames (default 1) have been
    // presented, as if the player had moved the mouse there.
    static PointerScript pointer = ReadPointerScript(std::getenv("KARDOL_POINTER"));
    if (pointer.valid && !pointer.done && PresentCount() >= static_cast<uint64_t>(pointer.afterFrames)) {
        pointer.done = true;
        RawInputEvent e;
        e.kind = RawInputEvent::MouseMove;
        e.x = pointer.x;
        e.y = pointer.y;
        HandleRawInput(main, e);
    }
    // KARDOL_INPUT: the scripted clicks, keys and text, each once its frame has been presented.
    static const std::vector<InputStep> script =
        ReadInputScript(std::getenv("KARDOL_INPUT")).value_or(std::vector<InputStep>{});
    static size_t nextStep = 0;
    // Where the steps count from: the start, or the moment the last await was met.
    static uint64_t fromFrame = 0;
    static uint32_t fromTime = ProgramStartTime;
    auto due = [](const InputStep& step) {
        const bool reached = step.inMilliseconds
                                 ? PresentCount() > 0 && uint64_t(timeGetTime() - fromTime) >= step.after
                                 : PresentCount() - fromFrame >= step.after;
        return reached && (step.kind != InputStep::Await || ScriptMark(step.text.c_str()) == step.key);
    };
    while (nextStep < script.size() && due(script[nextStep])) {
        const InputStep& step = script[nextStep++];
        if (step.kind == InputStep::Await) {
            fromFrame = PresentCount();
            fromTime = timeGetTime();
        }
        RunInputStep(main, step);
    }
}

namespace {
const std::pair<int, int> kScriptModifierKeys[] = {
    {InputStep::Ctrl, VK_CONTROL}, {InputStep::Shift, VK_SHIFT}, {InputStep::Alt, VK_MENU}};
} // namespace

void ReleaseScriptedModifiers(HWND window, int modifiers) {
    RawInputEvent e;
    e.kind = RawInputEvent::KeyUp;
    for (const auto& [bit, vk] : kScriptModifierKeys)
        if (modifiers & bit) {
            e.virtualKey = vk;
            HandleRawInput(window, e);
        }
}

void RunInputStep(HWND main, const InputStep& step) {
    RawInputEvent e;
    e.x = step.x;
    e.y = step.y;
    switch (step.kind) {
    case InputStep::Move:
    case InputStep::Click:
    case InputStep::RightClick:
        e.kind = RawInputEvent::MouseMove;
        HandleRawInput(main, e);
        if (step.kind == InputStep::Move) break;
        e.button = step.kind == InputStep::Click ? 1 : 3;
        e.kind = RawInputEvent::MouseDown;
        HandleRawInput(main, e);
        e.kind = RawInputEvent::MouseUp;
        HandleRawInput(main, e);
        break;
    case InputStep::Key: {
        RawInputEvent held;
        held.kind = RawInputEvent::KeyDown;
        for (const auto& [bit, vk] : kScriptModifierKeys)
            if (step.modifiers & bit) {
                held.virtualKey = vk;
                HandleRawInput(main, held);
            }
        e.virtualKey = step.key;
        e.altDown = (step.modifiers & InputStep::Alt) != 0;
        e.kind = RawInputEvent::KeyDown;
        HandleRawInput(main, e);
        e.kind = RawInputEvent::KeyUp;
        HandleRawInput(main, e);
        if (step.modifiers) PostMessage(main, WM_SCRIPTED_MODIFIERS_UP, WPARAM(step.modifiers), 0);
        break;
    }
    case InputStep::Text:
        e.kind = RawInputEvent::Text;
        e.text = step.text;
        HandleRawInput(main, e);
        break;
    case InputStep::Close:
        // As the desktop asks: through the same way as the window's own close request.
        e.kind = RawInputEvent::Close;
        HandleRawInput(main, e);
        break;
    case InputStep::Await:
        break;
    }
}

PointerScript ReadPointerScript(const char* text) {
    PointerScript p;
    if (!text || !*text) return p;
    int x = 0, y = 0, n = 1, used = 0;
    const int got = std::sscanf(text, "%d,%d%n,%d%n", &x, &y, &used, &n, &used);
    if (got < 2 || text[used] != 0 || x < 0 || y < 0 || n < 0) return p;
    p.valid = true;
    p.x = x;
    p.y = y;
    p.afterFrames = n;
    return p;
}

void ResetWindowsForTest() {
    std::lock_guard lock(tableMutex);
    for (auto& [h, rec] : windows)
        if (rec.sdl) SDL_DestroyWindow(rec.sdl);
    windows.clear();
    classes.clear();
    mainWindow = nullptr;
    framesClosePosted = false;
    for (auto& k : keyDown)
        k = false;
}

} // namespace platform
