#include "Program/BattleFrameSeam.h"

#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "Program/SoundEffects.h"
#include "Program/StageCalendar.h"
#include "engine/AviClipManager.h"
#include "gui/Window.h"
#include "net/NetHooks.h"
#include "world/BattleMap.h"

int32_t CalendarFrozen = 0;

namespace {
BattleServices* services = nullptr;
} // namespace

BattleServices& Services() {
    if (!services) services = new BattleServices;
    return *services;
}

void ResetServices() {
    delete services;
    services = new BattleServices;
}

void ShowDateLine() {
    ++Services().dateRedraws;
}

void AddChatLine(const char* text, int) {
    Services().chatLog.emplace_back(text);
}

void BattleMapTick(int) {
    if (TheBattleMap)
        TheBattleMap->Tick();
    else
        StageCalendarStep();
}

void BattleMapUpdate() {
    if (TheBattleMap) TheBattleMap->Update();
}
