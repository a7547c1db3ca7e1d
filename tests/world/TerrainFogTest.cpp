#include "WorldFixture.h"

#include "engine/DisplayDevice.h"
#include "engine/DrawingFixture.h"
#include "engine/PixelFormat.h"
#include "engine/ResourceStore.h"
#include "platform/Surface.h"
#include "support/TempFolder.h"
#include "world/RandomMapTables.h"
#include "world/TileGeometry.h"
#include "world/TileRenderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

using namespace worldtest;

namespace {

// A map whose cells are all in sight, with the sight of some cells changed by the test.
struct FogMap {
    World world;
    BattleMap& map = world.Map(6, 10);
    FogMap() {
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 6; ++x)
                map.CellAt(x, y)->sightCount = 2;
    }
    int Index(int x, int y) { return FogMaskIndex(map, x, y, *map.CellAt(x, y)); }
    void Sight(int x, int y, uint8_t n) { map.CellAt(x, y)->sightCount = n; }
};

TEST(TerrainFog, MaskIndexByTheSightAroundACell) {
    struct Case {
        const char* what;
        int x, y;
        uint8_t own;
        std::vector<std::tuple<int, int, uint8_t>> around;
        int index;
    } cases[] = {
        {"in sight among cells in sight", 2, 5, 2, {}, -1},
        {"unexplored above", 2, 5, 2, {{2, 3, 0}}, 1},
        {"explored above", 2, 5, 2, {{2, 3, 1}}, 33},
        {"unexplored above, explored below", 2, 5, 2, {{2, 3, 0}, {2, 7, 1}}, 48 + 16 * 3 + 1},
        {"unexplored left of an odd row", 2, 5, 2, {{1, 5, 0}}, 2},
        {"upper-left of an odd row is straight up", 2, 5, 2, {{2, 4, 0}}, EdgeShape(uint8_t(~2))},
        {"upper-left of an even row is one column left", 2, 4, 2, {{1, 3, 0}}, EdgeShape(uint8_t(~2))},
        {"explored with every neighbour in sight", 2, 5, 1, {}, 31},
        {"explored beside an unexplored cell", 2, 5, 1, {{1, 5, 0}}, 18},
        {"explored beside an explored cell", 2, 5, 1, {{1, 5, 1}}, 31},
        // Past the edge: a cell in sight sees it as unexplored, on an odd row as explored too.
        {"in sight on the left edge, even row", 0, 4, 2, {}, 12},
        {"in sight on the left edge, odd row", 0, 5, 2, {}, 48 + 16 * 2 + 2},
        {"explored on the left edge, even row", 0, 4, 1, {}, 31},
        {"explored on the left edge, odd row", 0, 5, 1, {}, 18},
    };
    for (const Case& c : cases) {
        FogMap f;
        f.Sight(c.x, c.y, c.own);
        for (const auto& [x, y, n] : c.around)
            f.Sight(x, y, n);
        EXPECT_EQ(f.Index(c.x, c.y), c.index) << c.what;
    }
    // The highest index stays inside the 304 masks.
    EXPECT_EQ(EdgeShape(0), 14);
    EXPECT_EQ(EdgeShape(255), 15);
    EXPECT_EQ(EdgeShape(0xEF), 0);
    int highest = 0;
    for (int e = 0; e < 256; ++e)
        for (int u = 0; u < 256; ++u)
            highest = std::max(highest, 48 + 16 * EdgeShape(uint8_t(e)) + EdgeShape(uint8_t(u)));
    EXPECT_EQ(highest, 303);
}

TEST(TerrainFog, ShadingScalesEachColourFieldOfThePixelLayout) {
    struct Case {
        int layout;
        uint16_t pixel;
        int8_t factor;
        uint16_t shaded;
    } cases[] = {
        {565, 0xFFFF, 32, 0xFFFF}, {565, 0xFFFF, 0, 0x0000},  {565, 0xFFFF, 16, 0x7BEF},
        {565, 0x0821, 16, 0x0000}, {555, 0x7FFF, 32, 0x7FFF}, {555, 0x7FFF, 16, 0x3DEF},
        {555, 0x7FFF, 0, 0x0000},  {555, 0x0421, 31, 0x0000},
    };
    for (const Case& c : cases) {
        uint16_t tile[40 * 20];
        std::fill(std::begin(tile), std::end(tile), uint16_t(0xABCD));
        for (int r = 0; r < 20; ++r)
            for (int i = 0; i < kDiamondRows.row[r].count; ++i)
                tile[r * 40 + kDiamondRows.row[r].start + i] = c.pixel;
        int8_t mask[400];
        std::fill(std::begin(mask), std::end(mask), c.factor);
        ShadeTile(tile, mask, c.layout);
        EXPECT_EQ(tile[10 * 40 + 20], c.shaded) << c.layout << " " << c.pixel << " f " << int(c.factor);
        EXPECT_EQ(tile[0], 0xABCD); // outside the diamond nothing is touched
        EXPECT_EQ(tile[19 * 40 + 39], 0xABCD);
    }
}

