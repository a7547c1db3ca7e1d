#include "WorldFixture.h"

#include "world/DiamondWalk.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

using namespace worldtest;

namespace {

using Cells = std::set<std::pair<int, int>>;

// The cells whose zone byte an op-2 mark of the diamond set.
Cells Marked(BattleMap& map, int x, int y, int size) {
    for (int i = 0; i < map.cellCount; ++i)
        map.cells[i].zoneByte = 0;
    map.MarkArea(x, y, size, 2, 7);
    Cells out;
    for (int cy = 0; cy < map.rows; ++cy)
        for (int cx = 0; cx < map.width; ++cx)
            if (map.CellAt(cx, cy)->zoneByte == 7) out.insert({cx, cy});
    return out;
}

TEST(BattleMapTest, GetCellGivesTheBorderCellOutsideTheValidBoundsAndBlocksTheEdges) {
    World w;
    BattleMap& map = w.Map(8, 10);
    struct Case {
        int x, y;
        bool border;
        int obstacle; // read and then stored
    } cases[] = {
        {0, 5, true, 10},  {5, 0, true, 10},  {8, 5, true, 10}, {5, 10, true, 10},
        {-1, 5, true, 10}, {5, -3, true, 10}, {5, 1, false, 1}, {5, 2, false, 1},
        {7, 5, false, 1},  {5, 3, false, 0},  {6, 9, false, 0},
    };
    for (const Case& c : cases) {
        const MapCell* cell = map.GetCell(c.x, c.y);
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(cell == &kBorderCell, c.border);
        EXPECT_EQ(cell->obstacle, c.obstacle);
        if (!c.border) {
            EXPECT_EQ(map.CellAt(c.x, c.y)->obstacle, c.obstacle);
        }
    }
    EXPECT_EQ(kBorderCell.seen, 1);
    // Narrower valid bounds cut the map further.
    map.validBounds = {2, 2, 6, 8};
    EXPECT_EQ(map.GetCell(2, 5), &kBorderCell);
    EXPECT_EQ(map.GetCell(3, 5), map.CellAt(3, 5));
    map.FreeCells();
    EXPECT_EQ(map.GetCell(3, 5), &kBorderCell);
}

TEST(BattleMapTest, PassThroughReadsFreeButNeverStoresIt) {
    World w;
    BattleMap& map = w.Map(8, 10);
    map.CellAt(4, 6)->obstacle = 3;
    map.CellAt(4, 6)->groundTile = 77;
    TheGameController->passThrough = 1;
    const MapCell* seen = map.GetCell(4, 6);
    EXPECT_EQ(seen->obstacle, 0);
    EXPECT_EQ(seen->groundTile, 77);
    EXPECT_EQ(map.GetCell(4, 2)->obstacle, 1); // the edge rules still win
    EXPECT_EQ(map.GetCell(7, 6)->obstacle, 1);
    TheGameController->passThrough = 0;
    EXPECT_EQ(map.CellAt(4, 6)->obstacle, 3);
    EXPECT_EQ(map.GetCell(4, 6)->obstacle, 3);
}

TEST(BattleMapTest, DiamondWalkCoversStaggeredRowsAndClipsAtTheEdges) {
    struct Case {
        int x, y, size;
        Cells cells;
    } cases[] = {
        {4, 4, 1, {{4, 4}}},
        // Even top row: rows of 1, 2, 3, 2, 1 starting at x, x-1, x-1, x-1, x.
        {4, 4, 3, {{4, 4}, {3, 5}, {4, 5}, {3, 6}, {4, 6}, {5, 6}, {3, 7}, {4, 7}, {4, 8}}},
        // Odd top row: the start stays, and the rows still centre under the top cell.
        {4, 5, 2, {{4, 5}, {4, 6}, {5, 6}, {4, 7}}},
        // At the left edge the positions outside are skipped.
        {0, 4, 2, {{0, 4}, {0, 5}, {0, 6}}},
        // At the bottom edge only the rows on the map.
        {4, 10, 3, {{4, 10}, {3, 11}, {4, 11}}},
    };
    for (const Case& c : cases) {
        World w;
        BattleMap& map = w.Map(10, 12);
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " size " << c.size);
        EXPECT_EQ(Marked(map, c.x, c.y, c.size), c.cells);
    }
    // Positions count over the whole walk, also off the map.
    int positions = 0;
    WalkDiamond(-5, -5, 4, [&](int, int, int p, int, int, int) { EXPECT_EQ(p, positions++); });
    EXPECT_EQ(positions, 16);
}

