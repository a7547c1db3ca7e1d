// The campaign road as the player walks it, in this process: the demo folder written by its own
// writers, the game's start-up objects, the real front-end screens, and clicks through the
// controller's mouse handler from the main menu to the battle.
#include "DemoBattlePictures.h"
#include "DemoBattleStart.h"
#include "DemoCampaign.h"
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
#include "gui/Widget.h"
#include "platform/Messages.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "windows/WindowHosts.h"
#include "windows/city/PlayerCamp.h"
#include "windows/city/Win80Window.h"
#include "windows/unit/Win05Window.h"
#include "windows/unit/Win10Window.h"
#include "windows/unit/Win80_1Window.h"
#include "world/BattleMap.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kUnitPanelTop = 330 + 36; // the demo's unit panel, moved down during the preparation

class CampaignRoadTest : public ::testing::Test {
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
                    WriteDemoUnitPanels(where, error) && WriteDemoCampaign(where, error))
            << error;
        ASSERT_TRUE(StartDemoGame(error)) << error;
        c = TheGameController;
        InstallFrontEndScreens();
    }
    void TearDown() override { TearDownProgram(); }

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

    void RightClick(int x, int y) {
        c->mouseX = x;
        c->mouseY = y;
        c->OnMouse(platform::WM_MOUSEMOVE);
        c->OnMouse(platform::WM_RBUTTONDOWN);
        c->OnMouse(platform::WM_RBUTTONUP);
        Frames(2);
    }

    // Main menu, single play, the campaign, the second act, its first stage.
    void WalkToThePreparation() {
        Frames(2);
        Click(400, 360); // SINGLE PLAY
        Click(400, 222); // CAMPAIGN
        Click(400, 400); // ACT II
        Click(520, 520); // START
        ASSERT_EQ(c->scene, 4);
        Click(690, 520); // START the marked stage
        ASSERT_EQ(c->scene, 16);
        ASSERT_NE(PreparationWindow(), nullptr);
        ASSERT_NE(PlayerCamp(), nullptr);
    }

    // Presses the unit panel's row button of the named general.
    void PressRowOf(const char* name) {
        Win05Window* panel = UnitPanel();
        ASSERT_NE(panel, nullptr);
        for (int r = 0; r < 6; ++r)
            if (panel->rows[r] && panel->rows[r]->officer && panel->rows[r]->officer->Name() == name) {
                Click(50, kUnitPanelTop + 38 + 32 * r + 15);
                return;
            }
        FAIL() << name << " is not listed";
    }

    static Troop* Named(LinkList& list, const char* name) {
        for (Troop* t : ListValues<Troop>(list))
            if (t->officer && t->officer->Name() == name) return t;
        return nullptr;
    }
    static bool OnItsCell(Troop* t) {
        for (uintptr_t v = TheBattleMap->FirstObjectAt(t->cellX, t->cellY); v != 0;
             v = TheBattleMap->NextObjectAt())
            if (v == uintptr_t(t)) return true;
        return false;
    }
    static Kingdom* Red() { return CurrentStageSet()->playerKingdom; }
    static City* RedKeep() { return reinterpret_cast<City*>(Red()->cities.GetAt(0)); }
    bool ReadyEnabled() {
        Widget* ready = PreparationWindow()->Control(0x103);
        return ready && ready->enabled;
    }

    testsupport::TempFolder folder;
    GameController* c = nullptr;
};

