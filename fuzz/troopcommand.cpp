// Feeds a code byte and a payload to the troop order commands' receive side, over a small battle
// with two kingdoms, four troops and a city; codes 21 and 25 go to the
// troop value and level-up commands.
#include "FuzzBattle.h"

#include "Program/GameController.h"
#include "Program/StageSet.h"
#include "net/LevelUpCommand.h"
#include "net/TroopCommandCodec.h"
#include "net/TroopCommands.h"
#include "net/TroopValueCommand.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {
void Setup() {
    static bool done = [] {
        TheGameController = new GameController;
        TheGameController->networked = 1;
        TheGameController->isHost = 1;
        Zu_StageSet* stage = NewFuzzBattle();
        uint32_t serial = 1;
        for (int side = 1; side <= 2; ++side) {
            Kingdom* k = AddFuzzSide(stage, side);
            for (int i = 0; i < 2; ++i)
                k->fieldUnits.Add(uintptr_t(NewFuzzTroop(side, 5 + i, 5 * side, serial++)));
        }
        AddFuzzCity(new City, 20, 20);
        return true;
    }();
    (void)done;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Setup();
    if (size < 1) return 0;
    const std::span<const uint8_t> payload(data + 1, size - 1);
    if (auto c = UnpackTroopCommand(data[0], payload)) (void)PackTroopCommand(*c);
    if (data[0] == kTroopValueCommand)
        (void)ReceiveTroopValueCommand(payload);
    else if (data[0] == kLevelUpCommand)
        (void)ReceiveLevelUpCommand(payload);
    else
        (void)ReceiveTroopCommand(data[0], payload);
    return 0;
}
