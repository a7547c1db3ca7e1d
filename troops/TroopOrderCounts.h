#pragma once

#include <cstdint>

// Counts over a kingdom's field units; dead, out-of-play and flag-2 troops never count, and a
// kingdom that does not exist counts none.
uint16_t CountKingdomTroopsInOrder(int32_t kingdom, int32_t homeCityId, int8_t orderState, bool matchHome);
// The same among troops that are not standing.
uint16_t CountMovingTroopsInOrder(int32_t kingdom, int32_t homeCityId, int8_t orderState, bool matchHome);
// Troops in order state 2 or 6 within 11 cells of (x, y) on at least one axis.
uint16_t CountTroopsNearCell(int32_t kingdom, int32_t x, int32_t y);
