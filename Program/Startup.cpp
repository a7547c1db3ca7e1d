#include "Program/Startup.h"

#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/HelpTexts.h"
#include "Program/MainWindow.h"
#include "Program/Palettes.h"
#include "Program/ScreenSettings.h"
#include "Program/SoundEffects.h"
#include "Program/StartupHooks.h"
#include "engine/AviClipManager.h"
#include "engine/AviSystem.h"
#include "engine/Blitter16.h"
#include "engine/DisplayDevice.h"
#include "engine/KeyedTable37.h"
#include "engine/LinkList.h"
#include "engine/MusicPlayer.h"
#include "engine/NumberFont.h"
#include "engine/NumberTable.h"
#include "engine/PumpMessages.h"
#include "engine/Random.h"
#include "engine/ResourceStore.h"
#include "engine/SoundBank.h"
#include "engine/SurfaceText.h"
#include "gui/GuiRoot.h"
#include "net/NetHooks.h"
#include "net/Zu_LocalSet.h"
#include "net/room/RoomLink.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "platform/TimerPeriod.h"
#include "platform/Window.h"
#include "records/GameDataLoader.h"
#include "records/StageEditor.h"
#include "world/BattleMap.h"

#include <cstring>
#include <string>

using namespace platform;

int32_t GameModeFlag = 1;
uint8_t NetworkLaunchFlag = 0;
int32_t StartupState = 0;
char CommandWord1[128];
char CommandWord2[128];
char CommandWord3[128];
HANDLE LoadMutex = nullptr;
LinkList* WindowList = nullptr;
KeyedTable37* TheKeyedTable37 = nullptr;
Big5BitmapFont* TheBig5Font = nullptr;

namespace {

const char* const kWindowName = "VelmoraII";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// The next blank-separated word from `p`: its start and length; p moves past it.
bool NextWord(const char*& p, const char*& start, size_t& length) {
    while (*p && IsBlank(*p))
        ++p;
    if (!*p) return false;
    start = p;
    while (*p && !IsBlank(*p))
        ++p;
    length = static_cast<size_t>(p - start);
    return true;
}

} // namespace

CommandLineResult ParseCommandLine(const char* commandLine) {
    CommandLineResult result;
    char* words[3] = {CommandWord1, CommandWord2, CommandWord3};
    for (char* w : words)
        std::memset(w, 0, 128);
    NetworkLaunchFlag = 0;
    if (!commandLine || !*commandLine) return result;
    const char* p = commandLine;
    bool cut = false;
    const char* start = nullptr;
    size_t length = 0;
    while (result.words < 3 && NextWord(p, start, length)) {
        // A word longer than its buffer is cut to 127 bytes, never written past it.
        if (length > 127) {
            length = 127;
            cut = true;
        }
        std::memcpy(words[result.words], start, length);
        words[result.words][length] = 0;
        ++result.words;
    }
    if (result.words == 3 &&
        (std::strcmp(CommandWord2, "qmt") != 0 || std::strcmp(CommandWord3, "hvd") != 0)) {
        // A cut word cannot name a server or a player: no network launch on it.
        result.networkLaunch = !cut;
    }
    NetworkLaunchFlag = result.networkLaunch ? 1 : 0;
    result.moviesOff = CommandLineTurnsMoviesOff(commandLine);
    return result;
}

bool CommandLineTurnsMoviesOff(const char* commandLine) {
    if (!commandLine) return false;
    const char* p = commandLine;
    const char* start = nullptr;
    size_t length = 0;
    while (NextWord(p, start, length))
        if (length >= 2 && start[0] == '-' && start[1] == 'a') return true;
    return false;
}

void RecordUpdateClientPath() {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_CLASSES_ROOT, "Software\\VelmoraII", &key) != ERROR_SUCCESS) return;
    uint32_t size = 0;
    if (RegQueryValueExA(key, "UpDate", nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) {
        uint8_t workPath[260] = {};
        uint32_t workSize = sizeof workPath;
        if (RegQueryValueExA(key, "WorkPath", nullptr, nullptr, workPath, &workSize) == ERROR_SUCCESS) {
            workPath[sizeof workPath - 1] = 0;
            std::string value = reinterpret_cast<const char*>(workPath);
            value += "\\Patchrunner.exe";
            RegSetValueExA(key, "UpDate", 0, REG_SZ, reinterpret_cast<const uint8_t*>(value.c_str()),
                           static_cast<uint32_t>(value.size()));
        }
    }
    RegCloseKey(key);
}

