#pragma once

#include "stagefiles/UnitRecord.h"

#include <cstdint>

class LinkList;
class StageReader;
class StageWriter;
class Troop;

// Where a unit read from a stage file goes.
struct UnitPlacement {
    // Not negative: the garrison the caller puts the troop in, set before placement so that a
    // garrisoned troop never stands on a map cell whatever its record says.
    int16_t garrison = -1;
    // False for troops read only to keep the file position (and the officer numbering): they
    // are neither placed nor entered in any list, and the caller deletes them.
    bool place = true;
};

// One unit entry: unit record, order record, node lists, then the officer.
void WriteUnit(StageWriter& out, const Troop& troop);
// The new troop, or null (nothing left behind) when the entry is damaged.
Troop* ReadUnit(StageReader& in, const UnitRecordSizes& sizes, int32_t kingdom,
                const UnitPlacement& placement = {});

// A leader, the count (followers, plus 10000 with a paired troop), the followers, the paired troop.
void WriteUnitGroup(StageWriter& out, const Troop& leader);
// The leader with its followers (at most 8 kept) and paired troop; null, with nothing of the
// group left in any list, when the group is damaged.
Troop* ReadUnitGroup(StageReader& in, const UnitRecordSizes& sizes, int32_t kingdom,
                     const UnitPlacement& placement = {});

// A unit entry, then the count and the ids of the items the unit carries.
void WriteUnitWithItems(StageWriter& out, const Troop& troop);
Troop* ReadUnitWithItems(StageReader& in, const UnitRecordSizes& sizes, int32_t kingdom,
                         const UnitPlacement& placement = {});

// Puts the followers of a leader that stays inside (whose followers join no field list) into the
// kingdom's troop list as well, for a leader that no city or sub-castle list owns.
void AdoptFollowers(LinkList& troops, Troop& leader);

// Takes a troop read here out of every list and cell it entered, and deletes it.
void DiscardUnit(Troop* troop);
