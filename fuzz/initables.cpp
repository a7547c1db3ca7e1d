// Feeds arbitrary bytes to the reader of every ".ini" record table, as each table in turn.
#include "engine/ByteReader.h"
#include "records/AgeTable.h"
#include "records/GameDataLoader.h"
#include "records/RecordTables.h"
#include "records/ScenarioData.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ScenarioData scenario;
    for (IniTable t : {IniTable::General, IniTable::Castle, IniTable::SubCastle, IniTable::Soldier,
                       IniTable::Skill, IniTable::Item, IniTable::Age}) {
        ByteReader in(data, size);
        ReadIniTable(in, t, &scenario);
    }
    ClearRecordTables();
    ClearAgeTable();
    return 0;
}
