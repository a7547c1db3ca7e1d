#pragma once

#include "Program/FrontEndScreens.h"
#include "engine/LinkList.h"
#include "gui/FontRecord.h"

class City;
class GameController;
class Win80_1Window;
class YesNoWindow;

// The campaign preparation ("Win80.gui"): the player picks the generals who go to the battle in
// the unit panel, reads the age's briefing, and confirms; the camp is then dissolved and the
// battle begins.
class Win80Window : public ScreenWindow {
public:
    static constexpr const char* kReadyQuestion =
        "\xB7\xC7\xB3\xC6\xB4\x4E\xBA\xFC, \xBD\x54\xA9\x77\xB6\x69\xA4\x4A"
        "\xBE\xD4\xB3\xF5\xA4\x46\xB6\xDC?";

    Win80Window(Widget* parent, GameController* controller);
    ~Win80Window() override;

    // The chosen count against the quota, fields 7 and 8 and the ready button; the chosen count.
    int RefreshCount();
    // Ends the preparation: the camp is dissolved and this window goes.
    int Close(int result) override;

    void OnControlClick(Widget* control, Point* point) override;
    void OnControlRightClick(Widget* control, Point* point) override;
    void OnNotify(Window* child, int answer) override;
    // The officers the battle needs, never above what the camp can send.
    int32_t Quota() const;

    Win80_1Window* choicePage = nullptr;
    // The city stock and troop item windows are not built yet: their buttons open nothing.
    Window* stockWindow = nullptr;
    Window* itemWindow = nullptr;
    City* city = nullptr;
    LinkList candidates; // Troop*, not owned
    YesNoWindow* question = nullptr;
    GameController* controller = nullptr;
    FontRecord fonts[9];
    char texts[9][36] = {};

private:
    void BuildCandidates();
};

// The preparation window while it is open, else null.
Win80Window* PreparationWindow();
