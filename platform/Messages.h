#pragma once

#include <cstddef>
#include <cstdint>

// The window message queue. The game has one thread that owns windows, so there is one queue;
// any thread may post to it, and the owning thread takes messages off it and dispatches them to the
// window procedure registered for the target window.
namespace platform {

struct WindowHandle;
using HWND = WindowHandle*;
using UINT = uint32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using BOOL = int32_t;

struct POINT {
    int32_t x;
    int32_t y;
};

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    uint32_t time; // timeGetTime when posted
    POINT pt;
};

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

// Message ids, with the numeric values the game's code and data rely on.
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_ACTIVATEAPP = 0x001C;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_SYSCHAR = 0x0106;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MOUSEWHEEL = 0x020A;
constexpr UINT MM_MCINOTIFY = 0x03B9;
constexpr UINT WM_USER = 0x0400;

// PeekMessage removal flags.
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

// A new distinct window handle (never null); the window layer makes its windows with it.
HWND AllocateWindowHandle();
// The procedure that DispatchMessage calls for the window; null removes it.
void RegisterWindowProc(HWND window, WNDPROC proc);
WNDPROC GetWindowProc(HWND window);

// Queues a message for the window (null: for the thread). Never blocks; returns 1.
BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Asks the loop to end: a WM_QUIT with the exit code in wParam comes out of the queue once no
// other message is waiting.
void PostQuitMessage(int exitCode);

// Takes (PM_REMOVE) or looks at (PM_NOREMOVE) the first message for the window (null: any) with an
// id in min..max (0, 0: any). A quit request is found whatever the filter. 0 when none waits.
BOOL PeekMessage(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
// As PeekMessage with PM_REMOVE, but waits until a message comes. 0 for WM_QUIT, -1 for a null
// msg, otherwise non-zero.
BOOL GetMessage(MSG* msg, HWND window, UINT filterMin, UINT filterMax);
// Makes character messages from key messages: Backspace, Tab, Enter and Escape give their control
// codes; printable characters come from text input, which the window layer posts as WM_CHAR.
// Returns 1 when it posted a character.
BOOL TranslateMessage(const MSG* msg);
// Calls the window procedure of msg->hwnd; 0 when it has none.
LRESULT DispatchMessage(const MSG* msg);

// The window layer's event pump, run before PeekMessage and GetMessage look at the queue (and
// every few milliseconds while GetMessage waits). Null: none.
void SetEventPump(void (*pump)());

// Drops every waiting message, the quit request and the window procedures (for tests).
void ResetMessageQueue();

} // namespace platform
