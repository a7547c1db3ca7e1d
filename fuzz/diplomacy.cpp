// Feeds a payload to the relation command's receive side, over a battle of two kingdoms whose
// player kingdom takes the other's sight on an alliance or a war.
#include "FuzzBattle.h"

#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "net/DiplomacyCommand.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace {
void Setup() {
    static bool done = [] {
        TheScreenSettings = new ScreenSettings;
        TheGameController = new GameController;
        TheGameController->networked = 1;
        Zu_StageSet* stage = NewFuzzBattle();
        stage->playerSide = 1;
        AddFuzzSide(stage, 1);
        Kingdom* other = AddFuzzSide(stage, 2);
        other->fieldUnits.Add(uintptr_t(NewFuzzTroop(2, 5, 10, 600)));
        return true;
    }();
    (void)done;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Setup();
    (void)ReceiveDiplomacyCommand(std::span<const uint8_t>(data, size));
    return 0;
}
