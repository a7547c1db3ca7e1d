#pragma once

#include <cstdint>
#include <string>

class City;
class Kingdom;
class SubCastle;
class Troop;

// Persons in towns and sub-castles: troops kept off the map in a city's unit list or a
// sub-castle's person list, and the officers who come of age during a campaign.

// How many wandering persons the program keeps at most, and how many there are.
extern int32_t PersonCount;
extern int32_t PersonCap;
constexpr int32_t kDefaultPersonCap = 120;

// The calendar day as one number: stored with each person made on it.
int32_t CalendarStamp();

// The ordinary person template for one random value (401..405).
int32_t RandomPersonTemplate(int32_t randomValue);

// Exactly one of city and subCastle is given. A serial of 0 lets the officer take the next one;
// a station applying the host's record passes the host's. Null when the template has no record.
Troop* CreatePerson(Kingdom* kingdom, City* city, SubCastle* subCastle, int32_t templateNo, int32_t stamp,
                    uint32_t serial = 0);
// The host (or single play) creates the person and tells the clients; a client does nothing.
void RequestCreatePerson(Kingdom* kingdom, City* city, SubCastle* subCastle, int32_t templateNo);

// Monthly: n persons from templates drawn on the host alone, while below the cap.
void SpawnRandomPersons(SubCastle* subCastle, Kingdom* kingdom, int32_t n);
// Stage population: n persons drawn from the shared generator on every station.
void SpawnSyncedPersons(SubCastle* subCastle, Kingdom* kingdom, int32_t n);
// Stage population: four persons in a town, not counted.
void SpawnCityPersons(City* city, Kingdom* kingdom);
Troop* CreateSubCastleKeeper(SubCastle* subCastle, Kingdom* kingdom);

// The battle map's periodic step: officers born this month appear on days 5 and 15.
void SpawnScheduledOfficers();
// Also the apply of the host's spawn record on every station.
Troop* SpawnPersonFromCommand(SubCastle* subCastle, int32_t stamp, int32_t templateNo);
// "<name>出現在<ruler>的<city>", cut on a character boundary to fit 63 bytes.
std::string PersonArrivalText(const Troop& person, const SubCastle& subCastle);
