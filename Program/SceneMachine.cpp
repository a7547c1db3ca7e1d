#include "Program/SceneMachine.h"

#include "Program/BannerWindow.h"

#include "Program/BattleRecordScreen.h"
#include "Program/GameController.h"
#include "Program/MainWindow.h"
#include "Program/NetworkAutoplay.h"
#include "Program/NetworkStartReport.h"
#include "Program/PlainWindow.h"
#include "Program/ScreenSettings.h"
#include "Program/Startup.h"
#include "engine/DisplayDevice.h"
#include "engine/MusicPlayer.h"
#include "events/EventManager.h"
#include "events/SpeechBox.h"
#include "gui/DeferredDelete.h"
#include "gui/MouseCursor.h"
#include "gui/RootWidget.h"
#include "gui/Window.h"
#include "net/NetHooks.h"
#include "net/Zu_LocalSet.h"
#include "platform/MessageBox.h"
#include "platform/Messages.h"
#include "platform/ScriptMarks.h"
#include "records/TemplateTables.h"
#include "windows/WindowHosts.h"
#include "windows/city/PlayerCamp.h"
#include "world/BattleMap.h"
#include "world/MapView.h"

#include <cstdio>

uint8_t FirstMenuFlag = 0;
uint8_t FadeInFlag = 0;
uint8_t CampaignStarted = 0;

const char* const CampaignStageFiles[3][12] = {
    {"stage11.stg", "stage12.stg", "stage13.stg", "stage14.stg", "stage15.stg", "stage16.stg", "stage17.stg",
     "stage18.stg", "stage19.stg", "stage20.stg", "stage21.stg", "stage22.stg"},
    {"stage23.stg", "stage24.stg", "stage25.stg", "stage26.stg", "stage27.stg", "stage28.stg", "stage29.stg",
     "stage30.stg", "stage31.stg", "stage32.stg", "stage33.stg", "stage34.stg"},
    {"stage35.stg", "stage36.stg", "stage37.stg", "stage38.stg", "stage39.stg", "stage40.stg", "stage41.stg",
     "stage42.stg", "stage43.stg", "stage44.stg", "stage45.stg", "stage46.stg"},
};

const char* ActLayoutFile(int32_t actIndex) {
    switch (actIndex) {
    case 0:
        return "Act-3.gui";
    case 1:
        return "Act-2.gui";
    case 2:
        return "Act-1.gui";
    default:
        return nullptr;
    }
}

