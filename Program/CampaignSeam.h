#pragma once

#include <cstdint>

class Widget;
class Window;

// What the campaign windows and the stage list reach in subsystems that come later: the yes/no
// question, the typed code line's open-all toggle, the troops'
// table of soldier types seen and the wandering-person cap.
// Null entries are things that are not there.
struct CampaignServices {
    // A yes/no question on the root widget that answers its owner through OnNotify (0 = yes).
    Window* (*newYesNoWindow)(Widget* root, Window* owner, const char* text) = nullptr;
    // The code line's toggle that opens every stage.
    const uint8_t* allStagesOpen = nullptr;
    // Clears the table of soldier types seen and its count.
    void (*clearSoldierTypesSeen)() = nullptr;
    // The cap of wandering persons.
    void (*setPersonCap)(int32_t cap) = nullptr;
    // Loads a stage file into the current stage again (main file and talk texts).
    void (*reloadStageTexts)(const char* stageFile) = nullptr;
    // Clears the scenario data.
    void (*clearScenario)() = nullptr;
};

CampaignServices& GetCampaignServices();

// The restart questions of the three acts (Big5).
extern const char* const ActRestartTexts[3];
