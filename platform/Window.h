#pragma once

#include "platform/InputScript.h"
#include "platform/Messages.h"
#include "platform/Surface.h"

#include <cstdint>
#include <string>

// Windows in the Win32 manner: registered classes, a table of windows with their procedures,
// and the one real window of the game. The main window is an SDL window (desktop full screen
// with an 800x600 logical size in game mode, a plain window in editor mode, none headless);
// its events become the messages a window procedure expects.
namespace platform {

using HINSTANCE = void*;
using HICON = void*;
using HCURSOR = void*;
using HBRUSH = void*;
using HMENU = void*;
using ATOM = uint16_t;

constexpr UINT CS_VREDRAW = 0x1;
constexpr UINT CS_HREDRAW = 0x2;
constexpr UINT CS_DBLCLKS = 0x8;
constexpr UINT CS_NOCLOSE = 0x200;

constexpr uint32_t WS_OVERLAPPEDWINDOW = 0x00CF0000;
constexpr uint32_t WS_POPUP = 0x80000000;
constexpr uint32_t WS_VISIBLE = 0x10000000;
constexpr uint32_t WS_EX_APPWINDOW = 0x00040000;

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_RESTORE = 9;

constexpr WPARAM WA_INACTIVE = 0;
constexpr WPARAM WA_ACTIVE = 1;

// Virtual-key codes the game reads.
constexpr int VK_BACK = 0x08;
constexpr int VK_TAB = 0x09;
constexpr int VK_RETURN = 0x0D;
constexpr int VK_SHIFT = 0x10;
constexpr int VK_CONTROL = 0x11;
constexpr int VK_MENU = 0x12;
constexpr int VK_PAUSE = 0x13;
constexpr int VK_ESCAPE = 0x1B;
constexpr int VK_SPACE = 0x20;
constexpr int VK_PRIOR = 0x21;
constexpr int VK_NEXT = 0x22;
constexpr int VK_END = 0x23;
constexpr int VK_HOME = 0x24;
constexpr int VK_LEFT = 0x25;
constexpr int VK_UP = 0x26;
constexpr int VK_RIGHT = 0x27;
constexpr int VK_DOWN = 0x28;
constexpr int VK_INSERT = 0x2D;
constexpr int VK_DELETE = 0x2E;
constexpr int VK_F1 = 0x70;
constexpr int VK_F12 = 0x7B;
constexpr int VK_ADD = 0x6B;
constexpr int VK_SUBTRACT = 0x6D;

struct WNDCLASSA {
    UINT style = 0;
    WNDPROC lpfnWndProc = nullptr;
    int cbClsExtra = 0;
    int cbWndExtra = 0;
    HINSTANCE hInstance = nullptr;
    HICON hIcon = nullptr;
    HCURSOR hCursor = nullptr;
    HBRUSH hbrBackground = nullptr;
    const char* lpszMenuName = nullptr;
    const char* lpszClassName = nullptr;
};

struct PAINTSTRUCT {
    void* hdc = nullptr;
    BOOL fErase = 0;
    RECT rcPaint{};
};

ATOM RegisterClassA(const WNDCLASSA* windowClass);
// Sends WM_CREATE before it returns; null when the class is unknown or WM_CREATE answers -1.
HWND CreateWindowExA(uint32_t exStyle, const char* className, const char* title, uint32_t style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, void* param);
// Sends WM_DESTROY, then forgets the window.
BOOL DestroyWindow(HWND window);
// The first show of a top-level window activates it (WM_ACTIVATEAPP and WM_ACTIVATE, sent).
BOOL ShowWindow(HWND window, int command);
BOOL IsWindow(HWND window);
BOOL IsIconic(HWND window);
BOOL SetForegroundWindow(HWND window);
// A window of this process, or one standing for the copy of the game that holds the class's
// single-instance lock (restore and raise requests then go to that copy).
HWND FindWindowA(const char* className, const char* title);
BOOL GetClientRect(HWND window, RECT* rect);
BOOL ClientToScreen(HWND window, POINT* point);
BOOL SetWindowTextA(HWND window, const char* text);
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Calls the window procedure at once, on the calling thread.
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The modeless dialogs of the editor take keyboard messages here; 0 when the message is not theirs.
BOOL IsDialogMessageA(HWND dialog, MSG* msg);
void* BeginPaint(HWND window, PAINTSTRUCT* paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);

// Cursor: the game draws its own in game mode and hides the system one.
int ShowCursor(BOOL show);
HCURSOR LoadCursorA(HINSTANCE instance, const char* name);
HCURSOR SetCursor(HCURSOR cursor);
extern const char* const IDC_ARROW;

// Our own keyboard state, kept from the key events (bit 0x8000 while down).
int16_t GetKeyState(int virtualKey);
int16_t GetAsyncKeyState(int virtualKey);

// True when there is no display: KARDOL_HEADLESS=1 or no video device.
bool IsHeadless();
// The SDL window behind a window handle (void* to keep SDL out of callers), or null.
void* SdlWindowOf(HWND window);

// Moves the events of the real window into the message queue. Returns at once when nothing
// waits; the message loop calls it before it takes a message.
void PumpWindowEvents();

// Input in a backend-neutral form; the SDL pump and tests feed it.
struct RawInputEvent {
    enum Kind {
        MouseMove,
        MouseDown,
        MouseUp,
        KeyDown,
        KeyUp,
        Text,
        FocusGained,
        FocusLost,
        Moved,
        Resized,
        Close
    };
    Kind kind = MouseMove;
    int x = 0; // client (logical) coordinates, or the new position or size
    int y = 0;
    int button = 1;       // 1 left, 3 right
    int virtualKey = 0;   // for key events
    bool altDown = false; // a key pressed with Alt becomes WM_SYSKEYDOWN / WM_SYSKEYUP
    std::string text;     // UTF-8 for Text
};
void HandleRawInput(HWND window, const RawInputEvent& event);
// The virtual-key code of an SDL keycode; 0 for keys the game does not know.
int VirtualKeyFromSdl(int32_t sdlKeycode);
// Converts UTF-8 text to the CP950 bytes that the game receives one WM_CHAR each.
std::string Utf8ToCp950(const std::string& text);

// The scripted pointer move of KARDOL_POINTER ("x,y" or "x,y,frames"); not valid when the text
// is missing or not of that form.
struct PointerScript {
    bool valid = false;
    bool done = false;
    int x = 0;
    int y = 0;
    int afterFrames = 1;
};
PointerScript ReadPointerScript(const char* text);
// Posts the messages of one step of the scripted input (KARDOL_INPUT) to the window.
void RunInputStep(HWND window, const InputStep& step);
// Posted behind a scripted key that has modifiers (wParam: their InputStep bits): the game reads
// the key state when it handles the key, so the modifiers are released only when this message is
// dispatched, after the key.
constexpr UINT WM_SCRIPTED_MODIFIERS_UP = 0x7FF0;
void ReleaseScriptedModifiers(HWND window, int modifiers);
// The frames that KARDOL_FRAMES counts: those presented, and while none is presented for a second
// or more after the first, one for every 33 ms that pass.
uint64_t SeamFrameCount();

// Test seam: forgets every class and window and the keyboard state.
void ResetWindowsForTest();

} // namespace platform
