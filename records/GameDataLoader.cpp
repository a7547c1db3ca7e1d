#include "records/GameDataLoader.h"

#include "engine/ByteReader.h"
#include "engine/ResourceStoreFiles.h"
#include "engine/Tools.h"
#include "records/AgeTable.h"
#include "records/City.h"
#include "records/ItemRecord.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "records/ScenarioData.h"
#include "records/SkillRecord.h"
#include "records/SoldierTypeRecord.h"
#include "records/SubCastle.h"
#include "world/FootprintPattern.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {
// How many rows of a table can be kept: the global tables' places, and for the city and
// sub-castle templates the most a stage can index.
constexpr uint32_t kMaxGeneralRows = kGeneralTemplateTableSize - 1;
constexpr uint32_t kMaxCityRows = 256;
constexpr uint32_t kMaxSubCastleRows = 512;
constexpr uint32_t kMaxSoldierRows = kSoldierTypeTableSize;
constexpr uint32_t kMaxSkillRows = kSkillTableSize;
constexpr uint32_t kMaxItemRows = kItemTableSize - 1;
constexpr uint32_t kMaxAgeRows = kAgeTableSize - kFirstAgeEntry;

struct TableInfo {
    const char* file;
    uint32_t capacity;
    bool zeroEndsLoad; // a zero count ends the load (and carries no row size)
};

TableInfo Info(IniTable t) {
    switch (t) {
    case IniTable::General:
        return {"general.ini", kMaxGeneralRows, false};
    case IniTable::Castle:
        return {"castle.ini", kMaxCityRows, false};
    case IniTable::SubCastle:
        return {"SubCastle.ini", kMaxSubCastleRows, false};
    case IniTable::Soldier:
        return {"soldier.ini", kMaxSoldierRows, true};
    case IniTable::Skill:
        return {"skill.ini", kMaxSkillRows, true};
    case IniTable::Item:
        return {"item.ini", kMaxItemRows, true};
    case IniTable::Age:
        return {"age.ini", kMaxAgeRows, true};
    }
    return {"", 0, false};
}

template <class T>
void AppendAll(std::vector<std::unique_ptr<T>>& rows, LinkList& list) {
    for (auto& row : rows)
        list.Add(reinterpret_cast<uintptr_t>(row.release()));
}

// A general template as the game keeps it: commanders start at full strength and skill, no
// template is an ambusher or a rebel.
void FixGeneral(OfficerRecord& o) {
    using L = OfficerLayout;
    if (o.Get(L::kAttribute) == 1) {
        o.Set(L::kMaxHp, o.Get(L::kStrength));
        o.Set(L::kMaxMp, o.Get(L::kIntelligence));
        std::fill(std::begin(o.activity), std::end(o.activity), 0);
        std::fill(std::begin(o.workCounters), std::end(o.workCounters), int16_t{0});
        o.reference = -1;
    }
    o.Set(L::kAmbush, 0);
    o.Set(L::kRebel, 0);
}

// Reads the rows of a record table into new DataSet objects of type T.
// A row longer than the block is cut to it and the rest skipped, so the next row stays aligned.
template <class T, class Make>
void ReadRows(ByteReader& in, uint32_t rows, uint32_t size, Make make, std::vector<std::unique_ptr<T>>& out) {
    for (uint32_t i = 0; i < rows; ++i) {
        std::unique_ptr<T> row = make();
        row->ClearBlock();
        const uint32_t take = std::min(size, row->BlockBytes());
        in.bytes(row->block, take);
        in.skip(size - take);
        out.push_back(std::move(row));
    }
}

void LogExcess(const TableInfo& info, uint32_t count) {
    Zu_Tools::WriteErrorLog(info.file, "rows past the table", static_cast<int32_t>(count),
                            static_cast<int32_t>(info.capacity), 0, 0, 1);
}
} // namespace

