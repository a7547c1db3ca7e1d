#include "RandomMapGeneratorFixture.h"

#include "world/MapFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace randommaptest;

std::vector<uint8_t> Bytes(const std::string& name) {
    std::ifstream f(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

// Generates in a child process whose runtime generator was stirred differently; the files are
// copied to `dir`.
void GenerateInChild(const std::filesystem::path& dir, unsigned crtSeed, uint32_t seed) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        std::srand(crtSeed);
        for (unsigned i = 0; i < crtSeed % 17; ++i)
            (void)std::rand();
        Generation g(2);
        const bool ok = g.Run(seed);
        std::error_code ec;
        for (const char* name : {"Virtual.m", "Virtual.x", "Virtual.dor"})
            std::filesystem::copy_file(name, dir / name, ec);
        _exit(ok && !ec ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
}

TEST(RandomMap, PeersWriteIdenticalFilesAndAnotherSeedChangesThem) {
    testsupport::TempFolder a(testsupport::TempFolder::Stay), b(testsupport::TempFolder::Stay),
        c(testsupport::TempFolder::Stay);
    GenerateInChild(a.path(), 1, 4242);
    GenerateInChild(b.path(), 99, 4242);
    GenerateInChild(c.path(), 1, 4243);
    for (const char* name : {"Virtual.m", "Virtual.x", "Virtual.dor"}) {
        const auto first = Bytes((a.path() / name).string());
        ASSERT_FALSE(first.empty()) << name;
        EXPECT_EQ(first, Bytes((b.path() / name).string())) << name;
    }
    EXPECT_NE(Bytes((a.path() / "Virtual.m").string()), Bytes((c.path() / "Virtual.m").string()));
}

TEST(RandomMap, FilesLoadBackThroughTheMapAndGateReaders) {
    Generation g(2);
    ASSERT_TRUE(g.Run(77));
    // Size index 0: 7 x 7 blocks of 20 x 60 cells.
    EXPECT_EQ(Bytes("Virtual.m").size(), 16u + 140u * 420u * 16u);
    EXPECT_EQ(Bytes("Virtual.x").size(), 38400u);
    ASSERT_EQ(LoadMapFiles("Virtual"), 1);
    EXPECT_EQ(TheBattleMap->width, 140);
    EXPECT_EQ(TheBattleMap->rows, 420);

    const auto door = Bytes("Virtual.dor");
    ByteReader in(door.data(), door.size());
    std::vector<std::vector<GateRecord>> gates;
    const auto kingdoms = g.Kingdoms();
    ASSERT_TRUE(ReadDoorFile(in, int(kingdoms.size()), gates));
    ASSERT_EQ(gates.size(), 4u);
    for (int k = 0; k < 2; ++k) {
        City* city = g.Cities(k).at(0);
        const int32_t x = city->Int(CityLayout::kX), y = city->Int(CityLayout::kY);
        ASSERT_EQ(gates[size_t(k)].size(), 2u);
        // The template castle sits at (40, 90) of its frame, its gates 20 cells west and east.
        const int32_t bx = (x - 40) / 20, by = (y - 90) / 60;
        EXPECT_EQ(x, 20 * bx + 40);
        for (const GateRecord& gate : gates[size_t(k)]) {
            EXPECT_EQ(gate.cityX, x);
            EXPECT_EQ(gate.cityY, y);
            EXPECT_EQ(gate.centreX, x + (gate.direction ? 20 : -20));
            // Tile rows: the template's 45 (or 135 in the second frame row) moved to the block.
            EXPECT_EQ(gate.centreY, 45 + 30 * by);
        }
        // The castle's wall came from the castle source: obstacle 255 in the loaded map.
        EXPECT_EQ(TheBattleMap->CellAt(x - 20, y - 40)->obstacle, 255);
        // The city's footprint diamond is marked 8 in the file.
        EXPECT_EQ(TheBattleMap->CellAt(x - 1, y)->obstacle, 8);
    }
    EXPECT_TRUE(gates[2].empty());
    EXPECT_TRUE(gates[3].empty());
}

// Seed 1, one human and one computer kingdom: the rulers' four draws, the first kingdom's group
// pick and its first officer draw, worked out from the arithmetic of the shared generator.
TEST(RandomMap, DrawTraceMatchesTheHandWorkedPrefix) {
    Generation g(1);
    ASSERT_TRUE(g.Run(1));
    const std::vector<SyncDraw> expected = {{32, 1, 26},  {32, 3, 7},    {32, 10, 31},
                                            {32, 36, 21}, {40, 130, 35}, {277, 470, 178}};
    ASSERT_GE(g.trace.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(g.trace[i], expected[i]) << "draw " << i;
    const auto kingdoms = g.Kingdoms();
    EXPECT_EQ(kingdoms[0]->PersonNumber(), RulerPool[26]);
    EXPECT_EQ(kingdoms[3]->PersonNumber(), RulerPool[21]);
}

// Seed 0 keeps the multiplier at 0, so every draw of range n gives 12345 mod n: every kingdom
// after the first misses all its draws.
TEST(RandomMap, CollapsedDrawsFallBackToTheLowestFreeRulerAndGroup) {
    Generation g(1);
    g.AddGroupCities({{1, 0}, {2, 0}, {3, 0}});
    ASSERT_TRUE(g.Run(0));
    const auto kingdoms = g.Kingdoms();
    const int32_t expectedRulers[4] = {RulerPool[25], RulerPool[0], RulerPool[1], RulerPool[2]};
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(kingdoms[size_t(k)]->PersonNumber(), expectedRulers[k]) << k;
    EXPECT_EQ(g.DrawsOf(32).size(), 1u + 3u * 17u);
    // The first kingdom takes group 25 (empty: 25 >= 3); the second misses 11 times, each miss
    // followed by the dropped three-way draw, and takes group 0.
    ASSERT_EQ(g.DrawsOf(3).size() >= 11u, true);
    size_t at = 0;
    while (g.trace[at].n != 40)
        ++at;
    ++at; // the first kingdom's pick
    while (g.trace[at].n != 40)
        ++at;
    for (int round = 0; round < 11; ++round) {
        EXPECT_EQ(g.trace[at + 2 * round].n, 40);
        EXPECT_EQ(g.trace[at + 2 * round].result, 25u);
        EXPECT_EQ(g.trace[at + 2 * round + 1].n, 3);
    }
    EXPECT_EQ(g.Cities(1).at(0)->Int(CityLayout::kIndex), 1);
}

TEST(RandomMap, LairCitiesTakeTheirKindOrTheLastGroupCity) {
    struct Case {
        const char* name;
        std::vector<GroupCity> groups;
        int32_t lairIndex; // the group city the lair copies
    };
    const Case cases[] = {
        {"kind present", {{1, 0}, {5, 2}, {9, 0}}, 5},
        {"kind missing", {{1, 0}, {9, 6}, {12, 0}}, 12},
    };
    for (const Case& c : cases) {
        Generation g(1);
        g.AddGroupCities(c.groups);
        // Seed 0 leaves the multiplier at 0, so the lair pick k3 is 0: a lair (kind 2).
        ASSERT_TRUE(g.Run(0)) << c.name;
        const auto lairs = g.Cities(3);
        ASSERT_EQ(lairs.size(), 2u) << c.name;
        for (City* lair : lairs)
            EXPECT_EQ(lair->Int(CityLayout::kIndex), c.lairIndex) << c.name;
    }
}

TEST(RandomMap, VillagesAndLairsNeverLandOnCastleBlocks) {
    for (uint32_t seed : {3u, 11u, 12345u, 900001u}) {
        Generation g(2);
        g.AddGroupCities({{1, 0}, {2, 2}, {3, 3}, {4, 6, 1}, {5, 10}});
        ASSERT_TRUE(g.Run(seed));
        std::set<std::pair<int, int>> castleBlocks;
        for (int k = 0; k < 2; ++k)
            for (City* city : g.Cities(k)) {
                const int bx = (city->Int(CityLayout::kX) - 40) / 20,
                          by = (city->Int(CityLayout::kY) - 90) / 60;
                for (int dy = 0; dy < 3; ++dy)
                    for (int dx = 0; dx < 4; ++dx)
                        EXPECT_TRUE(castleBlocks.insert({bx + dx, by + dy}).second)
                            << "castles overlap, seed " << seed;
            }
        int small = 0;
        for (int k = 2; k < 4; ++k)
            for (City* city : g.Cities(k)) {
                // The small pieces' place lies at (10, 30) of its block.
                const int bx = city->Int(CityLayout::kX) / 20, by = city->Int(CityLayout::kY) / 60;
                EXPECT_EQ(castleBlocks.count({bx, by}), 0u) << "seed " << seed;
                ++small;
            }
        EXPECT_EQ(small, 4) << seed;
    }
}

// On a 4 x 4-block map no 4 x 3 place fits below the limits, so every city fails 200 times, and
// the whole placement restarts in fixed mode.
TEST(RandomMap, PlacementSwitchesToFixedPositionsAfter200Tries) {
    Generation g(2);
    g.settings.rows[0][0] = 4;
    ASSERT_TRUE(g.Run(5));
    // One copy-city draw for the first city before the switch, then one per city again.
    EXPECT_EQ(g.DrawsOf(12).size(), 3u);
    for (int k = 0; k < 2; ++k) {
        City* city = g.Cities(k).at(0);
        // Fixed positions clamped to the last place that keeps the castle inside: block (0, 1).
        EXPECT_EQ(city->Int(CityLayout::kX), 40);
        EXPECT_EQ(city->Int(CityLayout::kY), 60 + 90);
    }
    // The multiplier's re-mixes at the 3rd and 6th try: find the first city's tries in the trace.
    size_t at = 0;
    while (!(g.trace[at].n == 4 && g.trace[at + 1].n == 4))
        ++at;
    auto after = [&](size_t i) { return g.trace[i].multiplier; };
    // Try 1: x then y with the 47/13 and 43/29 re-mixes.
    EXPECT_EQ(after(at + 1), after(at) * 47u / 13u);
    EXPECT_EQ(after(at + 2), after(at + 1) * 43u / 29u);
    // After try 3: M + M * M + 11873.
    const uint32_t m3 = after(at + 5) * 43u / 29u;
    EXPECT_EQ(after(at + 6), m3 + m3 * m3 + 11873u);
    // After try 6: M + 3.
    const uint32_t m6 = after(at + 11) * 43u / 29u;
    EXPECT_EQ(after(at + 12), m6 + 3u);
}

TEST(RandomMap, FailuresReportAndLeaveNoOlderMap) {
    {
        Generation g(1);
        ASSERT_TRUE(g.Run(8));
        // The map file cannot be replaced: a folder stands in its place.
        std::filesystem::remove("Virtual.m");
        std::filesystem::create_directories("Virtual.m/inside");
        EXPECT_FALSE(g.Run(8));
        EXPECT_FALSE(std::filesystem::exists("Virtual.dor"));
        EXPECT_FALSE(std::filesystem::exists("Virtual.x"));
    }
    {
        Generation g(1);
        ASSERT_TRUE(g.Run(8));
        std::filesystem::remove("ground01");
        EXPECT_FALSE(g.Run(8));
        EXPECT_FALSE(std::filesystem::exists("Virtual.m"));
    }
}

} // namespace
