#pragma once

#include "engine/GameFileWriters.h"

#include <string>
#include <utility>
#include <vector>

// The layouts of the battle screen's main panel and what it opens: the menu and status strip
// below the map ("Win02.gui", "Win01.gui"), the group list ("Win11.gui"), the chat pages
// ("Win01_2.gui".."Win01_5.gui"; the one-row page is the network screens'), the question
// ("YorN.gui"), the game menu ("Win26.gui"), the sound settings ("Win40.gui") and the chat
// settings ("Win35.gui", "Win36.gui").
std::vector<std::pair<std::string, gamefiles::Bytes>> MainPanelLayouts();
