// The game itself, headless: saving and loading through its keys and screens, damaged files of a
// stage and of a save, and closing from each screen without a leak.
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::string MakeDemo = std::string(KARDOL_BINARY_DIR) + "/tools/make_demo/make_demo";
const std::string Game = std::string(KARDOL_BINARY_DIR) + "/Kardol";

// Main menu buttons, the load screen's first slot and its OK button.
const char kLoadGame[] = "click 400,460";
const char kFirstSlot[] = "click 400,109";
const char kOk[] = "click 490,568";

std::string ReadAll(const fs::path& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct GameRun {
    int exitCode = -1;
    std::string out, err, errorList;
};

// One run of the game in `game` (a folder of its own), with its own runtime folder and registry.
GameRun Play(const fs::path& game, const std::string& env) {
    const fs::path run = game.string() + "-run";
    fs::create_directories(run);
    fs::remove(game / "Error.lst");
    const std::string command = "cd " + game.string() + " && XDG_RUNTIME_DIR=" + run.string() +
                                " KARDOL_REGISTRY=" + (run / "registry.ini").string() +
                                " KARDOL_HEADLESS=1 SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy " + env +
                                " timeout 300 " + Game + " > " + (run / "out.txt").string() + " 2> " +
                                (run / "err.txt").string();
    const int status = std::system(command.c_str());
    GameRun r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = ReadAll(run / "out.txt");
    r.err = ReadAll(run / "err.txt");
    r.errorList = ReadAll(game / "Error.lst");
    return r;
}

class DamagedFilesRunTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(std::system((MakeDemo + " demo > /dev/null").c_str()), 0); }
    // A copy of the demo folder, or of another game folder.
    fs::path Copy(const std::string& name, const fs::path& from = "demo") {
        const fs::path to = fs::current_path() / name;
        fs::copy(from, to, fs::copy_options::recursive);
        return to;
    }
    testsupport::TempFolder folder;
};

// Ctrl+S in a battle saves the game; the main menu's LOAD GAME loads it. A damaged save file is
// named in a message and in "Error.lst" and the player stays on the menu; Ctrl+L of a damaged
// save in a battle ends the battle instead of playing a half-loaded one.
TEST_F(DamagedFilesRunTest, ASaveMadeWithCtrlSLoadsAndADamagedOneIsNamed) {
    const fs::path saved = Copy("saved");
    const GameRun save = Play(saved, "KARDOL_AUTOPLAY=stage01.stg KARDOL_SEED=1 KARDOL_FRAMES=3000 "
                                     "KARDOL_INPUT=\"100:key ctrl+83;110:" +
                                         std::string(kFirstSlot) + ";120:" + kOk + "\"");
    ASSERT_EQ(save.exitCode, 0) << save.err;
    for (const char* ending :
         {"age", "castle", "cmb", "csm", "dead", "evt", "gat", "itm", "m", "soldier", "spr", "x"})
        EXPECT_TRUE(fs::exists(saved / "Save" / (std::string("dynasty1.") + ending))) << ending;
    ASSERT_TRUE(fs::exists(saved / "RecordLabel.sav"));

    const std::string fromMenu = "KARDOL_FRAMES=400 KARDOL_INPUT=\"60:" + std::string(kLoadGame) +
                                 ";80:" + kFirstSlot + ";100:" + kOk + "\"";
    const fs::path whole = Copy("whole", saved), noMap = Copy("nomap", saved),
                   shortTroops = Copy("short", saved);
    fs::remove(noMap / "Save" / "dynasty1.m");
    fs::resize_file(shortTroops / "Save" / "dynasty1.spr", 13);
    auto loaded = std::async(std::launch::async, [&] { return Play(whole, fromMenu); });
    const GameRun missing = Play(noMap, fromMenu);
    const GameRun inBattle = Play(
        shortTroops,
        "KARDOL_AUTOPLAY=stage01.stg KARDOL_SEED=1 KARDOL_FRAMES=3000 KARDOL_INPUT=\"60:key ctrl+76;70:" +
            std::string(kFirstSlot) + ";80:" + kOk + "\"");
    const GameRun ok = loaded.get();

    EXPECT_EQ(ok.exitCode, 0) << ok.err;
    EXPECT_EQ(ok.err.find("Could not read file"), std::string::npos) << ok.err;
    EXPECT_EQ(ok.errorList.find("dynasty1"), std::string::npos) << ok.errorList;

    EXPECT_EQ(missing.exitCode, 0) << missing.err;
    EXPECT_NE(missing.err.find("Could not read file .\\Save\\dynasty1.m!"), std::string::npos) << missing.err;
    EXPECT_NE(missing.errorList.find(".\\Save\\dynasty1.m,cannot be opened"), std::string::npos)
        << missing.errorList;

    EXPECT_EQ(inBattle.exitCode, 0) << inBattle.err;
    EXPECT_NE(inBattle.err.find("Could not read file .\\Save\\dynasty1.spr!"), std::string::npos)
        << inBattle.err;
    EXPECT_NE(inBattle.errorList.find(".\\Save\\dynasty1.spr,cannot be read"), std::string::npos)
        << inBattle.errorList;
    EXPECT_NE(inBattle.out.find("stage result: none"), std::string::npos) << inBattle.out;
}

// A damaged file of the stage's set stops the autoplay with a failure that names it.
TEST_F(DamagedFilesRunTest, ADamagedStageFileEndsTheAutoplayWithAFailure) {
    const fs::path game = Copy("cut");
    fs::resize_file(game / "stage01.m", 13);
    const GameRun run = Play(game, "KARDOL_AUTOPLAY=stage01.stg KARDOL_FRAMES=600");
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(run.err.find("could not be loaded (stage01.m)"), std::string::npos) << run.err;
    EXPECT_NE(run.errorList.find("\nstage01.m,cannot be read"), std::string::npos) << run.errorList;
    EXPECT_NE(run.errorList.find("\nstage01.stg,the stage could not be loaded"), std::string::npos)
        << run.errorList;
    EXPECT_EQ(run.out.find("world digest"), std::string::npos);
}

// Closing the program from each front-end screen and from the battle frees everything: the
// sanitizer build reports no leak and the run ends with 0.
TEST_F(DamagedFilesRunTest, ClosingFromEachScreenLeaksNothing) {
    const struct {
        const char* name;
        std::string env;
    } cases[] = {
        {"menu", "KARDOL_INPUT=\"60:close\""},
        {"load", "KARDOL_INPUT=\"60:" + std::string(kLoadGame) + ";100:close\""},
        {"single", "KARDOL_INPUT=\"60:click 400,360;100:close\""},
        {"network", "KARDOL_INPUT=\"60:click 400,410;100:close\""},
        {"credits", "KARDOL_INPUT=\"60:click 400,510;100:close\""},
        {"battle",
         "KARDOL_AUTOPLAY=stage01.stg KARDOL_SEED=1 KARDOL_FRAMES=100000 KARDOL_INPUT=\"120:close\""},
    };
    std::vector<std::future<GameRun>> runs;
    for (const auto& c : cases) {
        const fs::path game = Copy(c.name);
        runs.push_back(std::async(std::launch::async, [game, env = c.env] { return Play(game, env); }));
        if (runs.size() % 2 == 0) runs[runs.size() - 2].wait();
    }
    for (size_t i = 0; i < runs.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        const GameRun r = runs[i].get();
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.err.find("LeakSanitizer"), std::string::npos) << r.err;
    }
}

} // namespace