// The store's terrain: ground tile 0 and layer tiles at the recolouring range bounds.
struct TileStore {
    testsupport::TempFolder folder;
    std::unique_ptr<ResourceStore> store = std::make_unique<ResourceStore>();
    static constexpr int kLayers = 21601;
    TileStore() {
        TheResourceStore = store.get();
        store->groundCount = 1;
        store->groundCells = new uint16_t*[1];
        store->groundCells[0] = new uint16_t[400];
        std::fill_n(store->groundCells[0], 400, uint16_t(0x1111));
        store->layerCount = kLayers;
        store->layerCells = new uint16_t*[kLayers]();
        for (int k = 0; k < 16; ++k) {
            KingdomColourTable[1][size_t(k)] = uint16_t(0x8000 + k);
            KingdomColourTable[3][size_t(k)] = uint16_t(0x3000 + k);
        }
    }
    ~TileStore() {
        KingdomColourTable[1] = {};
        KingdomColourTable[3] = {};
        TheResourceStore = nullptr;
    }
    // A layer whose pixels are 0 (see-through), key colour 2 and a plain colour, in turn.
    void Layer(uint16_t id) {
        store->layerCells[id] = new uint16_t[400];
        for (int i = 0; i < 400; ++i)
            store->layerCells[id][i] = i % 3 == 0 ? 0 : i % 3 == 1 ? uint16_t(0x8002) : uint16_t(0x4444);
    }
};

TEST(TerrainFog, OwnerColoursOnlyInTheirLayerRangesAndRows) {
    World world;
    TileStore s;
    const uint16_t ids[] = {10799, 10800, 12959, 12960, 15119, 15120, 15246, 15247, 21599, 21600};
    for (uint16_t id : ids)
        s.Layer(id);
    struct Case {
        uint16_t layer;
        uint8_t owner;
        bool recoloured;
    } cases[] = {
        {10799, 103, false}, {10800, 103, true}, {12959, 203, true}, {12960, 103, false},
        {15119, 103, false}, {15120, 103, true}, {15246, 103, true}, {15247, 103, false},
        {21599, 103, false}, {21600, 103, true}, {10800, 99, false}, {10800, 101, false},
        {10800, 201, false}, {10800, 0, false},
    };
    for (const Case& c : cases) {
        MapCell cell;
        cell.groundTile = 0;
        cell.layerTile = c.layer;
        cell.ownerMark = c.owner;
        uint16_t tile[40 * 20] = {};
        ComposeTile(cell, tile);
        // Packed pixel 1 (row 0, x 20) carries key colour 2; pixel 0 (x 19) is see-through; pixel
        // 2 (row 1, x 17) is a plain colour.
        EXPECT_EQ(tile[20], c.recoloured ? 0x3002 : 0x8002) << c.layer << " owner " << int(c.owner);
        EXPECT_EQ(tile[19], 0x1111);
        EXPECT_EQ(tile[40 + 17], 0x4444);
    }
}

TEST(TerrainFog, EditorOverlaysFillEveryOtherRowOfTheDiamond) {
    World world;
    TileStore s;
    const uint16_t saved[3] = {Palette16[50], Palette16[70], Palette16[90]};
    Palette16[50] = 0x0050;
    Palette16[70] = 0x0070;
    Palette16[90] = 0x0090;
    struct Case {
        uint8_t obstacleFlag, markFlag;
        uint16_t ground;
        uint8_t obstacle, mark;
        uint16_t odd, even;
    } cases[] = {
        {0, 0, 0, 1, 1, 0x1111, 0x1111},
        {1, 0, 0, 1, 0, 0x0050, 0x1111},
        {1, 0, 0, 255, 0, 0x0070, 0x1111},
        {1, 0, 0, 0, 0, 0x1111, 0x1111},
        {1, 0, MapCell::kNoTile, 1, 0, 0x0000, 0x0000},
        {0, 1, 0, 0, 5, 0x0090, 0x1111},
        {1, 1, 0, 1, 5, 0x0090, 0x1111},
    };
    for (const Case& c : cases) {
        TheGameController->obstacleOverlay = c.obstacleFlag;
        TheGameController->markOverlay = c.markFlag;
        MapCell cell;
        cell.groundTile = c.ground;
        cell.layerTile = MapCell::kNoTile;
        cell.obstacle = c.obstacle;
        cell.spare13 = c.mark;
        uint16_t tile[40 * 20] = {};
        ComposeTile(cell, tile);
        EXPECT_EQ(tile[1 * 40 + 20], c.odd);
        EXPECT_EQ(tile[19 * 40 + 20], c.odd);
        EXPECT_EQ(tile[10 * 40 + 20], c.even);
    }
    Palette16[50] = saved[0];
    Palette16[70] = saved[1];
    Palette16[90] = saved[2];
}

