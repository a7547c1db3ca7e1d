#include "Program/SceneMachine.h"
#include "Program/BannerWindow.h"
#include "Program/BattleRecordScreen.h"
#include "Program/GameController.h"
#include "Program/MainWindow.h"
#include "Program/PlainWindow.h"
#include "Program/Startup.h"
#include "events/EventManager.h"
#include "events/SpeechBox.h"
#include "gui/DeferredDelete.h"
#include "gui/GuiRoot.h"
#include "gui/Window.h"
#include "net/Zu_LocalSet.h"
#include "platform/Messages.h"
#include "world/MapView.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;

// A front-end window that only records how it ends; the tests write its choices.
class StandInWindow : public Window {
public:
    StandInWindow(std::string name, Log* log) : name(std::move(name)), log(log) {}
    ~StandInWindow() override {
        if (name == "stagelist") log->push_back("delete stagelist");
    }
    int Close(int code) override {
        log->push_back("close " + name + " " + std::to_string(code));
        DeferDelete(this);
        return 1;
    }
    void OnControlPress(Widget*, Point* p) override {
        log->push_back(std::string("press ") + (p ? "point" : "null"));
    }

    std::string name;
    Log* log;
};

class RecordingServices : public FrontEndServices {
public:
    Window* NewMainMenuWindow(Widget* root, int arg) override {
        EXPECT_EQ(root, TheRootWidget);
        return Make("main", "open main " + std::to_string(arg));
    }
    Window* NewSingleMenuWindow(Widget*) override { return Make("single", "open single"); }
    Window* NewHeroWindow(Widget*, GameController*) override { return Make("hero", "open hero"); }
    Window* NewActSelectWindow(Widget*, GameController*, const char* layout) override {
        return Make("act", std::string("open act ") + (layout ? layout : "?"));
    }
    Window* NewStageListWindow(Widget*, GameController* owner) override {
        EXPECT_EQ(owner, TheGameController);
        return Make("stagelist", "open stagelist");
    }
    bool StartStage(GameController* c) override {
        log.push_back("StartStage " + std::to_string(c->campaignStage));
        return !stageUnreadable;
    }
    bool stageUnreadable = false;
    void ReloadStageTexts(const char* f) override { log.push_back(std::string("ReloadStageTexts ") + f); }
    void CreatePlayerCity() override { log.push_back("CreatePlayerCity"); }
    void TypeSpeechText() override { log.push_back("TypeSpeechText"); }
    void CheckTriggers(EventManager*) override { log.push_back("CheckTriggers"); }
    void StartRunner(EventManager*, int arg) override { log.push_back("StartRunner " + std::to_string(arg)); }
    int QueueFlushFlag() override { return queueFlush; }
    void NetHostTick() override { log.push_back("NetHostTick"); }
    void CloseTcpSession() override { log.push_back("CloseTcpSession"); }
    int32_t RunSession(Zu_LocalSet*) override {
        log.push_back("RunSession");
        return sessionResult;
    }
    void ShowSessionWindow(Zu_LocalSet*) override { log.push_back("ShowSessionWindow"); }
    void LoadSessionData(Zu_LocalSet*) override { log.push_back("LoadSessionData"); }
    void PlayMusic(const char* f, int loop) override {
        log.push_back(std::string("PlayMusic ") + f + " " + std::to_string(loop));
    }
    void SetEditorView(PlainWindow* v) override { log.push_back(v ? "SetEditorView" : "SetEditorView null"); }
    void AllocGrid() override { log.push_back("AllocGrid"); }
    int LoadStage(const char* f, int flag) override {
        log.push_back(std::string("LoadStage ") + f + " " + std::to_string(flag));
        return loadOk;
    }
    const char* FailedStageFileName() override { return "stage07.stg"; }
    void ClearStageFileNames() override { log.push_back("ClearStageFileNames"); }
    void ShowFileError(const char* format, const char* name) override {
        log.push_back(std::string("ShowFileError ") + format + " " + name);
    }
    void PrepareStage() override { log.push_back("PrepareStage"); }
    void CreateWindowHosts(GameController*) override { log.push_back("CreateWindowHosts"); }

    Window* Make(const char* name, const std::string& line) {
        log.push_back(line);
        return makeWindows ? new StandInWindow(name, &log) : nullptr;
    }

    Log log;
    bool makeWindows = true;
    int queueFlush = 0;
    int32_t sessionResult = 0;
    int loadOk = 0;
};

class SceneMachineTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::ResetMessageQueue();
        ActiveFlag = 1;
        gui = new GuiRoot;
        SetFrontEndServices(&services);
        c = new GameController;
        TheGameController = c;
        FirstMenuFlag = 0;
        FadeInFlag = 0;
        oldMode = GameModeFlag;
        GameModeFlag = 1;
        NetworkLaunchFlag = 1;
    }
    void TearDown() override {
        c->FreeResources();
        delete c->editorView;
        c->editorView = nullptr;
        delete c->speechBox;
        TheGameController = nullptr;
        delete c;
        FlushDeferredDeletes();
        SetFrontEndServices(nullptr);
        delete gui;
        GameModeFlag = oldMode;
        ActiveFlag = 0;
        platform::ResetMessageQueue();
    }

    // One front-end frame; the service calls and window changes it made.
    Log Frame() {
        services.log.clear();
        c->RunFrontEnd();
        EXPECT_EQ(PendingDeleteCount(), 0) << "closed windows are gone when the frame ends";
        return services.log;
    }
    uint8_t Scene() const { return static_cast<uint8_t>(c->scene); }

    struct Step {
        std::function<void(GameController*)> choose;
        uint8_t scene;
        Log log;
    };
    void Walk(const char* name, const std::vector<Step>& steps) {
        int n = 0;
        for (const Step& s : steps) {
            if (s.choose) s.choose(c);
            EXPECT_EQ(Frame(), s.log) << name << ", step " << n;
            EXPECT_EQ(Scene(), s.scene) << name << ", step " << n;
            ++n;
        }
    }

    RecordingServices services;
    GuiRoot* gui = nullptr;
    GameController* c = nullptr;
    int32_t oldMode = 1;
};

TEST_F(SceneMachineTest, CampaignPathFromTheMenuToStage23) {
    Walk("campaign",
         {
             {nullptr, 0, {"open main 0"}},
             {nullptr, 0, {}},
             {[](GameController* g) { g->menuChoice = 0; }, 1, {"open single", "close main 1"}},
             {[](GameController* g) { g->singleChoice = 0; }, 2, {"open hero", "close single 1"}},
             {[](GameController* g) { g->heroChoice = 1; }, 4, {"open act Act-2.gui", "close hero 1"}},
             {[](GameController* g) { g->actChoice = 0; },
              16,
              {"close act 1", "ReloadStageTexts stage23.stg", "StartStage 23", "CreatePlayerCity",
               "StartRunner 100", "PlayMusic Track11.Mp3 1"}},
             {nullptr, 16, {"CheckTriggers"}},
         });
    EXPECT_EQ(c->campaignStage, 23);
    EXPECT_EQ(c->actIndex, 1);
    EXPECT_NE(c->eventManager, nullptr);
    EXPECT_EQ(CampaignStarted, 1);
    // The camp's preparation window, not the scene, asks for the battle (CampaignRoadTest walks on).
    EXPECT_EQ(c->mode, 0);
    EXPECT_EQ(c->mainMenu, nullptr);
    EXPECT_EQ(c->actWindow, nullptr);
}

TEST_F(SceneMachineTest, ActAndStageNumbersFollowTheActTables) {
    const struct {
        int act, entry, stage;
        const char* layout;
        const char* file;
    } cases[] = {{0, 0, 11, "Act-3.gui", "stage11.stg"},
                 {0, 11, 22, "Act-3.gui", "stage22.stg"},
                 {1, 0, 23, "Act-2.gui", "stage23.stg"},
                 {2, 5, 40, "Act-1.gui", "stage40.stg"},
                 {2, 11, 46, "Act-1.gui", "stage46.stg"}};
    for (const auto& k : cases) {
        delete c->eventManager; // each case is a fresh campaign start
        c->eventManager = nullptr;
        c->scene = 2;
        c->heroWindow = new StandInWindow("hero", &services.log);
        c->heroChoice = static_cast<int8_t>(k.act);
        EXPECT_EQ(Frame(), (Log{std::string("open act ") + k.layout, "close hero 1"}));
        c->actChoice = static_cast<int8_t>(k.entry);
        const Log log = Frame();
        ASSERT_GE(log.size(), 3u);
        EXPECT_EQ(log[1], std::string("ReloadStageTexts ") + k.file);
        EXPECT_EQ(log[2], "StartStage " + std::to_string(k.stage));
        EXPECT_EQ(c->campaignStage, k.stage);
    }
}

