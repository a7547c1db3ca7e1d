#include "platform/Time.h"

#include <gtest/gtest.h>

using namespace platform;

namespace {

TEST(Time, RealClockIsMonotonicAndSleepWaits) {
    const uint32_t before = timeGetTime();
    Sleep(25);
    const uint32_t after = timeGetTime();
    EXPECT_GE(static_cast<uint32_t>(after - before), 24u);
    EXPECT_LT(static_cast<uint32_t>(after - before), 5000u);
    EXPECT_GT(platform::time(), 1600000000);
}

TEST(Time, ManualClockDrivesEveryClockAndWraps) {
    {
        ManualClock clock(0xFFFFFFF0u);
        EXPECT_EQ(timeGetTime(), 0xFFFFFFF0u);
        clock.Advance(0x20);
        EXPECT_EQ(timeGetTime(), 0x10u); // wraps; differences stay right
        clock.Set(5000);
        EXPECT_EQ(platform::time(), 1000000005);

        clock.SetStepPerRead(7);
        EXPECT_EQ(timeGetTime(), 5000u);
        EXPECT_EQ(timeGetTime(), 5007u);
        EXPECT_EQ(clock.Now(), 5014u);
    }
    {
        ManualClock clock(61250, 0, 0); // 1970-01-01 00:01:01.250, a Thursday
        SYSTEMTIME t{};
        GetSystemTime(&t);
        EXPECT_EQ(t.wYear, 1970);
        EXPECT_EQ(t.wMonth, 1);
        EXPECT_EQ(t.wDay, 1);
        EXPECT_EQ(t.wDayOfWeek, 4);
        EXPECT_EQ(t.wHour, 0);
        EXPECT_EQ(t.wMinute, 1);
        EXPECT_EQ(t.wSecond, 1);
        EXPECT_EQ(t.wMilliseconds, 250);
    }
    // Back on the machine's clock.
    EXPECT_GT(platform::time(), 1600000000);
}

} // namespace
