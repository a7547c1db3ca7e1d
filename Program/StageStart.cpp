#include "Program/GameController.h"

#include "Program/BattleRecordScreen.h"
#include "Program/SaveLoadScreen.h"
#include "Program/ScreenSettings.h"
#include "gui/Window.h"
#include "net/GameRecordChannel.h"
#include "net/Zu_LocalSet.h"
#include "records/TemplateTables.h"

#include <algorithm>

void GameController::ResetBattleState() {
    std::fill(std::begin(battleWords), std::end(battleWords), 0);
    if (TheScreenSettings) TheScreenSettings->Reset();
}

// Deletes what the controller owns beyond what its destructor frees.
void GameController::FreeResources() {
    TearDownBattle();
    delete templateTables;
    templateTables = nullptr;
    delete recordChannel;
    recordChannel = nullptr;
    delete session;
    session = nullptr;
    for (Window** w : {&mainMenu, &singleMenu, &heroWindow, &stageListWindow, &actWindow}) {
        if (*w) (*w)->Close(0);
        *w = nullptr;
    }
    if (recordScreen) {
        recordScreen->Close(0);
        recordScreen = nullptr;
    }
    // The load and save screen may be open over any screen when the program closes.
    if (saveLoadScreen) {
        saveLoadScreen->Close(0);
        saveLoadScreen = nullptr;
    }
}
