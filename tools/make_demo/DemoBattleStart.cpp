#include "DemoBattleStart.h"

#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/MainWindow.h"
#include "Program/Palettes.h"
#include "Program/ScreenSettings.h"
#include "Program/Startup.h"
#include "Program/StartupHooks.h"
#include "engine/Blitter16.h"
#include "engine/DisplayDevice.h"
#include "engine/KeyedTable37.h"
#include "engine/NumberFont.h"
#include "engine/NumberTable.h"
#include "engine/ResourceStore.h"
#include "engine/SurfaceText.h"
#include "gui/GuiRoot.h"
#include "records/GameDataLoader.h"
#include "records/StageEditor.h"
#include "world/BattleMap.h"

bool StartDemoGame(std::string& error) {
    GameModeFlag = 1;
    TheScreenSettings = new ScreenSettings;
    TheScreenSettings->windowed = 0;
    BindSettingsHooks(*TheScreenSettings);
    AppWindow.window = nullptr;
    if (!SetupDisplay()) return error = "no display", false;
    LoadPalettes();
    TheKeyedTable37 = new KeyedTable37;
    TheScreenSettings->calendarPeriod = GameParams().CalendarPeriod();
    LoadGameParameters("Cg001.wz", &TheScreenSettings->calendarPeriod);
    TheResourceStore = new ResourceStore;
    BindStoreHooks(*TheResourceStore);
    TheNumberTable = new NumberTable;
    FramePeriodMs = NumberTableValues[89];
    TheGuiRoot = new GuiRoot;
    TheBlitter16 = new Blitter16;
    TheGameController = new GameController;
    BindControllerHooks(*TheGameController);
    TheResourceStore->LoadKingdomCells();
    TheStageEditor = new StageEditor;
    TheBattleMap = new BattleMap;
    std::string damaged;
    if (LoadGameData(TheBattleMap->scenario, &damaged) == kGameDataDamaged)
        return error = "damaged " + damaged, false;
    TheResourceStore->battleMap = TheBattleMap;
    TheResourceStore->controller = TheGameController;
    TheGameController->worldRunning = 1;
    TheGameController->developerKeys = 0;
    TheBig5Font = new Big5BitmapFont;
    TheNumberFont = new NumberFont;
    StartupState = 2;
    ActiveFlag = 1;
    return true;
}
