#include "ControllerTestFixture.h"

#include "Program/BannerWindow.h"
#include "Program/BattleFrameSeam.h"
#include "Program/CodeLine.h"
#include "events/EventManager.h"
#include "records/City.h"

#include <gtest/gtest.h>

#include <string>

using namespace controllertest;

namespace {

TEST(StageFileChoice, EachKindOfGameTakesItsFile) {
    trooptest::Battle b;
    GameController& c = *TheGameController;
    const int32_t keepRoom = RoomMapKind;
    struct Case {
        int32_t gameKind, actIndex, actChoice;
        uint8_t networked, campaignStage;
        int32_t randomMap, roomMapKind;
        const char* file;
        int32_t kindAfter;
    } cases[] = {
        {0, 1, 0, 0, 23, 0, 0, "stage23.stg", 0},
        {0, 1, 11, 0, 34, 0, 0, "stage34.stg", 0},
        {0, 2, 0, 0, 35, 0, 0, "stage35.stg", 0},
        {1, 0, 0, 0, 3, 0, 0, "stage03.stg", 1},
        {5, 0, 0, 0, 6, 0, 0, "stage06.stg", 1},
        {2, 0, 0, 1, 103, 0, 1, "stage60.stg", 2},
        {2, 0, 0, 1, 100, 0, 1, "stage56.stg", 2},
        {2, 0, 0, 1, 106, 0, 1, "", 2},
        {2, 0, 0, 1, 110, 1, 0, "Virtual.stg", 3},
        {2, 0, 0, 1, 101, 0, 0, "", 3},
        {0, 1, 12, 0, 0, 0, 0, "", 0},
    };
    for (const Case& k : cases) {
        c.gameKind = k.gameKind;
        c.actIndex = k.actIndex;
        c.actChoice = int8_t(k.actChoice);
        c.networked = k.networked;
        c.campaignStage = k.campaignStage;
        c.randomMap = k.randomMap;
        RoomMapKind = k.roomMapKind;
        EXPECT_EQ(std::string(c.ChooseStageFile()), k.file) << k.campaignStage;
        EXPECT_EQ(c.gameKind, k.kindAfter) << k.campaignStage;
    }
    RoomMapKind = keepRoom;
}

struct StageStart : testing::Test, ControllerBattle {
    Kingdom* computer = b.AddKingdom(3);
    StageStart() {
        trooptest::Battle::SetKingdomValue(computer, KingdomLayout::kNationKind, 2);
        b.stage->SetInt(StageBlockLayout::kStartYear, 190);
        b.stage->SetInt(StageBlockLayout::kStartX, 7);
        b.stage->SetInt(StageBlockLayout::kStartY, 31);
    }
    ~StageStart() override {
        delete c->eventManager;
        c->eventManager = nullptr;
        if (c->auxPanel) c->auxPanel->Close(1);
        delete c->auxPanel;
        c->auxPanel = nullptr;
        TheCodeLine = CodeLine{};
        AllStagesOpen = 0;
        CalendarFrozen = 0;
    }
};

TEST_F(StageStart, ASingleBattleScalesTheComputersCitiesAndPlacesTheView) {
    City* theirs = b.AddCity(computer, 30, 30);
    // Run by a player here: the city's own stage-start evaluation stays out of the numbers.
    TheBattleMap->sideActive[computer->nationIndex] = 0;
    theirs->SetInt(CityLayout::kPopulation, 1000);
    theirs->SetInt(CityLayout::kGold, 999);
    theirs->SetInt(CityLayout::kFood, 301);
    City* ours = b.AddCity(player, 35, 60);
    ours->SetInt(CityLayout::kPopulation, 1000);
    c->gameKind = 1;
    c->campaignStage = 2;
    c->running = 0;
    c->groupTargetA = ours;
    c->StartStage();
    EXPECT_EQ(theirs->Int(CityLayout::kPopulation), 700);
    EXPECT_EQ(theirs->Int(CityLayout::kGold), 499);
    EXPECT_EQ(theirs->Int(CityLayout::kFood), 150);
    EXPECT_EQ(ours->Int(CityLayout::kPopulation), 1000);
    EXPECT_EQ(c->selectedCity, ours);
    EXPECT_EQ(c->groupTargetA, nullptr);
    // (35 - 10, 60 - 14) kept inside the 40 x 80 map.
    EXPECT_EQ(view->viewX, 20);
    EXPECT_EQ(view->viewY, 24);
    EXPECT_EQ(TheScreenSettings->year, 190);
    EXPECT_EQ(TheScreenSettings->month, 1);
    EXPECT_EQ(TheScreenSettings->gameSpeed, 6);
    EXPECT_EQ(c->running, 1);
    EXPECT_NE(c->eventManager, nullptr);
    EXPECT_NE(c->auxPanel, nullptr);

    // Without a city of its own the view starts where the stage says, the row made even.
    player->RemoveCity(ours);
    computer->AddCity(ours);
    c->StartStage();
    EXPECT_EQ(c->selectedCity, nullptr);
    EXPECT_EQ(view->viewX, 7);
    EXPECT_EQ(view->viewY, 24) << "row 30, then kept within 80 - 56";
}

TEST_F(StageStart, ANetworkGameSetsRelationsByAllianceAndClearsTheAids) {
    Kingdom* friendK = b.AddKingdom(4);
    for (auto [k, group] : {std::pair{player, 1}, {enemy, 2}, {computer, 0}, {friendK, 1}})
        trooptest::Battle::SetKingdomValue(k, KingdomLayout::kAllianceGroup, group);
    const int32_t keepRoom = RoomMapKind;
    RoomMapKind = 1;
    c->networked = 1;
    c->gameKind = 2;
    c->campaignStage = 101;
    c->playerTruce = 1;
    c->developerKeys = 1;
    AllStagesOpen = 1;
    c->StartStage();
    EXPECT_EQ(c->gameKind, 2);
    EXPECT_EQ(player->relations[1], 1);
    EXPECT_EQ(player->relations[4], 1);
    EXPECT_EQ(player->goodwill[4], 100);
    EXPECT_EQ(player->relations[2], 3);
    EXPECT_EQ(player->goodwill[2], 0);
    EXPECT_EQ(computer->relations[1], 3) << "group 0 is at war with all";
    EXPECT_EQ(friendK->relations[1], 1);
    // The fixed-map settings: the computer's kingdom and the players' differ.
    EXPECT_EQ(computer->Int(88), 5000);
    EXPECT_EQ(player->Int(88), 12);
    EXPECT_EQ(player->Int(56), 12);
    EXPECT_EQ(computer->Int(56), 10);
    EXPECT_EQ(player->Int(64), 2);
    EXPECT_EQ(player->Int(KingdomLayout::kDiplomacy), 0);
    EXPECT_EQ(c->playerTruce, 0);
    EXPECT_EQ(c->developerKeys, 0);
    EXPECT_EQ(AllStagesOpen, 0);
    RoomMapKind = keepRoom;
}

} // namespace
