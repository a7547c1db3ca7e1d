#pragma once

#include "windows/city/CityWindow.h"

#include <cstdint>

class Win13Window;

// The recruiting window of the selected city: puts soldiers of one of eleven types into the
// recruit queue and pays for them at once.
class Win16Window : public CityWindow {
public:
    Win16Window(Widget* parent, Win13Window* owner);

    int Close(int result) override;
    void PressClose();
    void RefreshButtons();

    void OnControlClick(Widget* control, Point* point) override;
    void OnControlRightClick(Widget* control, Point* point) override;
    void OnControlHover(Widget* control, Point* point) override;

    Win13Window* owner = nullptr;
};

// The recruiting window of the open command panel, or null.
Win16Window* OpenRecruitingWindow();
