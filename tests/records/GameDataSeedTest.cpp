#include "GameDataFixtures.h"
#include "engine/ByteReader.h"
#include "records/AgeTable.h"
#include "records/GameDataLoader.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "records/ScenarioData.h"
#include "records/SubCastle.h"
#include "world/FootprintPattern.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace gamedata;

namespace {
std::filesystem::path SeedFolder(const char* name) {
    const char* dir = std::getenv("KARDOL_SEED_DIR");
    const std::filesystem::path folder = std::filesystem::path(dir ? dir : KARDOL_SEED_DIR) / name;
    std::filesystem::create_directories(folder);
    return folder;
}

void Write(const std::filesystem::path& file, const std::vector<uint8_t>& bytes) {
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
} // namespace

// Writes the record-table reader's seeds: small tables with rows of the block size, shorter and
// longer rows, and checks the reader takes each.
TEST(GameDataFuzzSeed, WritesIniTableSeeds) {
    const auto folder = SeedFolder("initables");
    const std::vector<uint8_t> seeds[] = {
        IniBytes(432, {Row(432, "Guan").Set(OfficerLayout::kAttribute, 1), Row(432, "Zhang")}),
        IniBytes(392, {Row(392, "Xu")}),
        IniBytes(56, {Row(56, "Inn").Set(SubCastleLayout::kKind, 4)}),
        IniBytes(104, {Row(104, "Foot").Set(20, 1), Row(104, "Horse").Set(20, 2)}),
        IniBytes(300, {Row(300, "long"), Row(300, "rows")}),
        IniBytes(12, {Row(12, "s"), Row(12, "t"), Row(12, "u")}),
    };
    int n = 0;
    for (const auto& bytes : seeds) {
        Write(folder / ("seed" + std::to_string(n++) + ".bin"), bytes);
        ScenarioData scenario;
        ByteReader in(bytes.data(), bytes.size());
        EXPECT_EQ(ReadIniTable(in, IniTable::Castle, &scenario), kGameDataLoaded) << n;
        EXPECT_GT(scenario.cityTemplates.GetCount(), 0);
    }
    ClearRecordTables();
    ClearAgeTable();
}

// Writes the footprint reader's seeds in the three layouts and checks each reads back.
TEST(GameDataFuzzSeed, WritesFootprintSeeds) {
    const auto folder = SeedFolder("footprints");
    const struct {
        CodeKind kind;
        FootprintFile file;
    } layouts[] = {{CodeKind::Building, FootprintFile::Building},
                   {CodeKind::Farm, FootprintFile::Farm},
                   {CodeKind::Other, FootprintFile::Door}};
    int n = 0;
    for (const auto& l : layouts) {
        const std::vector<uint8_t> bytes = CodeBytes(l.kind, {{2, 3, 10}, {0, 0, 0}, {1, 1, 50}});
        Write(folder / ("seed" + std::to_string(n++) + ".bin"), bytes);
        FootprintTables tables;
        ByteReader in(bytes.data(), bytes.size());
        EXPECT_EQ(ReadFootprintTable(in, l.file, tables.door, FootprintTables::kDoor), kGameDataLoaded);
        EXPECT_NE(tables.door[0], nullptr);
        EXPECT_EQ(tables.door[1], nullptr);
        EXPECT_EQ(in.remaining(), 0u);
    }
}
