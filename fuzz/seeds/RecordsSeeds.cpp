// Seeds of the record readers: the data tables, the footprints, the saved record blocks and the
// stage file's kingdom, city and sub-castle sections.
#include "SeedCorpus.h"

#include "Program/StageSet.h"
#include "engine/ByteReader.h"
#include "fuzz/SmallBattleWorld.h"
#include "fuzz/seeds/builders/GameDataFixtures.h"
#include "fuzz/seeds/builders/RecordKinds.h"
#include "fuzz/seeds/builders/SectionFixtures.h"
#include "records/AgeTable.h"
#include "records/City.h"
#include "records/GameDataLoader.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "records/ScenarioData.h"
#include "records/SubCastle.h"
#include "world/FootprintPattern.h"

#include <cstring>

namespace {

// Small tables with rows of the block size, shorter and longer rows; the reader takes each.
void IniTableSeeds(SeedCorpus& corpus) {
    using namespace gamedata;
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
        const std::string name = "seed" + std::to_string(n++) + ".bin";
        corpus.Write("initables", name, bytes);
        ScenarioData scenario;
        ByteReader in(bytes.data(), bytes.size());
        corpus.Check(ReadIniTable(in, IniTable::Castle, &scenario) == kGameDataLoaded &&
                         scenario.cityTemplates.GetCount() > 0,
                     "initables", name, "the table is not read");
    }
    ClearRecordTables();
    ClearAgeTable();
}

// The footprint reader's three layouts, each read back whole.
void FootprintSeeds(SeedCorpus& corpus) {
    using namespace gamedata;
    const struct {
        CodeKind kind;
        FootprintFile file;
    } layouts[] = {{CodeKind::Building, FootprintFile::Building},
                   {CodeKind::Farm, FootprintFile::Farm},
                   {CodeKind::Other, FootprintFile::Door}};
    int n = 0;
    for (const auto& l : layouts) {
        const std::string name = "seed" + std::to_string(n++) + ".bin";
        const std::vector<uint8_t> bytes = CodeBytes(l.kind, {{2, 3, 10}, {0, 0, 0}, {1, 1, 50}});
        corpus.Write("footprints", name, bytes);
        FootprintTables tables;
        ByteReader in(bytes.data(), bytes.size());
        corpus.Check(ReadFootprintTable(in, l.file, tables.door, FootprintTables::kDoor) == kGameDataLoaded &&
                         tables.door[0] != nullptr && tables.door[1] == nullptr && in.remaining() == 0,
                     "footprints", name, "the table is not read as written");
    }
}

// Records of each kind as saved, then a shorter and a longer one; all three read back.
void RecordBlockSeeds(SeedCorpus& corpus) {
    using namespace recordfix;
    int n = 0;
    for (const RecordKind& kind : PlainKinds()) {
        const std::string name = "seed" + std::to_string(n) + ".bin";
        auto record = kind.make();
        const std::vector<uint8_t> block = Pattern(kind.bytes, static_cast<uint8_t>(n++));
        std::memcpy(record->block, block.data(), kind.bytes);
        ByteWriter out;
        record->Save(out);
        PutU32(out.buffer(), 8);
        out.zeros(8);
        PutU32(out.buffer(), kind.bytes + 16);
        out.zeros(kind.bytes + 16);
        const std::vector<uint8_t>& bytes = out.buffer();
        corpus.Write("records", name, bytes);
        auto back = kind.make();
        ByteReader in(bytes.data(), bytes.size());
        bool read = true;
        for (int r = 0; r < 3; ++r)
            read = read && back->Load(in) == 1;
        corpus.Check(read && in.remaining() == 0, "records", name,
                     std::string(kind.name) + " records not read");
    }
}

// A kingdom of two cities, a city with generals and a sub-castle with one; each reads back.
void SectionSeeds(SeedCorpus& corpus) {
    SmallBattleWorld world;
    Zu_StageSet stage;
    world.map->stageSet = &stage;
    std::vector<std::vector<uint8_t>> seeds;
    seeds.push_back(sectionfix::SavedKingdom());
    City city;
    city.SetText(CityLayout::kName, 20, "Xu");
    city.NewChild(0);
    city.NewChild(0);
    ByteWriter cityOut;
    city.Save(cityOut);
    seeds.push_back(cityOut.buffer());
    SubCastle sub(0);
    sub.SetInt(SubCastleLayout::kKind, 5);
    sub.NewChild(0);
    ByteWriter subOut;
    sub.Save(subOut);
    seeds.push_back(subOut.buffer());
    for (size_t i = 0; i < seeds.size(); ++i) {
        const std::string name = "seed" + std::to_string(i) + ".bin";
        corpus.Write("stagesections", name, seeds[i]);
        ByteReader in(seeds[i].data(), seeds[i].size());
        int loaded = 0;
        if (i == 0) {
            Kingdom k;
            loaded = k.Load(in);
        } else if (i == 1) {
            City c;
            loaded = c.Load(in);
        } else {
            SubCastle s(0);
            loaded = s.Load(in);
        }
        corpus.Check(loaded == 1 && in.remaining() == 0, "stagesections", name,
                     "the section is not read whole");
    }
    world.map->stageSet = nullptr;
}

} // namespace

void WriteRecordsSeeds(SeedCorpus& corpus) {
    IniTableSeeds(corpus);
    FootprintSeeds(corpus);
    RecordBlockSeeds(corpus);
    SectionSeeds(corpus);
}
