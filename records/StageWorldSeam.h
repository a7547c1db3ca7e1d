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
};

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
    int32_t troopSerial = 0;
    // The pass-record table: a 432-byte block per person number, or null.
    const uint8_t* (*passRecord)(int personNumber) = nullptr;
    // Set while a save slot is read or written.
    bool loadingSave = false;
    bool troopItemPageOpen = false;
    int32_t troopItemPageRedraws = 0;
    int32_t redeployed = 0;
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