// The built-in services do what the program can do without the screens and the stage start.
Window* FrontEndServices::NewMainMenuWindow(Widget*, int) {
    return nullptr;
}
Window* FrontEndServices::NewSingleMenuWindow(Widget*) {
    return nullptr;
}
Window* FrontEndServices::NewHeroWindow(Widget*, GameController*) {
    return nullptr;
}
Window* FrontEndServices::NewActSelectWindow(Widget*, GameController*, const char*) {
    return nullptr;
}
Window* FrontEndServices::NewStageListWindow(Widget*, GameController*) {
    return nullptr;
}
bool FrontEndServices::StartStage(GameController* controller) {
    if (!controller) return false;
    // The stage start leaves the battle stopped when the stage's files could not be read.
    controller->StartStage();
    return controller->running != 0;
}
void FrontEndServices::ReloadStageTexts(const char* stageFile) {
    if (!TheGameController) return;
    if (!TheGameController->templateTables) TheGameController->templateTables = new TemplateTables;
    TheGameController->templateTables->ReloadStageTexts(stageFile);
}
void FrontEndServices::CreatePlayerCity() {
    ::CreatePlayerCity();
}
void FrontEndServices::TypeSpeechText() {
    if (TheGameController && TheGameController->speechBox) TheGameController->speechBox->TypeSpeechText();
}
void FrontEndServices::CheckTriggers(EventManager* manager) {
    if (manager) manager->CheckTriggers();
}
void FrontEndServices::StartRunner(EventManager* manager, int code) {
    if (manager) manager->StartRunner(code);
}
int FrontEndServices::QueueFlushFlag() {
    return ::NetQueueFlushFlag();
}
void FrontEndServices::NetHostTick() {
    ::NetHostTick();
}
void FrontEndServices::CloseTcpSession() {
    ::CloseTcpSession();
}
int32_t FrontEndServices::RunSession(Zu_LocalSet* session) {
    return session->Run();
}
void FrontEndServices::ShowSessionWindow(Zu_LocalSet* session) {
    session->CloseAll();
}
void FrontEndServices::LoadSessionData(Zu_LocalSet* session) {
    session->LoadData(0);
}
void FrontEndServices::PlayMusic(const char* fileName, int loop) {
    ::PlayMusic(fileName, loop);
}
void FrontEndServices::SetEditorView(PlainWindow*) {}
void FrontEndServices::AllocGrid() {}
int FrontEndServices::LoadStage(const char* stageFile, int flag) {
    GameController* c = TheGameController;
    if (!c) return 0;
    if (!c->templateTables) c->templateTables = new TemplateTables;
    const int result = c->templateTables->LoadStage(stageFile, flag);
    if (!result) failedStageFile_ = stageFile ? stageFile : "";
    return result;
}
const char* FrontEndServices::FailedStageFileName() {
    return failedStageFile_.c_str();
}
void FrontEndServices::ClearStageFileNames() {
    failedStageFile_.clear();
}
void FrontEndServices::ShowFileError(const char* format, const char* name) {
    char text[512];
    std::snprintf(text, sizeof text, format, name && *name ? name : "(untitled)");
    platform::MessageBoxA(AppWindow.window, text, "Tools", 0x30);
}
int32_t FrontEndServices::StageStartYear() {
    return 0;
}
void FrontEndServices::SelectPlayerFirstCity(GameController*) {}
Widget* FrontEndServices::PanelOf(Window*) {
    return nullptr;
}
void FrontEndServices::PrepareStage() {}
void FrontEndServices::CreateWindowHosts(GameController* c) {
    if (!TheWin98) TheWin98 = new Win98Window(TheRootWidget);
    if (!TheWin01Host) TheWin01Host = new Win01HostWindow(TheRootWidget, c);
    if (!TheWin99) TheWin99 = new Win99Window(TheRootWidget, c);
}

namespace {

FrontEndServices BuiltInServices;
FrontEndServices* Services = &BuiltInServices;

// Closes a front-end window through its close operation and forgets it.
void CloseWindow(Window*& window) {
    if (window) window->Close(1);
    window = nullptr;
}

constexpr uint8_t SceneMainMenu = 0;
constexpr uint8_t SceneSingleMenu = 1;
constexpr uint8_t SceneHero = 2;
constexpr uint8_t SceneStageList = 3;
constexpr uint8_t SceneAct = 4;
constexpr uint8_t SceneRecord = 5;
constexpr uint8_t SceneBackToMenu = 10;
constexpr uint8_t ScenePreparation = 16;
constexpr uint8_t SceneNetScreen = 100;
constexpr uint8_t SceneNetScreen2 = 101;
constexpr uint8_t SceneSession = 200;

void SetScene(GameController* c, uint8_t scene) {
    c->scene = static_cast<int8_t>(scene);
}

} // namespace

FrontEndServices* GetFrontEndServices() {
    return Services;
}

void SetFrontEndServices(FrontEndServices* services) {
    Services = services ? services : &BuiltInServices;
}

void GameController::ShowMainMenu() {
    mainMenu = Services->NewMainMenuWindow(TheRootWidget, 0);
    menuChoice = -2;
    SetScene(this, SceneMainMenu);
}

// A screen that cannot be opened leaves the player on the main menu.
void GameController::ShowSingleMenu() {
    singleMenu = Services->NewSingleMenuWindow(TheRootWidget);
    singleChoice = -1;
    SetScene(this, SceneSingleMenu);
    if (!singleMenu) ShowMainMenu();
}

void GameController::ShowActWindow() {
    actWindow = Services->NewActSelectWindow(TheRootWidget, this, ActLayoutFile(actIndex));
    actChoice = -1;
    SetScene(this, SceneAct);
    if (!actWindow) ShowMainMenu();
}

