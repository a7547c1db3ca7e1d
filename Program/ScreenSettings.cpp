#include "Program/ScreenSettings.h"

#include "Program/Startup.h"
#include "engine/AviClipManager.h"

ScreenSettings* TheScreenSettings = nullptr;

ScreenSettings::ScreenSettings() {
    firstFlag = 1;
    musicVolume = 5;
    soundVolume = 5;
    speechSetting = 5;
    gameSpeed = 5;
    TheAviClipManager.SetVolume(soundVolume);
    if (GameModeFlag) {
        screenWidth = 800;
        screenHeight = 600;
    } else {
        screenWidth = 1024;
        screenHeight = 768;
    }
    nameLabelsOn = 1;
    secondFlag = 1;
    soundEffectsOn = 1;
    Reset();
    serialCounter = 100;
}

ScreenSettings::~ScreenSettings() {
    DestroyDerived();
}

void ScreenSettings::Reset() {
    endCountdown = 0;
    secondCounter = 0;
    ageCount = 0;
    calendarStepFrames = 0;
    calendarStepCount = 0;
    battleEnded = 0;
    frameState = 0;
    busyState = 0;
    runningFrameCounter = 0;
    frameCounter100 = 0;
    editorKeys = 0;
    stageEditMode = 0;
    if (!GameModeFlag) windowed = 1;
}
