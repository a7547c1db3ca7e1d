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

// The demo battle saved to the first slot with Ctrl+S.
const std::string kSaveWithCtrlS = "KARDOL_AUTOPLAY=stage01.stg KARDOL_SEED=1 KARDOL_FRAMES=3000 "
                                   "KARDOL_INPUT=\"100:key ctrl+83;110:" +
                                   std::string(kFirstSlot) + ";120:" + kOk + "\"";

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
    const GameRun save = Play(saved, kSaveWithCtrlS);
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

// The ways a file is damaged: cut to half or to 13 bytes, 20 bytes flipped, replaced by 4 KB of
// noise, deleted. The noise and the flips are the same on every run.
enum class Damage { Half, Short, Flip, Noise, Deleted };

void Spoil(const fs::path& file, Damage how) {
    std::string bytes = ReadAll(file);
    unsigned seed = 7;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    switch (how) {
    case Damage::Half:
        fs::resize_file(file, bytes.size() / 2);
        return;
    case Damage::Short:
        fs::resize_file(file, 13);
        return;
    case Damage::Deleted:
        fs::remove(file);
        return;
    case Damage::Flip:
        for (int i = 0; i < 20 && !bytes.empty(); ++i)
            bytes[next() % bytes.size()] ^= char(1 + next() % 255);
        break;
    case Damage::Noise:
        bytes.resize(4096);
        for (char& b : bytes)
            b = char(next());
        break;
    }
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

// Each file of the demo stage's set and each table the game starts with, damaged one way each:
// the run names the file in a message and in "Error.lst" and ends by itself with a failure
// status; it never crashes, hangs or plays the damaged stage.
TEST_F(DamagedFilesRunTest, EachDamagedFileOfTheStageAndTheTablesIsNamedAndEndsTheRun) {
    const struct {
        const char* file;
        Damage how;
        int exitCode;
        const char* logged;
    } cases[] = {
        // Autoplay gives up on the stage with 1; start-up gives up on a table with 3.
        {"stage01.stg", Damage::Deleted, 1, "stage01.stg,the stage could not be loaded"},
        {"stage01.stg", Damage::Noise, 1, "stage01.stg,the stage could not be loaded"},
        {"stage01.m", Damage::Half, 1, "stage01.m,cannot be read"},
        {"stage01.x", Damage::Short, 1, "stage01.x,"},
        {"stage01.cmb", Damage::Noise, 1, "stage01.cmb,"},
        {"stage01.evt", Damage::Short, 1, "stage01.evt,cannot be read"},
        {"stage01.spr", Damage::Half, 1, "stage01.spr,cannot be read"},
        {"general.ini", Damage::Deleted, 3, "general.ini,missing table"},
        {"castle.ini", Damage::Half, 3, "castle.ini,damaged table"},
        {"SubCastle.ini", Damage::Noise, 3, "SubCastle.ini,damaged table"},
        {"soldier.ini", Damage::Short, 3, "soldier.ini,damaged table"},
    };
    std::vector<std::future<GameRun>> runs;
    for (size_t i = 0; i < std::size(cases); ++i) {
        const fs::path game = Copy("damaged" + std::to_string(i));
        Spoil(game / cases[i].file, cases[i].how);
        runs.push_back(std::async(std::launch::async, [game] {
            return Play(game, "KARDOL_AUTOPLAY=stage01.stg KARDOL_SEED=1 KARDOL_FRAMES=3000");
        }));
        if (runs.size() % 2 == 0) runs[runs.size() - 2].wait();
    }
    for (size_t i = 0; i < runs.size(); ++i) {
        SCOPED_TRACE(cases[i].file);
        const GameRun r = runs[i].get();
        EXPECT_EQ(r.exitCode, cases[i].exitCode) << r.err;
        EXPECT_NE(r.errorList.find(cases[i].logged), std::string::npos) << r.errorList;
        EXPECT_NE(r.err.find(cases[i].exitCode == 1 ? "could not be loaded" : "data file"), std::string::npos)
            << r.err;
        EXPECT_EQ(r.out.find("world digest"), std::string::npos) << "the damaged stage was not played";
        EXPECT_EQ(r.err.find("Sanitizer"), std::string::npos) << r.err;
    }
}

// Each file of a save the running game wrote, damaged one way each and loaded from the main menu:
// the message and "Error.lst" name the save, and the run goes on to its frame limit and ends with 0.
TEST_F(DamagedFilesRunTest, EachDamagedFileOfASaveIsNamed) {
    const fs::path saved = Copy("saved");
    const GameRun save = Play(saved, kSaveWithCtrlS);
    ASSERT_EQ(save.exitCode, 0) << save.err;
    const struct {
        const char* ending;
        Damage how;
    } cases[] = {
        // The fog layers (.csm, .cmb) are not read back: a loaded game makes its own fog.
        {"age", Damage::Short}, {"m", Damage::Half},   {"x", Damage::Noise},
        {"spr", Damage::Noise}, {"evt", Damage::Half},
    };
    const std::string script = "KARDOL_FRAMES=400 KARDOL_INPUT=\"60:" + std::string(kLoadGame) +
                               ";80:" + kFirstSlot + ";100:" + kOk + "\"";
    std::vector<std::future<GameRun>> runs;
    for (const auto& k : cases) {
        const fs::path game = Copy(std::string("save-") + k.ending, saved);
        Spoil(game / "Save" / (std::string("dynasty1.") + k.ending), k.how);
        runs.push_back(std::async(std::launch::async, [game, script] { return Play(game, script); }));
        if (runs.size() % 2 == 0) runs[runs.size() - 2].wait();
    }
    for (size_t i = 0; i < runs.size(); ++i) {
        SCOPED_TRACE(cases[i].ending);
        const GameRun r = runs[i].get();
        const std::string file = std::string(".\\Save\\dynasty1.") + cases[i].ending;
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NE(r.err.find("Could not read file " + file + "!"), std::string::npos) << r.err;
        EXPECT_NE(r.errorList.find(file + ",cannot be"), std::string::npos) << r.errorList;
        EXPECT_EQ(r.err.find("Sanitizer"), std::string::npos) << r.err;
    }
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
