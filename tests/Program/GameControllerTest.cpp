#include "Program/GameController.h"
#include "Program/BannerWindow.h"
#include "Program/BattleRecordScreen.h"
#include "Program/MainWindow.h"
#include "Program/PlainWindow.h"
#include "Program/SceneMachine.h"
#include "Program/ScreenSettings.h"
#include "Program/Zu_StageSet.h"
#include "engine/DisplayDevice.h"
#include "engine/Random.h"
#include "events/SpeechBox.h"
#include "gui/DeferredDelete.h"
#include "gui/FrameAnimation.h"
#include "gui/GuiRoot.h"
#include "gui/MouseCursor.h"
#include "platform/Present.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/PassRecordTable.h"
#include "support/TempFolder.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"

#include <gtest/gtest.h>

#include <memory>

using namespace platform;

namespace {

class GameControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::make_unique<testsupport::TempFolder>();
        ResetPresenterForTest();
        TheScreenSettings = new ScreenSettings;
        AppWindow.window = nullptr;
        ASSERT_EQ(SetupDisplay(), 1);
        TheGuiRoot = new GuiRoot;
        TheBattleMap = new BattleMap;
        stage = new Zu_StageSet;
        TheBattleMap->stageSet = stage;
        TheGameController = c = new GameController;
        ActiveFlag = 1;
    }
    void TearDown() override {
        c->FreeResources();
        delete c;
        TheGameController = nullptr;
        delete stage;
        delete TheBattleMap;
        TheBattleMap = nullptr;
        delete TheGuiRoot;
        TheGuiRoot = nullptr;
        ReleaseSurfaces();
        ReleaseDirectDraw();
        delete TheScreenSettings;
        TheScreenSettings = nullptr;
        ResetPresenterForTest();
        folder.reset();
    }
    // Runs battle frames until the battle has ended (mode back to 0), at most `limit`.
    int RunUntilEnd(int limit) {
        int frames = 0;
        while (c->mode == 1 && frames < limit) {
            c->Frame(FrameMessage);
            ++frames;
        }
        return frames;
    }
    std::unique_ptr<testsupport::TempFolder> folder;
    Zu_StageSet* stage = nullptr;
    GameController* c = nullptr;
};

} // namespace

TEST_F(GameControllerTest, ConstructionSetsTheDocumentedStart) {
    EXPECT_EQ(c->mouseX, 500);
    EXPECT_EQ(c->mouseY, 500);
    EXPECT_EQ(c->actOption, 1);
    EXPECT_EQ(c->menuChoice, -1);
    EXPECT_EQ(c->singleChoice, -1);
    EXPECT_EQ(c->actChoice, -1);
    EXPECT_EQ(c->running, 1);
    EXPECT_EQ(c->currentGroup, -1);
    EXPECT_EQ(c->speechSpeed, 20);
    EXPECT_EQ(c->session, nullptr);
    ASSERT_NE(c->selection, nullptr);
    for (auto* g : c->groups)
        EXPECT_NE(g, nullptr);
    for (auto* m : c->minimapImages)
        EXPECT_NE(m, nullptr);
    EXPECT_EQ(c->markerFrames[0]->frameHeight, 4);
    EXPECT_EQ(c->markerFrames[2]->frameHeight, 12);
}

TEST_F(GameControllerTest, TheModeSwitchFrameDrawsNothing) {
    const uint64_t before = PresentCount();
    c->Frame(FrameMessage);
    EXPECT_EQ(PresentCount(), before + 1); // an ordinary front-end frame is drawn
    c->requestedMode = 1;
    c->Frame(FrameMessage);
    EXPECT_EQ(c->mode, 1);
    EXPECT_EQ(PresentCount(), before + 1);
    // A request back to the front end takes one more silent frame from the battle's side.
    c->mode = 100;
    c->requestedMode = 100;
    c->Frame(FrameMessage);
    EXPECT_EQ(PresentCount(), before + 2);
}

TEST_F(GameControllerTest, NothingHappensWhileTheApplicationIsInactive) {
    ActiveFlag = 0;
    const uint64_t before = PresentCount();
    c->requestedMode = 1;
    c->Frame(FrameMessage);
    EXPECT_EQ(c->mode, 0);
    EXPECT_EQ(PresentCount(), before);
    c->mode = 1;
    c->Frame(FrameMessage);
    EXPECT_EQ(c->battlePhase, 0);
}

