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
#include "records/StageWorldSeam.h"
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
        BattleMap* map = TheBattleMap;
        stage->playerSide = 1;
        auto* city = new City;
        city->SetInt(CityLayout::kX, 20);
        city->SetInt(CityLayout::kY, 20);
        map->cities[0] = city;
        map->cityCount = 1;
        uint32_t serial = 1;
        for (int side = 1; side <= 2; ++side) {
            Kingdom* k = AddFuzzSide(stage, side);
            for (int i = 0; i < 2; ++i) {
                auto* o = new OfficerRecord(side, -1);
                o->serial = serial++;
                o->Set(OfficerLayout::kAttribute, 1 + i);
                auto* t = new Troop(0, 10, int16_t(5 + i), int16_t(5 * side), int8_t(side), 0, 0, o);
                k->fieldUnits.Add(uintptr_t(t));
            }
        }
        auto* o = new OfficerRecord(2, -1);
        o->serial = serial++;
        auto* inside = new Troop(0, 10, 20, 20, 2, 0, 0, o);
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
