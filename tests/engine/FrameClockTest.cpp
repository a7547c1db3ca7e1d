#include "engine/FrameClock.h"

#include "platform/Time.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

// Steps the clock every `step` ms from `from` up to `until` and returns the times at which a period
// passed.
std::vector<uint32_t> PeriodTimes(Zu_FrameClock& clock, platform::ManualClock& time, uint32_t from,
                                  uint32_t step, uint32_t until) {
    std::vector<uint32_t> times;
    for (uint32_t t = from + step; t <= until; t += step) {
        time.Set(t);
        clock.Tick();
        if (clock.fired & 1) times.push_back(t);
    }
    return times;
}

TEST(FrameClock, PeriodsFollowTheRateWithAndWithoutCatchUp) {
    struct Case {
        uint32_t flags;
        std::vector<uint32_t> periods;
        uint32_t last;
    };
    const Case cases[] = {
        {0, {400, 800, 1200}, 1200},
        {1, {400, 700, 1000}, 999}, // `last` moves by the truncated period, 333 ms
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        platform::ManualClock time(0);
        Zu_FrameClock clock;
        EXPECT_EQ(clock.rate, 90.0f);
        clock.Reset(90.0f, c.flags);
        EXPECT_EQ(PeriodTimes(clock, time, 0, 100, 1200), c.periods);
        EXPECT_EQ(clock.last, c.last);
        EXPECT_EQ(clock.Elapsed(), c.last);
    }

    // The session's rate of 480 gives a period of 62.5 ms.
    platform::ManualClock time(5000);
    Zu_FrameClock clock;
    clock.Reset(480.0f, 1);
    EXPECT_EQ(PeriodTimes(clock, time, 5000, 32, 5000 + 32 * 4), (std::vector<uint32_t>{5064, 5128}));
    EXPECT_EQ(clock.Elapsed(), 124u);
}

TEST(FrameClock, DividersFireOnEveryNthPeriodAndFlipTheirToggleBit) {
    platform::ManualClock time(0);
    Zu_FrameClock clock;
    std::vector<int> divider2;
    std::vector<int> divider31;
    for (int period = 1; period <= 64; ++period) {
        time.Advance(334);
        clock.Tick();
        ASSERT_TRUE(clock.fired & 1) << period;
        if (clock.fired & (1u << 2)) divider2.push_back(period);
        if (clock.fired & (1u << 31)) divider31.push_back(period);
        if (period == 9) {
            EXPECT_EQ(divider2, (std::vector<int>{3, 6, 9}));
            EXPECT_EQ(clock.fireCount[2], 3u);
            EXPECT_EQ((clock.toggle >> 2) & 1, 1u); // flipped three times
            EXPECT_EQ(clock.toggle & 1, 1u);        // flipped nine times
        }
    }
    EXPECT_EQ(divider31, (std::vector<int>{32, 64}));
    EXPECT_EQ(clock.fireCount[0], 64u);

    // A step without a period clears the fired mask and keeps the toggles.
    const uint32_t toggle = clock.toggle;
    time.Advance(10);
    clock.Tick();
    EXPECT_EQ(clock.fired, 0u);
    EXPECT_EQ(clock.toggle, toggle);

    clock.Reset(90.0f, 0);
    EXPECT_EQ(clock.fireCount[0], 0u);
    EXPECT_EQ(clock.toggle, 0u);
    EXPECT_EQ(clock.Elapsed(), 0u);
}

TEST(FrameClock, FramesPerSecondFromTheStepLength) {
    struct Case {
        uint32_t delta;
        int32_t fps;
        uint32_t framesPerStep;
    };
    const Case cases[] = {
        {0, 30, 2}, {50, 20, 2}, {10, 100, 1}, {33, 30, 2}, {1001, 0, 30}, {1, 1000, 1},
    };
    platform::ManualClock time(100);
    Zu_FrameClock clock;
    clock.Tick();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.delta);
        time.Advance(c.delta);
        clock.Tick();
        EXPECT_EQ(clock.fps, c.fps);
        EXPECT_EQ(clock.framesPerStep, c.framesPerStep);
    }
}

TEST(FrameClock, RampRisesOnDividerZeroAndReportsItsFlags) {
    platform::ManualClock time(0);
    Zu_FrameClock clock;
    clock.SetRamp(2, 1, 3);
    struct Expect {
        uint16_t counter;
        uint16_t level;
        uint32_t flags;
    };
    const Expect periods[] = {{1, 0, 3}, {2, 1, 1}, {3, 2, 5}, {4, 2, 4}, {5, 3, 4}};
    for (const auto& e : periods) {
        time.Advance(50);
        clock.Tick(); // no period: flags cleared, nothing counted
        EXPECT_EQ(clock.rampFlags, 0u);
        time.Advance(300);
        clock.Tick();
        EXPECT_EQ(clock.rampCounter, e.counter);
        EXPECT_EQ(clock.rampLevel, e.level);
        EXPECT_EQ(clock.rampFlags, e.flags);
    }
    EXPECT_EQ(clock.rampThreshold, 8);
    EXPECT_EQ(clock.rampStep, 4);

    clock.SetRamp(0, 0, 100);
    clock.rampLevel = 30;
    for (int i = 0; i < 3; ++i) {
        time.Advance(334);
        clock.Tick();
        EXPECT_EQ(clock.rampLevel, 31); // stops at the last divider
    }

    clock.Reset(480.0f, 1);
    clock.Restart();
    EXPECT_EQ(clock.rate, 480.0f);
    EXPECT_EQ(clock.flags, 0u);
    EXPECT_EQ(clock.rampCounter, 0);
    EXPECT_EQ(clock.rampLevel, 0);
}

TEST(FrameClock, CountdownExpiresOnceAndStaysExpired) {
    platform::ManualClock time(0xFFFFF000u); // across the timer's wrap
    Zu_FrameClock clock;
    EXPECT_EQ(clock.CountdownExpired(), 1);
    clock.StartCountdown(20);
    EXPECT_EQ(clock.CountdownExpired(), 0);
    time.Advance(19999);
    EXPECT_EQ(clock.CountdownExpired(), 0);
    time.Advance(1);
    EXPECT_EQ(clock.CountdownExpired(), 1);
    EXPECT_EQ(clock.countdownActive, 0);
    EXPECT_EQ(clock.CountdownExpired(), 1);

    clock.StartCountdown(1);
    time.Set(time.Now() - 5); // a clock read before the start compares as negative
    EXPECT_EQ(clock.CountdownExpired(), 0);

    time.SetStepPerRead(100);
    EXPECT_GE(clock.WaitSeconds(2), 2000u);
}

} // namespace
