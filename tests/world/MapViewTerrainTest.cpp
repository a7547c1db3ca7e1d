#include "WorldFixture.h"

#include "engine/DisplayDevice.h"
#include "engine/DrawingFixture.h"
#include "engine/PixelFormat.h"
#include "engine/ResourceStore.h"
#include "platform/Surface.h"
#include "support/TempFolder.h"
#include "world/FootprintPattern.h"
#include "world/TileGeometry.h"
#include "world/TileRenderer.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace worldtest;

namespace {

constexpr int kGroundTiles = 16;
constexpr int kLayerTiles = 4;
constexpr int kW = 40;
constexpr int kR = 150;

// Ground tile g: every packed pixel distinct and never 0, even darkened by half (a patched pixel
// of 0 is see-through); layer tiles are see-through in half their pixels.
uint16_t GroundPixel(int g, int i) {
    return uint16_t(0x0841 + g * 977 + i * 13) | 3;
}
uint16_t LayerPixel(int l, int i) {
    return (i / 7 + l) % 2 ? 0 : uint16_t(0xF000 + l * 31 + i);
}

// A direct render of the view of origin (x0, y0): every cell whose box meets the 800 x 560 view
// drawn whole at its box with its fog, black when off the map or never seen.
std::vector<uint16_t> Reference(const BattleMap& map, int x0, int y0) {
    std::vector<uint16_t> view(800 * 560, 0);
    uint16_t tile[40 * 20];
    for (int y = y0 - 1; y <= y0 + 57; ++y)
        for (int x = x0 - 1; x <= x0 + 21; ++x) {
            const MapCell* cell = map.CellAt(x, y);
            const bool black = !cell || cell->sightCount == 0;
            if (!black) ComposeShadedTile(map, x, y, *cell, tile);
            const int left = (x - x0) * 40 - 20 + 20 * (y & 1);
            const int top = (y - y0) * 10 - 10;
            for (int r = 0; r < 20; ++r) {
                const TileRow& row = kDiamondRows.row[r];
                for (int i = 0; i < row.count; ++i) {
                    const int vx = left + row.start + i, vy = top + r;
                    if (vx < 0 || vy < 0 || vx >= 800 || vy >= 560) continue;
                    view[vy * 800 + vx] = black ? 0 : tile[r * 40 + row.start + i];
                }
            }
        }
    return view;
}

std::vector<uint16_t> Shown() {
    platform::Surface* back = GetBackSurface();
    std::vector<uint16_t> view(800 * 560);
    for (int y = 0; y < 560; ++y)
        for (int x = 0; x < 800; ++x)
            view[y * 800 + x] = back->PixelAt(x, y);
    return view;
}

uint64_t Checksum(const std::vector<uint16_t>& v) {
    uint64_t h = 1469598103934665603ull;
    for (uint16_t p : v)
        h = (h ^ p) * 1099511628211ull;
    return h;
}

class TerrainTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        ASSERT_TRUE(display.ok);
        store = std::make_unique<ResourceStore>();
        TheResourceStore = store.get();
        store->groundCount = kGroundTiles;
        store->groundCells = new uint16_t*[kGroundTiles];
        for (int g = 0; g < kGroundTiles; ++g) {
            store->groundCells[g] = new uint16_t[400];
            for (int i = 0; i < 400; ++i)
                store->groundCells[g][i] = GroundPixel(g, i);
        }
        store->layerCount = kLayerTiles;
        store->layerCells = new uint16_t*[kLayerTiles];
        for (int l = 0; l < kLayerTiles; ++l) {
            store->layerCells[l] = new uint16_t[400];
            for (int i = 0; i < 400; ++i)
                store->layerCells[l][i] = LayerPixel(l, i);
        }
        // Fog masks that darken by up to a half, by a different amount in every mask and pixel.
        for (int m = 0; m < kMythRecords; ++m)
            for (int i = 0; i < kMythRecordSize; ++i)
                MythMasks[m * kMythRecordSize + i] = uint8_t(16 + (m * 7 + i) % 17);
        BattleMap& map = world.Map(kW, kR);
        for (int y = 0; y < kR; ++y)
            for (int x = 0; x < kW; ++x) {
                MapCell& c = *map.CellAt(x, y);
                c.groundTile = uint16_t((x * 7 + y * 3) % kGroundTiles);
                c.layerTile = (x + y) % 5 == 0 ? uint16_t((x + y) % kLayerTiles) : MapCell::kNoTile;
                c.sightCount = (x * 11 + y * 5) % 13 == 0 ? 0 : (x * 3 + y) % 17 == 0 ? 1 : 2;
                c.seen = 0;
            }
        view = new MapView;
        TheGameController->gameScreen = view;
        view->SetView(0, 0, kW, kR);
    }
    void TearDown() override {
        TheGameController->gameScreen = nullptr;
        delete view;
        TheResourceStore = nullptr;
        store.reset();
    }
    // Draws a frame and compares the view with the direct render at the view's origin.
    void ExpectShowsReference(const char* where) {
        view->DrawTerrain();
        SCOPED_TRACE(testing::Message() << where << " origin " << view->viewX << "," << view->viewY);
        EXPECT_EQ(Checksum(Shown()), Checksum(Reference(*TheBattleMap, view->viewX, view->viewY)));
    }

    TestDisplay display{GetParam()};
    testsupport::TempFolder folder;
    World world;
    std::unique_ptr<ResourceStore> store;
    MapView* view = nullptr;
};

