#include "WorldFixture.h"

#include "world/FootprintPattern.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

using namespace worldtest;

namespace {

using Cell = std::pair<int, int>;

std::unique_ptr<FootprintPattern> Pattern(int w, std::vector<uint16_t> tiles, std::vector<uint16_t> outline,
                                          std::vector<uint8_t> mask = {}) {
    auto p = std::make_unique<FootprintPattern>();
    p->width = uint16_t(w);
    p->height = uint16_t(w);
    p->cellTiles = std::move(tiles);
    p->outline = std::move(outline);
    p->mask = std::move(mask);
    return p;
}

class PatternStampsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Footprints().Clear();
        map = &world.Map(6, 8);
        for (int i = 0; i < map->cellCount; ++i) {
            map->cells[i].overlayTile = 500;
            map->cells[i].layerTile = 600;
            map->cells[i].obstacle = 9;
        }
        // The view covers the whole map unless a test narrows it.
        TheGameController->viewLeft = 0;
        TheGameController->viewTop = 0;
        TheGameController->viewRight = 20;
        TheGameController->viewBottom = 56;
    }
    void TearDown() override { Footprints().Clear(); }
    std::map<Cell, std::pair<int, int>> Changed() const {
        std::map<Cell, std::pair<int, int>> out; // cell -> (layer, overlay)
        for (int y = 0; y < map->rows; ++y)
            for (int x = 0; x < map->width; ++x) {
                const MapCell& c = *map->CellAt(x, y);
                if (c.layerTile != 600 || c.overlayTile != 500) out[{x, y}] = {c.layerTile, c.overlayTile};
            }
        return out;
    }
    World world;
    BattleMap* map = nullptr;
};

TEST_F(PatternStampsTest, BuildingPatternsBuildOnOddNumbersAndClearOnEven) {
    const uint16_t none = MapCell::kNoTile;
    Footprints().building[3] = Pattern(2, {1, 2, 3, 4}, {11, 12, 13});
    Footprints().building[4] = Pattern(2, {1, 2, 3, 4}, {21, 22, 23});
    struct Case {
        int n, x, y;
        std::map<Cell, std::pair<int, int>> cells;
    } cases[] = {
        // Built at an even row: the top cell and both middle cells carry the upper outline.
        {3, 2, 2, {{{2, 2}, {1, 11}}, {{1, 3}, {2, 12}}, {{2, 3}, {3, 13}}, {{2, 4}, {4, none}}}},
        // At an odd row the middle row starts under the top cell.
        {3, 2, 3, {{{2, 3}, {1, 11}}, {{2, 4}, {2, 12}}, {{3, 4}, {3, 13}}, {{2, 5}, {4, none}}}},
        // Cleared: the middle row and the bottom cell take the lower outline.
        {4, 2, 2, {{{2, 2}, {none, none}}, {{1, 3}, {none, 21}}, {{2, 3}, {none, 22}}, {{2, 4}, {none, 23}}}},
        // At the left edge the tile of the position off the map is used up, the outline is not.
        {3, 0, 2, {{{0, 2}, {1, 11}}, {{0, 3}, {3, 12}}, {{0, 4}, {4, none}}}},
        // A number outside the table, or without a pattern, stamps nothing.
        {87, 2, 2, {}},
        {-1, 2, 2, {}},
        {5, 2, 2, {}},
    };
    for (const Case& c : cases) {
        SetUp();
        Footprints().building[3] = Pattern(2, {1, 2, 3, 4}, {11, 12, 13});
        Footprints().building[4] = Pattern(2, {1, 2, 3, 4}, {21, 22, 23});
        SCOPED_TRACE(testing::Message() << "pattern " << c.n << " at " << c.x << "," << c.y);
        map->StampBuildingPattern(c.x, c.y, c.n);
        EXPECT_EQ(Changed(), c.cells);
        EXPECT_EQ(TheGameController->tileRedraws.size(), c.cells.size());
        TheGameController->tileRedraws.clear();
    }
}

TEST_F(PatternStampsTest, OnlyCellsInTheViewAreQueuedForRedraw) {
    Footprints().building[1] = Pattern(2, {1, 2, 3, 4}, {11, 12, 13});
    TheGameController->viewLeft = 2;
    TheGameController->viewTop = 3;
    TheGameController->viewRight = 2;
    TheGameController->viewBottom = 4;
    map->StampBuildingPattern(2, 2, 1);
    ASSERT_EQ(TheGameController->tileRedraws.size(), 2u);
    const TileRedraw& r = TheGameController->tileRedraws[0];
    EXPECT_EQ(r.x, 2);
    EXPECT_EQ(r.y, 3);
    EXPECT_EQ(r.groundTile, map->CellAt(2, 3)->groundTile);
    EXPECT_EQ(r.layerTile, 3);
    EXPECT_EQ(r.flag, 0);
    EXPECT_EQ(TheGameController->tileRedraws[1].y, 4);
    TheGameController->tileRedraws.clear();
}

TEST_F(PatternStampsTest, ShortArraysAreReadOnlyAsFarAsTheyGo) {
    // A table entry whose arrays are shorter than its diamond (h < w in the file).
    Footprints().building[1] = Pattern(3, {1, 2}, {11});
    map->StampBuildingPattern(2, 2, 1);
    EXPECT_EQ(map->CellAt(2, 2)->layerTile, 1);
    EXPECT_EQ(map->CellAt(2, 2)->overlayTile, 11);
    EXPECT_EQ(map->CellAt(2, 3)->layerTile, 600); // past the tiles: left as it was
    EXPECT_EQ(map->CellAt(2, 3)->overlayTile, MapCell::kNoTile);
    TheGameController->tileRedraws.clear();
}

