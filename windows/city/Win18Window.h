#pragma once

#include "windows/city/CityWindow.h"

#include <cstdint>

class Win13Window;

// The building window of the selected city: chooses a building to place on a plot, raises the
// city's scale and commits its status flags, each button priced against the city's values.
class Win18Window : public CityWindow {
public:
    Win18Window(Widget* parent, Win13Window* owner);

    int Close(int result) override;
    void PressClose();
    void RefreshButtons();

    void OnControlClick(Widget* control, Point* point) override;
    void OnControlRightClick(Widget* control, Point* point) override;
    void OnControlHover(Widget* control, Point* point) override;

    Win13Window* owner = nullptr;
    uint8_t chosenKind = 0xFF;
    uint8_t offered[4] = {};
};

// The building window of the open command panel, or null.
Win18Window* OpenBuildingWindow();
