#include "stagefiles/GateFile.h"
#include "tests/stagefiles/MainStageFixture.h"
#include "troops/CastleGate.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

using namespace mainstagetest;

namespace {

std::filesystem::path SeedFolder(const char* target) {
    const char* dir = std::getenv("KARDOL_SEED_DIR");
    const std::filesystem::path folder = std::filesystem::path(dir ? dir : KARDOL_SEED_DIR) / target;
    std::filesystem::create_directories(folder);
    return folder;
}

// A seed is the fuzz target's mode byte, then the bytes of the file.
void WriteSeed(const std::filesystem::path& folder, const std::string& name, uint8_t mode,
               const std::vector<uint8_t>& bytes) {
    std::ofstream out(folder / name, std::ios::binary);
    out.put(char(mode));
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

} // namespace

// Seeds of the main stage file reader: the test stage, read back in both modes.
TEST(MainStageFuzzSeed, WritesMainFileSeeds) {
    std::vector<uint8_t> file;
    {
        MainWorld w;
        file = w.MainFile();
    }
    const auto folder = SeedFolder("mainstagefile");
    WriteSeed(folder, "stage-restore", 0, file);
    WriteSeed(folder, "stage-fresh", 1, file);
    for (StageLoadMode mode : {StageLoadMode::Restore, StageLoadMode::Fresh}) {
        trooptest::Battle battle;
        TemplateTables tables;
        StageReader in(file, mode);
        EXPECT_EQ(tables.ReadMainFile(in), 1);
        EXPECT_EQ(in.remaining(), 0u);
    }
}

// Seeds of the gate reader, for the fuzz target's stage of three kingdoms: an open gate with its
// pieces' state, a closed one, a kingdom without gates.
TEST(MainStageFuzzSeed, WritesGateFileSeeds) {
    trooptest::Battle battle;
    Kingdom* a = battle.AddKingdom(1, true);
    Kingdom* b = battle.AddKingdom(2);
    battle.AddKingdom(3);
    auto* open = new CastleGate(10, 10, 0, 1, 1, 8, 4);
    open->openState = 1;
    open->pieces[3]->officer->Set(OfficerLayout::kHp, 40);
    a->gates.Add(uintptr_t(open));
    b->gates.Add(uintptr_t(new CastleGate(20, 12, 1, 2, 2, 18, 6)));
    StageWriter gat, dor;
    WriteGates(gat, *battle.stage, GateFileKind::Gate);
    WriteGates(dor, *battle.stage, GateFileKind::Door);
    const auto folder = SeedFolder("gatefile");
    WriteSeed(folder, "gates-gat", 0, gat.bytes());
    WriteSeed(folder, "gates-dor", 1, dor.bytes());

    for (Kingdom* k : {a, b})
        for (uintptr_t v = k->gates.First(); v != 0; v = k->gates.First()) {
            k->gates.RemoveCurrent();
            delete reinterpret_cast<CastleGate*>(v);
        }
    StageReader in(gat.bytes(), StageLoadMode::Restore);
    EXPECT_TRUE(ReadGates(in, *battle.stage, GateFileKind::Gate));
    EXPECT_EQ(in.remaining(), 0u);
    EXPECT_EQ(a->gates.GetCount(), 1);
    StageReader doorIn(dor.bytes(), StageLoadMode::Fresh);
    EXPECT_TRUE(ReadGates(doorIn, *battle.stage, GateFileKind::Door));
    EXPECT_EQ(b->gates.GetCount(), 2);
}