TEST_P(TerrainTest, AFullRedrawShowsTheMapAsDrawnDirectly) {
    view->SetViewOrigin(3, 4);
    view->Redraw();
    ExpectShowsReference("redraw");
    EXPECT_EQ(TheGameController->viewLeft, 3);
    EXPECT_EQ(TheGameController->viewTop, 4);
    EXPECT_EQ(TheGameController->viewRight, 23);
    EXPECT_EQ(TheGameController->viewBottom, 60);
    // Never-seen cells are black diamonds; a seen neighbour keeps its pixels.
    const auto shown = Shown();
    int black = 0;
    for (uint16_t p : shown)
        black += p == 0;
    EXPECT_GT(black, 0);
    EXPECT_LT(black, 800 * 560 / 4);
}

TEST_P(TerrainTest, ScrollStepsKeepTheRingInStepWithTheMap) {
    view->SetViewOrigin(10, 20);
    view->Redraw();
    const uint64_t start = Checksum((view->DrawTerrain(), Shown()));
    for (int i = 0; i < 28; ++i)
        view->ScrollDown();
    EXPECT_EQ(view->viewY, 76);
    EXPECT_EQ(view->ring.ringRow, 0);
    ExpectShowsReference("28 down");
    for (int i = 0; i < 28; ++i)
        view->ScrollUp();
    EXPECT_EQ(view->viewY, 20);
    EXPECT_EQ(Checksum((view->DrawTerrain(), Shown())), start);

    MapView& v = *view;
    const std::pair<const char*, std::function<void()>> steps[] = {
        {"down", [&] { v.ScrollDown(); }},
        {"right", [&] { v.ScrollRight(); }},
        {"down-right", [&] { v.ScrollDownRight(); }},
        {"up", [&] { v.ScrollUp(); }},
        {"left", [&] { v.ScrollLeft(); }},
        {"up-left", [&] { v.ScrollUpLeft(); }},
        {"down-left", [&] { v.ScrollDownLeft(); }},
        {"up-right", [&] { v.ScrollUpRight(); }},
    };
    for (int round = 0; round < 3; ++round)
        for (const auto& [name, step] : steps) {
            for (int i = 0; i < 1 + round * 3; ++i)
                step();
            ExpectShowsReference(name);
        }
}

TEST_P(TerrainTest, ScrollingStopsAtItsBounds) {
    // Right stops at max x - 21; the columns up to max x stay drawable (black beyond the map).
    view->SetViewOrigin(kW - 22, kR - 58);
    view->Redraw();
    view->ScrollRight();
    EXPECT_EQ(view->viewX, kW - 21);
    view->ScrollRight();
    EXPECT_EQ(view->viewX, kW - 21);
    view->ScrollDown();
    EXPECT_EQ(view->viewY, kR - 56);
    view->ScrollDown();
    EXPECT_EQ(view->viewY, kR - 56);
    ExpectShowsReference("bottom right");
    view->SetViewOrigin(0, 0);
    view->Redraw();
    view->ScrollLeft();
    view->ScrollUp();
    view->ScrollUpLeft();
    EXPECT_EQ(view->viewX, 0);
    EXPECT_EQ(view->viewY, 0);
    ExpectShowsReference("top left");
    // An origin left of the bound (from a file) does not scroll on for ever.
    view->SetView(5, 0, kW, kR);
    view->SetViewOrigin(2, 0);
    view->ScrollLeft();
    EXPECT_EQ(view->viewX, 2);
}

