#pragma once

#include "Program/AutoplaySlots.h"

#include <cstdint>
#include <string>

class GameController;

// The autoplay test seam: KARDOL_AUTOPLAY names a stage file of the stage list, which the game
// starts through its own stage start with the computer playing every side and runs to its end;
// KARDOL_SEED seeds the game's generators first. The stage's result and the world digest are the
// last lines on standard output. The seam only chooses what runs.
struct AutoplaySettings {
    std::string stageFile;
    bool seeded = false;
    uint32_t seed = 0;
    // KARDOL_FRAMES when given: the autoplay reports before the program is closed at that limit.
    long frameLimit = 0;
    // Saving the running stage to a slot, or starting from one.
    AutoplaySlots slots;
};

// Reads KARDOL_AUTOPLAY, KARDOL_SEED and KARDOL_FRAMES. False with `error` for a value that cannot
// be what the caller meant; an empty stage file when KARDOL_AUTOPLAY is not set.
bool ReadAutoplaySettings(AutoplaySettings& out, std::string& error);
// Arms the seam for this run.
void InstallAutoplay(const AutoplaySettings& settings);

// Under autoplay the game's clock follows the frames: they run back to back without waiting for
// the timer, and each frame is one tick, so that every run of a seed updates its world at the
// same frames. True while the seam is armed.
bool AutoplayPacesFrames();

// At the start of every controller frame: starts the stage on the first frame, stops the run once
// the frame budget is spent. False when the frame is not to run.
bool AutoplayFrame(GameController& c);
// Whether the stage named could not be loaded; the program then ends with a failure.
bool AutoplayFailed();
// When the battle has ended, before it is torn down: reports and closes the program.
void AutoplayBattleEnded(GameController& c);
// The word an end report gives a stage's result.
const char* AutoplayResultName(int32_t result);
