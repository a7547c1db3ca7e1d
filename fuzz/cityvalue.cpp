// Feeds a payload to the city value command's receive side, over a battle with one kingdom and
// two cities whose garrisons the garrison selectors build and take away.
#include "FuzzBattle.h"

#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "net/CityValueCommand.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "world/BattleMap.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace {
void Setup() {
    static bool done = [] {
        TheScreenSettings = new ScreenSettings;
        TheGameController = new GameController;
        TheGameController->networked = 1;
        Zu_StageSet* stage = NewFuzzBattle();
        BattleMap* map = TheBattleMap;
        Kingdom* k = AddFuzzSide(stage, 1);
        for (int i = 0; i < 2; ++i) {
            auto* city = new City(1, i);
            city->SetInt(CityLayout::kKind, i);
            city->SetInt(CityLayout::kX, 10);
            city->SetInt(CityLayout::kY, 20);
            k->AddCity(city);
            map->cities[i] = city;
        }
        map->cityCount = 2;
        return true;
    }();
    (void)done;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Setup();
    (void)ReceiveCityValueCommand(std::span<const uint8_t>(data, size));
    return 0;
}
