#pragma once

#include <cstdint>

class Troop;

// A unit just sent out of a city or sub-castle of that side: the player's sorties are counted (the
// first six are announced), then the unit takes up the order it was sent with (1 its target troop,
// 2 follow, 3 its city skill, 4 halt, else its goal cell).
void StartDeployedOrder(Troop* unit, int32_t ownerSide, int32_t orderCode);
