#include "GridFixture.h"
#include "support/TempFolder.h"

#include "engine/ByteReader.h"
#include "world/Coordinates.h"
#include "world/PathSearch.h"
#include "world/RouteGraph.h"
#include "world/UnitPath.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace worldtest;
using testsupport::TempFolder;

namespace {

std::vector<uint8_t> ReadAll(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A 64 x 160 map split by a wall at column 32 with one gap at the bottom, and a chain of
// waypoints down the left side, through the gap and up the right side.
std::vector<std::string> SplitMapRows() {
    auto rows = OpenRows(64, 160);
    for (int y = 2; y <= 76; ++y)
        BlockUnit(rows, 32, y);
    for (int y : {5, 20, 35, 50, 65})
        rows[size_t(2 * y)][28] = 'M';
    rows[2 * 78][32] = 'M';
    for (int y : {65, 50, 35, 20, 5})
        rows[size_t(2 * y)][36] = 'M';
    return rows;
}

struct RouteGraphTest : testing::Test {
    TempFolder folder;
    worldtest::World w;
    void TearDown() override { FreeRouteGraph(); }
};

TEST_F(RouteGraphTest, MarkersBecomeNodesInScanOrderAndLinkWhenTheSearchJoinsThem) {
    BattleMap& map = DrawMap(w, SplitMapRows());
    BuildRouteGraph();
    ASSERT_EQ(RouteNodeCount(), 11);
    std::vector<std::pair<int, int>> order;
    for (RouteNode* n = RouteGraphHead(); n; n = n->next) {
        order.emplace_back(n->x, n->y);
        EXPECT_EQ(map.CellAt(n->x, 2 * n->y)->obstacle, 0); // made passable
    }
    EXPECT_EQ(order.front(), std::make_pair(28, 5));
    EXPECT_EQ(order[1], std::make_pair(36, 5));
    EXPECT_EQ(order.back(), std::make_pair(32, 78));
    // Links are symmetric, with the cost of the search that joined them; none crosses the wall
    // above the gap.
    for (RouteNode* a = RouteGraphHead(); a; a = a->next) {
        for (int k = 0; k < RouteNode::kLinks && a->links[k]; ++k) {
            RouteNode* b = a->links[k];
            EXPECT_FALSE(a->y < 60 && b->y < 60 && (a->x < 32) != (b->x < 32));
            bool back = false;
            for (int j = 0; j < RouteNode::kLinks && b->links[j]; ++j)
                back |= b->links[j] == a && b->linkCosts[j] == a->linkCosts[k];
            EXPECT_TRUE(back);
            EXPECT_GE(a->linkCosts[k], std::max(std::abs(a->x - b->x), std::abs(a->y - b->y)));
        }
    }
}

TEST_F(RouteGraphTest, ALongTripGoesThroughTheGraph) {
    DrawMap(w, SplitMapRows());
    BuildRouteGraph();
    TestTroop t(1, 10, 5);
    t.worldX = TileToWorldX(10);
    t.worldY = TileToWorldY(5);
    // The bounded search gives up in the pocket left of the wall.
    uint8_t result = 0;
    EXPECT_EQ(SearchGridPath(nullptr, nullptr, 10, 5, 40, 5, 5, 1000, result), nullptr);
    ResetPathSearch();
    EXPECT_EQ(result, kSearchLimit);

    const uint8_t facing = FindUnitPath(&t, 10, 5, 40, 5);
    ASSERT_NE(facing, 0xFF);
    EXPECT_EQ(t.routeMode, 1);
    ASSERT_NE(t.route, nullptr);
    // The route carries on down the left side, through the gap and up to the exit node.
    std::vector<std::pair<int, int>> steps;
    for (RouteStep* s = t.route; s; s = s->next)
        steps.emplace_back(s->x, s->y);
    EXPECT_EQ(steps.back(), std::make_pair(36, 5));
    bool roundTheEnd = false;
    for (auto [x, y] : steps)
        roundTheEnd |= y >= 65;
    EXPECT_TRUE(roundTheEnd);
    EXPECT_EQ(steps.front().first, 28);
    // The waypoints lead from the start to the second route node.
    PathWaypoint* last = t.waypoints;
    while (last && last->next)
        last = last->next;
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(WorldToTileX(last->x), 28);
}

TEST_F(RouteGraphTest, WhenTheSearchGivesUpTheTroopDecidesByItsKind) {
    DrawMap(w, SplitMapRows());
    BuildRouteGraph();
    struct Case {
        const char* what;
        uint8_t noRoute, escort;
        uint8_t stage;
        bool graph;
        uint8_t facing;
        bool routed;
    } cases[] = {
        {"no-route byte", 1, 0, 0, true, 0, false},
        {"escort", 0, 1, 0, true, 0xFF, false},
        {"no graph", 0, 0, 0, false, 0xFF, false},
        {"graph", 0, 0, 0, true, 7, true},
        {"campaign stage 3: a longer search finds the way itself", 0, 0, 3, false, 7, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.graph) FreeRouteGraph();
        if (c.graph && RouteNodeCount() == 0) BuildRouteGraph();
        TheGameController->campaignStage = c.stage;
        TestTroop t(1, 10, 5);
        t.worldX = TileToWorldX(10);
        t.worldY = TileToWorldY(5);
        t.noRoute = c.noRoute;
        t.formationFollow = c.escort;
        t.blocked = 1;
        const uint8_t facing = FindUnitPath(&t, 10, 5, 40, 5);
        EXPECT_EQ(facing == 0xFF || facing == 0 ? facing : 7, c.facing);
        EXPECT_EQ(t.route != nullptr || t.routeMode != 0, c.routed);
        EXPECT_EQ(t.noRoute, 0);
        if (c.escort) {
            EXPECT_EQ(t.blocked, 0);
        }
    }
    TheGameController->campaignStage = 0;
}

TEST_F(RouteGraphTest, PlanPicksTheNearestReachableEntryAndExit) {
    DrawMap(w, SplitMapRows());
    BuildRouteGraph();
    TestTroop t(1, 0, 0);
    ASSERT_TRUE(PlanRouteViaGraph(&t, 26, 50, 27, 49));
    // Entry and exit the same node: the route is that node.
    ASSERT_NE(t.route, nullptr);
    EXPECT_EQ(t.route->next, nullptr);
    ASSERT_TRUE(PlanRouteViaGraph(&t, 26, 6, 38, 6));
    EXPECT_EQ(t.route->x, 28);
    EXPECT_EQ(t.route->y, 5);
    int n = 0;
    for (RouteStep* s = t.route; s; s = s->next)
        ++n;
    EXPECT_LE(n, 11);
    // No nodes: no route.
    FreeRouteGraph();
    EXPECT_FALSE(PlanRouteViaGraph(&t, 26, 6, 38, 6));
}

TEST_F(RouteGraphTest, CacheNamesFollowTheStage) {
    struct Case {
        uint8_t stage;
        const char* name;
    } cases[] = {
        {1, "stage01.opt"}, {6, "stage01.opt"}, {7, "stage7.opt"}, {12, "stage12.opt"}, {0, "stage0.opt"}};
    for (const Case& c : cases) {
        TheGameController->campaignStage = c.stage;
        EXPECT_EQ(RouteCacheName(), c.name);
    }
}

TEST_F(RouteGraphTest, CacheRoundTripsAndDamagedOrForeignFilesAreRebuilt) {
    DrawMap(w, SplitMapRows());
    TheGameController->campaignStage = 9;
    LoadOrBuildRouteCache();
    const std::vector<uint8_t> written = ReadAll("stage9.opt");
    ASSERT_EQ(written.size(), 4 + 11 * (8 + 120 * 12));
    EXPECT_EQ(written, SerializeRouteGraph());

    // Read back, it gives the same graph.
    ReadRouteCache();
    EXPECT_EQ(RouteNodeCount(), 11);
    EXPECT_EQ(SerializeRouteGraph(), written);

    auto with = [&](auto change) {
        std::vector<uint8_t> b = written;
        change(b);
        return b;
    };
    auto put32 = [](std::vector<uint8_t>& b, size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + size_t(i)] = uint8_t(v >> (8 * i));
    };
    const std::pair<const char*, std::vector<uint8_t>> bad[] = {
        {"short", with([](auto& b) { b.pop_back(); })},
        {"long", with([](auto& b) { b.push_back(0); })},
        {"empty", {}},
        {"count past the bytes", with([&](auto& b) { put32(b, 0, 0x7FFFFFFF); })},
        {"node off the map", with([&](auto& b) { put32(b, 4, 5000); })},
        {"node not a marker", with([&](auto& b) { put32(b, 8, 6); })},
        {"node at the border", with([&](auto& b) {
             put32(b, 4, 0);
             put32(b, 8, 0);
         })},
    };
    for (const auto& [what, bytes] : bad) {
        SCOPED_TRACE(what);
        TempFolder::Write("stage9.opt", bytes);
        ReadRouteCache();
        EXPECT_EQ(RouteNodeCount(), 0);
        // Off-map positions never open the border cell.
        EXPECT_EQ(kBorderCell.obstacle, 10);
        LoadOrBuildRouteCache();
        EXPECT_EQ(RouteNodeCount(), 11);
        EXPECT_EQ(ReadAll("stage9.opt"), written);
    }

    // A cache of the map before its last waypoint was added is foreign to it.
    MapCell* gap = TheBattleMap->CellAt(32, 2 * 78);
    gap->overlayTile = MapCell::kNoTile;
    BuildRouteGraph();
    const std::vector<uint8_t> older = SerializeRouteGraph();
    gap->overlayTile = kWaypointMarker;
    EXPECT_FALSE(ParseRouteCache(older));
    EXPECT_EQ(RouteNodeCount(), 0);
}

TEST_F(RouteGraphTest, ALinkToNoNodeIsAnEmptySlotAndTheCostIsKept) {
    DrawMap(w, SplitMapRows());
    BuildRouteGraph();
    std::vector<uint8_t> b = SerializeRouteGraph();
    // Node 0's first link record names a position with no node.
    const size_t at = 4 + 11 * 8;
    ByteWriter rec;
    rec.i32(7);
    rec.i32(7);
    rec.i32(99);
    std::copy(rec.buffer().begin(), rec.buffer().end(), b.begin() + long(at));
    ASSERT_TRUE(ParseRouteCache(b));
    EXPECT_EQ(RouteGraphHead()->links[0], nullptr);
    EXPECT_EQ(RouteGraphHead()->linkCosts[0], 99);
}

TEST_F(RouteGraphTest, NetworkGamesBuildTheirOwnGraphAndTouchNoFile) {
    DrawMap(w, SplitMapRows());
    TheGameController->campaignStage = 9;
    TempFolder::Write("stage9.opt", std::vector<uint8_t>{0, 0, 0, 0});
    TheGameController->networked = 1;
    LoadOrBuildRouteCache();
    EXPECT_EQ(RouteNodeCount(), 11);
    EXPECT_EQ(ReadAll("stage9.opt"), (std::vector<uint8_t>{0, 0, 0, 0}));
    TheGameController->networked = 0;
}

TEST_F(RouteGraphTest, NoNodeTakesMoreThanItsSlotsAndLinksStaySymmetric) {
    // 130 waypoints in one open field: everyone reaches everyone.
    auto rows = OpenRows(60, 60);
    int placed = 0;
    for (int y = 4; y < 56 && placed < 130; y += 2)
        for (int x = 4; x < 56 && placed < 130; x += 2, ++placed)
            rows[size_t(y)][size_t(x)] = 'M';
    DrawMap(w, rows);
    BuildRouteGraph();
    ASSERT_EQ(RouteNodeCount(), 130);
    for (RouteNode* a = RouteGraphHead(); a; a = a->next) {
        const int used = a->FirstFreeSlot();
        EXPECT_LE(used, RouteNode::kLinks);
        for (int k = 0; k < used; ++k) {
            RouteNode* b = a->links[k];
            int back = 0;
            for (int j = 0; j < RouteNode::kLinks && b->links[j]; ++j)
                back += b->links[j] == a;
            EXPECT_EQ(back, 1);
        }
    }
    EXPECT_EQ(RouteGraphHead()->FirstFreeSlot(), RouteNode::kLinks);
}

TEST_F(RouteGraphTest, NoMarkersWriteAnEmptyCache) {
    DrawMap(w, OpenRows(20, 20));
    TheGameController->campaignStage = 2;
    LoadOrBuildRouteCache();
    EXPECT_EQ(ReadAll("stage01.opt"), (std::vector<uint8_t>{0, 0, 0, 0}));
}

} // namespace