TEST_F(GameControllerTest, TheBattleEndWaitsForTheSpeechBoxAndTheEndCountdown) {
    c->mode = c->requestedMode = 1;
    TheScreenSettings->endCountdown = 3;
    c->Frame(FrameMessage);
    EXPECT_EQ(TheScreenSettings->endCountdown, 4);
    EXPECT_EQ(c->battlePhase, 0);
    TheScreenSettings->endCountdown = 0;
    TheScreenSettings->battleEnded = 1;
    stage->result = 2;
    auto* box = new SpeechBox(TheRootWidget, nullptr, nullptr, std::nullopt); // a box with nothing to say
    EXPECT_EQ(c->speechBox, box);
    c->Frame(FrameMessage);
    EXPECT_EQ(c->mode, 1);
    EXPECT_EQ(c->battlePhase, 1);
    box->Close(0);
    FlushDeferredDeletes();
    EXPECT_EQ(c->speechBox, nullptr);
    c->Frame(FrameMessage);
    EXPECT_EQ(c->mode, 0);
    EXPECT_EQ(TheScreenSettings->battleEnded, 0);
}

// The act window of a won campaign stage, standing in for the screen.
struct ActWindowServices : FrontEndServices {
    Window* NewActSelectWindow(Widget*, GameController*, const char*) override { return new PlainWindow; }
};

// A campaign victory carries the player's ordinary generals to the next stage in its pass file.
TEST_F(GameControllerTest, ACampaignVictoryWritesThePassRecordOfItsMap) {
    ActWindowServices services;
    SetFrontEndServices(&services);
    auto* player = new Kingdom;
    player->nationIndex = 1;
    stage->AddKingdom(player);
    stage->SetColumn(StageBlockLayout::kMapLink, 17);
    auto* officer = new OfficerRecord(1, -1);
    officer->Set(OfficerLayout::kPersonNumber, 42);
    officer->Set(OfficerLayout::kAttribute, 1);
    player->fieldUnits.Add(uintptr_t(new Troop(0, 10, 5, 5, 1, 0, 100, officer)));
    c->mode = c->requestedMode = 1;
    c->gameKind = 0;
    c->campaignStage = 17;
    stage->result = 1;
    TheScreenSettings->battleEnded = 1;
    RunUntilEnd(100);
    const std::string bytes = testsupport::TempFolder::Read("Save/Pass17.gen");
    ASSERT_EQ(bytes.size(), 8u + 432);
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(uint8_t(bytes[8 + OfficerLayout::kPersonNumber]), 42);
    EXPECT_EQ(PassRecords().Find(42), nullptr) << "the written table is let go";
    if (c->actWindow) c->actWindow->Close(1);
    c->actWindow = nullptr;
    FlushDeferredDeletes();
    SetFrontEndServices(nullptr);
}

TEST_F(GameControllerTest, BattleEndTable) {
    ActWindowServices services;
    SetFrontEndServices(&services);
    struct Case {
        int32_t result;
        int32_t gameKind;
        uint8_t networked;
        int32_t endKind;
        int8_t scene; // after the end
        bool recordScreen;
        bool wonWritten; // campaign record 23 won and the file written
        uint8_t networkedAfter;
    } cases[] = {
        {0, 0, 0, 0, 0, false, false, 0}, {0, 3, 1, 2, 5, true, false, 1}, {0, 3, 1, 0, -56, false, false, 0},
        {1, 0, 0, 0, 4, false, true, 0},  {1, 1, 0, 0, 5, true, false, 0}, {1, 2, 1, 0, 5, true, false, 1},
        {2, 0, 0, 0, 0, false, false, 0}, {2, 1, 0, 0, 5, true, false, 0}, {2, 3, 1, 0, 5, true, false, 1},
        {4, 2, 1, 0, 5, true, false, 1},  {5, 2, 1, 0, 5, true, false, 1}, {5, 3, 0, 0, 5, true, false, 0},
        {7, 0, 0, 0, 0, false, false, 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "result " << k.result << " kind " << k.gameKind << " net "
                                        << int(k.networked) << " end " << k.endKind);
        std::filesystem::remove("RecordData.sav");
        if (c->recordScreen) c->recordScreen->Close(0);
        c->recordScreen = nullptr;
        c->stageRecords = StageRecordTable{};
        c->scene = 0;
        c->mode = c->requestedMode = 1;
        c->gameKind = k.gameKind;
        c->networked = k.networked;
        c->campaignStage = 23;
        c->recordScreenClosed = 1;
        c->running = 0;
        PostEndFrames = 0;
        // Clearing the scenario at the previous end let the stage go; this one starts with it.
        TheBattleMap->stageSet = stage;
        stage->result = k.result;
        stage->endKind = k.endKind;
        TheScreenSettings->battleEnded = 1;
        TheMouseCursor->SetShape(0);

        const int frames = RunUntilEnd(100);
        // Team results run 60 grace frames first.
        EXPECT_EQ(frames, (k.result == 4 || k.result == 5) ? 61 : 1);
        EXPECT_EQ(c->mode, 0);
        EXPECT_EQ(c->requestedMode, 0);
        EXPECT_EQ(c->running, 1);
        EXPECT_EQ(c->scene, k.scene);
        EXPECT_EQ(c->recordScreen != nullptr, k.recordScreen);
        EXPECT_EQ(c->networked, k.networkedAfter);
        // In single play the record screen writes the records itself, marking a victory.
        const bool screenWrites = k.recordScreen && !k.networked;
        const bool won = k.wonWritten || (screenWrites && k.result == 1);
        EXPECT_EQ(c->stageRecords[23].won, won ? 1 : 0);
        EXPECT_EQ(std::filesystem::exists("RecordData.sav"), k.wonWritten || screenWrites);
        if (won) {
            const std::string bytes = testsupport::TempFolder::Read("RecordData.sav");
            ASSERT_EQ(bytes.size(), 940u);
            EXPECT_EQ(bytes[23 * 20 + 12], 1);
        }
        if (k.recordScreen && k.result != 1) {
            EXPECT_EQ(c->recordScreenClosed, 0);
        }
        // The record screen sets the arrow as it opens.
        EXPECT_EQ(TheMouseCursor->shapeIndex, (k.result == 4 || k.result == 5 || k.recordScreen) ? 1 : 0);
        EXPECT_EQ(TheScreenSettings->battleEnded, 0);
        EXPECT_EQ(c->actWindow != nullptr, k.scene == 4);
        if (c->actWindow) c->actWindow->Close(1);
        c->actWindow = nullptr;
        FlushDeferredDeletes();
    }
    SetFrontEndServices(nullptr);
}

