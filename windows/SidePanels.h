#pragma once

// Closes every open side panel of the game screen.
inline void CloseSidePanels() {}