void GameController::RunFrontEnd() {
    // Windows that close during this frame are deleted when it is over.
    DeferredDeleteScope scope;
    if (speechBox) Services->TypeSpeechText();
    if (eventManager) Services->CheckTriggers(eventManager);

    switch (static_cast<uint8_t>(scene)) {
    case SceneMainMenu:
        if (menuChoice == -1) {
            // Asked once: a menu that cannot be made is not tried again every frame.
            mainMenu = Services->NewMainMenuWindow(TheRootWidget, 0);
            menuChoice = -2;
            if (!mainMenu) break;
            if (!FirstMenuFlag) {
                FirstMenuFlag = 1;
                FadeInFlag = 1;
            }
        } else if (menuChoice == 0) {
            // The next screen is opened before the menu closes: one that cannot be read leaves
            // the menu in place.
            Window* next = Services->NewSingleMenuWindow(TheRootWidget);
            menuChoice = -2;
            if (!next) break;
            CloseWindow(mainMenu);
            singleMenu = next;
            singleChoice = -1;
            SetScene(this, SceneSingleMenu);
        } else if (menuChoice == 1) {
            CloseWindow(mainMenu);
            delete session;
            session = new Zu_LocalSet;
            sessionResult = -1;
            SetScene(this, SceneSession);
        } else if (menuChoice == 3 && GameModeFlag == 0) {
            CloseWindow(mainMenu);
            StartEditorStage();
            requestedMode = 1;
        } else if (menuChoice == 4) {
            // Repeats every frame until the program closes.
            StartupState = 5;
            platform::PostMessage(AppWindow.window, platform::WM_CLOSE, 0, 0);
        }
        break;

    case SceneSingleMenu:
        if (singleChoice < 0) break;
        if (singleChoice == 0) {
            Window* next = Services->NewHeroWindow(TheRootWidget, this);
            if (!next) {
                singleChoice = -1;
                break;
            }
            CloseWindow(singleMenu);
            heroWindow = next;
            heroChoice = -1;
            SetScene(this, SceneHero);
        } else if (singleChoice == 1) {
            Window* next = Services->NewStageListWindow(TheRootWidget, this);
            if (!next) {
                singleChoice = -1;
                break;
            }
            CloseWindow(singleMenu);
            stageListWindow = next;
            stageListChoice = -1;
            SetScene(this, SceneStageList);
        } else {
            CloseWindow(singleMenu);
            // Every other item (the fourth button too) returns to the main menu rather than
            // leave the player without a window.
            menuChoice = -1;
            SetScene(this, SceneMainMenu);
        }
        break;

    case SceneHero:
        if (heroChoice == -2) {
            CloseWindow(heroWindow);
            ShowSingleMenu();
        } else if (heroChoice >= 0) {
            const int32_t oldAct = actIndex;
            actIndex = heroChoice;
            Window* next = Services->NewActSelectWindow(TheRootWidget, this, ActLayoutFile(actIndex));
            if (!next) {
                actIndex = oldAct;
                heroChoice = -1;
                break;
            }
            CloseWindow(heroWindow);
            actWindow = next;
            actChoice = -1;
            SetScene(this, SceneAct);
        }
        break;

    case SceneStageList:
        if (stageListChoice == -2) {
            delete stageListWindow;
            stageListWindow = nullptr;
            ShowSingleMenu();
        } else if (stageListChoice >= 0) {
            delete stageListWindow;
            stageListWindow = nullptr;
            campaignStage = static_cast<uint8_t>(stageListChoice);
            if (Services->StartStage(this)) {
                requestedMode = 1;
            } else {
                // The player has been told; he is back on the list he chose the stage from.
                stageListWindow = Services->NewStageListWindow(TheRootWidget, this);
                stageListChoice = -1;
                if (!stageListWindow) ShowSingleMenu();
            }
        }
        break;

    case SceneAct:
        if (actChoice == -2 || (actChoice >= 0 && (actChoice >= 12 || actIndex < 0 || actIndex > 2))) {
            // Back (or a choice outside the act's table): the hero window again.
            CloseWindow(actWindow);
            heroWindow = Services->NewHeroWindow(TheRootWidget, this);
            heroChoice = -1;
            SetScene(this, SceneHero);
            if (!heroWindow) ShowMainMenu();
        } else if (actChoice >= 0) {
            CloseWindow(actWindow);
            campaignStage = static_cast<uint8_t>(actIndex * 12 + 11 + actChoice);
            if (!eventManager) eventManager = new EventManager;
            const char* stageFile = CampaignStageFiles[actIndex][actChoice];
            SetScene(this, ScenePreparation);
            CampaignStarted = 1;
            Services->ReloadStageTexts(stageFile);
            if (!Services->StartStage(this)) {
                // The player has been told; he is back on the act he chose the stage from.
                CampaignStarted = 0;
                ShowActWindow();
                break;
            }
            Services->CreatePlayerCity();
            Services->StartRunner(eventManager, 100);
            Services->PlayMusic("Track11.Mp3", 1);
        }
        break;

    case SceneRecord:
        if (!recordScreenClosed) break;
        recordScreenClosed = 0;
        if (recordScreen) recordScreen->Close(1);
        recordScreen = nullptr;
        recordCloseWord = 0;
        if (!networked) {
            SetScene(this, SceneMainMenu);
            menuChoice = -1;
        } else {
            Services->CloseTcpSession();
            if (session) Services->LoadSessionData(session);
            SetScene(this, SceneSession);
            networked = 0;
        }
        break;

    case SceneBackToMenu:
        SetScene(this, SceneMainMenu);
        menuChoice = -1;
        break;

    case ScenePreparation:
        // The preparation window starts the battle.
        break;

    case SceneNetScreen:
    case SceneNetScreen2:
        if (netScreenChoice == -1) {
            netScreenChoice = -2;
        } else if (netScreenChoice == 100) {
            netScreenChoice = -1;
            requestedMode = 0;
            SetScene(this, SceneMainMenu);
        }
        break;

    case SceneSession:
        if (Services->QueueFlushFlag()) Services->NetHostTick();
        if (!session) break;
        sessionResult = Services->RunSession(session);
        if (sessionResult == 0) break;
        Services->ShowSessionWindow(session);
        if (sessionResult == 1 || sessionResult == 3) {
            SetScene(this, SceneMainMenu);
            menuChoice = -1;
            NetworkLaunchFlag = 0;
        } else if (sessionResult == 2) {
            ReportNetworkStart(*this);
            if (!Services->StartStage(this)) {
                // No battle without its stage: the room is left and the player is on the menu.
                Services->CloseTcpSession();
                networked = 0;
                SetScene(this, SceneMainMenu);
                menuChoice = -1;
                break;
            }
            NetworkAutoplayStarted(*this);
            running = 1;
            if (gameScreen) gameScreen->Activate();
            mode = 1;
            requestedMode = 1;
        }
        break;

    default:
        break;
    }
    // A scripted run waits for a screen until it is up and its fade-in is over.
    platform::SetScriptMark("scene", FadeInFlag ? -1 : int(scene));
}