TEST_F(PatternStampsTest, ConstructionPatterns) {
    Footprints().farm[0] = Pattern(1, {70}, {});
    Footprints().farm[1] = Pattern(1, {71}, {});
    Footprints().construction[2] = Pattern(2, {}, {31, 32, 33}, {0, 0, 0, 0});
    map->StampConstructionPattern(3, 2, 0);
    EXPECT_EQ(map->CellAt(3, 2)->layerTile, 70);
    EXPECT_EQ(map->CellAt(3, 2)->obstacle, 0);
    map->StampConstructionPattern(3, 2, -1);
    EXPECT_EQ(map->CellAt(3, 2)->layerTile, 71);

    // A site is stamped two rows lower, blocks every cell and draws its lower outline only.
    map->StampConstructionPattern(3, 2, 2);
    EXPECT_EQ(map->CellAt(3, 4)->obstacle, 1);
    EXPECT_EQ(map->CellAt(3, 4)->overlayTile, 500);
    EXPECT_EQ(map->CellAt(2, 5)->overlayTile, 31);
    EXPECT_EQ(map->CellAt(3, 5)->overlayTile, 32);
    EXPECT_EQ(map->CellAt(3, 6)->overlayTile, 33);
    EXPECT_EQ(map->CellAt(3, 6)->layerTile, 600);
    EXPECT_EQ(map->CellAt(3, 2)->obstacle, 0); // rows above untouched

    // Below -1: the size-4 diamond from two rows lower is freed and loses its lower outline.
    for (int i = 0; i < map->cellCount; ++i)
        map->cells[i].obstacle = 9;
    map->StampConstructionPattern(3, 0, -2);
    EXPECT_EQ(map->CellAt(3, 2)->obstacle, 0);
    EXPECT_EQ(map->CellAt(3, 1)->obstacle, 9);
    EXPECT_EQ(map->CellAt(3, 2)->overlayTile, 500);
    EXPECT_EQ(map->CellAt(1, 5)->overlayTile, MapCell::kNoTile); // first cell of the middle row
    EXPECT_EQ(map->CellAt(4, 5)->overlayTile, MapCell::kNoTile); // its last
    EXPECT_EQ(map->CellAt(2, 5)->overlayTile, 31);               // inside: kept
    EXPECT_EQ(map->CellAt(2, 7)->overlayTile, MapCell::kNoTile);
    // Numbers past the table do nothing.
    const auto before = Changed();
    map->StampConstructionPattern(3, 2, 37);
    EXPECT_EQ(Changed(), before);
    TheGameController->tileRedraws.clear();
}

TEST_F(PatternStampsTest, ArrowTowersMarkTheirOwner) {
    Footprints().arrowTower[1] = Pattern(2, {}, {41, 42, 43}, {1, 1, 1, 1});
    map->StampArrowTowerPattern(2, 2, 1, 103);
    EXPECT_EQ(map->CellAt(2, 2)->ownerMark, 103);
    EXPECT_EQ(map->CellAt(2, 4)->ownerMark, 103);
    EXPECT_EQ(map->CellAt(1, 3)->overlayTile, 41);
    EXPECT_EQ(map->CellAt(2, 2)->layerTile, 600); // the tower files carry no tiles
    EXPECT_EQ(map->CellAt(2, 2)->obstacle, 9);
    EXPECT_TRUE(TheGameController->tileRedraws.empty());
    // Without a pattern the site is freed and owned.
    map->StampArrowTowerPattern(2, 0, 7, 104);
    EXPECT_EQ(map->CellAt(2, 0)->ownerMark, 104);
    EXPECT_EQ(map->CellAt(2, 0)->obstacle, 0);
    map->StampArrowTowerPattern(2, 0, 12, 105); // past the table: same
    EXPECT_EQ(map->CellAt(2, 0)->ownerMark, 105);
}

TEST_F(PatternStampsTest, DirectPatternsWriteWhatTheyCarry) {
    const auto p = Pattern(2, {1, 2, 3, 4}, {51, 52, 53}, {0, 1, 255, 0});
    map->StampPattern(2, 2, p.get());
    EXPECT_EQ(map->CellAt(2, 2)->layerTile, 1);
    EXPECT_EQ(map->CellAt(2, 2)->overlayTile, 500);
    EXPECT_EQ(map->CellAt(1, 3)->overlayTile, 51);
    EXPECT_EQ(map->CellAt(2, 3)->obstacle, 255);
    EXPECT_EQ(map->CellAt(2, 4)->overlayTile, 53);
    EXPECT_EQ(map->CellAt(2, 4)->obstacle, 0);
    EXPECT_EQ(TheGameController->tileRedraws.size(), 4u);
    map->StampPattern(2, 2, nullptr);
    const auto masksOnly = Pattern(1, {}, {}, {7});
    map->StampPattern(5, 7, masksOnly.get());
    EXPECT_EQ(map->CellAt(5, 7)->obstacle, 7);
    EXPECT_EQ(map->CellAt(5, 7)->overlayTile, 500);
    TheGameController->tileRedraws.clear();
}

} // namespace
