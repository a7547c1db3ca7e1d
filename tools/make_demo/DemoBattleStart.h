#pragma once

#include <string>

// What the game's start-up makes before its message loop, without the window and the movies, in
// the current folder (a written demo folder): settings, display, palettes, parameters, the store,
// the controller, the battle map with the game data. False with `error` when the game data is
// damaged or there is no display.
bool StartDemoGame(std::string& error);
