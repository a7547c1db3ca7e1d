#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/GameFileWriters.h"

// Writes ".gui" window layouts: blocks of {kind, count} and element records of seven 32-bit words,
// each followed by its rows of 16-bit pixels when both sizes are non-zero, ended by 0xFFFFFFFF.
namespace guifixture {

// The layout writer lives with the game's file writers.
using gamefiles::LayoutWriter;
using gamefiles::PatternPixel;

// The sample window used by the control tests and the render check: a 320 x 240 background with a
// title strip, two picture buttons, a plain hot area, a text button, a text label and a gauge label,
// a scroll bar on a 16 x 100 track and two toggles.
std::vector<uint8_t> SampleWindowLayout();

} // namespace guifixture
