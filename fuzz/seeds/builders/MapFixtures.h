#pragma once

// Map files in the game's layout, for the tests and the fuzz seeds.

#include "world/MapCell.h"

#include <cstdint>
#include <vector>

namespace mapfix {

// A ".m" file of w x r cells; cell i has ground tile i + 1 and the rest from `shape`.
std::vector<uint8_t> MapBytes(int w, int r, void (*shape)(MapCell&, int) = nullptr,
                              const char* magic = "Morvek10");

} // namespace mapfix