// A small map drawn headless: 8 columns by 12 rows, owners and sight given per cell.
class SmallMapRender : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        ASSERT_TRUE(display.ok);
        store = std::make_unique<ResourceStore>();
        TheResourceStore = store.get();
        store->groundCount = 4;
        store->groundCells = new uint16_t*[4];
        for (int g = 0; g < 4; ++g) {
            store->groundCells[g] = new uint16_t[400];
            for (int i = 0; i < 400; ++i)
                store->groundCells[g][i] =
                    PackRgb16(uint8_t(60 + 60 * g), uint8_t(200 - 40 * g), uint8_t(i % 200));
        }
        store->layerCount = 10801;
        store->layerCells = new uint16_t*[10801]();
        store->layerCells[10800] = new uint16_t[400];
        for (int i = 0; i < 400; ++i)
            store->layerCells[10800][i] = i % 4 == 0   ? 0
                                          : i % 4 == 1 ? PackRgb16(255, 255, 255)
                                                       : PackRgb16(90, 60, 30);
        for (int k = 0; k < 16; ++k) {
            KingdomColourTable[1][size_t(k)] = k == 0 ? PackRgb16(255, 255, 255) : uint16_t(0xFFFF - k);
            KingdomColourTable[2][size_t(k)] = k == 0 ? PackRgb16(220, 0, 0) : uint16_t(0x1000 + k);
            KingdomColourTable[3][size_t(k)] = k == 0 ? PackRgb16(0, 0, 220) : uint16_t(0x2000 + k);
        }
        for (int m = 0; m < kMythRecords; ++m)
            for (int i = 0; i < kMythRecordSize; ++i)
                MythMasks[m * kMythRecordSize + i] = uint8_t(m < 16   ? 4 + i % 8
                                                             : m < 32 ? 14
                                                                      : 20 + (m + i) % 12);
        BattleMap& map = world.Map(8, 12);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 8; ++x) {
                MapCell& c = *map.CellAt(x, y);
                c.groundTile = uint16_t((x + y) % 4);
                c.layerTile = (x == 2 || x == 5) && y % 3 == 1 ? 10800 : MapCell::kNoTile;
                c.ownerMark = uint8_t(x < 4 ? 102 : 203);
                c.sightCount = y < 2 ? 0 : x == 7 || y == 11 ? 1 : 2;
            }
        view = new MapView;
        TheGameController->gameScreen = view;
        view->SetView(0, 0, 8, 12);
        view->SetViewOrigin(0, 0);
        view->Redraw();
        view->DrawTerrain();
    }
    void TearDown() override {
        TheGameController->gameScreen = nullptr;
        delete view;
        for (int r = 1; r <= 3; ++r)
            KingdomColourTable[size_t(r)] = {};
        TheResourceStore = nullptr;
        store.reset();
    }
    uint64_t Checksum() const {
        platform::Surface* back = GetBackSurface();
        uint64_t h = 1469598103934665603ull;
        for (int y = 0; y < 560; ++y)
            for (int x = 0; x < 800; ++x)
                h = (h ^ back->PixelAt(x, y)) * 1099511628211ull;
        return h;
    }
    // Writes the shown frame as a 24-bit BMP when KARDOL_TEST_PICTURE names a file.
    void Dump() const {
        const char* name = std::getenv("KARDOL_TEST_PICTURE");
        if (!name) return;
        platform::Surface* back = GetBackSurface();
        FILE* f = std::fopen(name, "wb");
        if (!f) return;
        const int w = 400, h = 140, rowBytes = w * 3;
        const uint32_t size = 54 + uint32_t(rowBytes * h);
        uint8_t header[54] = {'B', 'M'};
        auto put = [&](int at, uint32_t v) {
            for (int i = 0; i < 4; ++i)
                header[at + i] = uint8_t(v >> (8 * i));
        };
        put(2, size);
        put(10, 54);
        put(14, 40);
        put(18, w);
        put(22, h);
        header[26] = 1;
        header[28] = 24;
        std::fwrite(header, 1, 54, f);
        for (int y = h - 1; y >= 0; --y)
            for (int x = 0; x < w; ++x) {
                const uint32_t c = PixelToColour(back->PixelAt(x, y));
                const uint8_t bgr[3] = {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)};
                std::fwrite(bgr, 1, 3, f);
            }
        std::fclose(f);
    }

    TestDisplay display{GetParam()};
    testsupport::TempFolder folder;
    World world;
    std::unique_ptr<ResourceStore> store;
    MapView* view = nullptr;
};

