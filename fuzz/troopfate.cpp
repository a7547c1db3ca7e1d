// Feeds a code byte and a payload to the receive side of a troop's death (17), capture (18) and
// counters (20), over a small battle with two kingdoms, four troops on the field and one inside a
// city.
#include "FuzzBattle.h"

#include "Program/GameController.h"
#include "Program/StageSet.h"
#include "net/TroopFateCommands.h"
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
        Zu_StageSet* stage = NewFuzzBattle();
        stage->playerSide = 1;
        City* city = AddFuzzCity(new City, 20, 20);
        uint32_t serial = 1;
        for (int side = 1; side <= 2; ++side) {
            Kingdom* k = AddFuzzSide(stage, side);
            for (int i = 0; i < 2; ++i) {
                Troop* t = NewFuzzTroop(side, 5 + i, 5 * side, serial++);
                t->officer->Set(OfficerLayout::kAttribute, 1 + i);
                k->fieldUnits.Add(uintptr_t(t));
            }
        }
        Troop* inside = NewFuzzTroop(2, 20, 20, serial++);
        inside->SetCell(20, 20, 1);
        city->units.Add(uintptr_t(inside));
        return true;
    }();
    (void)done;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Setup();
    if (size < 1) return 0;
    const std::span<const uint8_t> payload(data + 1, size - 1);
    switch (data[0]) {
    case kKillCommand:
        (void)ReceiveKillCommand(payload);
        break;
    case kCaptureCommand:
        (void)ReceiveCaptureCommand(payload);
        break;
    case kUnitCountersCommand:
        (void)ReceiveUnitCountersCommand(payload);
        break;
    default:
        break;
    }
    return 0;
}
