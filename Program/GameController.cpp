#include "Program/GameController.h"

#include "Program/Autoplay.h"
#include "Program/BannerWindow.h"
#include "Program/NetworkAutoplay.h"

#include "gui/DeferredDelete.h"

#include "Program/BattleRecordScreen.h"
#include "Program/GameParameters.h"
#include "Program/GameRules.h"
#include "Program/MainWindow.h"
#include "Program/PlainWindow.h"
#include "Program/ScreenSettings.h"
#include "Program/SoundEffects.h"
#include "Program/Startup.h"
#include "Program/Zu_StageSet.h"
#include "engine/AviClipManager.h"
#include "engine/DisplayDevice.h"
#include "engine/LinkList.h"
#include "engine/MusicPlayer.h"
#include "engine/Random.h"
#include "engine/ResourceStore.h"
#include "events/EventManager.h"
#include "gui/FrameAnimation.h"
#include "gui/GuiLayout.h"
#include "gui/GuiRoot.h"
#include "gui/MouseCursor.h"
#include "net/GameRecordChannel.h"
#include "net/NetHooks.h"
#include "net/Zu_LocalSet.h"
#include "records/InfoText.h"
#include "records/ScenarioData.h"
#include "records/StageEditor.h"
#include "records/TemplateTables.h"
#include "windows/SidePanels.h"
#include "windows/WindowHosts.h"
#include "world/BattleMap.h"
#include "world/MapView.h"
#include "world/RouteGraph.h"

#include <cstring>

GameController* TheGameController = nullptr;
AniFrame* MaskFrame = nullptr;
int32_t PostEndFrames = 0;
AniFrame* BeginPicture = nullptr;
int32_t BeginPictureCount = 0;
AniFrame* PausePicture = nullptr;

const char* const GameController::recordDataFile = "RecordData.sav";
const char* const GameController::recordLabelFile = "RecordLabel.sav";

namespace {

Zu_StageSet* CurrentStage() {
    return TheBattleMap ? TheBattleMap->stageSet : nullptr;
}

void StopAndReleaseMusic() {
    if (!TheMusicStream) return;
    TheMusicStream->stop();
    TheMusicStream->release();
    TheMusicStream = nullptr;
}

void EmptyAndDelete(LinkList* list) {
    if (!list) return;
    list->RemoveAll();
    delete list;
}

} // namespace

GameController::GameController() {
    TheBanner = nullptr;
    PausePicture = nullptr;
    if (TheResourceStore) MaskFrame = TheResourceStore->LoadAniFrame("mask2.ani", 0);

    win25Layout = new GuiLayout("Win25.gui");

    speechSpeed = GameParams().Word_Speed[5];
    mouseX = 500;
    mouseY = 500;
    actOption = 1;
    networked = 0;
    mode = 0;
    requestedMode = 0;
    scene = 0;
    menuChoice = -1;
    singleChoice = heroChoice = stageListChoice = actChoice = -1;
    recordScreenClosed = 0;
    running = 1;

    templateTables = new TemplateTables;
    recordChannel = new GameRecordChannel;

    ReadRecords();

    for (int i = 0; i < 300; ++i) {
        blocks[i] = nullptr;
        blockKeys[i] = 0;
    }

    selection = new LinkList;
    for (int i = 0; i < 10; ++i) {
        groupHeaders[i] = new GroupHeader;
        groups[i] = new LinkList;
    }
    currentGroup = -1;

    for (int i = 0; i < 3; ++i) {
        const size_t size = i == 0 ? 400 : 1200;
        auto* f = new FrameRecord;
        f->offsetX = 0;
        f->offsetY = 0;
        f->frameWidth = 100;
        f->frameHeight = static_cast<int16_t>(i == 0 ? 4 : 12);
        f->packed = 0;
        f->data = new uint8_t[size]();
        markerFrames[i] = f;
        markerAnims[i] = new FrameAnimControl;
        markerAnims[i]->AddFrame(f);
    }

    std::memset(scratch, 0, sizeof scratch);
    focusList = new LinkList;
    for (auto& image : minimapImages)
        image = new uint8_t[38400]();

    ResetBattleState();
    session = nullptr;
    BindSyncRandom(&syncRandom, &networked);
}