TEST(BattleMapTest, MarkAreaOperationsWriteTheirField) {
    World w;
    BattleMap& map = w.Map(8, 10);
    struct Case {
        int op;
        uint16_t value;
        uint8_t MapCell::*field;
        int expected;
    } bytes[] = {
        {0, 0x1FF, &MapCell::obstacle, 0xFF}, {2, 9, &MapCell::zoneByte, 9},
        {4, 104, &MapCell::ownerMark, 104},   {5, 33, &MapCell::cityId, 33},
        {6, 5, &MapCell::fogMark, 5},
    };
    for (const Case& c : bytes) {
        map.MarkArea(3, 4, 1, c.op, c.value);
        EXPECT_EQ(map.CellAt(3, 4)->*c.field, c.expected) << "op " << c.op;
    }
    map.MarkArea(3, 4, 1, 8, 0x1234);
    EXPECT_EQ(map.CellAt(3, 4)->overlayTile, 0x1234);
    const auto before = CellBytes(*map.CellAt(3, 4));
    map.MarkArea(3, 4, 1, 3, 0x55);
    map.MarkArea(3, 4, 1, 99, 0x55);
    EXPECT_EQ(CellBytes(*map.CellAt(3, 4)), before);
    map.CellAt(3, 4)->layerTile = 5;
    map.MarkArea(3, 4, 1, 100, 0);
    const MapCell& c = *map.CellAt(3, 4);
    EXPECT_EQ(c.obstacle, 0);
    EXPECT_EQ(c.ownerMark, 0);
    EXPECT_EQ(c.cityId, 0);
    EXPECT_EQ(c.overlayTile, MapCell::kNoTile);
    EXPECT_EQ(c.layerTile, MapCell::kNoTile);
    EXPECT_EQ(c.zoneByte, 9); // not part of the clear
}

TEST(BattleMapTest, SightMarksCountSaturateAndNotifyTheMinimap) {
    using Notice = std::tuple<int, int, int>;
    struct Step {
        int op;
        uint16_t value;
        int count;
        int seen;
        std::vector<Notice> notices;
    };
    struct Case {
        const char* name;
        int start;
        std::vector<Step> steps;
    } cases[] = {
        {"add then remove twice",
         0,
         {{7, 2, 2, 0, {{3, 4, 1}}}, {9, 0, 1, 1, {{3, 4, 2}}}, {9, 0, 1, 1, {}}}},
        {"add on a lit cell", 3, {{7, 2, 4, 0, {}}}},
        {"add below 2 takes the value", 1, {{7, 5, 5, 0, {}}}},
        {"double mark", 0, {{10, 0, 2, 1, {{3, 4, 1}}}, {10, 0, 3, 1, {}}}},
        {"remove double to hidden", 3, {{11, 0, 1, 1, {{3, 4, 2}}}}},
        {"remove double to unseen", 2, {{11, 0, 0, 1, {{3, 4, 0}}}}},
        // A count below 2 is held at 0 instead of wrapping round to 255.
        {"remove double held at 0", 1, {{11, 0, 0, 1, {{3, 4, 0}}}}},
        {"reveal", 0, {{12, 0, 2, 0, {{3, 4, 1}}}, {12, 0, 4, 0, {}}}},
        {"reveal held at 255", 254, {{12, 0, 255, 0, {}}, {10, 0, 255, 1, {}}, {7, 0, 255, 1, {}}}},
    };
    for (const Case& c : cases) {
        World w;
        BattleMap& map = w.Map(8, 10);
        RecordingView& view = w.View();
        map.CellAt(3, 4)->sightCount = uint8_t(c.start);
        for (const Step& s : c.steps) {
            view.notices.clear();
            map.MarkArea(3, 4, 1, s.op, s.value);
            SCOPED_TRACE(testing::Message() << c.name << " op " << s.op);
            EXPECT_EQ(map.CellAt(3, 4)->sightCount, s.count);
            EXPECT_EQ(map.CellAt(3, 4)->seen, s.seen);
            EXPECT_EQ(view.notices, s.notices);
        }
    }
}

