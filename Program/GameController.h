#pragma once

#include "Program/StageRecords.h"
#include "gui/RootObject.h"
#include "net/MultiCast.h"
#include "world/TileRedraw.h"

#include <atomic>
#include <cstdint>
#include <vector>

class BlankScreen;
class Troop;
class LinkList;
class Window;
class MapView;
class TemplateTables;
class BattleRecordScreen;
class SaveLoadScreen;
class GuiLayout;
class SpeechBox;
class EventManager;
class GameRecordChannel;
class Zu_LocalSet;
class FrameAnimControl;
class PlainWindow;
class City;
class SubCastle;
class Troop;
class CastleGate;
class Kingdom;
class GuiMessage;
namespace platform {
class Surface;
}
struct FrameRecord;
struct GeneratorGrid;
struct AniFrame;

// One network player slot; the lobby fills it (148 bytes on the wire of the session).
struct PlayerSlot {
    uint8_t bytes[148] = {};
};

// Owner of the game's flow: the mode (front end, battle, modal movie), the front-end scene,
// the battle's per-frame work and its end, the selection and hot-key groups, the campaign
// records and save-slot labels, and the network session objects. One instance for the run.
class GameController : public RootObject {
public:
    GameController();
    ~GameController() override;

    void Frame(uint32_t message);
    void OnMouse(uint32_t message);
    void OnChar(uint32_t character);
    void OnKeyDown(uint32_t virtualKey);

    void RunFrontEnd();
    void ShowSingleMenu();
    void ShowMainMenu();
    void ShowActWindow();
    void StartEditorStage();
    void DrawFrontEnd();
    void DrawOverlayObjects();

    void RunBattleFrame(uint32_t message);
    void ScrollView();
    void RefreshPanels();
    void RevealMap();

    int ReadRecords();
    bool WriteSlotLabels();
    bool WriteStageRecords();

    void TearDownBattle();
    void ResetBattleState();
    void FreeResources();

