#pragma once

// Stand-ins for the services the battle frame, the calendar and the outcome steps call in the
// map view, the windows, the event scripts and the network session, until those modules exist.
// Each records what it was asked to do so a headless run can be followed.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class Window;
class Troop;
struct AniFrame;

struct BattleServices {
    // Every stand-in call is reported here by name when set.
    std::function<void(const char*)> trace;

    // Windows and view.
    bool unitPanelPage = false;    // the unit-panel host shows a page
    bool cityCommandPanel = false; // the city-panel host's command panel is visible
    bool mainPanelHost = true;
    bool ctrlHeld = false;
    int32_t auxRedrawByte = 1;
    int32_t scrollLock = 0;

    // Network session.
    int16_t networkPeriod = 13;
    int32_t peerCount = 0;
    int32_t sessionPlayerCount = 0;
    // The player slots: name and the side number of the kingdom each plays.
    std::string slotNames[20];
    int32_t slotSides[20] = {};
    std::vector<std::string> chatLog; // lines added to the main panel's chat
    int32_t dateRedraws = 0;

    int32_t modalMovies = 0;
    std::vector<std::string> movies;
    std::vector<int> sounds;
};

BattleServices& Services();
void ResetServices();
void ServiceTrace(const char* what);

// Cheat-line hold of the calendar.
extern int32_t CalendarFrozen;
// Sound and movies, recorded; the real players are called as well where they exist.
void BattleSound(int id);
void BattleMovie(const char* file, const char* companion);

// The main panel's date line is redrawn.
void ShowDateLine();
void AddChatLine(const char* text, int colour);

// The battle map's per-cycle tick: the event trigger scan, then the calendar step.
void BattleMapTick(int flag);
// One world update of the battle map: objects, troops, cities, gates; the battle's net hooks.
void BattleMapUpdate();
