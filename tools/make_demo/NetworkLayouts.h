#pragma once

#include "engine/GameFileWriters.h"

#include <string>
#include <utility>
#include <vector>

// The layouts of the network screens: "Win74.gui", "Win201.gui", "Win206.gui" .. "Win213.gui" and
// the status panel "Win01_1.gui", each with the controls its screen looks up.
std::vector<std::pair<std::string, gamefiles::Bytes>> NetworkLayouts();
