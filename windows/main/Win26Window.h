#pragma once

#include "Program/FrontEndScreens.h"

#include <cstdint>

class Win40Window;
class YesNoWindow;

// The game menu of the battle screen ("Win26.gui"): back to the game (0x100, 0x105), save (0x101),
// load (0x102), the sound settings (0x103), leave the game (0x104) and quit the program (0x106),
// the last two after a question. Its owner, the main panel, closes it when told (menu, 1).
class Win26Window : public ScreenWindow {
public:
    static constexpr uint8_t kQuitProgram = 1;
    static constexpr uint8_t kLeaveGame = 2;

    Win26Window(Widget* parent, Window* owner);

    void OnControlClick(Widget* control, Point* point) override;
    void OnControlRightClick(Widget* control, Point* point) override;
    void OnNotify(Window* source, int result) override;
    // Ends an open child with the menu.
    int Close(int result) override;

    // The Esc step: 0 when the menu's panel is gone or a save or load screen is open, else 1.
    int HandleEscape();

    Win40Window* soundSettings = nullptr;
    YesNoWindow* question = nullptr;
    uint8_t quitMode = 0;

private:
    void ShowPanel(bool shown);
    void CloseMenu();
};

// The questions, as the menu asks them (Big5).
extern const char QuitProgramText[];
extern const char LeaveGameText[];
extern const char LeaveNetworkGameText[];
