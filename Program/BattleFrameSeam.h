#pragma once

// Stand-ins for the game windows the battle frame, the calendar and the outcome steps call (the
// unit and city panels, the main panel's chat and date lines), until those windows exist.

#include <cstdint>
#include <string>
#include <vector>

class Window;
class Troop;
struct AniFrame;

struct BattleServices {
    // Windows and view.
    bool unitPanelPage = false;    // the unit-panel host shows a page
    bool cityCommandPanel = false; // the city-panel host's command panel is visible

    std::vector<std::string> chatLog; // lines added to the main panel's chat
    int32_t dateRedraws = 0;
};

BattleServices& Services();
void ResetServices();

// The main panel's date line is redrawn.
void ShowDateLine();
void AddChatLine(const char* text, int colour);
