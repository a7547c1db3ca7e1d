#pragma once

#include <cstdint>

class City;
class Kingdom;
class OfficerRecord;
class Troop;

namespace events {

// Inside the battle map's active area: right and bottom excluded, y in unit rows.
bool InActiveArea(int32_t x, int32_t y);
// The kingdom that holds the side, or null.
Kingdom* KingdomOfSide(int32_t side);
// The side index of the kingdom with that nation index among the battle map's sides; 0 none.
int32_t SideOfNation(int32_t nation);
bool OfficerInPlay(const OfficerRecord* officer);
int32_t OfficerField(const Troop* troop, uint32_t offset);

} // namespace events
