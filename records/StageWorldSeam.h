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

// The battle map's side bookkeeping and the tables of the stage that the stage steps read.
struct StageWorld {
    Kingdom* sideTable[kMaxSides + 1] = {};
    int32_t sideCount = 0;
    uint8_t computerRun[kMaxSides + 1] = {};
    int32_t troopSerial = 0;
    // Set while a save slot is read or written.
    bool loadingSave = false;
    bool troopItemPageOpen = false;
    int32_t troopItemPageRedraws = 0;
};

StageWorld& World();
void ResetWorld();

bool ValidSide(int side);