GameController::~GameController() {
    BindSyncRandom(nullptr, nullptr);
    FreeAniFrame(MaskFrame);
    MaskFrame = nullptr;
    EmptyAndDelete(selection);
    selection = nullptr;
    for (int i = 0; i < 300; ++i) {
        delete[] blocks[i];
        blocks[i] = nullptr;
        delete[] textBlocks[i];
        textBlocks[i] = nullptr;
    }
    for (int i = 0; i < 10; ++i) {
        delete groupHeaders[i];
        groupHeaders[i] = nullptr;
        EmptyAndDelete(groups[i]);
        groups[i] = nullptr;
    }
    for (auto& image : minimapImages) {
        delete[] image;
        image = nullptr;
    }
    for (int i = 0; i < 3; ++i) {
        if (markerFrames[i]) delete[] markerFrames[i]->data;
        delete markerFrames[i];
        markerFrames[i] = nullptr;
        delete markerAnims[i];
        markerAnims[i] = nullptr;
    }
    delete focusList;
    focusList = nullptr;
    delete win25Layout;
    win25Layout = nullptr;
    // Tear-down frees these first; a controller deleted without it must not leak them.
    delete templateTables;
    templateTables = nullptr;
    delete recordChannel;
    recordChannel = nullptr;
    delete session;
    session = nullptr;
    DestroyDerived();
}

void GameController::Frame(uint32_t message) {
    if (!ActiveFlag || !AutoplayFrame(*this)) return;
    // Windows closed during the frame are deleted when it is over.
    DeferredDeleteScope scope;
    if (session) session->Tick(0);
    switch (mode) {
    case 0:
    case 100:
        RunFrontEnd();
        if (requestedMode == mode)
            DrawFrontEnd();
        else
            mode = requestedMode; // the switch frame draws nothing
        break;
    case 1:
        if (TheScreenSettings && TheScreenSettings->endCountdown == 0)
            RunBattleFrame(message);
        else if (TheScreenSettings)
            ++TheScreenSettings->endCountdown;
        if (TheScreenSettings && TheScreenSettings->battleEnded && !speechBox) {
            AutoplayBattleEnded(*this);
            NetworkAutoplayEnded(*this);
            EndBattle(message);
        }
        break;
    default:
        break;
    }
}

void GameController::EndBattle(uint32_t message) {
    Zu_StageSet* stage = CurrentStage();
    const int32_t result = stage ? stage->result : 0;

    // Team games run a grace period before the record screen.
    if ((result == 4 || result == 5) && PostEndFrames < 60) {
        if (!TheBanner) {
            RunBattleFrame(message);
            if (networked && battlePhase == 0) {
                PollGameCommands();
                if (isHost)
                    NetSendHeartbeat();
                else
                    NetHeartbeatTick();
                NetCheckHost();
            }
        }
        ++PostEndFrames;
        return;
    }

    if (eventManager) eventManager->EndRunner();

    if (result == 1 && !networked) {
        StopAndReleaseMusic();
        PlaySoundEffect(13);
        PlayAviModal(150, 136, "Victory.avi", "Victory_a.avi", 1, 1);
        ClearBackSurface();
        PlayAviModal(50, 85, "Victory-1.avi", nullptr, 1, 1);
    }
    if (result == 2 && !networked) {
        StopAndReleaseMusic();
        PlaySoundEffect(23);
        PlayAviModal(150, 136, "Failure.avi", "Failure_a.avi", 1, 1);
        ClearBackSurface();
        PlayAviModal(50, 85, "Failure_2.avi", nullptr, 1, 1);
    }

    running = 1;
    leaveGame = 0;
    if (TheScreenSettings) {
        TheScreenSettings->battleEnded = 0;
        TheScreenSettings->endCountdown = 0;
    }
    CloseSidePanels();
    TearDownBattle();
    mode = 0;
    requestedMode = 0;
    PlayMusic("Track10.Mp3", 1);

    switch (result) {
    case 0:
        if (!networked) {
            ClearAndFree();
            ShowMainMenu();
        } else {
            CloseBanner();
            if (stage && stage->endKind == 2) {
                recordScreenClosed = 0;
                OpenRecordScreen();
                ClearAndFree();
                scene = 5;
            } else {
                CloseTcpSession();
                ClearAndFree();
                if (session) session->LoadData(0);
                scene = static_cast<int8_t>(200);
                networked = 0;
            }
        }
        break;
    case 1:
        if (gameKind == 0) {
            if (templateTables) templateTables->SavePassRecord();
            if (campaignStage < StageRecordCount) stageRecords[campaignStage].won = 1;
            WriteStageRecords();
            ClearAndFree();
            ShowActWindow();
        } else {
            OpenRecordScreen();
            ClearAndFree();
            scene = 5;
        }
        break;
    case 2:
        if (gameKind == 0) {
            ClearAndFree();
            ShowMainMenu();
        } else {
            recordScreenClosed = 0;
            OpenRecordScreen();
            ClearAndFree();
            scene = 5;
        }
        break;
    case 4:
    case 5:
        CloseBanner();
        recordScreenClosed = 0;
        OpenRecordScreen();
        ClearAndFree();
        if (TheMouseCursor) TheMouseCursor->SetShape(1);
        scene = 5;
        break;
    default:
        break;
    }
}