    PlainWindow* editorView = nullptr;
    void* editorStage = nullptr;
    BlankScreen* auxPanel = nullptr;
    MapView* gameScreen = nullptr;
    TemplateTables* templateTables = nullptr;
    SaveLoadScreen* saveLoadScreen = nullptr;
    BattleRecordScreen* recordScreen = nullptr;
    uint32_t unusedWord1 = 0;
    GuiLayout* win25Layout = nullptr;
    SpeechBox* speechBox = nullptr;
    EventManager* eventManager = nullptr;
    GameRecordChannel* recordChannel = nullptr;
    Window* mainMenu = nullptr;
    Window* singleMenu = nullptr;
    Window* heroWindow = nullptr;
    Window* stageListWindow = nullptr;
    Window* actWindow = nullptr;
    uint32_t unusedWords5[5] = {};
    int32_t mouseX = 500;
    int32_t mouseY = 500;
    int32_t unusedZero = 0;
    int32_t unusedMinusOne = -1;
    int8_t scene = 0;
    int32_t unused100 = 100;
    int32_t unusedMinusOne2 = -1;
    int32_t unusedZero2 = 0;
    int32_t battleWords[16] = {};
    int16_t speechSpeed = 20;
    uint8_t running = 1;
    int32_t afterRunningWord = 0;
    int32_t selectionActive = 0;
    // Shared with the frame timer's thread.
    std::atomic<int32_t> clickTimer{0};
    std::atomic<uint8_t> clickCount{0};
    std::atomic<int32_t> groupKeyTimer{0};
    int32_t lastGroupKey = 0;
    std::atomic<uint8_t> groupKeyPresses{0};
    uint8_t pressFlag = 0;
    int32_t leftHeld = 0;
    int32_t leftHeldFrames = 0;
    int32_t dragging = 0;
    int32_t dragStartX = 0, dragStartY = 0, dragEndX = 0, dragEndY = 0;
    int32_t viewLeft = 0, viewTop = 0, viewRight = 0, viewBottom = 0;
    int32_t scrollRequest = 0;
    int32_t mapRevealed = 0;
    int16_t toggle1 = 0;
    int32_t toggle2 = 0;
    int32_t toggle3 = 0;
    uint8_t developerSurfaceToggle = 0;
    uint8_t toggle5 = 0;
    uint8_t toggle6 = 0;
    std::atomic<int32_t> pauseScreen{0};
    uint8_t developerKeys = 0;
    int32_t groupsTouched = 0;
    int8_t currentGroup = -1;
    LinkList* selection = nullptr;
    LinkList* groups[10] = {};
    struct GroupHeader {
        uint8_t inUse = 0;
        uint8_t b1 = 0, b2 = 0, b3 = 0;
        uint32_t word = 0;
        uint32_t memberCount = 0;
    };
    GroupHeader* groupHeaders[10] = {};
    LinkList* focusList = nullptr;
    uint8_t scratch[1600] = {};
    uint8_t* minimapImages[3] = {};
    FrameAnimControl* markerAnims[3] = {};
    FrameRecord* markerFrames[3] = {};
    void* groupTargetA = nullptr;
    void* groupTargetB = nullptr;
    int32_t menuChoice = -1;
    // Set by the game menu when the player leaves the running game.
    int32_t leaveGame = 0;
    int8_t singleChoice = -1;
    int8_t heroChoice = -1;
    int8_t stageListChoice = -1;
    int8_t actChoice = -1;
    uint8_t unusedOne = 1;
    uint8_t recordScreenClosed = 0;
    int32_t recordCloseWord = 0;
    uint8_t campaignStage = 0;
    int32_t unusedOne2 = 1;
    uint8_t networked = 0;
    uint8_t actOption = 1;
    uint8_t unusedByte = 0;
    // Two option bytes; 'c' raises the diplomatic thresholds.
    uint8_t optionBytes[2] = {};
    int32_t actIndex = 0;
    int32_t gameKind = 0;
    int32_t unusedWord2 = 0;
    int32_t battlePhase = 0;
    uint8_t mode = 0;
    uint8_t requestedMode = 0;
    uint8_t markerValue = 0;
    uint32_t slotLabelCount = 0;
    uint32_t slotLabelCountCopy = 0;
    StageRecordTable stageRecords{};
    SlotLabelTable slotLabels{};
    // The stage's talk texts and their numbers (owned); the common ones are textBlocks.
    uint8_t* blocks[300] = {};
    int32_t blockKeys[300] = {};
    // 1 once both talk tables have been read.
    int32_t talkTextsLoaded = 0;
    uint8_t isHost = 0;
    PlayerSlot players[20];
    // The joined players as they were when the network battle started.
    PlayerSlot startedPlayers[20];
    int16_t groupCommandMode = 0;
    int16_t unusedOne3 = 1;
    int32_t netScreenChoice = -1;
    int32_t sessionResult = 0;
    Zu_LocalSet* session = nullptr;
    int32_t sessionStep = 0;
    MultiCast lobbyLink;
    uint32_t syncRandom = 0;
    // The network room's game type and its four options as the battle takes them.
    int32_t netGameType = 0;
    int32_t netOptions[4] = {};
    // The network error word: the session control logs a non-zero value once and clears it.
    int32_t netErrorWord = 0;
    // Set by start-up in game mode: the world runs.
    uint8_t worldRunning = 0;
    // Sound effects play only while it is 0.
    int32_t soundMute = 0;
    // Cheat: every cell reads as free.
    uint8_t passThrough = 0;
    // Set while a saved game loads: the map's sight is rebuilt from the troops.
    uint8_t loadingSavedGame = 0;
    // While set the map view leaves the fog refresh out.
    uint8_t fogRefreshOff = 0;
    uint8_t mapLock = 0;
    // Set while the right button is held down over the map.
    uint8_t rightHeld = 0;
    // Network team play: allied troops may enter each other's cities.
    uint8_t teamMode = 0;
    // In stage-edit mode the triggers run only while it is set.
    int32_t triggerWord = 0;
    // Tiles rewritten in view, patched into the terrain by the map view's next frame.
    std::vector<TileRedraw> tileRedraws;
    // Pixels of the minimap per map cell when the map is smaller than it.
    int32_t minimapScaleX = 1;
    // Units the player's sub-castles sent out, and the notice that one left.
    int16_t deploymentCount = 0;
    int32_t deploymentNotice = 0;
    // While non-zero the cities mark no sight on the map.
    int32_t citySightHold = 0;
    int32_t minimapScaleY = 1;

    // The map view's pointing and selection, and the editor's terrain overlays.
    uint8_t obstacleOverlay = 0; // tints blocked cells
    uint8_t markOverlay = 0;     // tints cells with a zone mark
    City* cityUnderCursor = nullptr;
    SubCastle* subCastleUnderCursor = nullptr;
    City* selectedCity = nullptr;
    SubCastle* selectedSubCastle = nullptr;
    int16_t cityPanelMode = 0;        // 1 while a city's units are listed for command
    uint8_t everythingSelectable = 0; // editor switch: any troop may be selected
    int32_t timedFlag = 0;            // the frame tick's first timed flag
    Troop* currentTroop = nullptr;    // the focus of the map view

    // Stage files: 1 while stages start fresh; 0 only while a save slot is read or written.
    int32_t freshStage = 1;
    // Set once a stage file set has been loaded.
    int32_t stageLoaded = 0;
    // 0x777 when the stage's start cell gave the view its first place.
    int32_t viewStartMarker = 0;

    // What the event scripts ask of the controller.
    // Non-zero while an event runner exists: the mouse cursor keeps its shape.
    int32_t cursorLock = 0;
    // The talk-text block paired with the key, or null.
    const uint8_t* FindBlockByKey(int32_t key) const;

    // Troop combat switches.
    // 0 easy, 1 normal, 2 hard.
    uint8_t difficulty = 1;
    // While non-zero no sight is marked or withdrawn.
    int32_t sightOff = 0;
    // Cheats: the player's troops take no damage; every blow on another troop kills.
    uint8_t playerProtection = 0;
    uint8_t oneBlow = 0;
    // While non-zero skills cost no skill points.
    int16_t skillsFree = 0;
    // Takes the troop out of the selection and out of every hot-key group.
    void DeselectTroop(Troop* troop);