TEST_F(GameControllerTest, RecordFilesLoadAtConstructionAndWriteWhole) {
    c->stageRecords[11].won = 1;
    c->stageRecords[11].bestScore = 777;
    c->slotLabelCount = 4;
    c->slotLabels[5].inUse = 1;
    ASSERT_TRUE(c->WriteStageRecords());
    ASSERT_TRUE(c->WriteSlotLabels());
    EXPECT_EQ(std::filesystem::file_size("RecordData.sav"), 940u);
    EXPECT_EQ(std::filesystem::file_size("RecordLabel.sav"), 900u);
    GameController other;
    EXPECT_EQ(other.stageRecords[11].bestScore, 777);
    EXPECT_EQ(other.slotLabelCount, 4u);
    EXPECT_EQ(other.slotLabelCountCopy, 4u);
    EXPECT_EQ(other.slotLabels[5].inUse, 1);
    other.FreeResources();
    TheGameController = c;
}

// The controller's synchronised state drives the shared draws while it exists, and only then.
TEST(GameControllerRandom, TheControllerBindsItsSyncStateWhileItLives) {
    auto* c = new GameController;
    c->networked = 1;
    c->syncRandom = 77;
    uint32_t copy = 77;
    EXPECT_EQ(GameRandom(), GameRandom(copy, true));
    EXPECT_EQ(c->syncRandom, copy) << "networked draws step the controller's state";
    c->networked = 0;
    const uint32_t before = c->syncRandom;
    GameRandom();
    EXPECT_EQ(c->syncRandom, before) << "single play leaves it alone";
    c->FreeResources();
    delete c;
    GameRandom(); // unbound again: must not reach the deleted controller
}

// Leaving the stage editor closes its view like any window: gone at once from the controller,
// deleted when the frame that did it is over.
TEST_F(GameControllerTest, TearingDownAnEditedStageClosesTheEditorViewAfterTheFrame) {
    TheScreenSettings->stageEditMode = 1;
    TheScreenSettings->editorKeys = 1;
    c->editorView = new PlainWindow;
    {
        DeferredDeleteScope frame;
        c->TearDownBattle();
        EXPECT_EQ(c->editorView, nullptr);
        EXPECT_EQ(TheScreenSettings->editorKeys, 0);
        EXPECT_EQ(PendingDeleteCount(), 1);
    }
    EXPECT_EQ(PendingDeleteCount(), 0);
    TheScreenSettings->stageEditMode = 0;
}

// Closing a blank screen deletes nothing, so the teardown that drops the controller's pointer to
// it deletes it (the leak checker sees a lost one).
TEST_F(GameControllerTest, TearingDownTheBattleDeletesTheBlankScreen) {
    static int deleted = 0;
    struct Blank : BlankScreen {
        Blank() : BlankScreen(nullptr) {}
        ~Blank() override { ++deleted; }
    };
    deleted = 0;
    c->auxPanel = new Blank;
    c->TearDownBattle();
    EXPECT_EQ(c->auxPanel, nullptr);
    EXPECT_EQ(deleted, 1);
}