void GameController::ClearAndFree() {
    if (!TheBattleMap) return;
    if (TheBattleMap->scenario) TheBattleMap->scenario->Clear();
    TheBattleMap->FreeObjectLists();
}

void GameController::OpenRecordScreen() {
    recordScreen = new BattleRecordScreen(TheRootWidget);
}

void GameController::TearDownBattle() {
    // A battle left from its campaign preparation takes the window (and the camp) with it.
    if (TheWin01Host && TheWin01Host->preparation) {
        TheWin01Host->preparation->Close(1);
        TheWin01Host->preparation = nullptr;
    }
    groupCommandMode = 0;
    if (gameScreen) gameScreen->DeselectAll();
    TheInfoText.Clear();
    if (TheBattleMap) TheBattleMap->ResetStage();
    if (auxPanel) {
        // Closing a blank screen deletes nothing: the controller holds the last pointer to it.
        auxPanel->Close(1);
        delete auxPanel;
        auxPanel = nullptr;
    }
    delete TheWin01Host;
    TheWin01Host = nullptr;
    delete TheWin99;
    TheWin99 = nullptr;
    delete TheWin98;
    TheWin98 = nullptr;
    if (gameScreen) {
        gameScreen->FreeMapCells();
        gameScreen->Close(1);
        gameScreen = nullptr;
    }
    delete eventManager;
    eventManager = nullptr;
    if (TheBattleMap) {
        std::memset(TheBattleMap->tableA, 0, sizeof TheBattleMap->tableA);
        std::memset(TheBattleMap->tableB, 0, sizeof TheBattleMap->tableB);
        for (auto& k : TheBattleMap->kingdomTable)
            k = nullptr;
    }
    if (TheScreenSettings && TheScreenSettings->stageEditMode) {
        // Closed like every window: deleted once the running message or frame is over.
        if (editorView) editorView->Close(1);
        editorView = nullptr;
        if (TheStageEditor) TheStageEditor->viewWord = 0;
        TheScreenSettings->editorKeys = 0;
    }
    FreeRouteGraph();
    for (int i = 0; i < 300; ++i) {
        delete[] blocks[i];
        blocks[i] = nullptr;
    }
    afterRunningWord = 0;
    if (TheResourceStore) {
        TheResourceStore->ClearEffectLists();
        TheResourceStore->FreeUnitAnimations(0);
    }
}

void GameController::RefreshPanels() {
    if (gameScreen) {
        gameScreen->Redraw();
        gameScreen->DrawObjects();
        gameScreen->DrawTerrain();
    }
    DrawOverlayObjects();
    if (TheMouseCursor) {
        TheMouseCursor->Update();
        TheMouseCursor->Hook();
    }
    PresentFrame();
    if (gameKind == 0) running = 0;
}

int GameController::ReadRecords() {
    ReadSlotLabelFile(recordLabelFile, slotLabelCount, slotLabels);
    slotLabelCountCopy = slotLabelCount;
    ReadStageRecordFile(recordDataFile, stageRecords);
    return 1;
}

bool GameController::WriteSlotLabels() {
    return WriteSlotLabelFile(recordLabelFile, slotLabelCount, slotLabels);
}

bool GameController::WriteStageRecords() {
    return WriteStageRecordFile(recordDataFile, stageRecords);
}
