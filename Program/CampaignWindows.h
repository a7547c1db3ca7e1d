#pragma once

#include "Program/FrontEndScreens.h"

#include <string>

class Zu_SkillEffect;

// The hero window ("Hero.gui"): one of the three acts, chosen by a double click or the start
// button.
class HeroWindow : public ScreenWindow {
public:
    explicit HeroWindow(Widget* root);
    void OnControlClick(Widget* control, Point* point) override;

    int32_t markedAct = 0;
};

// The act window ("Act-3.gui", "Act-2.gui", "Act-1.gui" for acts 0, 1, 2): a stage of the act,
// the three-valued option, and the restart of the act.
class ActSelectWindow : public ScreenWindow {
public:
    static constexpr int kStages = 12;

    ActSelectWindow(Widget* root, const char* layoutFile);
    ~ActSelectWindow() override;

    void OnControlClick(Widget* control, Point* point) override;
    void OnControlPress(Widget* control, Point* point) override;
    void OnNotify(Window* sender, int code) override;
    void ShowStageList();

    int8_t markedStage = 0;
    int32_t recordBase = 0;
    // Whether the marker joined the store's first effect list when it was made.
    bool markerListed = false;
    // Rows shown by the last ShowStageList.
    int32_t shownRows = 0;
    Window* question = nullptr;

private:
    void DrawRow(int n, bool marked);
    void MoveMarker();
};

// The act window's selection marker while the window is open.
extern Zu_SkillEffect* ActSelectionMarker;

// The restart questions of the three acts (Big5).
extern const char* const ActRestartTexts[3];

// The title of stage number s from its "age.ini" record (text at byte 4), bounded; empty when
// there is none.
std::string StageTitle(int32_t stage);
