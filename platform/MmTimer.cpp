#include "platform/MmTimer.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace platform {
namespace {

struct Timer {
    uint32_t id = 0;
    std::chrono::milliseconds period{1};
    bool periodic = false;
    LPTIMECALLBACK callback = nullptr;
    uintptr_t user = 0;
    std::mutex mutex;
    std::condition_variable wake;
    bool cancelled = false;
    std::thread thread;
};

// The table owns every live timer; whoever takes a timer out of it owns its thread.
std::mutex tableMutex;
std::map<uint32_t, std::shared_ptr<Timer>> timers;
uint32_t nextId = 1;
std::atomic<bool> creationFails{false};

void Run(std::shared_ptr<Timer> timer) {
    using Clock = std::chrono::steady_clock;
    auto due = Clock::now() + timer->period;
    std::unique_lock lock(timer->mutex);
    while (!timer->cancelled) {
        if (timer->wake.wait_until(lock, due, [&] { return timer->cancelled; })) break;
        lock.unlock();
        timer->callback(timer->id, 0, timer->user, 0, 0);
        lock.lock();
        if (!timer->periodic) break;
        // Late ticks are dropped so callbacks never pile up behind a slow one.
        auto now = Clock::now();
        due += timer->period;
        if (due < now) due = now + timer->period;
    }
    lock.unlock();
    std::lock_guard table(tableMutex);
    auto it = timers.find(timer->id);
    if (it != timers.end() && it->second == timer) {
        // Nobody killed it (a one-shot that fired): nobody will join, so let the thread go.
        timers.erase(it);
        timer->thread.detach();
    }
}

} // namespace

MMRESULT timeSetEvent(uint32_t delayMs, uint32_t, LPTIMECALLBACK callback, uintptr_t user, uint32_t flags) {
    if (!callback || creationFails) return 0;
    auto timer = std::make_shared<Timer>();
    timer->period = std::chrono::milliseconds(delayMs ? delayMs : 1);
    timer->periodic = (flags & TIME_PERIODIC) != 0;
    timer->callback = callback;
    timer->user = user;
    std::lock_guard table(tableMutex);
    do {
        timer->id = nextId++;
    } while (timer->id == 0 || timers.count(timer->id));
    timers[timer->id] = timer;
    // Started under the table lock, so the thread cannot look itself up before it is stored.
    timer->thread = std::thread(Run, timer);
    return timer->id;
}

MMRESULT timeKillEvent(MMRESULT timerId) {
    std::shared_ptr<Timer> timer;
    {
        std::lock_guard table(tableMutex);
        auto it = timers.find(timerId);
        if (it == timers.end()) return MMSYSERR_INVALPARAM;
        timer = it->second;
        timers.erase(it);
    }
    {
        std::lock_guard lock(timer->mutex);
        timer->cancelled = true;
    }
    timer->wake.notify_all();
    if (timer->thread.get_id() == std::this_thread::get_id())
        timer->thread.detach(); // inside its own callback: the thread ends when the callback returns
    else if (timer->thread.joinable())
        timer->thread.join();
    return TIMERR_NOERROR;
}

void SetTimerCreationFailsForTests(bool fails) {
    creationFails = fails;
}

} // namespace platform
