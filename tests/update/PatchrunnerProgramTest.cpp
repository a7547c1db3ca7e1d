#include "FakePatchhost.h"
#include "UpdateTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

using testsupport::TempFolder;
using updatetest::FakePatchhost;
namespace fs = std::filesystem;

namespace {

// The real program in a game folder whose "Kardol.exe" only records the words it was started with.
class PatchrunnerProgramTest : public ::testing::Test {
protected:
    PatchrunnerProgramTest() : registry_((folder_.path() / "registry.ini").string()) {
        fs::create_directories(game());
        fs::create_directories(folder_.path() / "run");
        TempFolder::Write(game() / "UpDate.Ini", "[Update]\r\nIPAddress=127.0.0.1\r\n");
        TempFolder::Write(game() / "Kardol.exe",
                          "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" +
                              record().string() + ".part\"\nmv \"" + record().string() + ".part\" \"" +
                              record().string() + "\"\n");
        fs::permissions(game() / "Kardol.exe", fs::perms::owner_all, fs::perm_options::replace);
        updatetest::SetText(platform::HKEY_CLASSES_ROOT, "Software\\VelmoraII", "WorkPath", game().string());
    }

    fs::path game() const { return folder_.path() / "game"; }
    fs::path record() const { return folder_.path() / "restart.txt"; }

    int Run(const std::string& words) {
        server_.AnswerCurrent();
        server_.Start();
        const std::string command =
            "cd '" + game().string() + "' && KARDOL_HEADLESS=1 KARDOL_LOOPBACK_ONLY=1" +
            " KARDOL_REGISTRY='" + (folder_.path() / "registry.ini").string() + "'" + " XDG_RUNTIME_DIR='" +
            (folder_.path() / "run").string() + "'" +
            " KARDOL_UPDATE_PORT=" + std::to_string(server_.Port()) + " timeout 60 '" + KARDOL_BINARY_DIR +
            "/Patchrunner' " + words + " >/dev/null 2>&1";
        return std::system(command.c_str());
    }

    bool WaitForRecord() {
        for (int i = 0; i < 400 && !fs::exists(record()); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        return fs::exists(record());
    }

    TempFolder folder_;
    updatetest::ScopedRegistry registry_;
    FakePatchhost server_;
};

TEST_F(PatchrunnerProgramTest, ThreeWordsRestartTheGameWithTheSameWords) {
    EXPECT_EQ(Run("127.0.0.1 'second word' 'x;$(y)'"), 0);
    EXPECT_EQ(server_.VersionText(), "1.01");
    ASSERT_TRUE(WaitForRecord());
    EXPECT_EQ(TempFolder::Read(record()), "127.0.0.1\nsecond word\nx;$(y)\n");
}

TEST_F(PatchrunnerProgramTest, FewerWordsUseTheSettingsAndDoNotRestart) {
    // The first word would name a server nobody runs: the answer shows the settings were used.
    EXPECT_EQ(Run("127.0.0.9 only-two"), 0);
    EXPECT_EQ(server_.VersionText(), "1.01");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(fs::exists(record()));
}

} // namespace