TEST_P(TerrainTest, QueuedTilesArePatchedInTheViewAndDroppedOutside) {
    view->SetViewOrigin(4, 10);
    view->Redraw();
    view->DrawTerrain();
    // A stamp rewrites cells in view and one far outside it.
    const auto p = std::make_unique<FootprintPattern>();
    p->width = 2;
    p->cellTiles = {3, 2, 1, 3};
    TheBattleMap->StampPattern(8, 20, p.get());
    TheBattleMap->StampPattern(30, 140, p.get());
    EXPECT_EQ(TheGameController->tileRedraws.size(), 4u); // the far one is outside the view
    TheGameController->tileRedraws.push_back({30, 140, 1, 2, 0});
    ExpectShowsReference("patched");
    EXPECT_TRUE(TheGameController->tileRedraws.empty());
    // The far cells are never drawn later: a redraw there shows the stored tiles all the same.
    view->SetViewOrigin(20, 90);
    view->DrawTerrain();
    const auto stale = Shown();
    view->Redraw();
    view->DrawTerrain();
    EXPECT_NE(Checksum(stale), Checksum(Shown()));
    ExpectShowsReference("after");
}

TEST_P(TerrainTest, APatchInTheLastRowTouchesOnlyTheBottomLines) {
    view->SetViewOrigin(4, 10);
    view->Redraw();
    view->DrawTerrain();
    const auto before = Shown();
    MapCell& c = *TheBattleMap->CellAt(10, 66); // even row y0 + 56
    ASSERT_EQ(c.sightCount, 2);
    c.groundTile = uint16_t((c.groundTile + 1) % kGroundTiles);
    TheGameController->tileRedraws.push_back({10, 66, c.groundTile, c.layerTile, 0});
    view->DrawTerrain();
    const auto after = Shown();
    int changed = 0;
    for (int y = 0; y < 560; ++y)
        for (int x = 0; x < 800; ++x)
            if (before[y * 800 + x] != after[y * 800 + x]) {
                ++changed;
                EXPECT_GE(y, 550);
                EXPECT_GE(x, 220);
                EXPECT_LT(x, 260);
            }
    EXPECT_GT(changed, 0);
    ExpectShowsReference("last row");
}

TEST_P(TerrainTest, CellsWhoseSightChangedAreRedrawnOnce) {
    view->SetViewOrigin(4, 10);
    view->Redraw();
    // Sight given to a dark cell: the map marks it for the refresh.
    MapCell& c = *TheBattleMap->CellAt(4, 25);
    ASSERT_EQ(c.sightCount, 0);
    TheBattleMap->MarkArea(4, 25, 1, 10, 0);
    EXPECT_EQ(c.seen, 1);
    // Its neighbours' fog depends on it (row 25 is odd): the sight code marks them too.
    for (const auto& [dx, dy] : {std::pair{0, -2}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {0, 1}, {1, 1}, {0, 2}})
        TheBattleMap->CellAt(4 + dx, 25 + dy)->seen = 2;
    TheGameController->fogRefreshOff = 1;
    view->DrawTerrain();
    EXPECT_EQ(c.seen, 1);
    TheGameController->fogRefreshOff = 0;
    ExpectShowsReference("refreshed");
    EXPECT_EQ(c.seen, 0);
}

TEST_P(TerrainTest, ANarrowMapShowsBlackPastItsEdge) {
    BattleMap& map = *TheBattleMap;
    auto cells = std::make_unique<MapCell[]>(8 * 70);
    for (int i = 0; i < 8 * 70; ++i)
        cells[i] = {
            uint16_t(i % kGroundTiles), MapCell::kNoTile, MapCell::kNoTile, 0, 0, 0, 0, 0, 0, 0, 2, 0};
    map.SetCells(std::move(cells), 8, 70);
    view->SetView(0, 0, 8, 70);
    view->SetViewOrigin(0, 0);
    view->Redraw();
    ExpectShowsReference("narrow");
    EXPECT_EQ(GetBackSurface()->PixelAt(700, 300), 0);
}