int ReadIniTable(ByteReader& in, IniTable table, ScenarioData* scenario) {
    const TableInfo info = Info(table);
    const uint32_t count = in.u32();
    if (!in.ok()) return kGameDataDamaged;
    if (count == 0 && info.zeroEndsLoad) return kGameDataEndsLoad;
    const uint32_t size = in.u32();
    if (!in.ok()) return kGameDataDamaged;
    if (uint64_t{count} * size > in.remaining()) return kGameDataDamaged;
    const uint32_t rows = std::min(count, info.capacity);
    if (rows < count) LogExcess(info, count);
    if (!scenario) return kGameDataLoaded;

    switch (table) {
    case IniTable::General: {
        std::vector<std::unique_ptr<OfficerRecord>> read;
        ReadRows<OfficerRecord>(
            in, rows, size, [] { return std::make_unique<OfficerRecord>(100, -1); }, read);
        for (auto& o : read)
            FixGeneral(*o);
        AppendAll(read, scenario->generalTemplates);
        BuildGeneralTemplateTable(scenario);
        break;
    }
    case IniTable::Castle: {
        std::vector<std::unique_ptr<City>> read;
        ReadRows<City>(
            in, rows, size, [] { return std::make_unique<City>(100, 0); }, read);
        AppendAll(read, scenario->cityTemplates);
        break;
    }
    case IniTable::SubCastle: {
        std::vector<std::unique_ptr<SubCastle>> read;
        ReadRows<SubCastle>(
            in, rows, size, [] { return std::make_unique<SubCastle>(0); }, read);
        for (auto& s : read)
            s->ComputeEntrance();
        AppendAll(read, scenario->subCastleTemplates);
        break;
    }
    case IniTable::Soldier: {
        std::vector<std::unique_ptr<SoldierTypeRecord>> read;
        ReadRows<SoldierTypeRecord>(
            in, rows, size, [] { return std::make_unique<SoldierTypeRecord>(100); }, read);
        AppendAll(read, scenario->soldierTypes);
        BuildSoldierTypeTable(scenario);
        break;
    }
    case IniTable::Skill: {
        std::vector<std::unique_ptr<SkillRecord>> read;
        ReadRows<SkillRecord>(
            in, rows, size, [] { return std::make_unique<SkillRecord>(100); }, read);
        AppendAll(read, scenario->skills);
        BuildSkillTable(scenario);
        break;
    }
    case IniTable::Item: {
        std::vector<std::unique_ptr<ItemRecord>> read;
        ReadRows<ItemRecord>(
            in, rows, size, [] { return std::make_unique<ItemRecord>(100); }, read);
        AppendAll(read, scenario->items);
        BuildItemTable(scenario);
        break;
    }
    case IniTable::Age: {
        ClearAgeTable();
        const uint32_t take = std::min(size, kAgeBlockBytes);
        for (uint32_t k = 0; k < rows; ++k) {
            uint8_t* block = NewAgeBlock(kFirstAgeEntry + static_cast<int32_t>(k));
            in.bytes(block, take);
            in.skip(size - take);
        }
        break;
    }
    }
    return kGameDataLoaded;
}

int LoadGameData(ScenarioData* scenario, std::string* damagedFile) {
    auto damaged = [&](const char* file, size_t size) {
        Zu_Tools::WriteErrorLog(file, "damaged table", static_cast<int32_t>(size), 0, 0, 0, 1);
        if (damagedFile) *damagedFile = file;
        return kGameDataDamaged;
    };

    FootprintTables& footprints = Footprints();
    struct CodeFile {
        const char* name;
        FootprintFile kind;
        std::unique_ptr<FootprintPattern>* table;
        int entries;
    };
    const CodeFile codes[] = {
        {"building.code", FootprintFile::Building, footprints.building, FootprintTables::kBuilding},
        {"construction.code", FootprintFile::Construction, footprints.construction,
         FootprintTables::kConstruction},
        {"door.code", FootprintFile::Door, footprints.door, FootprintTables::kDoor},
        {"farm.code", FootprintFile::Farm, footprints.farm, FootprintTables::kFarm},
        {"ArrowTower.code", FootprintFile::ArrowTower, footprints.arrowTower, FootprintTables::kArrowTower},
    };
    std::vector<uint8_t> bytes;
    for (const CodeFile& c : codes) {
        if (!ReadGameFile(c.name, bytes)) continue;
        ByteReader in(bytes.data(), bytes.size());
        if (ReadFootprintTable(in, c.kind, c.table, c.entries) == kGameDataDamaged)
            return damaged(c.name, bytes.size());
    }

    std::fill(std::begin(GeneralTemplateTable), std::end(GeneralTemplateTable), nullptr);
    for (IniTable t : {IniTable::General, IniTable::Castle, IniTable::SubCastle, IniTable::Soldier,
                       IniTable::Skill, IniTable::Item, IniTable::Age}) {
        const char* name = Info(t).file;
        if (!ReadGameFile(name, bytes)) {
            // A table that is not there leaves the game as unplayable as a damaged one.
            Zu_Tools::WriteErrorLog(name, "missing table", 0, 0, 0, 0, 1);
            if (damagedFile) *damagedFile = name;
            return kGameDataMissing;
        }
        ByteReader in(bytes.data(), bytes.size());
        const int result = ReadIniTable(in, t, scenario);
        if (result == kGameDataDamaged) return damaged(name, bytes.size());
        if (result == kGameDataEndsLoad) return kGameDataLoaded;
    }
    return kGameDataLoaded;
}
