#pragma once

#include "engine/GameFileWriters.h"

#include <string>
#include <utility>
#include <vector>

// The layouts of the overview ("Win37.gui" with its officer and city tables "Win38.gui" and
// "Win39.gui") and of the diplomacy list ("Win41.gui").
std::vector<std::pair<std::string, gamefiles::Bytes>> OverviewLayouts();
