#include "Program/Startup.h"
#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "platform/Registry.h"
#include "support/TempFolder.h"
#include "world/MapView.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

using namespace platform;

TEST(StartupCommandLine, NetworkLaunchAndMovieWords) {
    struct Case {
        std::string line;
        int words;
        bool network;
        bool moviesOff;
    } cases[] = {
        {"", 0, false, false},
        {"server", 1, false, false},
        {"server 0123456789abcdef", 2, false, false},
        {"server 0123456789abcdef x", 3, true, false},
        {"server qmt hvd", 3, false, false},
        {"  server\tqmt   hvd  ", 3, false, false},
        {"server qmt x", 3, true, false},
        {"server x hvd", 3, true, false},
        {"server QMT hvd", 3, true, false},
        {"a b c d", 3, true, false},
        {"-a", 1, false, true},
        {"-abc qmt hvd", 3, false, true},
        {"host id -a", 3, true, true},
        {"host -a", 2, false, true},
        {"x-a", 1, false, false},
        {"-b", 1, false, false},
        {"one two three -avi", 3, true, true},
    };
    for (const Case& c : cases) {
        CommandLineResult r = ParseCommandLine(c.line.c_str());
        EXPECT_EQ(r.words, c.words) << c.line;
        EXPECT_EQ(r.networkLaunch, c.network) << c.line;
        EXPECT_EQ(NetworkLaunchFlag, c.network ? 1 : 0) << c.line;
        EXPECT_EQ(r.moviesOff, c.moviesOff) << c.line;
        EXPECT_EQ(CommandLineTurnsMoviesOff(c.line.c_str()), c.moviesOff) << c.line;
    }
    ParseCommandLine("server 0123 x");
    EXPECT_STREQ(CommandWord1, "server");
    EXPECT_STREQ(CommandWord2, "0123");
    EXPECT_STREQ(CommandWord3, "x");
}

TEST(StartupCommandLine, AnOverlongWordIsCutAndNeverLaunchesNetworkMode) {
    const std::string host(300, 'h');
    CommandLineResult r = ParseCommandLine((host + " id word").c_str());
    EXPECT_EQ(r.words, 3);
    EXPECT_FALSE(r.networkLaunch);
    EXPECT_EQ(NetworkLaunchFlag, 0);
    EXPECT_EQ(std::strlen(CommandWord1), 127u);
    EXPECT_STREQ(CommandWord2, "id");
    // A word of exactly 127 bytes fits.
    r = ParseCommandLine((std::string(127, 'h') + " id word").c_str());
    EXPECT_TRUE(r.networkLaunch);
}

