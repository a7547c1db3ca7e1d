#pragma once

// Stand-ins for the records and world objects that the stage record steps, until their
// own modules replace them: only the fields and operations the stage steps use. Operations are
// virtual so a test can watch them; the defaults do what a quiet world would do.

#include "engine/LinkList.h"
#include "gui/RootObject.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"

#include <cstdint>
#include <cstring>

class ByteReader;
class ByteWriter;

// Side numbers run 1..kMaxSides; tables indexed by side carry one unused entry 0.
constexpr int kMaxSides = 128;

class SubCastle : public RootObject {
public:
    ~SubCastle() override;
    int32_t attribute = 0;  // "屬性"
    int32_t block[14] = {}; // the 56-byte block; word 12 marks a placed caravan
    Troop* currentTroop = nullptr;
    Troop* governorPresent = nullptr;
    LinkList persons;
};

class City : public RootObject {
public:
    ~City() override;
    virtual void RunAi() {}
    virtual void Update() {}
    virtual void StrategyTurn() {}
    virtual void Tick() {}
    virtual void CountTick() {}
    virtual void TickGarrison() {}
    SubCastle* FindSubCastleOfKind(int kind);

    int32_t id = 0;
    int32_t ownerSide = 0;
    int32_t kind = 0; // "城屬性"
    int32_t troopTotal = 0;
    uint8_t strategy = 0;
    // What troops read of a city.
    int16_t cellX = 0, cellY = 0;
    uint8_t fallen = 0;    // destroyed or taken: counts as missing
    int16_t guardWord = 0; // non-zero: troops do not attack it
    int16_t missileValue = 0;
    City* parent = nullptr;
    int16_t rallyX = 0, rallyY = 0;
    int32_t campaignTarget = 0; // a city id; -1 the held map object
    uint8_t muster[5] = {};
    LinkList units;      // Troop*, owned
    LinkList subCastles; // SubCastle*, owned
};

class Kingdom : public RootObject {
public:
    Kingdom() = default;
    Kingdom(int blockSize, int) : blockSize(blockSize) {}
    ~Kingdom() override;
    virtual void BindToStage() {}
    virtual void TickFieldUnits() {}
    // The binary form: block length and the 100-byte block.
    virtual void Save(ByteWriter& out) const;
    virtual bool Load(ByteReader& in);
    void AddCity(City* city);
    void RemoveCity(City* city);
    void SetName(const char* name);

    int32_t blockSize = 100;
    uint8_t block[100] = {};   // the name starts it
    int32_t side = 0;          // "國家索引"
    int32_t allianceGroup = 0; // "同盟群組"
    int32_t kind = 0;          // "國家屬性"
    int32_t rulerTemplate = 0; // "人物編號"
    int32_t diplomacy = 0;     // "外交型態"
    int32_t relations[kMaxSides + 1] = {};
    int32_t sideValues[kMaxSides + 1] = {};
    LinkList cities;     // City*, owned
    LinkList fieldUnits; // Troop*, owned
    LinkList gates;      // RootObject*, owned
    int32_t strengthTotal = 0;
    int32_t strengthRatio = 0;
    int32_t beaten = 0;
    int32_t noCity = 0;
    int32_t teamResult = -1;
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
