#pragma once

// Closes every open side panel of the game screen: the battle's end and a loaded game.
void CloseSidePanels();
