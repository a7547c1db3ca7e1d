#pragma once

#include <string>

class GameController;

// The autoplay seam's saved games: KARDOL_SAVE_AT="frames:slot" saves the running stage to that
// slot once the autoplay has run that many frames and ends the run there; KARDOL_LOAD="slot"
// starts the autoplay from that slot instead of from the stage; KARDOL_CENSUS names a file that
// takes the census of the world at the save, or right after the load (the load then saves the
// world it got to KARDOL_LOAD_RESAVE's slot when that is set).
struct AutoplaySlots {
    long saveAtFrame = 0;
    int saveSlot = -1;
    int loadSlot = -1;
    int resaveSlot = -1;
    std::string census;
};

// False with `error` for a value that cannot be what the caller meant.
bool ReadAutoplaySlots(AutoplaySlots& out, std::string& error);

// Every troop, city and kingdom of the running stage, one line each in a fixed order: what a save
// must give back.
std::string WorldCensus();

// Saves to the slot and writes the census first when asked. True when the slot was written.
bool AutoplaySave(GameController& c, const AutoplaySlots& slots);
// Loads the slot as the running game and writes the census. False when the slot could not be read.
bool AutoplayLoad(GameController& c, const AutoplaySlots& slots);
