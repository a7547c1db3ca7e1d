#pragma once

#include <cstdint>

// The battle screen's input lock while a window holds a modal child: the map area and the main
// panel's panels stop taking the mouse until the matching unlock.
void LockSidePanels(uint8_t keepUnitPanel);
void UnlockSidePanels(uint8_t keepUnitPanel);