TEST(StartupRegistry, UpdateClientPathIsWrittenOnlyWhenAbsentAndWorkPathKnown) {
    testsupport::TempFolder folder;
    const char* old = std::getenv("KARDOL_REGISTRY");
    const std::string keep = old ? old : "";
    setenv("KARDOL_REGISTRY", (folder.path() / "reg.ini").c_str(), 1);
    struct Case {
        const char* name;
        bool key;
        const char* workPath; // null: none
        const char* update;   // null: none
        const char* expected; // "UpDate" afterwards, null: none
    } cases[] = {
        {"no key", false, nullptr, nullptr, nullptr},
        {"key only", true, nullptr, nullptr, nullptr},
        {"work path", true, "/games/kardol", nullptr, "/games/kardol\\Patchrunner.exe"},
        {"kept", true, "/games/kardol", "/old/Patchrunner.exe", "/old/Patchrunner.exe"},
        {"empty work path", true, "", nullptr, "\\Patchrunner.exe"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(folder.path() / "reg.ini");
        HKEY key = nullptr;
        if (c.key) {
            ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, "Software\\VelmoraII", &key), ERROR_SUCCESS);
            if (c.workPath)
                RegSetValueExA(key, "WorkPath", 0, REG_SZ, reinterpret_cast<const uint8_t*>(c.workPath),
                               static_cast<uint32_t>(std::strlen(c.workPath)));
            if (c.update)
                RegSetValueExA(key, "UpDate", 0, REG_SZ, reinterpret_cast<const uint8_t*>(c.update),
                               static_cast<uint32_t>(std::strlen(c.update)));
            RegCloseKey(key);
        }
        RecordUpdateClientPath();
        if (!c.key) {
            EXPECT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, "Software\\VelmoraII", &key), ERROR_FILE_NOT_FOUND)
                << c.name;
            continue;
        }
        ASSERT_EQ(RegOpenKeyA(HKEY_CLASSES_ROOT, "Software\\VelmoraII", &key), ERROR_SUCCESS);
        char buffer[300] = {};
        uint32_t size = sizeof buffer;
        const long got =
            RegQueryValueExA(key, "UpDate", nullptr, nullptr, reinterpret_cast<uint8_t*>(buffer), &size);
        if (c.expected) {
            EXPECT_EQ(got, ERROR_SUCCESS) << c.name;
            EXPECT_STREQ(buffer, c.expected) << c.name;
        } else {
            EXPECT_EQ(got, ERROR_FILE_NOT_FOUND) << c.name;
        }
        RegCloseKey(key);
    }
    if (keep.empty())
        unsetenv("KARDOL_REGISTRY");
    else
        setenv("KARDOL_REGISTRY", keep.c_str(), 1);
}

TEST(StartupSettings, ScreenSizeFollowsTheModeAndResetKeepsTheWindowedFlag) {
    GameModeFlag = 1;
    {
        ScreenSettings s;
        EXPECT_EQ(s.screenWidth, 800);
        EXPECT_EQ(s.screenHeight, 600);
        EXPECT_EQ(s.windowed, 0);
        EXPECT_EQ(s.serialCounter, 100);
        EXPECT_EQ(s.gameSpeed, 5);
        s.windowed = 1;
        s.busyState = 2;
        s.runningFrameCounter = 500;
        s.endCountdown = 3;
        s.day = 9;
        s.Reset();
        EXPECT_EQ(s.windowed, 1);
        EXPECT_EQ(s.busyState.load(), 0);
        EXPECT_EQ(s.runningFrameCounter.load(), 0);
        EXPECT_EQ(s.endCountdown, 0);
        EXPECT_EQ(s.day, 9); // the date is the calendar's
    }
    GameModeFlag = 0;
    {
        ScreenSettings s;
        EXPECT_EQ(s.screenWidth, 1024);
        EXPECT_EQ(s.screenHeight, 768);
        EXPECT_EQ(s.windowed, 1);
    }
    GameModeFlag = 1;
}

#include "Program/MainWindow.h"
#include "engine/NumberTable.h"

TEST(StartupNumbers, TheFramePeriodIsEntry89OfDataTxt) {
    testsupport::TempFolder folder;
    std::string text;
    for (int i = 0; i < 89; ++i)
        text += std::to_string(i) + ".5 entry " + std::to_string(i) + "\r\n";
    text += "25 frame period in ms\r\nend\r\n7 past the end\r\n";
    testsupport::TempFolder::Write("data.txt", text);
    for (double& v : NumberTableValues)
        v = 0;
    NumberTable table;
    EXPECT_DOUBLE_EQ(NumberTableValues[5], 5.5);
    EXPECT_DOUBLE_EQ(NumberTableValues[89], 25.0);
    EXPECT_DOUBLE_EQ(NumberTableValues[90], 0.0);
    EXPECT_EQ(FrameTimerPeriod(NumberTableValues[89]), 25u);
    // Without the file the table stays as it was and the timer takes the default period.
    std::filesystem::remove("data.txt");
    for (double& v : NumberTableValues)
        v = 0;
    NumberTable missing;
    EXPECT_EQ(FrameTimerPeriod(NumberTableValues[89]), static_cast<uint32_t>(DefaultFramePeriodMs));
}