int WinMain(void* instance, void*, const char* commandLine, int showState) {
    // 1: one copy only.
    if (HWND running = FindWindowA(kWindowName, kWindowName)) {
        if (IsIconic(running)) ShowWindow(running, SW_RESTORE);
        SetForegroundWindow(running);
        return 1;
    }
    // 2-4.
    GameModeFlag = 1;
    RecordUpdateClientPath();
    LoadMutex = CreateMutexA(nullptr, 0, "LoadMutex");
    StartupState = 0;

    // 5-8.
    TheScreenSettings = new ScreenSettings;
    TheScreenSettings->windowed = GameModeFlag ? 0 : 1;
    BindSettingsHooks(*TheScreenSettings);
    AppWindow.instance = nullptr;
    AppWindow.window = nullptr;
    AppWindow.directDraw = nullptr;
    std::memset(AppWindow.clientRect, 0, sizeof AppWindow.clientRect);
    AppWindow.timerId = 0;
    AppWindow.FramePending = 0;
    AppWindow.TimerRate = 0;
    if (!CreateMainWindow(instance, showState)) return 0;
    if (TheScreenSettings->windowed) {
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        ShowCursor(1);
    } else {
        SetCursor(nullptr);
        ShowCursor(0);
    }
    if (!SetupDisplay()) return 0;

    // 9-12.
    InitAudio(AppWindow.window);
    ParseCommandLine(commandLine);
    LoadPalettes();
    TIMECAPS caps;
    timeGetDevCaps(&caps, sizeof caps);
    AppWindow.TimerRate = static_cast<int32_t>(1000 / (caps.wPeriodMin ? caps.wPeriodMin : 1));

    // 13-15.
    TheKeyedTable37 = new KeyedTable37;
    TheScreenSettings->calendarPeriod = GameParams().CalendarPeriod();
    LoadGameParameters("Cg001.wz", &TheScreenSettings->calendarPeriod);
    LoadHelpMessages();

    // 16-18.
    TheResourceStore = new ResourceStore;
    BindStoreHooks(*TheResourceStore);
    TheNumberTable = new NumberTable;
    FramePeriodMs = NumberTableValues[89];
    TheGuiRoot = new GuiRoot;
    TheBlitter16 = new Blitter16;
    TheGameController = new GameController;
    // The lobby's rooms run over the program's TCP session.
    SetRoomSessionLink(&ProgramRoomLink());
    if (NetworkLaunchFlag) {
        TheGameController->session = new Zu_LocalSet;
        TheGameController->sessionStep = -1;
        TheGameController->scene = static_cast<int8_t>(200);
    }
    TheGameController->syncRandom = static_cast<uint32_t>(GameRandom());
    BindControllerHooks(*TheGameController);
    SetSoundEffectGate([] {
        const bool muted = TheGameController && TheGameController->soundMute != 0;
        return !muted && TheScreenSettings && TheScreenSettings->soundEffectsOn != 0;
    });

    // 19: the movies draw into the back surface. No map view exists yet, so no references into
    // one are handed over: the clip manager reads the current view's origin when it draws, and
    // uses 0 while there is none.
    TheAviSystem.SetTarget(GetDirectDraw(), GetBackSurface(),
                           TheSoundBank ? TheSoundBank->GetDirectSound() : nullptr);
    TheAviSystem.SetViewOffsetRefs(nullptr, nullptr);
    TheAviClipManager.OpenOverlays();
    if (CommandLineTurnsMoviesOff(commandLine)) TheAviClipManager.options &= ~1u;

    // 20-21.
    PumpMessages();
    if (GameModeFlag && !NetworkLaunchFlag) PlayAviModal(140, 130, "open.avi", nullptr, 1, 2);

    // 22-28.
    TheResourceStore->LoadKingdomCells();
    TheStageEditor = new StageEditor;
    TheBattleMap = new BattleMap;
    std::string damagedTable;
    if (const int loaded = LoadGameData(TheBattleMap->scenario, &damagedTable); loaded != kGameDataLoaded) {
        // A game without its templates would fail later and far from the cause.
        const std::string text =
            (loaded == kGameDataDamaged ? "Damaged data file: " : "Missing data file: ") + damagedTable;
        MessageBoxA(AppWindow.window, text.c_str(), kWindowName, MB_OK | MB_ICONERROR);
        DestroyWindow(AppWindow.window);
        return kExitDataUnusable;
    }
    TheResourceStore->battleMap = TheBattleMap;
    TheResourceStore->controller = TheGameController;
    PlayMusic("Track10.mp3", 1);
    if (GameModeFlag) {
        TheGameController->worldRunning = 1;
        TheGameController->developerKeys = 0;
    } else {
        TheGameController->developerKeys = 1;
    }
    TheBig5Font = new Big5BitmapFont;
    TheNumberFont = new NumberFont;

    // 29-31.
    StartGameTimer();
    WindowList = new LinkList;
    StartupState = 2;
    MSG msg{};
    while (GetMessage(&msg, nullptr, 0, 0) > 0) {
        bool taken = false;
        for (uintptr_t v = WindowList->First(); v != 0; v = WindowList->Next()) {
            auto* w = reinterpret_cast<ModelessDialog*>(v);
            if (IsDialogMessageA(w->dialog, &msg)) {
                taken = true;
                break;
            }
        }
        if (taken) continue;
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }

    // 32. The room's receive thread ends with the program, before the sockets it reads go away.
    CloseTcpSession();
    delete WindowList;
    WindowList = nullptr;
    return static_cast<int>(msg.wParam);
}
