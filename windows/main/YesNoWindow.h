#pragma once

#include "Program/FrontEndScreens.h"
#include "gui/FontRecord.h"

// Asks the player one question ("YorN.gui"): button 0x100 answers the owner's OnNotify with 0
// (yes), 0x101 with 1 (no). The window stays open until the owner closes it.
class YesNoWindow : public ScreenWindow {
public:
    static constexpr int kRowBytes = 32;

    YesNoWindow(Widget* parent, Window* owner, const char* text);

    void OnControlClick(Widget* control, Point* point) override;

    FontRecord rows[3];
    // The rows' texts: a text below 36 bytes stays whole in the middle row; longer ones are cut
    // at exactly kRowBytes bytes a row, whatever character that splits.
    char rowText[3][36] = {};
};
