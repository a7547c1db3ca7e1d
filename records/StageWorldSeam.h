#pragma once

// Stand-ins for the records, world and troop objects that the stage record steps, until their
// own modules replace them: only the fields and operations the stage steps use. Operations are
// virtual so a test can watch them; the defaults do what a quiet world would do.

#include "engine/LinkList.h"
#include "gui/RootObject.h"
#include "records/OfficerRecord.h"

#include <cstdint>
#include <cstring>

class ByteReader;
class ByteWriter;
class City;
class Kingdom;
class SubCastle;

// Side numbers run 1..kMaxSides; tables indexed by side carry one unused entry 0.
constexpr int kMaxSides = 128;

class Troop : public RootObject {
public:
    Troop() = default;
    Troop(int soldierType, int byteValue, int x, int y, int side, int homeCity, int value,
          OfficerRecord* officer);
    ~Troop() override;
    virtual void UpdateSight() {}
    virtual void MarkRemoved() {}
    virtual void StepMove() {}
    virtual void RestartAnimation() {}
    // Orders the carried items the way the troop item page lists them.
    virtual void SortCarriedList();

    int32_t state = 0;
    int32_t orderState = 0;
    int8_t ownerKingdom = 0;
    int32_t side = 0;
    int32_t homeCityId = 0;
    int16_t cellX = 0, cellY = 0;
    OfficerRecord* officer = nullptr; // owned
    LinkList* carried = nullptr;      // item ids; owned
    LinkList* followers = nullptr;    // not owning the troops
    Troop* leader = nullptr;
    int16_t flagWord = 0;
    int32_t inCity = 0;
    int32_t baseType = 0;
    int32_t currentType = 0;
    int32_t serial = 0;
    uint8_t moveBytes[2] = {};
    int32_t stamina = 0, maxStamina = 0;
};

// A castle gate: eight gate pieces on eight cells of one diagonal.
class CastleGate : public RootObject {
public:
    CastleGate() = default;
    ~CastleGate() override;
    // 0 closed, 1 open, 2 broken, 3 removed.
    virtual void SetOpen(int32_t state) { openState = state; }

    int32_t ownerSide = 0;
    int32_t direction = 0;
    int32_t cellX = 0, cellY = 0; // anchor cell: column, unit row
    int32_t strengthTotal = 0;
    int32_t maxStrength = 0;
    int32_t boundUnit = 0;
    int32_t openState = 0;
    Troop* pieces[8] = {}; // owned
};

// A blank event record of the stage's event list.
class EventRecord : public RootObject {
public:
    explicit EventRecord(int) {}
    ~EventRecord() override = default;
    char name[20] = {};
};

// The battle map's side bookkeeping and the tables of the stage that the stage steps read.
struct StageWorld {
    Kingdom* sideTable[kMaxSides + 1] = {};
    int32_t sideCount = 0;
    uint8_t computerRun[kMaxSides + 1] = {};
    int32_t mapWidth = 70, mapHeight = 224;
    int32_t troopSerial = 0;
    City* currentCity = nullptr; // the game screen's selected city
    // The pass-record table: a 432-byte block per person number, or null.
    const uint8_t* (*passRecord)(int personNumber) = nullptr;
    // Set while a save slot is read or written.
    bool loadingSave = false;
    bool troopItemPageOpen = false;
    int32_t troopItemPageRedraws = 0;
    int32_t redeployed = 0;
    int32_t removedFromCells = 0;
    int32_t spawnedPersons = 0;
    int32_t scheduledOfficerCalls = 0;
};

StageWorld& World();
void ResetWorld();

bool ValidSide(int side);
// A person appears at a sub-castle for a kingdom (count 1 each call).
void SpawnRandomPersons(SubCastle* subCastle, Kingdom* kingdom, int n);
// Brings in the template officers due this month (on days 5 and 15).
void SpawnScheduledOfficers();
void RedeployStageTroops(Troop* troop);
void RemoveObjectAt(int x, int y, Troop* troop);

// The battle map's per-cell object grid (width × height entries), when one is allocated.
struct CellObjectGrid {
    const int32_t* cells = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};
CellObjectGrid& CellObjects();
