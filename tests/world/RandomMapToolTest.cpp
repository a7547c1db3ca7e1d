// The randommap tool on the demo folder that tools/make_demo writes.
#include "support/TempFolder.h"

#include "engine/ByteReader.h"
#include "engine/ResourceStore.h"
#include "engine/ResourceStoreFormats.h"
#include "world/GateRecord.h"
#include "world/MapFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace {

const std::string MakeDemo = std::string(KARDOL_BINARY_DIR) + "/tools/make_demo/make_demo";
const std::string RandomMapTool = std::string(KARDOL_BINARY_DIR) + "/tools/randommap/randommap";

std::vector<uint8_t> Bytes(const std::filesystem::path& name) {
    std::ifstream f(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

int Shell(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str());
}

TEST(RandomMapTool, WritesTheSameMapForTheSameOptionsOnTheDemoFolder) {
    if (!std::filesystem::exists(MakeDemo) || !std::filesystem::exists(RandomMapTool))
        GTEST_SKIP() << "tools not built";
    testsupport::TempFolder a(testsupport::TempFolder::Stay), b(testsupport::TempFolder::Stay);
    ASSERT_EQ(Shell(MakeDemo + " " + a.str()), 0);
    ASSERT_EQ(Shell(MakeDemo + " " + b.str()), 0);
    const std::string options = " --seed 31337 --size 1 --humans 2 --officers 9 --resources 2 --teams 1,1 ";
    ASSERT_EQ(Shell(RandomMapTool + options + a.str()), 0);
    ASSERT_EQ(Shell(RandomMapTool + options + b.str()), 0);
    for (const char* name : {"Virtual.m", "Virtual.x", "Virtual.dor"}) {
        const auto bytes = Bytes(a.path() / name);
        ASSERT_FALSE(bytes.empty()) << name;
        EXPECT_EQ(bytes, Bytes(b.path() / name)) << name;
    }
    const auto map = Bytes(a.path() / "Virtual.m");
    MapGrid grid;
    ASSERT_TRUE(ParseMapFile(map, grid));
    EXPECT_EQ(grid.rows, 3 * grid.width);
    // Two humans, the row's computer kingdoms, villages and lairs: every block is read back.
    const auto door = Bytes(a.path() / "Virtual.dor");
    ByteReader in(door.data(), door.size());
    std::vector<std::vector<GateRecord>> gates;
    ASSERT_TRUE(ReadDoorFile(in, 2, gates));
    EXPECT_FALSE(gates[0].empty());

    // The demo folder pictures every ground the map was drawn with: none shows as black.
    KingdomCells cells;
    DecodeKingdomCells(Bytes(a.path() / "kingdom.cel"), ResourceStore::kSpriteIndices, cells);
    std::set<uint16_t> grounds;
    for (int32_t i = 0; i < grid.width * grid.rows; ++i)
        grounds.insert(grid.cells[size_t(i)].groundTile);
    for (uint16_t g : grounds)
        EXPECT_TRUE(g < cells.ground.size() && cells.ground[g] != nullptr) << "ground " << g;

    ASSERT_EQ(
        Shell(RandomMapTool + " --seed 31338 --size 1 --humans 2 --officers 9 --resources 2 " + b.str()), 0);
    EXPECT_NE(map, Bytes(b.path() / "Virtual.m"));
    // Bad options and a folder without sources are refused.
    EXPECT_NE(Shell(RandomMapTool + " --seed x " + a.str()), 0);
    testsupport::TempFolder empty(testsupport::TempFolder::Stay);
    EXPECT_NE(Shell(RandomMapTool + options + empty.str()), 0);
    EXPECT_FALSE(std::filesystem::exists(empty.path() / "Virtual.m"));
}

} // namespace
