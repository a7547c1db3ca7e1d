// Which files make up a stage file set for each combination of the switches.
#include "stagefiles/StageFileSet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct SetCase {
    const char* path;
    StageFileSwitches switches;
    const char* base;
    const char* map;
    std::vector<std::string> endings;
};

} // namespace

TEST(StageFileSet, SwitchesChooseTheFilesRead) {
    const std::vector<std::string> restore{".spr", ".soldier", ".gat", ".itm", ".dead", ".evt"};
    const std::vector<std::string> restoreStarted{".spr", ".gat", ".itm", ".dead", ".evt"};
    const std::vector<std::string> stage{".spr", ".dor", ".itm", ".dead", ".evt"};
    // freshStage, battleStarted, mapKeptOutside, campaignStage, gameKind, gameKindOption
    const SetCase cases[] = {
        {".\\Save\\dynasty3.age", {0, 0, 0, 3, 0, 0}, ".\\Save\\dynasty3", ".\\Save\\dynasty3", restore},
        {".\\Save\\dynasty3.age",
         {0, 1, 0, 3, 0, 0},
         ".\\Save\\dynasty3",
         ".\\Save\\dynasty3",
         restoreStarted},
        {"stage09.stg", {1, 0, 0, 3, 0, 0}, "stage09", "stage01", stage},
        {"stage09.stg", {1, 0, 0, 6, 0, 0}, "stage09", "stage01", stage},
        {"stage09.stg", {1, 0, 0, 7, 0, 0}, "stage09", "stage09", stage},
        {"Virtual.stg", {1, 0, 0, 0, 3, 0}, "Virtual", "stage01", stage},
        {"Virtual.stg", {1, 0, 0, 0, 3, 1}, "Virtual", "Virtual", stage},
        {"stage07.stg", {1, 1, 1, 7, 0, 0}, "stage07", "", stage},
        // Only a "." after the last separator ends the base name.
        {"..\\maps\\plain", {1, 0, 0, 20, 0, 0}, "..\\maps\\plain", "..\\maps\\plain", stage},
        {"./a.b/c", {1, 0, 0, 20, 0, 0}, "./a.b/c", "./a.b/c", stage},
        {"a.b.stg", {1, 0, 0, 20, 0, 0}, "a.b", "a.b", stage},
    };
    for (const SetCase& c : cases) {
        const std::string base = StageBaseName(c.path);
        EXPECT_EQ(base, c.base) << c.path;
        EXPECT_EQ(StageMapName(base, c.switches), c.map) << c.path;
        std::vector<std::string> want;
        for (const std::string& e : c.endings)
            want.push_back(base + e);
        EXPECT_EQ(StageCompanionFiles(base, c.switches), want)
            << c.path << " fresh " << c.switches.freshStage << " started " << c.switches.battleStarted;
    }
}
