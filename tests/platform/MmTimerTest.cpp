#include "platform/MmTimer.h"
#include "support/WaitFor.h"

#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

using namespace platform;
using namespace std::chrono_literals;

namespace {

struct Probe {
    std::atomic<int> calls{0};
    std::atomic<int> inside{0};
    std::atomic<int> overlaps{0};
    std::atomic<uint32_t> selfKillAt{0};
    std::atomic<int> killResult{-1};
    std::chrono::milliseconds work{0};
};

void Callback(uint32_t id, uint32_t, uintptr_t user, uintptr_t, uintptr_t) {
    auto* p = reinterpret_cast<Probe*>(user);
    if (p->inside.fetch_add(1) != 0) p->overlaps++;
    int n = ++p->calls;
    if (p->work.count()) std::this_thread::sleep_for(p->work);
    if (p->selfKillAt && n == static_cast<int>(p->selfKillAt)) p->killResult = timeKillEvent(id);
    p->inside--;
}

template <class Pred>
bool WaitFor(Pred pred) {
    return testsupport::WaitFor(pred, 2000ms);
}

} // namespace

TEST(MmTimerTest, PeriodicTicksUntilKilledAndKillTwiceFails) {
    Probe p;
    MMRESULT id = timeSetEvent(2, 0, Callback, reinterpret_cast<uintptr_t>(&p), TIME_PERIODIC);
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(WaitFor([&] { return p.calls >= 5; }));
    EXPECT_EQ(timeKillEvent(id), TIMERR_NOERROR);
    int after = p.calls;
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(p.calls, after);
    EXPECT_EQ(timeKillEvent(id), MMSYSERR_INVALPARAM);
}

TEST(MmTimerTest, OneShotFiresOnceAndThenIsGone) {
    Probe p;
    MMRESULT id = timeSetEvent(1, 0, Callback, reinterpret_cast<uintptr_t>(&p), TIME_ONESHOT);
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(WaitFor([&] { return p.calls == 1; }));
    std::this_thread::sleep_for(10ms);
    EXPECT_EQ(p.calls, 1);
    ASSERT_TRUE(WaitFor([&] { return timeKillEvent(id) == MMSYSERR_INVALPARAM; }));
}

TEST(MmTimerTest, SlowCallbacksNeverOverlap) {
    Probe p;
    p.work = 5ms;
    MMRESULT id = timeSetEvent(1, 0, Callback, reinterpret_cast<uintptr_t>(&p), TIME_PERIODIC);
    ASSERT_TRUE(WaitFor([&] { return p.calls >= 6; }));
    timeKillEvent(id);
    EXPECT_EQ(p.overlaps, 0);
}

TEST(MmTimerTest, KillFromInsideOwnCallbackReturnsAndStopsTicks) {
    Probe p;
    p.selfKillAt = 3;
    MMRESULT id = timeSetEvent(1, 0, Callback, reinterpret_cast<uintptr_t>(&p), TIME_PERIODIC);
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(WaitFor([&] { return p.killResult != -1; }));
    EXPECT_EQ(p.killResult, static_cast<int>(TIMERR_NOERROR));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(p.calls, 3);
}

TEST(MmTimerTest, KillFromOtherThreadWaitsForRunningCallback) {
    for (int round = 0; round < 20; ++round) {
        Probe p;
        p.work = 3ms;
        MMRESULT id = timeSetEvent(1, 0, Callback, reinterpret_cast<uintptr_t>(&p), TIME_PERIODIC);
        ASSERT_TRUE(WaitFor([&] { return p.calls >= 1; }));
        timeKillEvent(id);
        EXPECT_EQ(p.inside, 0) << "round " << round;
    }
}

TEST(MmTimerTest, CreationFailureGivesZero) {
    SetTimerCreationFailsForTests(true);
    Probe p;
    EXPECT_EQ(timeSetEvent(5, 0, Callback, reinterpret_cast<uintptr_t>(&p), TIME_PERIODIC), 0u);
    SetTimerCreationFailsForTests(false);
    EXPECT_EQ(timeSetEvent(5, 0, nullptr, 0, TIME_PERIODIC), 0u);
}