TEST_P(SmallMapRender, GivesAStableFrame) {
    Dump();
    platform::Surface* back = GetBackSurface();
    // Rows 0 and 1 are never seen: black.
    EXPECT_EQ(back->PixelAt(40, 2), 0);
    // A cell in sight among cells in sight keeps its ground; an explored one is darkened.
    const MapCell& open = *TheBattleMap->CellAt(3, 6);
    ASSERT_EQ(open.sightCount, 2);
    EXPECT_EQ(back->PixelAt(3 * 40 + 20 - 20, 6 * 10 - 10 + 10),
              store->groundCells[open.groundTile][200 + 19]);
    const uint64_t expected = GetParam() == 565 ? 8496917109647086377ull : 17621733584000941513ull;
    EXPECT_EQ(Checksum(), expected) << std::hex << Checksum();
}

TEST_P(SmallMapRender, TheRefreshRedrawsMarkedCellsAndClearsEveryMark) {
    BattleMap& map = *TheBattleMap;
    const uint64_t before = Checksum();
    // A cell gives up its sight: marks 1..3 redraw, 4 and above are only cleared, never-seen
    // cells keep their mark for later.
    map.CellAt(3, 6)->sightCount = 1;
    map.CellAt(3, 6)->seen = 4;
    map.CellAt(4, 0)->seen = 2;
    view->DrawTerrain();
    EXPECT_EQ(map.CellAt(3, 6)->seen, 0);
    EXPECT_EQ(map.CellAt(4, 0)->seen, 2);
    EXPECT_EQ(Checksum(), before);
    map.CellAt(3, 6)->seen = 3;
    view->DrawTerrain();
    EXPECT_EQ(map.CellAt(3, 6)->seen, 0);
    EXPECT_NE(Checksum(), before);
    // Giving it back its sight and redrawing it restores the frame.
    map.CellAt(3, 6)->sightCount = 2;
    map.CellAt(3, 6)->seen = 1;
    view->DrawTerrain();
    EXPECT_EQ(Checksum(), before);
}

INSTANTIATE_TEST_SUITE_P(Layouts, SmallMapRender, ::testing::Values(565, 555));

TEST(TerrainFog, MinimapFitKeepsTheMapsProportions) {
    struct Case {
        int w, h;
        int left, top, right, bottom, blockX, blockY;
    } cases[] = {
        {40, 360, 53, 0, 106, 120, 26, 20}, // tall: 40 x 360 rows is 1600 x 3600 pixels
        {100, 120, 0, 36, 160, 84, 32, 24}, // wide
        {10, 30, 0, 0, 160, 120, 160, 120}, // below one block: counted as one
        {0, 0, 0, 0, 160, 120, 160, 120},   // no map keeps the whole minimap
    };
    for (const Case& c : cases) {
        World w;
        MapView view;
        view.mapWidth = c.w;
        view.mapHeight = c.h;
        view.FitMinimap();
        EXPECT_EQ(view.minimapLeft, c.left) << c.w << "x" << c.h;
        EXPECT_EQ(view.minimapTop, c.top) << c.w << "x" << c.h;
        EXPECT_EQ(view.minimapRight, c.right) << c.w << "x" << c.h;
        EXPECT_EQ(view.minimapBottom, c.bottom) << c.w << "x" << c.h;
        EXPECT_EQ(view.minimapBlockX, c.blockX) << c.w << "x" << c.h;
        EXPECT_EQ(view.minimapBlockY, c.blockY) << c.w << "x" << c.h;
        EXPECT_EQ(TheBattleMap->validBounds.right, c.w);
        EXPECT_EQ(TheBattleMap->validBounds.bottom, c.h);
        EXPECT_EQ(TheBattleMap->occupancyView.bottom, c.h / 2);
    }
}

} // namespace