TEST_F(SceneMachineTest, BackPathsLeadToThePreviousWindow) {
    Walk("act back to hero, hero back to single",
         {
             {nullptr, 0, {"open main 0"}},
             {[](GameController* g) { g->menuChoice = 0; }, 1, {"open single", "close main 1"}},
             {[](GameController* g) { g->singleChoice = 0; }, 2, {"open hero", "close single 1"}},
             {[](GameController* g) { g->heroChoice = 0; }, 4, {"open act Act-3.gui", "close hero 1"}},
             {[](GameController* g) { g->actChoice = -2; }, 2, {"close act 1", "open hero"}},
             {[](GameController* g) { g->heroChoice = -2; }, 1, {"close hero 1", "open single"}},
             {[](GameController* g) { g->singleChoice = 2; }, 0, {"close single 1"}},
             {nullptr, 0, {"open main 0"}},
             {[](GameController* g) { g->menuChoice = 0; }, 1, {"open single", "close main 1"}},
             {[](GameController* g) { g->singleChoice = 3; }, 0, {"close single 1"}},
             {nullptr, 0, {"open main 0"}},
         });
    Walk("stage list back and start",
         {
             {[](GameController* g) { g->menuChoice = 0; }, 1, {"open single", "close main 1"}},
             {[](GameController* g) { g->singleChoice = 1; }, 3, {"open stagelist", "close single 1"}},
             {nullptr, 3, {}},
             {[](GameController* g) { g->stageListChoice = -2; }, 1, {"delete stagelist", "open single"}},
             {[](GameController* g) { g->singleChoice = 1; }, 3, {"open stagelist", "close single 1"}},
             {[](GameController* g) { g->stageListChoice = 7; }, 3, {"delete stagelist", "StartStage 7"}},
         });
    EXPECT_EQ(c->stageListWindow, nullptr);
    EXPECT_EQ(c->requestedMode, 1);
}

// A stage whose files cannot be read starts no battle: the player is back on the list or the act he
// chose it from, or, from a room, on the main menu; the front end goes on.
TEST_F(SceneMachineTest, AnUnreadableStageReturnsToTheScreenItWasChosenOn) {
    services.stageUnreadable = true;
    Walk("stage list",
         {
             {nullptr, 0, {"open main 0"}},
             {[](GameController* g) { g->menuChoice = 0; }, 1, {"open single", "close main 1"}},
             {[](GameController* g) { g->singleChoice = 1; }, 3, {"open stagelist", "close single 1"}},
             {[](GameController* g) { g->stageListChoice = 2; },
              3,
              {"delete stagelist", "StartStage 2", "open stagelist"}},
             {nullptr, 3, {}},
         });
    EXPECT_NE(c->stageListWindow, nullptr);
    EXPECT_EQ(c->stageListChoice, -1);
    EXPECT_NE(c->requestedMode, 1);

    Walk("act",
         {
             {[](GameController* g) { g->stageListChoice = -2; }, 1, {"delete stagelist", "open single"}},
             {[](GameController* g) { g->singleChoice = 0; }, 2, {"open hero", "close single 1"}},
             {[](GameController* g) { g->heroChoice = 1; }, 4, {"open act Act-2.gui", "close hero 1"}},
             {[](GameController* g) { g->actChoice = 3; },
              4,
              {"close act 1", "ReloadStageTexts stage26.stg", "StartStage 26", "open act Act-2.gui"}},
             {nullptr, 4, {"CheckTriggers"}},
         });
    EXPECT_NE(c->actWindow, nullptr);
    EXPECT_EQ(c->actChoice, -1);
    EXPECT_EQ(CampaignStarted, 0);
    EXPECT_EQ(c->mode, 0);
    EXPECT_NE(c->requestedMode, 1);
}