void GameController::StartEditorStage() {
    running = 0;
    if (TheScreenSettings) {
        TheScreenSettings->runningFrameCounter = 0;
        TheScreenSettings->stageEditMode = 1;
    }

    editorView = new PlainWindow;
    Services->SetEditorView(editorView);

    Services->AllocGrid();
    editorStage = nullptr;

    if (!Services->LoadStage("stage07.stg", 0)) {
        Services->ShowFileError("Could not read file %s!", Services->FailedStageFileName());
        Services->ClearStageFileNames();
        editorStage = TheBattleMap ? TheBattleMap->stageSet : nullptr;
    }

    if (TheBattleMap && TheBattleMap->stageSet) {
        if (TheScreenSettings) {
            TheScreenSettings->day = 1;
            TheScreenSettings->month = 1;
            TheScreenSettings->year = Services->StageStartYear();
        }
        Services->SelectPlayerFirstCity(this);
        groupTargetA = nullptr;
        groupTargetB = nullptr;
    }

    // The in-battle panel exists only after a stage start.
    if (auxPanel) auxPanel->OnControlPress(Services->PanelOf(auxPanel), nullptr);
    if (TheScreenSettings) TheScreenSettings->editorKeys = 1;
    if (TheMouseCursor) TheMouseCursor->SetShape(MouseCursor::kShapeArrow);
    PresentFrame();
    battlePhase = 0;

    if (!eventManager) eventManager = new EventManager;
    Services->PrepareStage();
    Services->CreateWindowHosts(this);

    editorView->Activate();
    if (gameScreen) gameScreen->Deactivate();
}
