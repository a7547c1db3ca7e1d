#pragma once

#include <cstdint>

class City;
class Kingdom;
class Widget;
class Window;

// What the campaign windows and the stage list reach in subsystems that come later: the stage
// titles of "age.ini", the yes/no question, the typed code line's open-all toggle, the troops'
// table of soldier types seen and the wandering-person cap, and a few kingdom and city columns.
// Null entries are things that are not there.
struct CampaignServices {
    // The 276-byte "age.ini" record of stage number s (11..46), or null.
    const uint8_t* (*ageRecord)(int32_t stage) = nullptr;
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
    // A kingdom's colour (5-6-5), its ruler's portrait number ("頭像編號" of its "人物編號"
    // template), its ruler name (Big5, null when none) and the officers of its cities.
    uint16_t (*kingdomColour)(const Kingdom* kingdom) = nullptr;
    int32_t (*rulerPortrait)(const Kingdom* kingdom) = nullptr;
    const char* (*rulerName)(const Kingdom* kingdom) = nullptr;
    int32_t (*officerCount)(const Kingdom* kingdom) = nullptr;
    // A city's "都市索引".
    int32_t (*cityIndex)(const City* city) = nullptr;
};

CampaignServices& GetCampaignServices();

// The restart questions of the three acts (Big5).
extern const char* const ActRestartTexts[3];
