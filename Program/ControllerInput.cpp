#include "Program/GameController.h"

// Mouse and keys of the game controller.
void GameController::OnMouse(uint32_t) {}
void GameController::OnChar(uint32_t) {}
void GameController::OnKeyDown(uint32_t) {}
