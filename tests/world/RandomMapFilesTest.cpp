#include "RandomMapFixture.h"

#include "world/GeneratorCell.h"
#include "world/TileAttributeTables.h"
#include "world/VirtualMapFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

namespace {

using namespace randommaptest;

GeneratorGrid Grid(int w, int h) {
    GeneratorGrid g;
    g.width = w;
    g.height = h;
    g.cells.resize(size_t(w) * h);
    return g;
}

// The diamond by geometry: a cell's centre lies 40 pixels per column (20 more on odd rows) and
// 10 per row; the diamond holds the cells within n - 1 steps of 20 x 10 pixels of its middle row,
// whose top cell is (x, y). Rows whose first cell lies left of the map are left out whole.
std::set<std::pair<int, int>> Expected(const GeneratorGrid& g, int x, int y, int n) {
    std::set<std::pair<int, int>> out;
    const int tipX = 40 * x + 20 * (y & 1), midY = 10 * (y + n - 1);
    for (int row = y; row <= y + 2 * n - 2 && row < g.height; ++row) {
        std::vector<int> cells;
        for (int cx = -n - 2; cx < g.width + n + 2; ++cx) {
            const int px = 40 * cx + 20 * (row & 1);
            if (std::abs(px - tipX) / 20 + std::abs(10 * row - midY) / 10 <= n - 1) cells.push_back(cx);
        }
        if (row < 0 || cells.empty() || cells.front() < 0) continue;
        for (int cx : cells)
            if (cx < g.width) out.insert({cx, row});
    }
    return out;
}

TEST(RandomMapFiles, DiamondMatchesItsGeometry) {
    for (int n = 1; n <= 6; ++n)
        for (int y : {0, 1, 4, 7, 14})
            for (int x : {-1, 0, 3, 9}) {
                GeneratorGrid g = Grid(10, 20);
                StampGeneratorDiamond(g, x, y, n, 0, 8);
                std::set<std::pair<int, int>> got;
                for (int cy = 0; cy < g.height; ++cy)
                    for (int cx = 0; cx < g.width; ++cx)
                        if (g.At(cx, cy).obstacle() == 8) got.insert({cx, cy});
                EXPECT_EQ(got, Expected(g, x, y, n)) << "n " << n << " at " << x << "," << y;
            }
}

TEST(RandomMapFiles, DiamondOperationsSetTheirFields) {
    struct Case {
        int op;
        uint16_t value;
        bool (*check)(const GeneratorCell&);
    };
    const Case cases[] = {
        {0, 8, [](const GeneratorCell& c) { return c.Byte(8) == 8; }},
        {1, 5, [](const GeneratorCell& c) { return c.Byte(9) == 5; }},
        {6, 5, [](const GeneratorCell& c) { return c.Byte(14) == 5; }},
        {7, 0x1234, [](const GeneratorCell& c) { return c.word26 == 0x1234; }},
        {10, 0x4321, [](const GeneratorCell& c) { return c.word26 == 0x4321; }},
        {8, 0x77, [](const GeneratorCell& c) { return c.layer == 0x77 && c.overlay == 0x77; }},
    };
    for (const Case& c : cases) {
        GeneratorGrid g = Grid(4, 4);
        StampGeneratorDiamond(g, 1, 0, 1, c.op, c.value);
        EXPECT_TRUE(c.check(g.At(1, 0))) << c.op;
        EXPECT_FALSE(c.check(g.At(2, 0))) << c.op;
    }
    GeneratorGrid g = Grid(4, 4);
    StampGeneratorDiamond(g, 1, 0, 2, 9, 3);
    for (const GeneratorCell& c : g.cells)
        EXPECT_EQ(c.word26, 0);
}

TEST(RandomMapFiles, MapCellsTakeTheirObstacleByPriority) {
    TileAttributeTables a;
    a.ground.resize(10);
    a.ground[1] = TileAttribute{0, 0, 0};
    a.ground[2] = TileAttribute{5, 0, 0};
    a.layer.resize(10);
    a.layer[3] = TileAttribute{3, 0, 0};
    a.object.resize(0x3004);
    a.object[4] = TileAttribute{0, 0, 0};
    a.object[0x3000] = TileAttribute{1, 0, 0};
    constexpr uint16_t N = GeneratorCell::kNone;
    struct Case {
        const char* name;
        uint16_t ground, layer, object;
        uint8_t obstacle; // grid byte 8 before writing
        uint8_t file;     // obstacle written
        uint8_t grid;     // grid byte 8 after writing
    };
    const Case cases[] = {
        {"layer without ground obstacle", 1, 3, N, 0, 3, 3},
        {"ground obstacle wins over the layer", 2, 3, N, 0, 5, 5},
        {"object entry last", 2, 3, 4, 0, 0, 0},
        {"wall without entry", 1, N, 0x3001, 0, 255, 0},
        {"wall with entry", 2, N, 0x3000, 0, 255, 1},
        {"footprint", 2, 3, 0x3000, 8, 8, 1},
        {"nothing known", 9, N, N, 7, 0, 0},
    };
    GeneratorGrid g = Grid(int(std::size(cases)), 1);
    for (size_t i = 0; i < std::size(cases); ++i) {
        GeneratorCell& c = g.cells[i];
        c.ground = cases[i].ground;
        c.layer = cases[i].layer;
        c.object = cases[i].object;
        c.obstacle() = cases[i].obstacle;
        c.Byte(10) = 1, c.Byte(12) = 2, c.Byte(13) = 3, c.Byte(21) = 4, c.Byte(9) = 9;
    }
    const std::vector<uint8_t> file = BuildVirtualMapFile(g, a);
    ASSERT_EQ(file.size(), 16u + 16u * std::size(cases));
    EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 16), "Hello1.0");
    for (size_t i = 0; i < std::size(cases); ++i) {
        const uint8_t* cell = file.data() + 16 + 16 * i;
        EXPECT_EQ(cell[9], cases[i].file) << cases[i].name;
        EXPECT_EQ(g.cells[i].obstacle(), cases[i].grid) << cases[i].name;
        EXPECT_EQ(cell[0] | cell[1] << 8, cases[i].ground);
        EXPECT_EQ(cell[6] | cell[7], 0);
        const uint8_t carried[8] = {1, cases[i].file, 2, 3, 0, 4, 0, 0};
        EXPECT_EQ(std::vector<uint8_t>(cell + 8, cell + 16), std::vector<uint8_t>(carried, carried + 8))
            << cases[i].name;
    }
}