TEST_P(TerrainTest, ABusyRingSurfaceCostsAFrameNotTheProgram) {
    view->SetViewOrigin(4, 10);
    view->Redraw();
    view->DrawTerrain();
    const auto before = Shown();
    TheGameController->tileRedraws.push_back({8, 20, 1, 2, 0});
    store->wideWorkSurface->SimulateBusy(1000);
    view->DrawTerrain(); // gives up after a bounded number of tries
    EXPECT_TRUE(TheGameController->tileRedraws.empty());
    store->wideWorkSurface->SimulateBusy(0);
    view->DrawTerrain();
    EXPECT_EQ(Shown(), before);
}

INSTANTIATE_TEST_SUITE_P(Layouts, TerrainTest, ::testing::Values(565, 555));

TEST(MapViewTest, GetCellUsesTheViewBoundsStrictly) {
    World w;
    BattleMap& map = w.Map(12, 20);
    MapView view;
    view.SetView(2, 2, 10, 18);
    struct Case {
        int x, y;
        bool border;
        int obstacle;
    } cases[] = {{2, 5, true, 10}, {10, 5, true, 10}, {5, 2, true, 10}, {5, 18, true, 10},
                 {3, 5, false, 0}, {9, 17, false, 0}, {5, 3, false, 0}};
    for (const Case& c : cases) {
        const MapCell* cell = view.GetCell(c.x, c.y);
        EXPECT_EQ(cell == &kBorderCell, c.border) << c.x << "," << c.y;
        EXPECT_EQ(cell->obstacle, c.obstacle) << c.x << "," << c.y;
    }
    view.SetView(0, 0, 12, 20);
    EXPECT_EQ(view.GetCell(10, 5)->obstacle, 0);
    EXPECT_EQ(view.GetCell(11, 5)->obstacle, 1); // the last column reads as an obstacle
    EXPECT_EQ(view.GetCell(5, 2)->obstacle, 1);  // rows 0..2 read as obstacles
    EXPECT_EQ(map.CellAt(5, 2)->obstacle, 1);
}

TEST(MapViewTest, SetViewKeepsItsBoundsOnTheMap) {
    World w;
    BattleMap& map = w.Map(12, 20);
    MapView view;
    view.SetViewOrigin(3, 7);
    EXPECT_EQ(view.viewY, 6); // rows stay even
    view.SetView(-5, 4, 400, 9000);
    EXPECT_EQ(view.scrollMinX, 0);
    EXPECT_EQ(view.scrollMaxX, 12);
    EXPECT_EQ(view.scrollMaxY, 20);
    EXPECT_EQ(map.validBounds.left, 0);
    EXPECT_EQ(map.validBounds.top, 4);
    EXPECT_EQ(map.validBounds.right, 12);
    EXPECT_EQ(map.validBounds.bottom, 20);
    EXPECT_EQ(map.occupancyView.top, 2);
    EXPECT_EQ(map.occupancyView.bottom, 10);
    EXPECT_EQ(map.objectView.left, 3);
    EXPECT_EQ(map.objectView.top, 3);
    EXPECT_EQ(map.objectView.right, 23);
    EXPECT_EQ(map.objectView.bottom, 31);
    // An occupant past the old bounds can no longer be reached through the chains' table.
    map.AddObjectAt(11, 9, 5);
    EXPECT_EQ(map.FirstObjectAt(11, 9), 5u);
}

TEST(MapViewTest, PixelToCellPicksTheDiamondUnderThePoint) {
    World w;
    w.Map(40, 100);
    MapView view;
    view.SetViewOrigin(2, 4);
    struct Case {
        int px, py;
        int x, y; // the cell, origin included
    } cases[] = {
        {20, 10, 2, 5}, // centre of an odd-row diamond
        {2, 1, 2, 4},   // top-left corner: the even row above, whose diamond reaches left
        {2, 19, 2, 6},  // bottom-left corner: the even row below
        {38, 1, 3, 4},  // top-right corner: up-right
        {38, 19, 3, 6}, // bottom-right corner
        {0, 5, 2, 4},   // first pixel column of an even square: up-left
        {0, 15, 2, 6},  // down-left
        {0, 10, 2, 5},  // on the middle line it stays in the centre diamond
        {20, 0, 2, 5},  // odd square, first column, above the middle: centre
        {60, 30, 3, 7},
    };
    for (const Case& c : cases) {
        int x = -1, y = -1;
        view.PixelToCell(c.px, c.py, 20, x, y);
        EXPECT_EQ(std::make_pair(x, y), std::make_pair(c.x, c.y)) << c.px << "," << c.py;
    }
}

} // namespace