TEST_F(CampaignRoadTest, TheChosenGeneralsGoToTheBattleAndTheOthersLeaveTheMap) {
    ASSERT_NO_FATAL_FAILURE(WalkToThePreparation());
    City* camp = PlayerCamp();
    // The camp: the profile's gold and soldiers (no earlier camp at an act's first stage) and the
    // player's four generals (the keep's wall captain among them), smallest officer id first.
    EXPECT_EQ(camp->Int(CityLayout::kGold), 1500);
    EXPECT_EQ(camp->Int(CityLayout::kFood), 0);
    EXPECT_EQ(camp->reserve.GetCount(), 14);
    std::vector<std::string> generals;
    for (Troop* t : ListValues<Troop>(camp->units))
        generals.emplace_back(t->officer->Name());
    EXPECT_EQ(generals, (std::vector<std::string>{"Wen Li", "Gao Lan", "Zhao Feng", "Lu Min"}));
    EXPECT_EQ(c->selectedCity, camp);
    EXPECT_EQ(TheBattleMap->cities[camp->Int(CityLayout::kIndex)], camp);
    const int slot = camp->Int(CityLayout::kIndex);

    // One general must appear; the quota of two is not met until the player picks another.
    EXPECT_STREQ(PreparationWindow()->texts[7], "1/2");
    EXPECT_FALSE(ReadyEnabled());
    PressRowOf("Lu Min");
    EXPECT_STREQ(PreparationWindow()->texts[7], "2/2");
    EXPECT_TRUE(ReadyEnabled());

    Click(710, 492); // READY
    ASSERT_NE(PreparationWindow()->question, nullptr);
    Click(325, 346); // YES
    Frames(2);
    EXPECT_EQ(c->mode, 1) << "battle mode";
    EXPECT_EQ(PreparationWindow(), nullptr);
    EXPECT_EQ(PlayerCamp(), nullptr);
    EXPECT_EQ(TheBattleMap->cities[slot], nullptr);
    EXPECT_EQ(c->selectedCity, RedKeep());

    // The chosen generals stand on the battle map; the one left out is gone from its city.
    for (const char* name : {"Zhao Feng", "Lu Min"}) {
        Troop* t = Named(Red()->fieldUnits, name);
        ASSERT_NE(t, nullptr) << name;
        EXPECT_EQ(t->garrison, 0) << name;
        EXPECT_TRUE(OnItsCell(t)) << name;
    }
    EXPECT_EQ(Named(RedKeep()->units, "Wen Li"), nullptr);
    // The camp is kept for the act's next stage.
    EXPECT_GT(std::filesystem::file_size("Virtual23.castle"), 0u);
}

TEST_F(CampaignRoadTest, TheQuotaBoundsTheChoiceAndTheReadyButton) {
    ASSERT_NO_FATAL_FAILURE(WalkToThePreparation());
    const struct {
        const char* press;
        const char* count;
        bool ready;
    } steps[] = {
        {"Zhao Feng", "0/2", false}, // the mark is taken away
        {"Lu Min", "1/2", false},    {"Wen Li", "2/2", true},
        {"Zhao Feng", "2/2", true}, // a third beyond the quota is refused
        {"Wen Li", "1/2", false},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.press);
        PressRowOf(s.press);
        EXPECT_STREQ(PreparationWindow()->texts[7], s.count);
        EXPECT_EQ(ReadyEnabled(), s.ready);
    }
    EXPECT_EQ(Named(PlayerCamp()->units, "Zhao Feng")->OfficerValue(OfficerLayout::kMustAppear), 0);
    // A no answer only closes the question.
    PressRowOf("Zhao Feng");
    Click(710, 492);
    ASSERT_NE(PreparationWindow()->question, nullptr);
    Click(455, 346); // NO
    ASSERT_NE(PreparationWindow(), nullptr);
    EXPECT_EQ(PreparationWindow()->question, nullptr);
    EXPECT_EQ(c->mode, 0);
    EXPECT_EQ(c->scene, 16);
    Click(710, 492);
    Click(325, 346); // YES
    EXPECT_EQ(c->mode, 1);
}

} // namespace

namespace {

// The demo's troop list sits at (300, 300); row r's button at (40, 38 + 32 r) of it.
constexpr int kListLeft = 300, kListTop = 300;

TEST_F(CampaignRoadTest, TheGeneralsPageListsTheCandidatesByLevelAndShowsARowsValues) {
    ASSERT_NO_FATAL_FAILURE(WalkToThePreparation());
    Click(710, 78); // GENERALS
    Win80_1Window* page = PreparationWindow()->choicePage;
    ASSERT_NE(page, nullptr);
    // Level 6 before level 5; of the two at level 6 the smaller person number first.
    std::vector<std::string> rows;
    for (Troop* t : page->rows)
        rows.emplace_back(t ? std::string(t->officer->Name()) : "-");
    EXPECT_EQ(rows, (std::vector<std::string>{"Wen Li", "Zhao Feng", "Lu Min", "Gao Lan", "-", "-"}));
    EXPECT_EQ(page->walked, 4);

    RightClick(kListLeft + 50, kListTop + 38 + 32 * 4 + 15); // an empty row
    EXPECT_EQ(page->infoTroop, nullptr);
    RightClick(kListLeft + 50, kListTop + 38 + 32 * 2 + 15);
    EXPECT_EQ(page->infoTroop, page->rows[2]);
    ASSERT_NE(page->infoPage->panel, nullptr);
    EXPECT_EQ(page->infoPage->shown, page->rows[2]);

    Click(710, 78); // GENERALS again closes the page
    EXPECT_EQ(PreparationWindow()->choicePage, nullptr);
    PressRowOf("Lu Min");
    Click(710, 492);
    Click(325, 346);
    EXPECT_EQ(c->mode, 1);
}

} // namespace
