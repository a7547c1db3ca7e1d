#include "platform/Messages.h"

#include "platform/Time.h"
#include "platform/Window.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <unordered_map>

namespace platform {

namespace {

struct Queue {
    std::mutex lock;
    std::condition_variable arrived;
    std::deque<MSG> messages;
    bool quitPending = false;
    int quitCode = 0;
    std::unordered_map<HWND, WNDPROC> procs;
};

Queue& TheQueue() {
    static Queue queue;
    return queue;
}

std::atomic<uintptr_t> nextHandle{0x1000};
std::atomic<void (*)()> eventPump{nullptr};

// Lets the window layer move the real window's events into the queue before a take.
void RunPump() {
    if (auto pump = eventPump.load()) pump();
}

bool Matches(const MSG& m, HWND window, UINT filterMin, UINT filterMax) {
    if (window && m.hwnd != window) return false;
    if (filterMin == 0 && filterMax == 0) return true;
    return m.message >= filterMin && m.message <= filterMax;
}

// Finds the next message under the queue's lock.
bool Take(Queue& q, MSG* msg, HWND window, UINT filterMin, UINT filterMax, bool remove) {
    for (auto it = q.messages.begin(); it != q.messages.end(); ++it) {
        if (!Matches(*it, window, filterMin, filterMax)) continue;
        *msg = *it;
        if (remove) q.messages.erase(it);
        return true;
    }
    if (q.quitPending && q.messages.empty()) {
        *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(q.quitCode), 0, timeGetTime(), {0, 0}};
        if (remove) q.quitPending = false;
        return true;
    }
    return false;
}

} // namespace

HWND AllocateWindowHandle() {
    return reinterpret_cast<HWND>(nextHandle.fetch_add(0x10));
}

void RegisterWindowProc(HWND window, WNDPROC proc) {
    Queue& q = TheQueue();
    std::lock_guard guard(q.lock);
    if (proc) {
        q.procs[window] = proc;
    } else {
        q.procs.erase(window);
    }
}

WNDPROC GetWindowProc(HWND window) {
    Queue& q = TheQueue();
    std::lock_guard guard(q.lock);
    auto it = q.procs.find(window);
    return it == q.procs.end() ? nullptr : it->second;
}

BOOL PostMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Queue& q = TheQueue();
    {
        std::lock_guard guard(q.lock);
        q.messages.push_back(MSG{window, message, wParam, lParam, timeGetTime(), {0, 0}});
    }
    q.arrived.notify_all();
    return 1;
}

void PostQuitMessage(int exitCode) {
    Queue& q = TheQueue();
    {
        std::lock_guard guard(q.lock);
        q.quitPending = true;
        q.quitCode = exitCode;
    }
    q.arrived.notify_all();
}

BOOL PeekMessage(MSG* msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
    if (!msg) return 0;
    RunPump();
    Queue& q = TheQueue();
    std::lock_guard guard(q.lock);
    return Take(q, msg, window, filterMin, filterMax, (removeFlags & PM_REMOVE) != 0) ? 1 : 0;
}

BOOL GetMessage(MSG* msg, HWND window, UINT filterMin, UINT filterMax) {
    if (!msg) return -1;
    Queue& q = TheQueue();
    if (!eventPump.load()) {
        std::unique_lock guard(q.lock);
        q.arrived.wait(guard, [&] { return Take(q, msg, window, filterMin, filterMax, true); });
        return msg->message == WM_QUIT ? 0 : 1;
    }
    // With a real window its events are polled, so the wait is short.
    for (;;) {
        RunPump();
        std::unique_lock guard(q.lock);
        if (q.arrived.wait_for(guard, std::chrono::milliseconds(4),
                               [&] { return Take(q, msg, window, filterMin, filterMax, true); }))
            return msg->message == WM_QUIT ? 0 : 1;
    }
}

// Printable characters arrive as text input (one WM_CHAR per CP950 byte); the keys whose
// characters are control codes become WM_CHAR here. The character goes to the front of the queue:
// keys typed after this one may already wait there, and their characters must come after it.
BOOL TranslateMessage(const MSG* msg) {
    if (!msg || msg->message != WM_KEYDOWN) return 0;
    switch (msg->wParam) {
    case 0x08:   // Backspace
    case 0x09:   // Tab
    case 0x0D:   // Enter
    case 0x1B: { // Escape
        Queue& q = TheQueue();
        {
            std::lock_guard guard(q.lock);
            q.messages.push_front(MSG{msg->hwnd, WM_CHAR, msg->wParam, msg->lParam, timeGetTime(), {0, 0}});
        }
        q.arrived.notify_all();
        return 1;
    }
    default:
        return 0;
    }
}

void SetEventPump(void (*pump)()) {
    eventPump = pump;
}

LRESULT DispatchMessage(const MSG* msg) {
    if (!msg || !msg->hwnd) return 0;
    if (msg->message == WM_SCRIPTED_MODIFIERS_UP) {
        ReleaseScriptedModifiers(msg->hwnd, int(msg->wParam));
        return 0;
    }
    const WNDPROC proc = GetWindowProc(msg->hwnd);
    // Called without the lock: a procedure may post, peek or pump messages itself.
    return proc ? proc(msg->hwnd, msg->message, msg->wParam, msg->lParam) : 0;
}

void ResetMessageQueue() {
    Queue& q = TheQueue();
    std::lock_guard guard(q.lock);
    q.messages.clear();
    q.quitPending = false;
    q.quitCode = 0;
    q.procs.clear();
}

} // namespace platform