TEST_F(SceneMachineTest, NetworkSessionResults) {
    Walk("lobby left",
         {
             {nullptr, 0, {"open main 0"}},
             {[](GameController* g) { g->menuChoice = 1; }, 200, {"close main 1"}},
             {nullptr, 200, {"RunSession"}},
             {[this](GameController*) { services.queueFlush = 1; }, 200, {"NetHostTick", "RunSession"}},
             {[this](GameController*) {
                  services.queueFlush = 0;
                  services.sessionResult = 3;
              },
              0,
              {"RunSession", "ShowSessionWindow"}},
         });
    EXPECT_EQ(c->scene, static_cast<int8_t>(0));
    EXPECT_EQ(c->menuChoice, -1);
    EXPECT_EQ(c->sessionResult, 3);
    EXPECT_EQ(NetworkLaunchFlag, 0);
    ASSERT_NE(c->session, nullptr);

    services.sessionResult = 0;
    c->scene = static_cast<int8_t>(200);
    EXPECT_EQ(c->scene, -56) << "scene 200 is the signed byte 0xC8";
    services.sessionResult = 1;
    Frame();
    EXPECT_EQ(Scene(), 0);

    // The game starts straight from the lobby, also without a game screen.
    for (bool withScreen : {false, true}) {
        c->scene = static_cast<int8_t>(200);
        c->mode = 0;
        c->requestedMode = 0;
        c->running = 0;
        c->campaignStage = 101;
        MapView* screen = withScreen ? new MapView : nullptr;
        if (screen) screen->active = 0;
        c->gameScreen = screen;
        services.sessionResult = 2;
        EXPECT_EQ(Frame(), (Log{"RunSession", "ShowSessionWindow", "StartStage 101"}));
        EXPECT_EQ(c->mode, 1);
        EXPECT_EQ(c->requestedMode, 1);
        EXPECT_EQ(c->running, 1);
        if (screen) {
            EXPECT_EQ(screen->active, 1) << "the game screen's panel is activated";
        }
        c->gameScreen = nullptr;
        delete screen;
    }

    // A room's stage that cannot be read: the room is left and the player is on the main menu.
    services.stageUnreadable = true;
    c->scene = static_cast<int8_t>(200);
    c->mode = c->requestedMode = c->running = 0;
    c->networked = 1;
    EXPECT_EQ(Frame(), (Log{"RunSession", "ShowSessionWindow", "StartStage 101", "CloseTcpSession"}));
    EXPECT_EQ(Scene(), 0);
    EXPECT_EQ(c->menuChoice, -1);
    EXPECT_EQ(c->networked, 0);
    EXPECT_EQ(c->mode, 0);
    EXPECT_EQ(c->running, 0);
    EXPECT_NE(c->requestedMode, 1);
}

TEST_F(SceneMachineTest, RecordScreenReturnsToTheMenuOrTheLobby) {
    for (bool networked : {false, true}) {
        c->scene = 5;
        c->recordScreen = new BattleRecordScreen(TheRootWidget);
        c->networked = networked;
        c->recordCloseWord = 9;
        EXPECT_EQ(Frame(), Log{}) << "waits until the screen closes";
        c->recordScreenClosed = 1;
        const Log log = Frame();
        EXPECT_EQ(c->recordScreen, nullptr);
        EXPECT_EQ(c->recordScreenClosed, 0);
        EXPECT_EQ(c->recordCloseWord, 0);
        EXPECT_EQ(c->networked, 0);
        if (networked) {
            EXPECT_EQ(log, (Log{"CloseTcpSession"})) << "no session to reload";
            EXPECT_EQ(Scene(), 200);
        } else {
            EXPECT_EQ(log, Log{});
            EXPECT_EQ(Scene(), 0);
            EXPECT_EQ(c->menuChoice, -1);
        }
    }
    c->session = new Zu_LocalSet;
    c->scene = 5;
    c->networked = 1;
    c->recordScreenClosed = 1;
    EXPECT_EQ(Frame(), (Log{"CloseTcpSession", "LoadSessionData"}));
}

TEST_F(SceneMachineTest, SmallScenes) {
    c->scene = 10;
    c->menuChoice = 2;
    Frame();
    EXPECT_EQ(Scene(), 0);
    EXPECT_EQ(c->menuChoice, -1);

    for (uint8_t scene : {100, 101}) {
        c->scene = static_cast<int8_t>(scene);
        c->netScreenChoice = -1;
        c->requestedMode = 7;
        Frame();
        EXPECT_EQ(c->netScreenChoice, -2);
        Frame();
        EXPECT_EQ(Scene(), scene) << "waits";
        c->netScreenChoice = 100;
        Frame();
        EXPECT_EQ(c->netScreenChoice, -1);
        EXPECT_EQ(c->requestedMode, 0);
        EXPECT_EQ(Scene(), 0);
    }

    c->scene = 16;
    c->speechBox = reinterpret_cast<SpeechBox*>(c); // any non-null box; the services type it
    EXPECT_EQ(Frame(), (Log{"TypeSpeechText"}));
    c->scene = 77;
    EXPECT_EQ(Frame(), (Log{"TypeSpeechText"})) << "an unknown scene does nothing";
    c->speechBox = nullptr;
}

TEST_F(SceneMachineTest, QuitPostsCloseEveryFrameUntilTheProgramEnds) {
    const int32_t oldState = StartupState;
    Frame();
    c->menuChoice = 4;
    Frame();
    Frame();
    EXPECT_EQ(StartupState, 5);
    int closes = 0;
    platform::MSG msg{};
    while (platform::PeekMessage(&msg, nullptr, 0, 0, platform::PM_REMOVE))
        if (msg.message == platform::WM_CLOSE && msg.hwnd == AppWindow.window) ++closes;
    EXPECT_EQ(closes, 2);
    EXPECT_NE(c->mainMenu, nullptr) << "the menu stays while the program closes";
    StartupState = oldState;
}