    // The map pointer's orders and modes.
    int32_t lastOrderX = -1, lastOrderY = -1; // unit cell of the last right-click order
    uint8_t moveOrderMode = 0;                // the next left click sends the marked units
    uint8_t workMode = 0;                     // right presses give no orders
    uint8_t secondOrderMode = 0;
    uint8_t menuOpen = 0;
    uint8_t attachPending = 0; // selected carriers were given a city or sub-castle
    uint8_t hideOverlays = 0;
    CastleGate* hoveredGate = nullptr; // checked against the stage's gates before use
    // The building name floating over a placed building: kind (-1 none), cell and frames shown.
    int32_t floatingKind = -1, floatingX = 0, floatingY = 0, floatingFrames = 0;

    // ---- Mouse and keys, hot-key groups (ControllerInput.cpp, ControllerKeys.cpp, ControllerGroups.cpp)
    // ----
    bool SelectGroup(int n);
    void AssignGroup(int n);
    void FocusGroup(int n);
    // The digit key of group n, counted for the double press.
    void GroupKey(int n, bool ctrl);
    // The view origin on the troop: (x - 10, 2y - 28) inside the map.
    void CentreViewOnTroop(const Troop* troop, bool rowMultipleOf4);
    // The unit panel's display mode (0..3) and the unit display toggle, read by the panels.
    uint8_t unitPanelMode = 0;
    uint8_t unitDisplayToggle = 0;
    // Developer display switches: F7's byte and bit, F5's toggle, 'H', 'M', 'Y'.
    uint8_t developerDisplayByte = 0;
    uint8_t developerDisplayBit = 0;
    uint8_t developerToggles[4] = {};
    // The developer troop-state cycle of 'J' (0..6).
    int32_t troopStateCycle = 0;
    // The editor's blit switch (F6).
    uint8_t blitToggle = 0;
    // The map the stage editor edits, cell by cell; not owned.
    GeneratorGrid* editingMap = nullptr;

    // ---- Selection upkeep and minimap orders (ControllerSelection.cpp) ----
    // 1 while the selection holds units that wait inside cities.
    int32_t selectionInCities = 0;
    int16_t cityOrderCounter = 0;
    uint8_t* textBlocks[300] = {};
    int32_t textBlockKeys[300] = {};
    // Where the minimap panel's area lies on the screen; its picture starts 25, 27 inside.
    int32_t minimapAreaX = 0, minimapAreaY = 0;
    // Program-wide state of a building placement, cleared when one begins.
    int32_t placementState = 0;
    // Leaving group-command mode: the two targets shown on the map (a city and a sub-castle) close.
    void LeaveGroupTargets();
    void ClickSelect(const GuiMessage* point);
    void DragSelect(const GuiMessage* point);
    int MinimapPointToCell(const GuiMessage* point, int32_t cell[2]) const;
    void BeginBuildingPlacement(int32_t kind);
    const uint8_t* FindTextBlockByKey(int32_t key) const;

    // ---- Minimap drawing and whole-map export (ControllerMinimap.cpp, BigMapExport.cpp) ----
    // 0 shows the third minimap picture, 1 the second.
    uint8_t minimapToggle = 0;
    void DrawMiniMap(platform::Surface* surface);
    // False when nothing was written.
    bool ExportBigMap();

    // ---- Stage start (ControllerStageStart.cpp) ----
    // Network room settings the session control copies in: a generated map, the room's map kind (1:
    // one of the fixed network maps), the officers' level on a fixed map and the starting resources
    // (0..3).
    int32_t randomMap = 0;
    int8_t roomMapKind = 0;
    int32_t startLevel = 0;
    int32_t startResources = 0;
    void StartStage();
    // The stage file of the current choice; sets gameKind 1..3 outside the campaign. Empty when the
    // choice names no file.
    const char* ChooseStageFile();

    // ---- Typed code line and kingdom wipe-out (CodeLine.cpp) ----
    // The player's kingdom is neither attacked nor picks targets while set.
    int32_t playerTruce = 0;
    void OnCodeChar(uint32_t character);
    void WipeOutKingdom(Kingdom* kingdom);
    void WipeOutNonAlliedKingdoms();

    // Where the two record files live (the working folder).
    static const char* const recordDataFile;
    static const char* const recordLabelFile;

    // ---- The notice over the battle screen (world/MapViewObjects.cpp) ----
    // Big5, drawn while not empty.
    char noticeText[128] = {};

private:
    void EndBattle(uint32_t message);
    void ClearAndFree();
    void OpenRecordScreen();
};

extern GameController* TheGameController;
// The mask frame of "mask2.ani" and the counter of the frames run after a team game has ended.
extern AniFrame* MaskFrame;
extern int32_t PostEndFrames;
// The battle's begin picture ("Begin.ani", shown for 50 cycles) with its count of drawings, and
// the pause picture ("Pause.ani", loaded when the game is first paused).
extern AniFrame* BeginPicture;
extern int32_t BeginPictureCount;
extern AniFrame* PausePicture;
