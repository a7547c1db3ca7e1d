#pragma once

#include <cstdint>

class City;

// Field masks of the city-value change.
namespace CityValue {
constexpr int32_t kGold = 0x1;
constexpr int32_t kFood = 0x2;
constexpr int32_t kPopulation = 0x40;
constexpr int32_t kGarrisonStrength = 0x100;
constexpr int32_t kRebuildGarrison = 0x200;
constexpr int32_t kTower = 0x400;
} // namespace CityValue

// What the city-value command (code 22) does to the city, done on this station: the city's own
// upkeep runs on the host or in single play. Gold and food stay within 0..999999, population
// within 0 and its size's cap; the garrison-strength mask takes the value itself as the new
// strength of every garrison troop; the tower mask makes the tower of that slot.
void AddCityValueHere(City& city, int32_t delta, int32_t mask);
