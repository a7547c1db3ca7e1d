#pragma once

#include "engine/LinkList.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class City;
class Kingdom;
class LinkList;
class OfficerRecord;
class SubCastle;
class Troop;

// What the state commands, sub-commands and game records look up in the running battle. Every
// index and id comes from a peer: anything outside a table is no entry.

// The city at that index of the battle map's city table, or null.
City* CityAtIndex(uint32_t index);
// Its index in the city table; -1 when it is not in it.
int32_t CityIndexOf(const City* city);
// The kingdom of that side of the side table, or null.
Kingdom* KingdomOfSide(uint32_t side);
// Whether (x, y) is a unit cell of the map.
bool UnitCellOnMap(int64_t x, int64_t y);

// Where a troop stands: 0 on the field, 1 inside its home city, 2 inside a sub-castle of it.
uint32_t TroopScope(const Troop* troop);
// A troop wherever it is: scope 0 the kingdom of that side (its field units), 1 the city at that
// index (its units and their followers), 2 the city's kind-4 sub-castle, then its kind-5 one (their
// units and leaders). Null for a scope above 2 or nothing found.
Troop* FindTroopInScope(uint32_t id, uint32_t side, uint32_t homeCity, uint32_t scope);
// The troop of that unit id anywhere: every kingdom's field units, then every city's units, their
// followers and its sub-castles.
Troop* FindTroopAnywhere(uint32_t id);

// One list of a city, a sub-castle or a troop: its member whose officer has that unit id.
Troop* FindUnitInList(LinkList& troops, uint32_t id);
Troop* FindUnitInFollowers(Troop* leader, uint32_t id);
OfficerRecord* FindOfficerInList(LinkList& officers, uint32_t id);
Troop* FindUnitInSubCastle(SubCastle* subCastle, uint32_t id);
// The city's general (an officer of its general list, or a unit of its unit list) with that id.
bool CityHoldsGeneral(City* city, uint32_t id);
// The sub-castle of kind 4 or 5 for a place kind; null for any other place kind.
SubCastle* PlaceSubCastle(City* city, uint32_t placeKind);

// A new unit id carried by a command: the station's counter moves past it, so that what it draws
// later never repeats it.
void NoteCarriedUnitId(uint32_t id);
// The next unit id of this station's counter (and the counter moves on).
uint32_t DrawUnitId();
