#include "ControllerTestFixture.h"
#include "Program/StageCalendar.h"

#include "Program/BannerWindow.h"
#include "Program/CodeLine.h"
#include "engine/ResourceStore.h"
#include "events/EventManager.h"
#include "net/Zu_LocalSet.h"
#include "net/lobby/SlotFields.h"
#include "records/City.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "troops/TroopOrder.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

using namespace controllertest;

namespace {

TEST(StageFileChoice, EachKindOfGameTakesItsFile) {
    trooptest::Battle b;
    GameController& c = *TheGameController;
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
        c.roomMapKind = static_cast<int8_t>(k.roomMapKind);
        EXPECT_EQ(std::string(c.ChooseStageFile()), k.file) << k.campaignStage;
        EXPECT_EQ(c.gameKind, k.kindAfter) << k.campaignStage;
    }
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

// "kingdom.cel" is read once, at start-up: a stage start leaves every overlay picture on the
// surface the loader put it on.
TEST_F(StageStart, KeepsTheOverlayPicturesOnTheirSurfaces) {
    b.Animations({});
    for (uint16_t tile : {1, 4, 11999})
        TheResourceStore->spriteSurfaceIndex[tile] = uint16_t(tile % 7);
    c->StartStage();
    for (uint16_t tile : {1, 4, 11999})
        EXPECT_EQ(TheResourceStore->spriteSurfaceIndex[tile], tile % 7) << tile;
}

TEST_F(StageStart, ANetworkGameSetsRelationsByAllianceAndClearsTheAids) {
    Kingdom* friendK = b.AddKingdom(4);
    for (auto [k, group] : {std::pair{player, 1}, {enemy, 2}, {computer, 0}, {friendK, 1}})
        trooptest::Battle::SetKingdomValue(k, KingdomLayout::kAllianceGroup, group);
    c->roomMapKind = 1;
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
}

// The room's players: their kingdoms take their teams (and on a generated map their names, the
// others the computer's), are marked as played by people, and the own one becomes the stage's.
struct NetworkStart : StageStart {
    Zu_LocalSet* session = new Zu_LocalSet(c);
    NetworkStart() {
        c->session = session;
        c->networked = 1;
        c->gameKind = 2;
    }
    ~NetworkStart() override {
        c->session = nullptr;
        delete session;
    }
    void Seat(int slot, uint32_t kingdom, uint32_t team, const char* name) {
        PlayerSlot& p = c->players[slot];
        slotfields::SetId(p, uint32_t(slot + 1));
        slotfields::SetName(p, name);
        slotfields::SetAlliance(p, team);
        slotfields::SetChoice(p, kingdom);
        session->playerCount = std::max(session->playerCount, slot + 1);
    }
};

TEST_F(NetworkStart, AGeneratedMapNamesThePlayersKingdomsAndMarksThemPlayed) {
    Seat(0, uint32_t(player->nationIndex), 1, "Ann of the very long name");
    Seat(1, uint32_t(enemy->nationIndex), 2, "Bo");
    c->randomMap = 1;
    c->StartStage();
    EXPECT_EQ(c->gameKind, 3);
    EXPECT_EQ(player->AllianceGroup(), 1);
    EXPECT_EQ(enemy->AllianceGroup(), 2);
    EXPECT_EQ(std::string(player->Text(KingdomLayout::kName, 20)), "Ann of the very lon") << "19 bytes";
    EXPECT_EQ(std::string(enemy->Text(KingdomLayout::kName, 20)), "Bo");
    EXPECT_EQ(std::string(computer->Text(KingdomLayout::kName, 20)), "\xb9\x71\xb8\xa3");
    EXPECT_EQ(player->relations[enemy->nationIndex], 3);
    for (int side = 1; side <= 16; ++side)
        EXPECT_EQ(TheBattleMap->sideActive[side],
                  side == player->nationIndex || side == enemy->nationIndex ? 0 : 1)
            << side;
    EXPECT_EQ(b.stage->playerSide, player->nationIndex);
    EXPECT_EQ(slotfields::Name(c->startedPlayers[1]), "Bo");
    EXPECT_EQ(slotfields::Id(c->startedPlayers[2]), 0u);
}

// On a fixed map people's troops start without the stage's orders at the room's level (famous
// generals at half of it); the computer's keep their orders. A kingdom id past the side table in a
// player's record marks nothing.
TEST_F(NetworkStart, AFixedMapClearsThePlayersOrdersAndSetsTheRoomsLevel) {
    Seat(0, uint32_t(player->nationIndex), 1, "Ann");
    Seat(1, 500, 2, "Bo");
    c->roomMapKind = 1;
    c->campaignStage = 101;
    c->startLevel = 9;
    // Generals: the stage load keeps them.
    Troop* ours = b.AddTroop(player, 5, 5);
    ours->leaderFlag = 1;
    ours->officer->Set(OfficerLayout::kActionAi, 4);
    ours->officer->Set(OfficerLayout::kOrderA + 32, 9);
    ours->officer->Set(OfficerLayout::kFamous, 1);
    ours->order->orderState = 3;
    Troop* theirs = b.AddTroop(computer, 9, 9);
    theirs->leaderFlag = 1;
    theirs->officer->Set(OfficerLayout::kActionAi, 4);
    theirs->order->orderState = 3;
    c->StartStage();
    EXPECT_EQ(ours->officer->Get(OfficerLayout::kActionAi), 0);
    EXPECT_EQ(ours->officer->Get(OfficerLayout::kOrderA + 32), 0);
    EXPECT_EQ(ours->order->orderState, 0);
    EXPECT_EQ(ours->officer->Get(OfficerLayout::kLevel), 4);
    EXPECT_EQ(theirs->officer->Get(OfficerLayout::kActionAi), 4);
    EXPECT_EQ(theirs->order->orderState, 3);
    EXPECT_EQ(theirs->officer->Get(OfficerLayout::kLevel), 9);
    EXPECT_EQ(TheBattleMap->sideActive[enemy->nationIndex], 1);
    EXPECT_EQ(b.stage->playerSide, player->nationIndex);
}

// A single battle's field generals take their bands when it starts: a class-1 general of level 4
// leads three spearmen of the battle template, who join his kingdom's field army; starting again
// makes the band anew rather than a second one.
TEST_F(StageStart, ABattleGivesItsFieldGeneralsTheirBands) {
    constexpr int kSpearmanTemplate = 419;
    std::array<uint8_t, OfficerLayout::kSize> spearman{};
    for (auto [offset, value] : {std::pair<uint32_t, int32_t>{OfficerLayout::kSoldierType, 1},
                                 {OfficerLayout::kPersonNumber, kSpearmanTemplate},
                                 {OfficerLayout::kAttribute, 2}})
        std::memcpy(spearman.data() + offset, &value, 4);
    uint8_t* const keepTemplate = GeneralTemplateTable[kSpearmanTemplate];
    const int32_t keepCount = GeneralTemplateCount;
    GeneralTemplateTable[kSpearmanTemplate] = spearman.data();
    GeneralTemplateCount = kSpearmanTemplate + 1;

    Troop* general = b.AddTroop(enemy, 20, 30, 1, 1);
    general->officer->Set(OfficerLayout::kClass, 1);
    general->officer->Set(OfficerLayout::kLevel, 4);
    Troop* soldier = b.AddTroop(enemy, 24, 30, 1, 2);
    // Troops read from the stage stand as leaders; the load drops the others before the bands.
    general->leaderFlag = soldier->leaderFlag = 1;
    c->gameKind = 1;
    c->campaignStage = 2;
    c->StartStage();
    ASSERT_NE(general->followers, nullptr);
    ASSERT_EQ(general->followers->GetCount(), 3);
    for (uintptr_t v = general->followers->First(); v != 0; v = general->followers->Next()) {
        auto* f = reinterpret_cast<Troop*>(v);
        EXPECT_EQ(f->OfficerValue(OfficerLayout::kPersonNumber), kSpearmanTemplate);
        EXPECT_EQ(f->owner, enemy->nationIndex);
        EXPECT_NE(enemy->fieldUnits.Find(v), 0u);
    }
    EXPECT_EQ(enemy->fieldUnits.GetCount(), 5);
    EXPECT_TRUE(!soldier->followers || soldier->followers->GetCount() == 0) << "a soldier leads no band";

    c->StartStage();
    EXPECT_EQ(general->followers->GetCount(), 3);
    EXPECT_EQ(enemy->fieldUnits.GetCount(), 5);

    GeneralTemplateTable[kSpearmanTemplate] = keepTemplate;
    GeneralTemplateCount = keepCount;
}

} // namespace
