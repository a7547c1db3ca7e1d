#include "stagefiles/GarrisonFile.h"

#include "Program/StageSet.h"
#include "engine/LinkList.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/SubCastle.h"
#include "records/TemplateTables.h"
#include "stagefiles/StageReader.h"
#include "stagefiles/StageUnits.h"
#include "stagefiles/StageWriter.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"

#include <vector>

namespace {

constexpr char kTag[] = "Soldier2Data";
constexpr int16_t kInCity = 1;
constexpr int16_t kInSubCastle = 2;

size_t MinEntryBytes(const UnitRecordSizes& sizes) {
    return size_t(sizes.unit) + sizes.order + 8;
}

void WriteGroups(StageWriter& out, LinkList& units) {
    const auto troops = ListValues<Troop>(units);
    out.i32(int32_t(troops.size()));
    for (Troop* t : troops)
        WriteUnitGroup(out, *t);
}

// Reads a count and that many groups into the list; the count read, or -1 when damaged.
int32_t ReadGroups(StageReader& in, const UnitRecordSizes& sizes, int32_t owner, int16_t garrison,
                   LinkList& units) {
    int32_t count = 0;
    if (!in.Count(count, MinEntryBytes(sizes))) return -1;
    for (int32_t i = 0; i < count; ++i) {
        Troop* t = ReadUnitGroup(in, sizes, owner, {garrison, true});
        if (!t) return -1;
        t->garrison = garrison;
        units.Add(uintptr_t(t));
    }
    return count;
}

bool ReadFlag(StageReader& in, bool& set) {
    set = in.i32() != 0;
    return in.ok();
}

bool ReadSubCastle(StageReader& in, const UnitRecordSizes& sizes, Kingdom& kingdom, SubCastle& sub) {
    const int32_t owner = kingdom.nationIndex;
    const int32_t count = ReadGroups(in, sizes, owner, kInSubCastle, sub.units);
    if (count < 0) return false;
    sub.SetInt(SubCastleLayout::kUnitCount, count);
    bool single = false;
    if (!ReadFlag(in, single)) return false;
    if (single) {
        Troop* t = ReadUnitGroup(in, sizes, owner, {kInSubCastle, true});
        if (!t) return false;
        t->garrison = kInSubCastle;
        sub.leader = t;
        // The sub-castle only points at its leader; the kingdom's troop list owns it.
        kingdom.fieldUnits.Add(uintptr_t(t));
        AdoptFollowers(kingdom.fieldUnits, *t);
    }
    bool keeper = false;
    if (!ReadFlag(in, keeper)) return false;
    if (keeper) {
        // The item-holding unit keeps the garrison word of its record.
        Troop* t = ReadUnitWithItems(in, sizes, owner);
        if (!t) return false;
        delete sub.keeper;
        sub.keeper = t;
    }
    return true;
}

bool ReadCity(StageReader& in, const UnitRecordSizes& sizes, Kingdom& kingdom, City& city) {
    const int32_t owner = kingdom.nationIndex;
    const int32_t groups = ReadGroups(in, sizes, owner, kInCity, city.units);
    if (groups < 0) return false;
    city.unitCount = groups;
    int32_t plain = 0;
    if (!in.Count(plain, MinEntryBytes(sizes))) return false;
    for (int32_t i = 0; i < plain; ++i) {
        // Read only to keep the file position and the officer numbering; never part of the game.
        Troop* t = ReadUnit(in, sizes, owner, {kInCity, false});
        if (!t) return false;
        t->homeCity = int16_t(city.id);
        delete t;
    }
    for (SubCastle* sub : ListValues<SubCastle>(city.subCastles))
        if (!ReadSubCastle(in, sizes, kingdom, *sub)) return false;
    return true;
}

} // namespace

void WriteGarrisons(StageWriter& out, Zu_StageSet& stage) {
    out.Bytes(kTag, 12);
    out.u32(UnitRecordSizes{}.unit);
    out.u32(UnitRecordSizes{}.order);
    if (!stage.kingdoms) return;
    for (Kingdom* k : ListValues<Kingdom>(*stage.kingdoms)) {
        for (City* city : ListValues<City>(k->cities)) {
            WriteGroups(out, city->units);
            out.i32(0);
            for (SubCastle* sub : ListValues<SubCastle>(city->subCastles)) {
                WriteGroups(out, sub->units);
                out.i32(sub->leader ? 1 : 0);
                if (sub->leader) WriteUnitGroup(out, *sub->leader);
                out.i32(sub->keeper ? 1 : 0);
                if (sub->keeper) WriteUnitWithItems(out, *sub->keeper);
            }
        }
    }
}

bool ReadGarrisons(StageReader& in, Zu_StageSet& stage) {
    in.Skip(12);
    UnitRecordSizes sizes;
    sizes.unit = in.u32();
    sizes.order = in.u32();
    if (!in.ok()) return false;
    // The unit records of this file carry the 16-bit home city.
    in.unitVersion = kUnitVersionWithWideHomeCity;
    if (!stage.kingdoms) return true;
    for (Kingdom* k : ListValues<Kingdom>(*stage.kingdoms))
        for (City* city : ListValues<City>(k->cities))
            if (!ReadCity(in, sizes, *k, *city)) return false;
    return true;
}

int TemplateTables::WriteGarrisonFile(const char* name) {
    if (!TheBattleMap || !TheBattleMap->stageSet) return 0;
    StageWriter out;
    WriteGarrisons(out, *TheBattleMap->stageSet);
    return out.Save(name) ? 1 : 0;
}

int TemplateTables::ReadGarrisonFile(const char* name) {
    if (!TheBattleMap || !TheBattleMap->stageSet) return 0;
    const auto bytes = StageReader::ReadFile(name);
    if (!bytes) return 0;
    StageReader in(*bytes, CurrentStageLoadMode());
    return ReadGarrisons(in, *TheBattleMap->stageSet) ? 1 : 0;
}