TEST(RandomMapFiles, MinimapTakesTwoPixelsACellAndShiftsOddRows) {
    TileAttributeTables a;
    a.ground.resize(4);
    a.ground[1] = TileAttribute{0, 0, 0x1111};
    a.ground[2] = TileAttribute{0, 0, 0x2222};
    a.layer.resize(2);
    a.layer[1] = TileAttribute{0, 0, 0x3333};
    // 80 x 120 cells fill the 160 x 120 minimap one to one.
    GeneratorGrid g = Grid(80, 120);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 80; ++x)
            g.At(x, y).ground = x == 0 ? 1 : 2;
    g.At(2, 0).ground = 3; // no attributes: the previous cell's colour
    g.At(3, 0).layer = 1;  // the layer's colour wins over the ground's
    const std::vector<uint8_t> mini = BuildVirtualMinimap(g, a);
    ASSERT_EQ(mini.size(), 38400u);
    auto px = [&](int x, int y) {
        return uint16_t(mini[2 * (160 * y + x)] | mini[2 * (160 * y + x) + 1] << 8);
    };
    const uint16_t row0[8] = {0x1111, 0x1111, 0x2222, 0x2222, 0x2222, 0x2222, 0x3333, 0x3333};
    const uint16_t row1[8] = {0x1111, 0x1111, 0x1111, 0x2222, 0x2222, 0x2222, 0x2222, 0x2222};
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(px(x, 0), row0[x]) << x;
        EXPECT_EQ(px(x, 1), row1[x]) << x;
    }
}

TEST(RandomMapFiles, SourceAndAttributeFilesRoundTripAndRefuseShortData) {
    ByteWriter w;
    WriteSourceMap(w, TerrainSource());
    ByteReader in(w.buffer().data(), w.buffer().size());
    GeneratorGrid back;
    ASSERT_TRUE(ReadSourceMap(in, back));
    EXPECT_EQ(back.width, 300);
    EXPECT_EQ(back.At(299, 359).ground, TerrainGround(14, 5));
    EXPECT_EQ(back.At(0, 0).Byte(21), 77);
    ByteReader cut(w.buffer().data(), w.buffer().size() - 1);
    EXPECT_FALSE(ReadSourceMap(cut, back));
    EXPECT_TRUE(back.Empty());

    ByteWriter aw;
    WriteTileAttributes(aw, DefaultAttributes());
    ByteReader ain(aw.buffer().data(), aw.buffer().size());
    TileAttributeTables t;
    ASSERT_TRUE(ReadTileAttributes(ain, t));
    EXPECT_EQ(TileAttributeTables::Find(t.object, 0x3000)->obstacle, 1);
    EXPECT_EQ(TileAttributeTables::Find(t.object, 0x3001), nullptr);
    EXPECT_EQ(TileAttributeTables::Find(t.layer, 999), nullptr);
    ByteReader acut(aw.buffer().data(), 30);
    EXPECT_FALSE(ReadTileAttributes(acut, t));
}

} // namespace
