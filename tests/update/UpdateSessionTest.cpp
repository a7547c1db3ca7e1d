#include "FakePatchhost.h"
#include "UpdateTestSupport.h"
#include "platform/MessageBox.h"
#include "platform/Messages.h"
#include "platform/SingleInstance.h"
#include "platform/Time.h"
#include "platform/Window.h"
#include "update/client/ClientShell.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>

using namespace platform;
using testsupport::TempFolder;
using updatetest::FakePatchhost;
using updatetest::GetText;
using updatetest::SetText;
namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> Bytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

// A file of runs and literals, `size` bytes.
std::vector<uint8_t> Pattern(size_t size, int seed) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] =
            static_cast<uint8_t>((i / 37) % 3 == 0 ? 0xAA : (i * 7 + static_cast<size_t>(seed)) & 0xFF);
    return bytes;
}

void SetEnv(const char* name, const std::string& value) {
    setenv(name, value.c_str(), 1);
}

// The client in its own game folder (also the working folder) with its own registry, lock folder
// and a server on loopback; the client's clock stands still unless the test moves it.
class UpdateSessionTest : public ::testing::Test {
protected:
    UpdateSessionTest() : registry_((folder_.path() / "registry.ini").string()), clock_(1000000, 0) {
        fs::create_directories(game());
        fs::create_directories(outside());
        fs::create_directories(folder_.path() / "run");
        SetEnv("XDG_RUNTIME_DIR", (folder_.path() / "run").string());
        SetEnv("KARDOL_HEADLESS", "1");
        SetEnv("KARDOL_LOOPBACK_ONLY", "1");
        SetEnv("KARDOL_UPDATE_PORT", std::to_string(server_.Port()));
        fs::current_path(game());
        TempFolder::Write(game() / "UpDate.Ini", "[Update]\r\nIPAddress=127.0.0.1\r\n");
        SetText(HKEY_CLASSES_ROOT, "Software\\VelmoraII", "WorkPath", game().string());
        ResetWindowsForTest();
        ResetMessageQueue();
        TakeShownMessageBoxes();
    }
    ~UpdateSessionTest() override {
        ReleaseInstances();
        unsetenv("KARDOL_UPDATE_PORT");
    }

    fs::path game() const { return folder_.path() / "game"; }
    fs::path outside() const { return folder_.path() / "outside"; }
    std::string ErrorList() const { return TempFolder::Read(game() / "Error.lst"); }

    // Runs the client to its end; `after` runs beside it once the server's script is done.
    void RunClient(const std::function<void(ClientShell&)>& after = {}) {
        server_.Start();
        ClientShell shell;
        std::thread helper;
        if (after) {
            helper = std::thread([&] {
                while (!shell.window)
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                after(shell);
            });
        }
        EXPECT_EQ(shell.ClientMain({}, SW_SHOW), 1);
        if (helper.joinable()) helper.join();
        failed_ = shell.session.failed;
        screen_ = std::vector<std::string>(shell.log.Lines().begin(), shell.log.Lines().end());
    }

    TempFolder folder_;
    updatetest::ScopedRegistry registry_;
    ManualClock clock_;
    FakePatchhost server_;
    bool failed_ = false;
    std::vector<std::string> screen_;
};

TEST_F(UpdateSessionTest, ACurrentVersionWritesNothing) {
    struct Case {
        const char* label;
        const char* stored; // null: no version key
        const char* sent;
    };
    const Case cases[] = {{"no version key", nullptr, "1.01"},
                          {"old version", "1.01", "1.01t"},
                          {"new version", "2.02T", "2.02T"}};
    // Each case is a client run of its own against a server of its own.
    for (const Case& each : cases) {
        SCOPED_TRACE(each.label);
        const Case* c = &each;
        FakePatchhost server;
        SetEnv("KARDOL_UPDATE_PORT", std::to_string(server.Port()));
        if (c->stored) SetText(HKEY_CLASSES_ROOT, "Software\\Kardol", "GameVersion", c->stored);
        server.AnswerCurrent();
        server.Start();
        {
            ClientShell shell;
            EXPECT_EQ(shell.ClientMain({}, SW_SHOW), 1);
            EXPECT_FALSE(shell.session.failed);
        }
        ReleaseInstances();
        EXPECT_EQ(server.VersionText(), c->sent);
        EXPECT_EQ(GetText(HKEY_CLASSES_ROOT, "Software\\Kardol", "GameVersion"),
                  c->stored ? c->stored : "1.01");
        const auto boxes = TakeShownMessageBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, "Version Check Ok");
        EXPECT_EQ(boxes[0].caption, ClientShell::kTitle);
        fs::remove(folder_.path() / "registry.ini");
        SetText(HKEY_CLASSES_ROOT, "Software\\VelmoraII", "WorkPath", game().string());
    }
    // Only the settings and the log are in the folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(game()), fs::directory_iterator()), 2);
}

