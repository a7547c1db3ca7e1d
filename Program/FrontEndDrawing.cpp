#include "Program/GameController.h"

#include "engine/DisplayDevice.h"

// Front-end drawing: the screens draw themselves into the back surface; the frame is then
// presented.
void GameController::DrawFrontEnd() {
    PresentFrame();
}

void GameController::DrawOverlayObjects() {}
