#pragma once

#include <cstdint>

// The battle screen's keys for its panels: Tab steps through the hot-key groups, Esc closes the
// topmost window, F5 opens or closes the game menu and F6 runs the stage briefing.
void HandlePanelKeyDown(uint32_t virtualKey);
