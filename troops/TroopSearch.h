#pragma once

#include <cstdint>

class City;
class Troop;

// Cell tests and area counts the troop searches share; every ring walk keeps the order of
// WalkRing, so ties go to the earlier cell.

// The occupants standing on the cell (at most cap), copied out so that nested walks of other cells
// cannot disturb the map's occupancy cursor.
int32_t CollectOccupants(int32_t x, int32_t y, Troop** out, int32_t cap);
// Alive and in play.
bool TroopActive(const Troop* t);

bool IsCityCellAt(int32_t x, int32_t y, int32_t dx, int32_t dy, int16_t& outX, int16_t& outY,
                  int32_t cityIndex);
// The first cell of the city in rings r0..r1-1 around (x, y) overwrites (x, y).
bool FindCityCellInRings(int16_t& x, int16_t& y, int32_t cityIndex, int32_t r0, int32_t r1);
bool IsFreeCell(int32_t x, int32_t y, bool wallRequired);
// The first free cell of sector 0..7 (see the back-off order) between radius r0 and r1.
bool FindFreeCellInSector(int32_t x, int32_t y, int16_t& outX, int16_t& outY, int32_t r0, int32_t r1,
                          int32_t sector, bool wallRequired);
// The eight-way direction from (x0, y0) toward (x1, y1): 0 down, 2 left, 4 up, 6 right.
int8_t DirectionFromDelta(int32_t x0, int32_t y0, int32_t x1, int32_t y1);

// Area counts over rings 1..r around (x, y), the centre left out.
int16_t CountEnemiesAround(const Troop* caller, int32_t x, int32_t y, int32_t r);
int16_t CountEnemyTowersAround(const Troop* caller, int32_t x, int32_t y, int32_t r);
int16_t CountStateElevenAllies(const Troop* caller, int32_t x, int32_t y, int32_t r, int32_t orderState);