TEST(BattleMapTest, SightMarksWithoutAMapViewNotifyNoOne) {
    World w;
    BattleMap& map = w.Map(8, 10);
    map.MarkArea(3, 4, 2, 7, 2);
    EXPECT_EQ(map.CellAt(3, 4)->sightCount, 2);
    EXPECT_EQ(map.CellAt(3, 5)->sightCount, 2);
}

TEST(BattleMapTest, LayerTestAndFootprintClear) {
    World w;
    BattleMap& map = w.Map(10, 12);
    EXPECT_TRUE(map.IsAreaClearOfLayer(4, 4, 3, 1));
    map.CellAt(5, 6)->layerTile = 12;
    EXPECT_FALSE(map.IsAreaClearOfLayer(4, 4, 3, 1));
    EXPECT_TRUE(map.IsAreaClearOfLayer(4, 4, 3, 0));
    EXPECT_TRUE(map.IsAreaClearOfLayer(4, 4, 2, 1)); // (5, 6) lies outside the size-2 diamond

    for (int i = 0; i < map.cellCount; ++i) {
        map.cells[i].obstacle = 1;
        map.cells[i].overlayTile = 50;
    }
    map.ClearFootprint(2, 4, 4, 3);
    // Rows from the middle down lose the overlay on their first and last cell.
    const Cells outline = {{3, 6}, {5, 6}, {3, 7}, {4, 7}, {4, 8}};
    for (const auto& [x, y] : Marked(map, 4, 4, 3)) {
        SCOPED_TRACE(testing::Message() << x << "," << y);
        EXPECT_EQ(map.CellAt(x, y)->obstacle, 0);
        EXPECT_EQ(map.CellAt(x, y)->overlayTile, outline.count({x, y}) ? MapCell::kNoTile : 50);
    }
    map.ClearFootprint(0, 4, 4, 3);
    EXPECT_EQ(map.CellAt(4, 6)->overlayTile, 50);
}

TEST(BattleMapTest, AllocGridSizesTheUnitGrid) {
    World w;
    BattleMap& map = *TheBattleMap;
    map.AllocGrid();
    EXPECT_EQ(map.width, 70);
    EXPECT_EQ(map.rows, 224);
    EXPECT_EQ(map.unitGridRows, 224);
    w.Map(12, 21);
    EXPECT_EQ(map.unitGridWidth, 12);
    EXPECT_EQ(map.unitGridRows, 10);
    EXPECT_EQ(map.unitGridCount, 120);
    EXPECT_EQ(TheScreenSettings->mapGrid, 120);
    EXPECT_EQ(map.occupancyView.right, 12);
    EXPECT_EQ(map.occupancyView.bottom, 10);
    ASSERT_NE(map.missiles, nullptr);
    ASSERT_NE(map.dyingTroops, nullptr);
    ASSERT_NE(map.mapItems, nullptr);
}

