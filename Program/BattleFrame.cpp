#include "Program/GameController.h"

#include "engine/DisplayDevice.h"

// The four-quarter battle cycle; the back buffer is presented once per cycle.
void GameController::RunBattleFrame(uint32_t) {
    if (battlePhase == 3) PresentFrame();
    battlePhase = (battlePhase + 1) & 3;
}

void GameController::ScrollView() {}
void GameController::RevealMap() {
    mapRevealed = 1;
}
