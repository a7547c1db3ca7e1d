#include "Program/GameController.h"

// The front-end scene machine and its screens come with the front-end screens; until then the
// front end shows nothing and waits.
void GameController::RunFrontEnd() {}
void GameController::ShowSingleMenu() {}
void GameController::ShowMainMenu() {}
void GameController::ShowActWindow() {}
void GameController::StartEditorStage() {}