TEST_F(UpdateSessionTest, ChangedFilesAreWrittenAndCurrentOnesLeftAlone) {
    const auto same = Pattern(1500, 1);
    const auto packed = Pattern(2500, 2);
    const auto big = Pattern(2600, 3);
    const auto program = Pattern(900, 4);
    TempFolder::Write(game() / "same.dat", same);
    fs::create_hard_link(game() / "same.dat", folder_.path() / "same.link");
    fs::create_directories(game() / "data");
    TempFolder::Write(game() / "data" / "BIG.evt", "an older, shorter file");
    TempFolder::Write(game() / "Kardol.exe", "old program");
    fs::permissions(game() / "Kardol.exe", fs::perms::owner_all, fs::perm_options::replace);
    TempFolder::Write(game() / "Error.lst", "earlier line");

    server_.AddFile(FakePatchhost::PlainFile("same.dat", same));
    server_.AddFile(FakePatchhost::PackedFile("packed.spr", packed));
    auto bigFile = FakePatchhost::PlainFile("Data\\Big.evt", big);
    bigFile.blockOrder = {2, 0, 1, 1, 0};
    server_.AddFile(bigFile);
    server_.AddFile(FakePatchhost::PlainFile("Kardol.exe", program));
    RunClient();

    EXPECT_FALSE(failed_);
    EXPECT_TRUE(server_.ClientEnded());
    EXPECT_EQ(TempFolder::Read(game() / "packed.spr"), std::string(packed.begin(), packed.end()));
    EXPECT_EQ(TempFolder::Read(game() / "data" / "BIG.evt"), std::string(big.begin(), big.end()));
    EXPECT_FALSE(fs::exists(game() / "Data"));
    EXPECT_EQ(TempFolder::Read(game() / "Kardol.exe"), std::string(program.begin(), program.end()));
    EXPECT_NE(fs::status(game() / "Kardol.exe").permissions() & fs::perms::owner_exec, fs::perms::none);
    // The current file was not touched, and the server heard so at its first block.
    EXPECT_EQ(fs::hard_link_count(game() / "same.dat"), 2u);
    const auto have = server_.HaveFileAnswers();
    ASSERT_FALSE(have.empty());
    EXPECT_EQ(static_cast<int32_t>(have[0]), UpdateDatagram::Checksum(same.data(), same.size()));

    const std::string log = ErrorList();
    EXPECT_EQ(log.rfind("earlier line", 0), 0u);
    EXPECT_NE(log.find("\nClient Update Start,(null)\nWaiting Server,(null)\nsame.dat,(null)"),
              std::string::npos);
    EXPECT_NE(log.find("\nStart Receive packed.spr,(null)\npacked.spr--"), std::string::npos);
    EXPECT_NE(log.find("packed.spr--100%"), std::string::npos);
    EXPECT_EQ(log.substr(log.size() - 26), "\nData Update Finish,(null)");
    // On screen one progress line per file replaces the one before.
    ASSERT_FALSE(screen_.empty());
    EXPECT_EQ(screen_.back(), "Data Update Finish");
    int packedLines = 0;
    for (const auto& line : screen_)
        packedLines += line.rfind("packed.spr--", 0) == 0;
    EXPECT_LE(packedLines, 1);
}

TEST_F(UpdateSessionTest, AllSentBeforeTheLastBlocksStillWritesWholeFiles) {
    const auto bytes = Pattern(3500, 5);
    server_.AddFile(FakePatchhost::PlainFile("late.dat", bytes));
    server_.AllSentFirst();
    RunClient();
    EXPECT_FALSE(failed_);
    EXPECT_EQ(TempFolder::Read(game() / "late.dat"), std::string(bytes.begin(), bytes.end()));
}

