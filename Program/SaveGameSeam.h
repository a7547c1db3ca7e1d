#pragma once

#include "stagefiles/SaveSlots.h"

#include <cstdint>

class GameController;

// What the save and load screen needs from the stage files and the running game, which come
// later. Each entry may be replaced; the defaults say there is no game to save or load.
struct SaveGameServices {
    // The slot's save set written (1) or not (0).
    int (*saveGame)(int slot) = nullptr;
    // The slot's save set loaded (1) or not (0).
    int (*loadGame)(int slot) = nullptr;
    // The current stage's name (first column of its record) and the player kingdom's ruler
    // name, NUL-terminated Big5; null when the record has no data block.
    const char* (*stageName)() = nullptr;
    const char* (*rulerName)() = nullptr;
    // Clears the controller's and the game screen's input and order state before a load.
    void (*clearTransientInput)(GameController* controller) = nullptr;
    // The unit panel for the selection and the hot-key group rows, after a load.
    void (*refreshPanels)(GameController* controller) = nullptr;
};

// The services in use; never null.
SaveGameServices& GetSaveGameServices();
