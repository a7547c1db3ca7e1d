#pragma once

#include "gui/FontRecord.h"

#include <string>

// The font records and texts of one troop's fields and order caption: the labels and the caption
// point into them, so they live as long as the window shows the troop.
struct TroopTexts {
    static constexpr int kFields = 16;
    FontRecord fonts[kFields];
    std::string texts[kFields];
    FontRecord captionFont;
    std::string caption;
};
