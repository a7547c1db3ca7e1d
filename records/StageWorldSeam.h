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
class City;
class Kingdom;
class SubCastle;

// Side numbers run 1..kMaxSides; tables indexed by side carry one unused entry 0.
constexpr int kMaxSides = 128;

// A castle gate: eight gate pieces on eight cells of one diagonal.
class CastleGate : public RootObject {
public:
    CastleGate() = default;
    ~CastleGate() override;
    // 0 closed, 1 open, 2 broken, 3 removed.
    virtual void SetOpen(int32_t state) { openState = state; }
    // The per-frame gate update (opens for foreign objects on its cells or own troops near): 1
    // open, 0 closed. Filled in with the gate's behaviour.
    virtual int32_t UpdateOpenState() { return openState == 1; }

    int32_t ownerSide = 0;
    int32_t direction = 0;
    int32_t cellX = 0, cellY = 0; // anchor cell: column, unit row
    int32_t strengthTotal = 0;
    int32_t maxStrength = 0;
    int32_t boundUnit = 0;
    int32_t openState = 0;
    Troop* pieces[8] = {}; // owned
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
