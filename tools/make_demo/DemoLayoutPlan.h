#pragma once

#include "DemoPictures.h"

#include "engine/GameFileWriters.h"

#include <string>
#include <vector>

namespace demolayout {

extern const uint16_t kGold;
extern const uint16_t kCaption;
extern const uint16_t kFace;
extern const uint16_t kWell;

gamefiles::LayoutBox Box(int x, int y, int w, int h);

struct Captioned {
    gamefiles::LayoutBox box;
    std::string caption;
};

// One window's layout: picture buttons 0x100 + n, text buttons 0x600 + n, plain buttons 0x500 + n,
// labels 0x200 + n (draw mode 150, each over a well of its own so a new text wipes the old) and
// scroll bars 0x300 + n (a dark track).
struct Plan {
    gamefiles::LayoutBox frame;
    DemoPicture back;
    std::vector<Captioned> buttons, textButtons, plain;
    std::vector<gamefiles::LayoutBox> labels;
    std::vector<gamefiles::LayoutBox> bars;

    Plan(const gamefiles::LayoutBox& f, const std::string& title);

    std::vector<DemoPicture> Faces(const Captioned& b, uint16_t colour) const;
    gamefiles::Bytes Build();
};

} // namespace demolayout
