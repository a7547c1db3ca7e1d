// The game itself, headless, playing the demo folder's stage by itself through the autoplay seam.
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

const std::string MakeDemo = std::string(KARDOL_BINARY_DIR) + "/tools/make_demo/make_demo";
const std::string Game = std::string(KARDOL_BINARY_DIR) + "/Kardol";

std::string ReadAll(const std::filesystem::path& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

struct GameRun {
    int exitCode = -1;
    std::string out, err;
};

// One run of the game in its own copy of the demo folder, with its own runtime folder (the
// single-instance lock) and registry.
GameRun Play(const std::string& name, const std::string& env, const char* removed = nullptr) {
    const std::filesystem::path here = std::filesystem::current_path();
    const std::filesystem::path folder = here / name;
    std::filesystem::create_directories(folder / "run");
    std::filesystem::copy(here / "demo", folder / "game", std::filesystem::copy_options::recursive);
    if (removed) std::filesystem::remove(folder / "game" / removed);
    const std::string command = "cd " + (folder / "game").string() +
                                " && XDG_RUNTIME_DIR=" + (folder / "run").string() +
                                " KARDOL_REGISTRY=" + (folder / "registry.ini").string() +
                                " KARDOL_HEADLESS=1 SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy " + env +
                                " timeout 600 " + Game + " > ../out.txt 2> ../err.txt";
    const int status = std::system(command.c_str());
    GameRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadAll(folder / "out.txt");
    run.err = ReadAll(folder / "err.txt");
    return run;
}

class AutoplayRunTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(std::system((MakeDemo + " demo > /dev/null").c_str()), 0); }
    testsupport::TempFolder folder;
};

// Two runs from one seed start the demo stage, play it with the computer on every side to its end
// within the frame budget and report the same result and world digest as their last lines. The seed
// reaches the battle: the demo's scouts roam by the host's draws, so a run of another seed ends in
// another world.
TEST_F(AutoplayRunTest, TheSameSeedPlaysTheDemoStageToTheSameEnd) {
    const std::string env = "KARDOL_AUTOPLAY=stage01.stg KARDOL_FRAMES=20000 KARDOL_SEED=";
    auto second = std::async(std::launch::async, [&] { return Play("second", env + "11"); });
    auto seeded = std::async(std::launch::async, [&] { return Play("seeded", env + "999"); });
    const GameRun first = Play("first", env + "11");
    const GameRun other = second.get();
    const GameRun third = seeded.get();
    for (const GameRun* run : {&first, &other, &third}) {
        ASSERT_EQ(run->exitCode, 0) << run->err;
        const std::vector<std::string> lines = Lines(run->out);
        ASSERT_GE(lines.size(), 2u) << run->out << run->err;
        const std::string& result = lines[lines.size() - 2];
        const std::string& digest = lines.back();
        EXPECT_TRUE(result == "stage result: victory" || result == "stage result: defeat") << result;
        ASSERT_EQ(digest.rfind("world digest: ", 0), 0u) << digest;
        EXPECT_EQ(digest.size(), std::string("world digest: ").size() + 16) << digest;
        EXPECT_EQ(run->err.find("could not be loaded"), std::string::npos) << run->err;
    }
    const auto a = Lines(first.out), b = Lines(other.out);
    EXPECT_EQ(a[a.size() - 2], b[b.size() - 2]);
    EXPECT_EQ(a.back(), b.back());
    // The stage ran: a digest of no stage is the digest's starting value.
    EXPECT_NE(a.back(), "world digest: cbf29ce484222325");
    EXPECT_NE(Lines(third.out).back(), a.back());
}

// A stage file that the folder lacks ends the run with a failure and says so.
TEST_F(AutoplayRunTest, AStageTheFolderLacksEndsWithAFailure) {
    const GameRun run = Play("missing", "KARDOL_AUTOPLAY=stage04.stg KARDOL_FRAMES=600", "stage04.stg");
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(run.err.find("KARDOL_AUTOPLAY: the stage \"stage04.stg\" could not be loaded"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(run.out.find("world digest"), std::string::npos);
}

// Values the seam cannot take are refused before the game starts.
TEST_F(AutoplayRunTest, BadAutoplayValuesAreRefusedWithAMessage) {
    const struct {
        const char* env;
        const char* says;
    } cases[] = {
        {"KARDOL_AUTOPLAY=stage99.stg", "KARDOL_AUTOPLAY must name a stage of the stage list"},
        {"KARDOL_AUTOPLAY=../stage01.stg", "KARDOL_AUTOPLAY must name a stage of the stage list"},
        {"KARDOL_AUTOPLAY=stage01.stg KARDOL_SEED=abc", "KARDOL_SEED must be a number"},
        {"KARDOL_AUTOPLAY=stage01.stg KARDOL_SEED=-3", "KARDOL_SEED must be a number"},
        {"KARDOL_AUTOPLAY=stage01.stg KARDOL_SEED=4294967296", "KARDOL_SEED must be a number"},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.env);
        const GameRun run = Play("bad" + std::to_string(n++), c.env);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_EQ(run.out.find("world digest"), std::string::npos);
    }
}

} // namespace
