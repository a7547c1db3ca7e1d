#pragma once

#include <cstdint>

// The battle screen's input lock while a window holds a modal child: the map area, the main
// panel's panels, the unit panel and its pages (unless kept), the city command and sub-castle
// panels and the cursor stop taking the mouse until the matching unlock.
void LockSidePanels(uint8_t keepUnitPanel);
void UnlockSidePanels(uint8_t keepUnitPanel);
// The same panels but the map area, while a command mode waits for its target on the map.
void DisableSidePanelButtons();
void EnableSidePanelButtons();
