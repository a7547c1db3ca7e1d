#pragma once

#include "engine/LinkList.h"
#include "records/DataSet.h"

#include <cstdint>

class ByteReader;
class ByteWriter;
class Troop;

// Byte offsets of the sub-castle block; the schema covers the first 40 bytes.
struct SubCastleLayout {
    static constexpr uint32_t kSize = 56;
    static constexpr uint32_t kName = 0; // "市名", 20 bytes
    static constexpr uint32_t kIndex = 20;
    static constexpr uint32_t kKind = 24; // "屬性": 4 keeper's place, 5 garrison post
    static constexpr uint32_t kX = 28;
    static constexpr uint32_t kY = 32;
    static constexpr uint32_t kGovernor = 36; // "太守", a person number
    static constexpr uint32_t kUnitCount = 40;
    static constexpr uint32_t kSecondCount = 44;
};

// A small walled place of a city: its record, its generals, and the units that entered it.
class SubCastle : public DataSet {
public:
    explicit SubCastle(int32_t word);
    ~SubCastle() override;

    // Editor slots: a blank general, removing one, refreshing one from its template, a detached one.
    RootObject* NewChild(int kind) override;
    void RemoveChild(int kind, RootObject* child) override;
    int RefreshChild(int kind, RootObject* child) override;
    RootObject* CreateChild(int kind) override;

    void SetOwner(int32_t side, int32_t id);
    // u32 56, u32 general count, the block (unit counts at 40 and 44, no governor), the generals.
    int Save(ByteWriter& out);
    // 0 when the section is shorter than it claims; the generals read so far stay.
    int Load(ByteReader& in);
    // Deletes every unit of the unit list with its escorts.
    void DeleteUnits();

    // Takes the troop in; false when it may not enter.
    virtual bool RequestTroopEntry(Troop* troop);

    int32_t Kind() const { return Int(SubCastleLayout::kKind); }

    LinkList generals;       // OfficerRecord*, owned
    Troop* leader = nullptr; // the governor's unit; not owned separately
    LinkList secondUnits;    // Troop*, owned
    LinkList units;          // Troop*, owned while hidden inside
    int32_t leaderWord = 0;  // cleared with the leader
    int32_t workWords[2] = {};
    int32_t entranceX = 0, entranceY = 0; // unit cells
    int32_t workWord = 0;
    int32_t constructorWord = 0;
    int32_t ownerSide = 0;
    int32_t cityId = 0;
    int32_t unitsShown = 0;
    int32_t exitX = 0, exitY = 0;
    int32_t sortieOrder = 0;
    int32_t markedMode = 0;
    int32_t workWord2 = 0;
    Troop* keeper = nullptr; // owned
    int32_t occupied = 0;    // non-zero: an own troop may not enter a keeper's place or post

    void ComputeEntrance();

    // The sub-castle on the map and its units (SubCastleUnits.cpp).
    void PlaceOnMap();
    void SpawnGarrison();
    void RelocateUnit(bool removeFirst);
    void RemoveUnitFromMap();
    bool PlaceUnitOnFormation(Troop* unit);
    void SendTroopEntry(Troop* troop);
    // 0 when refused.
    int ApplyTroopEntry(Troop* troop);
    bool FindExitCell();
    void RemoveUnitOnExit(Troop* unit);
    int RequestDeployUnit(Troop* unit);
    // 0 when the city is missing.
    int SendDeployUnit(Troop* unit);
    int ApplyDeployUnitWithOrder(Troop* unit, int32_t orderCode);
    void Tick();
    void RunSorties();
    void TickGarrison();
    int32_t GetGarrisonValue();

    // ---- Trigger conditions (events/) ----
    // A ruler held here keeps the kingdom in the game for the ruler-lost test of the scripts.
    int32_t garrisonFlag = 0;
};

extern const char* const SubCastleColumnNames[6];
