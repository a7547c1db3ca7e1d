// A game saved in the middle of the demo battle and loaded by a fresh run of the game: the world
// comes back whole and plays on to the stage's end.
#include "engine/LinkList.h"
#include "events/EventFile.h"
#include "events/EventRecord.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <string>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

const std::string MakeDemo = std::string(KARDOL_BINARY_DIR) + "/tools/make_demo/make_demo";
const std::string Game = std::string(KARDOL_BINARY_DIR) + "/Kardol";

std::string ReadAll(const fs::path& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct GameRun {
    int exitCode = -1;
    std::string out, err;
};

// One run of the game in the shared game folder, with its own runtime folder and registry.
GameRun Play(const fs::path& root, const std::string& name, const std::string& env) {
    fs::create_directories(root / name);
    const std::string command =
        "cd " + (root / "game").string() + " && XDG_RUNTIME_DIR=" + (root / name).string() +
        " KARDOL_REGISTRY=" + (root / name / "registry.ini").string() +
        " KARDOL_HEADLESS=1 SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy " + env + " timeout 600 " + Game +
        " > " + (root / name / "out.txt").string() + " 2> " + (root / name / "err.txt").string();
    const int status = std::system(command.c_str());
    GameRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadAll(root / name / "out.txt");
    run.err = ReadAll(root / name / "err.txt");
    return run;
}

// Both runs are shared by the cases: the first plays 2,000 frames and saves to slot 2; the second
// loads slot 2, writes what it got, saves it again to slot 3 before any frame runs, and plays on.
class SaveRoundTripRunTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = std::make_unique<testsupport::TempFolder>(testsupport::TempFolder::Stay);
        const fs::path root = folder->path();
        ASSERT_EQ(std::system((MakeDemo + " " + (root / "game").string() + " > /dev/null").c_str()), 0);
        saved = Play(root, "save",
                     "KARDOL_AUTOPLAY=stage01.stg KARDOL_SEED=7 KARDOL_SAVE_AT=2000:2 KARDOL_CENSUS=" +
                         (root / "saved.txt").string());
        loaded = Play(root, "load",
                      "KARDOL_AUTOPLAY=stage01.stg KARDOL_SEED=7 KARDOL_LOAD=2 KARDOL_LOAD_RESAVE=3 "
                      "KARDOL_FRAMES=30000 KARDOL_CENSUS=" +
                          (root / "loaded.txt").string());
    }
    static void TearDownTestSuite() { folder.reset(); }

    static inline std::unique_ptr<testsupport::TempFolder> folder;
    static inline GameRun saved, loaded;
};

// What the first run saw at its save is what the second run has after loading the slot: every
// troop on the field, in the cities, at their gates and in the sub-castles, with its officer, and
// every city and kingdom.
TEST_F(SaveRoundTripRunTest, TheLoadedSlotGivesBackEveryTroopCityKingdomAndOfficer) {
    ASSERT_EQ(saved.exitCode, 0) << saved.err;
    ASSERT_EQ(loaded.exitCode, 0) << loaded.err;
    const fs::path root = folder->path();
    const std::string before = ReadAll(root / "saved.txt");
    const std::string after = ReadAll(root / "loaded.txt");
    // The battle had moved on: troops were out on the field, a leader with his followers among
    // them, and others inside, when it was saved.
    EXPECT_NE(before.find("field of"), std::string::npos) << before;
    EXPECT_NE(before.find("inside"), std::string::npos) << before;
    EXPECT_TRUE(std::regex_search(before, std::regex("field of [^\n]* followers [1-9]"))) << before;
    EXPECT_NE(before.find("state 13"), std::string::npos) << "a fallen troop was on the field";
    EXPECT_EQ(after, before);

    // Saved again straight after the load, the files of troops, cities, kingdoms, officers, gates,
    // items and events hold the same bytes: every value they store came back as it was. The main
    // file's trailer names the cities the player had selected and the view had marked, which a
    // load lets go of. The map files are left out: a loaded game's map starts covered again.
    constexpr size_t kTrailerBytes = 22 * 4, kSelectedCityWord = 5;
    for (const char* ending : {".age", ".spr", ".soldier", ".dead", ".gat", ".itm", ".evt", ".castle"}) {
        SCOPED_TRACE(ending);
        const fs::path save = root / "game" / "Save";
        std::string first = ReadAll(save / (std::string("dynasty3") + ending));
        std::string second = ReadAll(save / (std::string("dynasty4") + ending));
        ASSERT_FALSE(first.empty());
        if (std::string(ending) == ".age" && first.size() == second.size() && first.size() > kTrailerBytes) {
            const size_t words = first.size() - kTrailerBytes + kSelectedCityWord * 4;
            first.replace(words, 8, 8, '\0');
            second.replace(words, 8, 8, '\0');
        }
        EXPECT_TRUE(first == second);
    }
}

TEST_F(SaveRoundTripRunTest, TheLoadedGamePlaysOnToTheStagesEnd) {
    ASSERT_EQ(loaded.exitCode, 0) << loaded.err;
    const std::string& out = loaded.out;
    EXPECT_TRUE(out.find("stage result: victory") != std::string::npos ||
                out.find("stage result: defeat") != std::string::npos)
        << out << loaded.err;
}

// The demo's clock events: once the opening has fired, one sets the stage timer to a month and the
// tally to five days; by the save at frame 2,000 both have run out and the events waiting on them
// have fired, where the stage file has them all still waiting.
TEST_F(SaveRoundTripRunTest, TheDemoStagesTimerAndTallyEventsFire) {
    ASSERT_EQ(saved.exitCode, 0) << saved.err;
    constexpr int32_t kFired = 100;
    const fs::path root = folder->path();
    // Game file names resolve inside the working folder.
    const fs::path back = fs::current_path();
    fs::current_path(root / "game");
    for (const auto& [file, fired] : {std::pair{"stage01.evt", false}, {"Save\\dynasty3.evt", true}}) {
        SCOPED_TRACE(file);
        LinkList events;
        EXPECT_EQ(LoadEventFile(file, events), 1);
        int found = 0;
        for (auto* e : ListValues<events::EventRecord>(events)) {
            if (e->Id() < 7 || e->Id() > 9) continue;
            ++found;
            // The month-long timer has not run out by frame 2,000 (id 8): only the clocks and the
            // tally are checked fired there.
            if (fired && e->Id() == 8) continue;
            EXPECT_EQ(e->EndState() >= kFired, fired) << e->Id();
        }
        EXPECT_EQ(found, 3);
        DeleteEvents(events);
    }
    fs::current_path(back);
}

} // namespace
