#pragma once

#include "Program/FrontEndScreens.h"

#include <cstdint>

// The speed and volume settings ("Win40.gui"): three rows of ten level buttons (game speed
// 0x100.., music 0x10a.., movies 0x114..), OK 0x11e and Cancel 0x11f. Every choice is heard at
// once; OK applies the movie level, Cancel puts the levels back as they were.
class Win40Window : public ScreenWindow {
public:
    static constexpr int kOk = 0x11e;
    static constexpr int kCancel = 0x11f;

    Win40Window(Widget* parent, Window* owner);

    void OnControlClick(Widget* control, Point* point) override;

    // The levels when the window opened.
    int8_t savedSpeed = 0;
    int8_t savedMusic = 0;
    int8_t savedMovie = 0;
};
