#pragma once

#include "gui/RootObject.h"

#include <atomic>
#include <cstdint>

// The player's settings, the screen set-up, the running game's calendar and the frame
// counters. One instance, made at start-up before the main window.
class ScreenSettings : public RootObject {
public:
    ScreenSettings();
    ~ScreenSettings() override;

    // Clears the per-battle fields; in editor mode also sets the windowed flag.
    void Reset();

    uint8_t firstFlag = 1;
    int32_t musicVolume = 5; // 0..9, over 12.0 for the music library
    int32_t soundVolume = 5; // 0..9, effects and movies
    int32_t speechSetting = 5;
    int32_t gameSpeed = 5; // 0..10, index into the day-length table
    int16_t calendarStepFrames = 0;
    uint8_t calendarStepCount = 0;
    int32_t day = 0;
    int32_t month = 0;
    int32_t year = 0;
    int32_t calendarPeriod = 0;
    int32_t endCountdown = 0;
    int32_t secondCounter = 0;
    int32_t ageCount = 0;
    uint8_t battleEnded = 0;
    int32_t frameState = 0;
    // Shared with the frame timer's thread.
    std::atomic<uint8_t> busyState{0};
    std::atomic<uint16_t> runningFrameCounter{0};
    std::atomic<uint16_t> frameCounter100{0};
    int32_t mapWidth = 0;
    int32_t mapHeight = 0;
    int32_t mapGrid = 0;
    int32_t windowed = 0;
    int32_t editorKeys = 0;
    int32_t stageEditMode = 0;
    int32_t serialCounter = 100;
    int32_t secondFlag = 1;
    int32_t soundEffectsOn = 1;
    int32_t screenWidth = 800;
    int32_t screenHeight = 600;
    int16_t nameLabelsOn = 1;
    // While either input-hold word is set the cursor queues no mouse message; the second also
    // stops edge scrolling outside game kind 2. The event scripts set them.
    int32_t inputHold1 = 0;
    int32_t inputHold2 = 0;
    // While set the cursor asks for no scrolling and keeps its shape.
    int32_t edgeScrollHold = 0;
    // Non-zero: the store loads no terrain graphics.
    int32_t terrainGraphicsOff = 0;

    // Stage files: set once a stage's battle has begun; groups are then saved without followers.
    int32_t battleStarted = 0;
    // Set once the player has applied a diplomacy proposal or gift.
    int32_t diplomacyUsed = 0;

    // ---- Stage files (stagefiles/MainStage*.cpp) ----
    // Set while the map is kept outside the stage files (the fixed stage's start): no map files,
    // no extra kingdoms and no view from the main stage file.
    int32_t mapKeptOutside = 0;
};

extern ScreenSettings* TheScreenSettings;
