#pragma once

#include <cstdint>

class City;
class Widget;

// What the building and recruiting windows read of a city and its prices.
namespace cityprice {
int32_t Gold(const City& city);
int32_t Food(const City& city);
int32_t Population(const City& city);
// The gold a building kind costs (23..25: raising the scale from 1, 2, 3).
int32_t BuildingCost(int32_t kind);
// The population a city of that scale needs to grow.
int32_t ScalePopulation(int32_t scale);
// The special line of the city: 0..3.
int32_t SpecialLine(const City& city);
// The soldier type's recruiting cost in population, gold and food.
int32_t SoldierCost(int32_t soldierType, int what);
enum { kPeople = 0, kGoldCost = 1, kFoodCost = 2 };
} // namespace cityprice

// Gives the button the four pictures of image k of the city panel host's layout.
void SetHostImage(Widget* button, int k);
