#pragma once

#include <cstdint>
#include <string>

class EventManager;
class GameController;
class PlainWindow;
class Widget;
class Window;
class Zu_LocalSet;

// What the front-end scene machine asks of the screens and of the subsystems that start a
// stage. The screens install theirs at start-up; until then no front-end window can be made and
// every scene waits. A window that cannot be made is null.
class FrontEndServices {
public:
    virtual ~FrontEndServices() = default;

    // The front-end windows, each on the root widget.
    virtual Window* NewMainMenuWindow(Widget* root, int arg);
    virtual Window* NewSingleMenuWindow(Widget* root);
    virtual Window* NewHeroWindow(Widget* root, GameController* controller);
    // The act window for the controller's act, from the given layout.
    virtual Window* NewActSelectWindow(Widget* root, GameController* controller, const char* layoutFile);
    virtual Window* NewStageListWindow(Widget* root, GameController* owner);

    // The stage start of the controller; the stage texts of a stage file; the player's city.
    // False when the stage's files could not be read: no battle was set up.
    virtual bool StartStage(GameController* controller);
    virtual void ReloadStageTexts(const char* stageFile);
    virtual void CreatePlayerCity();
    // The event scripts and the speech box.
    virtual void TypeSpeechText();
    virtual void CheckTriggers(EventManager* manager);
    virtual void StartRunner(EventManager* manager, int arg);
    // Network upkeep: whether the session's queues are to be flushed, and the flush.
    virtual int QueueFlushFlag();
    virtual void NetHostTick();
    virtual void CloseTcpSession();
    // One step of the lobby (0 in the lobby, 1 or 3 to leave, 2 to start), closing its windows, and the
    // return to the first lobby state.
    virtual int32_t RunSession(Zu_LocalSet* session);
    virtual void ShowSessionWindow(Zu_LocalSet* session);
    virtual void LoadSessionData(Zu_LocalSet* session);
    virtual void PlayMusic(const char* fileName, int loop);

    // The editor's entry to its working stage.
    virtual void SetEditorView(PlainWindow* view);
    virtual void AllocGrid();
    // Non-zero on success; on failure the name that could not be read is kept.
    virtual int LoadStage(const char* stageFile, int flag);
    virtual const char* FailedStageFileName();
    virtual void ClearStageFileNames();
    virtual void ShowFileError(const char* format, const char* name);
    virtual int32_t StageStartYear();
    // Points the game screen's selected city at the first city of the player's kingdom.
    virtual void SelectPlayerFirstCity(GameController* controller);
    // The panel word of a window (the in-battle panel's own panel).
    virtual Widget* PanelOf(Window* window);
    virtual void PrepareStage();
    // Makes the three in-game window hosts where they do not exist yet.
    virtual void CreateWindowHosts(GameController* controller);

private:
    std::string failedStageFile_;
};

// The services in use; never null.
FrontEndServices* GetFrontEndServices();
// Installs the services (null: the built-in ones). The caller keeps ownership.
void SetFrontEndServices(FrontEndServices* services);

// The campaign stage files, twelve per act.
extern const char* const CampaignStageFiles[3][12];
// The act window's layout for an act (the acts' layouts are numbered in reverse).
const char* ActLayoutFile(int32_t actIndex);

// Set when the main menu first opens: the front end then fades the screen in once.
extern uint8_t FirstMenuFlag;
extern uint8_t FadeInFlag;
// Set once a campaign stage has been chosen.
extern uint8_t CampaignStarted;
