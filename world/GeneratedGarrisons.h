#pragma once

#include <cstdint>

class City;
class Kingdom;
struct RandomMapRun;

// Up to `count` officers for a generated city, drawn from the shared generator by the city's kind;
// appended to the city's general list.
void CreateGeneratedOfficers(RandomMapRun& run, Kingdom& kingdom, City& city, int32_t count);
// The starting standby troops of the officer option `count` (none for a count that is no option),
// appended to the city's unit list, inside the city. Draws nothing.
void CreateGeneratedTroops(RandomMapRun& run, City& city, int32_t count);
