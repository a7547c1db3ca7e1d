#include "update/client/ClientShell.h"
#include "platform/Present.h"
#include "platform/SingleInstance.h"
#include "platform/Window.h"
#include "support/TempFolder.h"
#include "update/client/ProfileString.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using namespace platform;
using testsupport::TempFolder;

namespace {

TEST(ClientLogTest, NineLinesOnScreenAndEveryLineAppendedToTheErrorList) {
    TempFolder folder;
    TempFolder::Write(folder.path() / "Error.lst", "the game's own lines");
    ClientLog log;
    for (int i = 1; i <= 10; ++i)
        log.PushLog(("line " + std::to_string(i)).c_str(), i == 10 ? "detail" : nullptr);
    ASSERT_EQ(log.Lines().size(), 9u);
    EXPECT_EQ(log.Lines().front(), "line 2");
    EXPECT_EQ(log.Lines().back(), "line 10");
    log.PopLog(1);
    log.PopLog(0);
    EXPECT_EQ(log.Lines().front(), "line 3");
    EXPECT_EQ(log.Lines().back(), "line 9");

    std::string expected = "the game's own lines";
    for (int i = 1; i <= 9; ++i)
        expected += "\nline " + std::to_string(i) + ",(null)";
    expected += "\nline 10,detail";
    EXPECT_EQ(TempFolder::Read(folder.path() / "Error.lst"), expected);
}

TEST(ClientLogTest, LinesAreDrawnWhiteOnBlackInTheirRows) {
    setenv("KARDOL_HEADLESS", "1", 1);
    ClientLog log;
    log.CreateFont();
    log.lines = {"Client Update Start", "Waiting Server"};
    log.MarkDirty();
    const uint64_t before = PresentCount();
    log.DrawLog();
    ASSERT_EQ(PresentCount(), before + 1);
    const PresentedFrame frame = LastPresentedFrame();
    ASSERT_EQ(frame.width, 320);
    ASSERT_EQ(frame.height, 240);
    auto whiteIn = [&](int top, int bottom) {
        int white = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < 320; ++x)
                white += frame.pixels[static_cast<size_t>(y) * 320 + static_cast<size_t>(x)] == 0xFFFF;
        return white;
    };
    EXPECT_GT(whiteIn(0, 20), 50);
    EXPECT_GT(whiteIn(20, 40), 50);
    EXPECT_EQ(whiteIn(40, 240), 0);
    // Nothing changed: nothing drawn.
    log.DrawLog();
    EXPECT_EQ(PresentCount(), before + 1);
}

TEST(ProfileStringTest, TheServerAddressComesFromTheSettingsFile) {
    struct Case {
        const char* label;
        const char* file; // null: no file
        const char* text;
        size_t capacity;
        const char* expected;
    };
    const Case cases[] = {
        {"no file", nullptr, "", 260, "default"},
        {"other spelling", "update.ini", "[Update]\r\nIPAddress=10.1.2.3\r\n", 260, "10.1.2.3"},
        {"key in another section", "UpDate.Ini", "[Other]\nIPAddress=1.1.1.1\n[Update]\nx=1\n", 260,
         "default"},
        {"keys in any case", "UpDate.Ini", "[update]\n ipaddress = host.example \n", 260, "host.example"},
        {"cut to the buffer", "UpDate.Ini", "[Update]\nIPAddress=123456789\n", 5, "1234"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        TempFolder folder;
        if (c.file) TempFolder::Write(folder.path() / c.file, c.text);
        EXPECT_EQ(GetPrivateProfileString("Update", "IPAddress", "default", "UpDate.Ini", c.capacity),
                  c.expected);
    }
}

TEST(ClientShellTest, ASecondStartOnlyBringsTheFirstWindowForward) {
    TempFolder folder;
    setenv("XDG_RUNTIME_DIR", folder.str().c_str(), 1);
    setenv("KARDOL_HEADLESS", "1", 1);
    ResetWindowsForTest();
    ClientShell first;
    ASSERT_TRUE(first.ClientCreateWindow(SW_SHOW));
    EXPECT_TRUE(first.active);
    ShowWindow(first.window, SW_MINIMIZE);
    ClientShell second;
    EXPECT_EQ(second.ClientMain({"127.0.0.1", "a", "b"}, SW_SHOW), 0);
    EXPECT_EQ(second.window, nullptr);
    EXPECT_FALSE(IsIconic(first.window));
    ReleaseInstances();
}

} // namespace
