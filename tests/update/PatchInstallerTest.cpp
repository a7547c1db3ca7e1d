#include "update/installer/PatchInstaller.h"
#include "UpdateTestSupport.h"
#include "platform/MessageBox.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

using namespace platform;
using testsupport::TempFolder;
using updatetest::GetText;
using updatetest::KeyExists;
using updatetest::SetText;
namespace fs = std::filesystem;

namespace {

const char kGameKey[] = "Software\\VelmoraII";
const char kClientKey[] = "Software\\Kardol";
// "版本 2.02T 已更新成功!!"
const char kDone[] = "\xAA\xA9\xA5\xBB 2.02T \xA4w\xA7\xF3\xB7s\xA6\xA8\xA5\\!!";

std::string PayloadBytes(const std::string& name) {
    return TempFolder::Read(fs::path(KARDOL_UPDATE_TEST_PAYLOAD) / name);
}

class PatchInstallerTest : public ::testing::Test {
protected:
    PatchInstallerTest() : registry_((folder_.path() / "registry.ini").string()) {
        fs::create_directory(game());
        TakeShownMessageBoxes();
    }

    fs::path game() const { return folder_.path() / "game"; }
    void Install() { SetText(HKEY_CLASSES_ROOT, kGameKey, "WorkPath", game().string()); }

    // The one box of the run, checked for its caption.
    std::string Shown() {
        const auto boxes = TakeShownMessageBoxes();
        EXPECT_EQ(boxes.size(), 1u);
        if (boxes.empty()) return {};
        EXPECT_EQ(boxes[0].caption, PatchInstaller::kCaption);
        return boxes[0].text;
    }

    TempFolder folder_;
    updatetest::ScopedRegistry registry_;
};

TEST_F(PatchInstallerTest, WithoutTheInstallationNothingIsWritten) {
    EXPECT_EQ(PatchInstaller::InstallerMain(), PatchInstaller::kExitNotInstalled);
    EXPECT_EQ(Shown(), PatchInstaller::kNotInstalled);
    EXPECT_TRUE(fs::is_empty(game()));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kClientKey));
}

TEST_F(PatchInstallerTest, RegistryStartStatesGiveTheirValues) {
    struct Case {
        const char* label;
        bool clientKey;
        const char* runFilename; // null: absent
    };
    const Case cases[] = {
        {"client key missing", false, nullptr},
        {"client path absent", true, nullptr},
        {"client path present", true, "/elsewhere/Patchrunner.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        fs::remove(folder_.path() / "registry.ini");
        Install();
        if (c.clientKey) SetText(HKEY_LOCAL_MACHINE, kClientKey, "Other", "x");
        if (c.runFilename) SetText(HKEY_LOCAL_MACHINE, kClientKey, "RunFilename", c.runFilename);

        EXPECT_EQ(PatchInstaller::InstallerMain(), PatchInstaller::kExitSuccess);
        EXPECT_EQ(Shown(), kDone);
        EXPECT_EQ(GetText(HKEY_CLASSES_ROOT, kGameKey, "GameVersion"), "2.02T");
        EXPECT_EQ(GetText(HKEY_LOCAL_MACHINE, kClientKey, "GameVersion"), "2.02T");
        if (c.runFilename) {
            EXPECT_EQ(GetText(HKEY_LOCAL_MACHINE, kClientKey, "RunFilename"), c.runFilename);
            EXPECT_FALSE(GetText(HKEY_LOCAL_MACHINE, kClientKey, "DestDir"));
        } else {
            EXPECT_EQ(GetText(HKEY_LOCAL_MACHINE, kClientKey, "RunFilename"),
                      game().string() + "\\Patchrunner.exe");
            EXPECT_EQ(GetText(HKEY_LOCAL_MACHINE, kClientKey, "DestDir"), game().string());
        }
        for (const auto& entry : PatchInstaller::kPayload) {
            const std::string name = entry.name + 1;
            EXPECT_EQ(TempFolder::Read(game() / name), PayloadBytes(name)) << name;
        }
    }
}

TEST_F(PatchInstallerTest, ExistingFilesAreReplacedAndProgramsStayRunnable) {
    Install();
    // An older copy of another case, read-only, and the game program with its execute bit.
    TempFolder::Write(game() / "STAGE21.EVT", "old stage events, longer than the new ones");
    fs::permissions(game() / "STAGE21.EVT", fs::perms::owner_read, fs::perm_options::replace);
    TempFolder::Write(game() / "Kardol.exe", "old program");
    fs::permissions(game() / "Kardol.exe", fs::perms::owner_all, fs::perm_options::replace);

    EXPECT_EQ(PatchInstaller::InstallerMain(), PatchInstaller::kExitSuccess);
    EXPECT_EQ(Shown(), kDone);
    EXPECT_EQ(TempFolder::Read(game() / "STAGE21.EVT"), PayloadBytes("stage21.evt"));
    EXPECT_FALSE(fs::exists(game() / "stage21.evt") &&
                 !fs::equivalent(game() / "stage21.evt", game() / "STAGE21.EVT"));
    EXPECT_EQ(TempFolder::Read(game() / "Kardol.exe"), PayloadBytes("Kardol.exe"));
    const auto exec = fs::perms::owner_exec;
    EXPECT_NE(fs::status(game() / "Kardol.exe").permissions() & exec, fs::perms::none);
    EXPECT_NE(fs::status(game() / "Patchrunner.exe").permissions() & exec, fs::perms::none);
    EXPECT_EQ(fs::status(game() / "Win12.gui").permissions() & exec, fs::perms::none);
    // No temporary file stays behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(game()), fs::directory_iterator()), 12);
}

TEST_F(PatchInstallerTest, AFailedTargetReplacesNothingAndKeepsTheOldVersion) {
    struct Case {
        const char* label;
        bool missingFolder;
    };
    for (const Case c : {Case{"a folder in a file's place", false}, Case{"game folder missing", true}}) {
        SCOPED_TRACE(c.label);
        fs::remove(folder_.path() / "registry.ini");
        fs::remove_all(game());
        Install();
        SetText(HKEY_CLASSES_ROOT, kGameKey, "GameVersion", "1.01");
        if (c.missingFolder) {
            SetText(HKEY_CLASSES_ROOT, kGameKey, "WorkPath", (folder_.path() / "gone").string());
        } else {
            fs::create_directories(game() / "Win12.gui");
            TempFolder::Write(game() / "Kardol.exe", "old program");
        }

        EXPECT_EQ(PatchInstaller::InstallerMain(), PatchInstaller::kExitTargetFailed);
        EXPECT_EQ(Shown(), PatchInstaller::kTargetError);
        EXPECT_EQ(GetText(HKEY_CLASSES_ROOT, kGameKey, "GameVersion"), "1.01");
        EXPECT_FALSE(GetText(HKEY_LOCAL_MACHINE, kClientKey, "GameVersion"));
        if (!c.missingFolder) {
            EXPECT_EQ(TempFolder::Read(game() / "Kardol.exe"), "old program");
            EXPECT_EQ(std::distance(fs::directory_iterator(game()), fs::directory_iterator()), 2);
        }
    }
}

} // namespace
