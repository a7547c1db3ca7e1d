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

struct PathWaypoint;
struct RouteStep;
class Zu_SkillEffect;

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

    // What the battle world reads and writes on a troop.
    // Per-frame decision and action step.
    virtual void Step() {}
    // Refresh after restored values.
    virtual void Refresh() {}
    virtual void TickAnimation() {}
    virtual void UpdateSightInView() {}
    // Non-zero when the troop's target can be reached from unit cell (x, y).
    virtual int IsWithinRange(int, int) { return 0; }
    // The damage a hit of that power from that side deals to this troop.
    virtual int CanAttack(int, int, Troop*) { return 0; }
    // Applies a shooter's hit to this troop.
    virtual void ConsiderTarget(Troop*, int) {}
    virtual void ApplyHalt() {}
    virtual void ApplyCmd05(int) {}
    virtual void ResetCombatState() {}
    bool IsValidTarget(const Troop* other) const;
    bool IsGone() const { return deadFlag != 0 || state == 13; }

    int32_t deadFlag = 0; // counts the dying frames once set
    uint8_t kept = 0;
    int32_t kindWord = 0; // 999: taken off the map at the next world step
    int32_t unitType = 0;
    uint8_t leaderFlag = 0;
    int32_t groupId = 0;
    uint8_t moveKind = 0; // 6: toward a target object
    RootObject* targetObject = nullptr;
    uint8_t targetIsSubCastle = 0;
    int32_t entrySteps = 0;
    uint32_t orderFlags = 0;
    int32_t attackCount = 0;
    Troop* engagedTroop = nullptr;
    Troop* followTarget = nullptr;
    Troop* escortTarget = nullptr;
    Troop* attackTarget = nullptr;
    uint8_t escortFlag = 0;
    uint8_t selected = 0;
    Zu_SkillEffect* attachedEffect = nullptr; // owned
    int32_t worldX = 0, worldY = 0;
    int32_t velX = 0, velY = 0;
    uint8_t facing = 0; // 0: not moving
    uint16_t speed = 100;
    PathWaypoint* waypoints = nullptr; // owned
    RouteStep* route = nullptr;        // owned
    uint8_t routeMode = 0;             // 0 none, 1 following, 2 end replaced
    uint8_t noRoute = 0;
    int32_t waitCounter = 0;
    uint8_t waiting = 0;
    uint8_t blocked = 0;
    int16_t goalX = 0, goalY = 0;
    uint8_t missileKind = 0;
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
