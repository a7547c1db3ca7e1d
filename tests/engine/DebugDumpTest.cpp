#include "engine/DebugDump.h"
#include "support/TempFolder.h"

#include "platform/Time.h"

#include <gtest/gtest.h>

using testsupport::TempFolder;

namespace {

TEST(DebugDump, WritesTheTableWithLineBreaksAndReplacesTheFile) {
    TempFolder folder;
    TempFolder::Write("Debug.TXT", "an older, longer dump");
    const int32_t values[] = {5, 7, DebugLineBreak, 3, -12};
    for (int i = 0; i < 5; ++i)
        DebugTable[i] = values[i];
    DebugTableCount = 5;
    DebugDump();
    EXPECT_EQ(TempFolder::Read("Debug.TXT"), "5,7,\r\n3,-12,");

    DebugTableCount = 0;
    DebugDump();
    EXPECT_EQ(TempFolder::Read("Debug.TXT"), "");

    DebugTableCount = -3; // a damaged count writes nothing and reads nothing outside the table
    DebugDump();
    EXPECT_EQ(TempFolder::Read("Debug.TXT"), "");
    DebugTableCount = DebugTableCapacity + 100;
    DebugDump();
    EXPECT_EQ(TempFolder::Read("Debug.TXT").size() > 0, true);
    DebugTableCount = 0;

    DebugHookInt(2);
    DebugHookVoid();
    DebugHookVoid2();
    DebugHookVoid3();
    DebugHookVoid4();
}

TEST(DebugDump, DebugWaitStartsAgainWhenANewMinuteBegins) {
    {
        platform::ManualClock clock(10000, 50, 0); // 00:00:10.000, every read 50 ms later
        DebugWait(300);
        EXPECT_GE(clock.Now(), 10300u);
        EXPECT_LT(clock.Now(), 10400u);
    }
    {
        platform::ManualClock clock(59900, 50, 0); // the minute turns over during the wait
        DebugWait(300);
        EXPECT_GE(clock.Now(), 60300u);
        EXPECT_LT(clock.Now(), 60400u);
    }
}

} // namespace