TEST(BattleMapTest, OccupancyChainsKeepArrivalOrderAndOneSharedCursor) {
    World w;
    BattleMap& map = w.Map(6, 12);
    map.AddObjectAt(2, 3, 11);
    map.AddObjectAt(2, 3, 22);
    map.AddObjectAt(2, 3, 11); // already there
    map.AddObjectAt(2, 3, 33);
    map.AddObjectAt(6, 3, 44); // off the unit grid
    map.AddObjectAt(2, 6, 44);
    std::vector<uintptr_t> ids;
    for (uintptr_t id = map.FirstObjectAt(2, 3); id; id = map.NextObjectAt())
        ids.push_back(id);
    EXPECT_EQ(ids, (std::vector<uintptr_t>{11, 22, 33}));
    EXPECT_EQ(map.FirstObjectAt(2, 6), 0u); // rows 0..5 only
    EXPECT_EQ(map.FirstObjectAt(2, 4), 0u);

    // Removing the cursor's occupant ends the walk.
    EXPECT_EQ(map.FirstObjectAt(2, 3), 11u);
    EXPECT_EQ(map.NextObjectAt(), 22u);
    map.RemoveObjectAt(2, 3, 22);
    EXPECT_EQ(map.NextObjectAt(), 0u);
    // Removing another one keeps it.
    EXPECT_EQ(map.FirstObjectAt(2, 3), 11u);
    map.RemoveObjectAt(2, 3, 33);
    EXPECT_EQ(map.NextObjectAt(), 0u);
    EXPECT_EQ(map.FirstObjectAt(2, 3), 11u);

    // Outside the occupancy view nothing is found though the chain is there.
    map.occupancyView = {3, 0, 6, 6};
    EXPECT_EQ(map.FirstObjectAt(2, 3), 0u);
    EXPECT_EQ(map.NextObjectAt(), 0u);
    map.occupancyView = {0, 0, 6, 6};

    map.AddObjectAt(4, 1, 11);
    map.RemoveObjectEverywhere(11);
    EXPECT_EQ(map.FirstObjectAt(2, 3), 0u);
    EXPECT_EQ(map.FirstObjectAt(4, 1), 0u);
    map.FreeGrid();
    map.AddObjectAt(2, 3, 5); // no grid: nothing happens
    EXPECT_EQ(map.FirstObjectAt(2, 3), 0u);
}

TEST(BattleMapTest, FreeUnitCellsAndNeighbourSearch) {
    World w;
    BattleMap& map = w.Map(6, 12); // unit grid 6 x 6
    auto* object = reinterpret_cast<MapObject*>(uintptr_t(0x1000));
    map.CellAt(3, 4)->obstacle = 1;   // unit cell (3, 2)
    map.CellAt(4, 4)->obstacle = 255; // wall top: free
    map.CellAt(2, 6)->obstacle = 0x80;
    map.SetCellObject(1, 3, object);
    struct Case {
        int x, y;
        bool free;
    } cases[] = {{3, 2, false}, {4, 2, true},  {2, 3, true},  {1, 3, false}, {0, 2, false},
                 {2, 0, false}, {6, 2, false}, {2, 6, false}, {5, 5, true}};
    for (const Case& c : cases)
        EXPECT_EQ(map.IsUnitCellFree(c.x, c.y), c.free) << c.x << "," << c.y;

    // The neighbours are tried row by row from the upper left.
    map.CellAt(1, 2)->obstacle = 1; // (1, 1)
    EXPECT_TRUE(map.FindFreeNeighbour(2, 2));
    EXPECT_EQ(std::make_pair(map.lastNeighbourX, map.lastNeighbourY), std::make_pair(2, 1));
    map.CellAt(2, 2)->obstacle = 1;
    map.CellAt(3, 2)->obstacle = 1;
    map.CellAt(1, 4)->obstacle = 1;
    EXPECT_TRUE(map.FindFreeNeighbour(2, 2));
    // (1, 2) is blocked, (3, 2) too, (1, 3) holds an object; (2, 3) stands on 0x80, a wall top.
    EXPECT_EQ(std::make_pair(map.lastNeighbourX, map.lastNeighbourY), std::make_pair(2, 3));
    for (int i = 0; i < map.cellCount; ++i)
        map.cells[i].obstacle = 1;
    EXPECT_FALSE(map.FindFreeNeighbour(2, 2));
    EXPECT_EQ(std::make_pair(map.lastNeighbourX, map.lastNeighbourY), std::make_pair(3, 3));
}

TEST(BattleMapTest, CellObjectsStayOnTheUnitGrid) {
    World w;
    BattleMap& map = w.Map(6, 12);
    auto* object = reinterpret_cast<MapObject*>(uintptr_t(0x2000));
    map.SetCellObject(5, 5, object);
    EXPECT_EQ(map.GetCellObject(5, 5), object);
    // A cell off the grid (from a peer or a file) is dropped, not written past the table.
    for (auto [x, y] : {std::pair{6, 0}, {0, 6}, {-1, 2}, {2, -1}, {100000, 100000}}) {
        map.SetCellObject(x, y, object);
        EXPECT_EQ(map.GetCellObject(x, y), nullptr);
    }
    map.ClearCellObject(5, 5);
    EXPECT_EQ(map.GetCellObject(5, 5), nullptr);
}

} // namespace