TEST_F(UpdateSessionTest, AHostileFileTableWritesNothingOutsideAndNothingIncomplete) {
    TempFolder::Write(outside() / "keep.txt", "keep");
    fs::create_directory_symlink(outside(), game() / "link");
    fs::create_symlink(outside() / "keep.txt", game() / "evil.dat");
    const auto payload = Bytes("written where it must not be");

    // Names that climb out, start at a root or a drive, or lead through links.
    for (const char* name : {"..\\x.dat", "\\abs.dat", "C:\\x.dat", "a\\..\\..\\x.dat", "a/../../x.dat", "..",
                             "link\\x.dat", "evil.dat", "ok\\.\\x.dat", "ctl\x01.dat"})
        server_.AddFile(FakePatchhost::PlainFile(name, payload));
    // Sizes nobody may claim, a file whose last block never comes, a packed file that unpacks short,
    // a checksum that does not match.
    auto huge = FakePatchhost::PlainFile("huge.dat", payload);
    huge.unpackedSize = 1u << 30;
    server_.AddFile(huge);
    auto truncated = FakePatchhost::PlainFile("short.dat", Pattern(2500, 6));
    truncated.blockOrder = {0, 1};
    server_.AddFile(truncated);
    auto badPack = FakePatchhost::PackedFile("badpack.spr", Pattern(1200, 7));
    badPack.unpackedSize = 1300;
    server_.AddFile(badPack);
    auto badSum = FakePatchhost::PlainFile("badsum.dat", payload);
    badSum.checksum += 1;
    server_.AddFile(badSum);
    server_.AddFile(FakePatchhost::PlainFile("good.dat", payload));

    // Blocks that reach past the file, claim more than 1000 bytes or lie about their length.
    namespace ud = UpdateDatagram;
    const auto junk = Pattern(1000, 8);
    auto past = ud::EncodeFileData('A', "good.dat", 0, 20, junk.data(), 100);
    auto tooMany = ud::EncodeFileData('A', "good.dat", 0, 0, junk.data(), 1000);
    tooMany[280] = 0xE9; // count 1001
    tooMany[281] = 0x03;
    auto shortened = ud::EncodeFileData('A', "good.dat", 0, 0, junk.data(), 10);
    shortened.resize(600);
    std::vector<uint8_t> unterminated = ud::EncodeFileHeader('A', "", 10, 0, 0);
    std::fill(unterminated.begin() + 14, unterminated.begin() + 272, 'n');
    for (auto* d : {&past, &tooMany, &unterminated})
        server_.AddStep({*d, false});
    // Not acknowledged, so sent only once.
    server_.AddStep({shortened, true});

    RunClient([&](ClientShell&) {
        server_.WaitDone(20000);
        // The missing block never comes: let the client's wait for it run out.
        clock_.Advance(31000);
    });

    EXPECT_TRUE(failed_);
    EXPECT_EQ(TempFolder::Read(game() / "good.dat"), std::string(payload.begin(), payload.end()));
    EXPECT_EQ(TempFolder::Read(outside() / "keep.txt"), "keep");
    EXPECT_EQ(std::distance(fs::directory_iterator(outside()), fs::directory_iterator()), 1);
    std::vector<std::string> left;
    for (const auto& e : fs::recursive_directory_iterator(folder_.path()))
        left.push_back(e.path().lexically_relative(folder_.path()).string());
    std::sort(left.begin(), left.end());
    const std::vector<std::string> expected{
        "game",      "game/Error.lst", "game/UpDate.Ini",  "game/evil.dat", "game/good.dat",
        "game/link", "outside",        "outside/keep.txt", "registry.ini",  "run"};
    std::vector<std::string> withoutLocks;
    for (const auto& l : left)
        if (l.rfind("run/", 0) != 0) withoutLocks.push_back(l);
    EXPECT_EQ(withoutLocks, expected);
    const std::string log = ErrorList();
    EXPECT_NE(log.find("\nRefused File,..\\x.dat"), std::string::npos);
    EXPECT_NE(log.find("\nIncomplete File,short.dat"), std::string::npos);
    EXPECT_NE(log.find("\nIncomplete File,badpack.spr"), std::string::npos);
    EXPECT_NE(log.find("\nIncomplete File,badsum.dat"), std::string::npos);
    EXPECT_EQ(log.find("Data Update Finish"), std::string::npos);
    EXPECT_EQ(log.substr(log.size() - 26), "\nData Update Failed,(null)");
}

TEST_F(UpdateSessionTest, ASilentServerEndsInTheFailureLinesAndAKey) {
    server_.Silent();
    RunClient([&](ClientShell& shell) {
        while (server_.Received() < 1)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        clock_.Advance(19000);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(ErrorList().find("Error To Connect Server"), std::string::npos);
        clock_.Advance(1500);
        while (ErrorList().find("Pass Any Key to Continue") == std::string::npos)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        PostMessage(shell.window, WM_CHAR, 'x', 0);
    });
    EXPECT_TRUE(failed_);
    EXPECT_NE(ErrorList().find("\nError To Connect Server,(null)\nPass Any Key to Continue,(null)"),
              std::string::npos);
}

TEST_F(UpdateSessionTest, AServerThatFallsSilentEndsTheSessionAfterAMinute) {
    server_.AddFile(FakePatchhost::PlainFile("never.dat", Bytes("never sent")));
    server_.StallAfterHeaders();
    RunClient([&](ClientShell& shell) {
        server_.WaitDone(20000);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        clock_.Advance(59000);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(ErrorList().find("Error To Connect Server"), std::string::npos);
        clock_.Advance(2000);
        while (ErrorList().find("Pass Any Key to Continue") == std::string::npos)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        PostMessage(shell.window, WM_CHAR, 'x', 0);
    });
    EXPECT_TRUE(failed_);
    EXPECT_FALSE(fs::exists(game() / "never.dat"));
    EXPECT_NE(ErrorList().find("\nnever.dat,(null)"), std::string::npos);
}

} // namespace
