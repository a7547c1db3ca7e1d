// Feeds arbitrary bytes to the ".code" footprint table reader in each of its three layouts.
#include "engine/ByteReader.h"
#include "records/GameDataLoader.h"
#include "world/FootprintPattern.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FootprintTables tables;
    const struct {
        FootprintFile file;
        std::unique_ptr<FootprintPattern>* table;
        int entries;
    } runs[] = {{FootprintFile::Building, tables.building, FootprintTables::kBuilding},
                {FootprintFile::Farm, tables.farm, FootprintTables::kFarm},
                {FootprintFile::Door, tables.door, FootprintTables::kDoor}};
    for (const auto& r : runs) {
        ByteReader in(data, size);
        ReadFootprintTable(in, r.file, r.table, r.entries);
    }
    return 0;
}
