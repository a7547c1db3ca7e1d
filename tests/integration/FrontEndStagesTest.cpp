// Every stage the front end offers, started as the player starts it: the demo folder written by its
// own writers, the real front-end screens and clicks through the controller's mouse handler. A
// stage whose files are missing or damaged leaves the player on a screen that works.
#include "DemoBattlePictures.h"
#include "DemoBattleStart.h"
#include "DemoCampaign.h"
#include "DemoCityPanels.h"
#include "DemoExtraStages.h"
#include "DemoFolder.h"
#include "DemoGenerator.h"
#include "DemoStage.h"
#include "DemoUnitPanels.h"

#include "support/TempFolder.h"

#include "Program/FrontEndScreens.h"
#include "Program/GameController.h"
#include "Program/MainWindow.h"
#include "Program/StageSet.h"
#include "engine/LinkList.h"
#include "platform/Messages.h"
#include "records/Kingdom.h"
#include "troops/Troop.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

// Scenes of the front end the player can be on.
constexpr int kSceneMainMenu = 0, kSceneStageList = 3, kSceneAct = 4, kScenePreparation = 16;

class FrontEndStagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("KARDOL_HEADLESS", "1", 1);
        ::setenv("SDL_VIDEODRIVER", "dummy", 1);
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);
        ::setenv("KARDOL_REGISTRY", (folder.path() / "registry.ini").c_str(), 1);
        std::string error;
        const std::string where = folder.path().string();
        ASSERT_TRUE(WriteDemoFolder(where, error) && WriteDemoGenerator(where, error) &&
                    WriteDemoStage(where, error) && WriteDemoBattlePictures(where, error) &&
                    WriteDemoUnitPanels(where, error) && WriteDemoCampaign(where, error) &&
                    WriteDemoCityPanels(where, error) && WriteDemoExtraStages(where, error))
            << error;
    }
    void TearDown() override {
        if (c) TearDownProgram();
    }
    void Start() {
        std::string error;
        ASSERT_TRUE(StartDemoGame(error)) << error;
        c = TheGameController;
        InstallFrontEndScreens();
        Frames(2);
    }

    void Frames(int n) {
        for (int i = 0; i < n; ++i) {
            GameTimerProc(0, 0, 0, 0, 0);
            c->Frame(platform::WM_USER);
        }
    }
    void Click(int x, int y) {
        c->mouseX = x;
        c->mouseY = y;
        c->OnMouse(platform::WM_MOUSEMOVE);
        c->OnMouse(platform::WM_LBUTTONDOWN);
        c->OnMouse(platform::WM_LBUTTONUP);
        // Long enough for the double-click timer to run out: each click is a single one.
        Frames(12);
    }

    // Main menu, single play, the battle list.
    void OpenStageList() {
        Click(400, 360); // SINGLE PLAY
        Click(400, 282); // BATTLE
        ASSERT_EQ(c->scene, kSceneStageList);
        ASSERT_NE(c->stageListWindow, nullptr);
    }
    void StartListStage(int stage) {
        Click(40 + (stage - 1) * 67, 348); // the stage's button
        Click(100, 560);                   // START
    }
    // Main menu, single play, the campaign, the act and its marked stage.
    void OpenAct(int act) {
        Click(400, 360); // SINGLE PLAY
        Click(400, 222); // CAMPAIGN
        Click(180 + act * 220, 400);
        Click(520, 520); // START
        ASSERT_EQ(c->scene, kSceneAct);
    }

    // Kingdoms of the loaded stage with at least one troop in the field.
    static int SidesWithTroops() {
        Zu_StageSet* stage = CurrentStageSet();
        if (!stage) return 0;
        int sides = 0;
        for (Kingdom* k : ListValues<Kingdom>(*stage->kingdoms)) {
            int troops = 0;
            for (Troop* t : ListValues<Troop>(k->fieldUnits))
                if (!t->outOfPlay && !t->IsGone()) ++troops;
            if (troops > 0) ++sides;
        }
        return sides;
    }
    static std::string ErrorList() {
        std::ifstream in("Error.lst", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    testsupport::TempFolder folder;
    GameController* c = nullptr;
};

TEST_F(FrontEndStagesTest, EveryStageOfTheListStartsABattleWithTroops) {
    for (int stage = 1; stage <= 6; ++stage) {
        SCOPED_TRACE(stage);
        Start();
        ASSERT_NO_FATAL_FAILURE(OpenStageList());
        StartListStage(stage);
        Frames(4);
        EXPECT_EQ(c->mode, 1) << "battle mode";
        EXPECT_EQ(c->campaignStage, stage);
        EXPECT_GE(SidesWithTroops(), 2);
        TearDownProgram();
        c = nullptr;
    }
    EXPECT_EQ(ErrorList(), "");
}

TEST_F(FrontEndStagesTest, EveryActOpensOnAStageWithTroops) {
    const int firstStages[3] = {11, 23, 35};
    for (int act = 0; act < 3; ++act) {
        SCOPED_TRACE(act);
        Start();
        ASSERT_NO_FATAL_FAILURE(OpenAct(act));
        Click(690, 520); // START the marked stage
        EXPECT_EQ(c->scene, kScenePreparation);
        EXPECT_EQ(c->campaignStage, firstStages[act]);
        EXPECT_GE(SidesWithTroops(), 2);
        TearDownProgram();
        c = nullptr;
    }
    EXPECT_EQ(ErrorList(), "");
}

// A stage file missing or damaged: the player is told, the file is named in "Error.lst", no battle
// starts, and he is back on the screen he chose the stage on, from which another stage starts.
TEST_F(FrontEndStagesTest, AStageThatCannotBeReadLeavesThePlayerOnAWorkingScreen) {
    const struct {
        const char* file;
        bool remove; // else cut to 13 bytes
        const char* logged;
    } cases[] = {
        {"stage03.stg", true, "stage03.stg,cannot be opened"},
        {"stage03.spr", false, "stage03.spr,cannot be read"},
        {"stage01.m", false, "stage01.m"},
        {"stage11.evt", false, "stage11.evt,cannot be read"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.file);
        const fs::path kept = fs::path(k.file).concat(".kept");
        fs::copy_file(k.file, kept, fs::copy_options::overwrite_existing);
        if (k.remove)
            fs::remove(k.file);
        else
            fs::resize_file(k.file, 13);
        fs::remove("Error.lst");
        Start();
        const bool campaign = std::string(k.file).rfind("stage11", 0) == 0;
        if (campaign) {
            ASSERT_NO_FATAL_FAILURE(OpenAct(0));
            Click(690, 520); // START the marked stage
            EXPECT_EQ(c->scene, kSceneAct);
            EXPECT_NE(c->actWindow, nullptr);
        } else {
            ASSERT_NO_FATAL_FAILURE(OpenStageList());
            StartListStage(3);
            Frames(4);
            EXPECT_EQ(c->scene, kSceneStageList);
            EXPECT_NE(c->stageListWindow, nullptr);
        }
        EXPECT_NE(c->mode, 1) << "no battle";
        EXPECT_EQ(c->running, 0);
        EXPECT_NE(ErrorList().find(k.logged), std::string::npos) << ErrorList();

        // The screen works: back to the menu, and the whole demo stage starts from the list.
        fs::copy_file(kept, k.file, fs::copy_options::overwrite_existing);
        Click(campaign ? 530 : 310, campaign ? 520 : 560); // BACK
        if (campaign) {
            Click(280, 520); // BACK from the hero window
            Click(400, 342); // BACK from single play
        } else {
            Click(400, 342); // BACK from single play
        }
        EXPECT_EQ(c->scene, kSceneMainMenu);
        ASSERT_NO_FATAL_FAILURE(OpenStageList());
        StartListStage(2);
        Frames(4);
        EXPECT_EQ(c->mode, 1);
        EXPECT_GE(SidesWithTroops(), 2);
        TearDownProgram();
        c = nullptr;
    }
}

} // namespace
