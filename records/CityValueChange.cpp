#include "records/CityValueChange.h"

#include "Program/GameParameters.h"
#include "records/City.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"

#include <algorithm>

namespace {
constexpr int32_t kTreasuryCap = 999999;

int32_t PopulationCap(const City& city) {
    const int32_t size = std::clamp(city.Scale(), 1, 4);
    return GameParams().siteRows[size - 1][5];
}
} // namespace

// The command's network half (NetCmdAddCityValue) comes with the city values; until then the other
// peers do not hear of these changes.
void AddCityValueHere(City& city, int32_t delta, int32_t mask) {
    if (mask & CityValue::kGold)
        city.SetInt(CityLayout::kGold, std::clamp(city.Int(CityLayout::kGold) + delta, 0, kTreasuryCap));
    if (mask & CityValue::kFood)
        city.SetInt(CityLayout::kFood, std::clamp(city.Int(CityLayout::kFood) + delta, 0, kTreasuryCap));
    if (mask & CityValue::kPopulation)
        city.SetInt(CityLayout::kPopulation, std::clamp(city.Int(CityLayout::kPopulation) + delta, 0,
                                                        std::max(0, PopulationCap(city))));
    if ((mask & CityValue::kGarrisonStrength) && delta > 0) {
        for (Troop* t : city.garrison)
            if (t && t->officer) t->officer->Set(OfficerLayout::kHp, delta);
    }
    // A garrison strength of 0 or below and the rebuild mask release the garrison and spawn it
    // again (City::ReleaseGarrison, City::SpawnGenerals), which come with the city's defence and
    // stage start.
    if (mask & CityValue::kTower) city.CreateTowerTroop(delta);
}