TEST_F(SceneMachineTest, TheFirstMenuFadesInOnceAndAScreenThatCannotOpenLeavesThePlayerWhereHeWas) {
    services.makeWindows = false;
    EXPECT_EQ(Frame(), Log{"open main 0"});
    EXPECT_EQ(Frame(), Log{}) << "a menu that cannot be made is not asked for every frame";
    EXPECT_EQ(c->menuChoice, -2);
    EXPECT_EQ(FadeInFlag, 0);
    services.makeWindows = true;
    c->menuChoice = -1;
    Frame();
    EXPECT_EQ(c->menuChoice, -2);
    EXPECT_EQ(FirstMenuFlag, 1);
    EXPECT_EQ(FadeInFlag, 1);
    FadeInFlag = 0;
    c->menuChoice = 0;
    Frame();
    c->singleChoice = 2;
    Frame();
    Frame();
    EXPECT_EQ(c->menuChoice, -2);
    EXPECT_EQ(FadeInFlag, 0) << "only the first menu fades in";

    // Each forward step whose screen cannot be opened keeps the current one, waiting for a choice.
    services.makeWindows = false;
    c->menuChoice = 0;
    EXPECT_EQ(Frame(), Log{"open single"});
    EXPECT_EQ(Scene(), 0);
    EXPECT_NE(c->mainMenu, nullptr);
    EXPECT_EQ(c->menuChoice, -2);
    services.makeWindows = true;
    c->menuChoice = 0;
    Frame();
    services.makeWindows = false;
    for (int choice : {0, 1}) {
        c->singleChoice = static_cast<int8_t>(choice);
        Frame();
        EXPECT_EQ(Scene(), 1) << choice;
        EXPECT_NE(c->singleMenu, nullptr);
        EXPECT_EQ(c->singleChoice, -1);
    }
    services.makeWindows = true;
    c->singleChoice = 0;
    Frame();
    services.makeWindows = false;
    c->heroChoice = 1;
    Frame();
    EXPECT_EQ(Scene(), 2);
    EXPECT_NE(c->heroWindow, nullptr);
    EXPECT_EQ(c->heroChoice, -1);

    // A way back whose screen cannot be opened ends on the main menu.
    c->heroChoice = -2;
    EXPECT_EQ(Frame(), (Log{"close hero 1", "open single", "open main 0"}));
    EXPECT_EQ(Scene(), 0);
}

TEST_F(SceneMachineTest, EditorItemOpensTheWorkingStageOnlyInEditorMode) {
    Frame();
    c->menuChoice = 3;
    EXPECT_EQ(Frame(), Log{}) << "game mode: the menu shows the credits instead";

    GameModeFlag = 0;
    c->running = 1;
    // The in-battle blank screen, noting its press.
    struct Blank : BlankScreen {
        explicit Blank(Log* log) : BlankScreen(nullptr), log(log) {}
        void OnControlPress(Widget*, Point* p) override {
            log->push_back(std::string("press ") + (p ? "point" : "null"));
        }
        Log* log;
    };
    c->auxPanel = new Blank(&services.log);
    EXPECT_EQ(Frame(), (Log{"close main 1", "SetEditorView", "AllocGrid", "LoadStage stage07.stg 0",
                            "ShowFileError Could not read file %s! stage07.stg", "ClearStageFileNames",
                            "press null", "PrepareStage", "CreateWindowHosts"}));
    EXPECT_EQ(c->requestedMode, 1);
    EXPECT_EQ(c->running, 0);
    ASSERT_NE(c->editorView, nullptr);
    EXPECT_EQ(c->editorView->active, 1);
    EXPECT_NE(c->eventManager, nullptr);
    EXPECT_EQ(c->battlePhase, 0);

    // Without the in-battle panel (no stage started yet) and with a stage that loads.
    delete c->auxPanel;
    c->auxPanel = nullptr;
    delete c->editorView;
    c->editorView = nullptr;
    services.loadOk = 1;
    services.log.clear();
    c->StartEditorStage();
    EXPECT_EQ(services.log, (Log{"SetEditorView", "AllocGrid", "LoadStage stage07.stg 0", "PrepareStage",
                                 "CreateWindowHosts"}));
    FlushDeferredDeletes();
}

} // namespace
