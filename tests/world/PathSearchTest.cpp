#include "GridFixture.h"

#include "world/Coordinates.h"
#include "world/PathSearch.h"
#include "world/RouteGraph.h"
#include "world/UnitPath.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <list>
#include <random>

using namespace worldtest;

namespace {

using Cells = std::vector<std::pair<int, int>>;

Cells PathCells(const PathNode* goal) {
    Cells out;
    for (; goal; goal = goal->parent)
        out.insert(out.begin(), {goal->x, goal->y});
    return out;
}

// The search as a plain sorted list: a new node goes before the first node of equal or greater
// f. The heap of the game must pop in exactly this order.
struct ListSearch {
    struct Node {
        int x, y, g, f;
        int parent;
    };
    std::vector<Node> nodes;
    uint8_t result = 2;
    int expansions = 0;

    Cells Run(BattleMap& map, int sx, int sy, int tx, int ty, int weight, int limit) {
        std::vector<bool> visited(size_t(map.unitGridCount));
        std::list<int> open;
        nodes.push_back({sx, sy, 0, weight * (std::abs(sx - tx) + std::abs(sy - ty)), -1});
        open.push_back(0);
        while (!open.empty()) {
            const int i = open.front();
            open.pop_front();
            const Node n = nodes[size_t(i)];
            if (n.x == tx && n.y == ty) {
                result = 0;
                Cells out;
                for (int k = i; k >= 0; k = nodes[size_t(k)].parent)
                    out.insert(out.begin(), {nodes[size_t(k)].x, nodes[size_t(k)].y});
                return out;
            }
            if (expansions > limit) {
                result = 1;
                return {};
            }
            ++expansions;
            for (const UnitStep& s : kUnitSteps) {
                const int nx = n.x + s.dx, ny = n.y + s.dy;
                if (nx < 0 || ny < 0 || nx >= map.unitGridWidth || ny >= map.unitGridRows) continue;
                if (GetCellObstacle(nx, 2 * ny) >= 1) continue;
                if (s.cornerX != 0 || s.cornerRow != 0 || (s.dx != 0 && s.dy != 0))
                    if (s.dx != 0 && s.dy != 0 &&
                        GetCellObstacle(n.x + s.cornerX, 2 * n.y + s.cornerRow) >= 1)
                        continue;
                if (visited[size_t(ny * map.unitGridWidth + nx)]) continue;
                visited[size_t(ny * map.unitGridWidth + nx)] = true;
                const int g = n.g + 1;
                nodes.push_back({nx, ny, g, g + weight * (std::abs(nx - tx) + std::abs(ny - ty)), i});
                const int id = int(nodes.size()) - 1;
                auto at = open.begin();
                while (at != open.end() && nodes[size_t(*at)].f < nodes[size_t(id)].f)
                    ++at;
                open.insert(at, id);
            }
        }
        return {};
    }
};

TEST(CoordinatesTest, WorldAndTileConvertBothWays) {
    for (int x = 0; x < 300; ++x) {
        EXPECT_EQ(WorldToTileX(TileToWorldX(x)), x);
        EXPECT_EQ(WorldToTileY(TileToWorldY(x)), x);
    }
    struct Case {
        int32_t world, tileX, tileY;
    } cases[] = {
        {0, 0, 0}, {19, 0, 0}, {40019, 0, 2}, {40020, 1, 2}, {20009, 0, 0}, {20010, 0, 1}, {-40020, -1, -2},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WorldToTileX(c.world), c.tileX) << c.world;
        EXPECT_EQ(WorldToTileY(c.world), c.tileY) << c.world;
    }
    EXPECT_EQ(TileToWorldX(3), 140000);
    EXPECT_EQ(TileToWorldY(3), 70000);
}

TEST(CoordinatesTest, StepVelocityTakesTheLongerAxisAndTiesGoToY) {
    struct Case {
        int32_t dx, dy, speed;
        int32_t vx, vy;
        uint8_t facing;
    } cases[] = {
        {100000, 0, 100, 16000, 0, 1},
        {-100000, 0, 50, -8000, 0, 5},
        {0, 100000, 100, 0, 8000, 7},
        {0, -3000, 100, 0, -3000, 3},
        {50000, 50000, 100, 8333, 8000, 8}, // |dx| = |dy|: the y rule
        {5000, 100, 100, 5000, 100, 1},
        {100000, 30000, 100, 16000, 5000, 1} /* 30000 / (100000 / 16000) */,
        {-40000, -40000, 100, -8000, -8000, 4},
        {100000, 0, 0, 0, 0, 1},
        {0, 0, 100, 0, 0, 0},
    };
    for (const Case& c : cases) {
        int32_t vx = 7, vy = 7;
        const uint8_t f = ComputeStepVelocity(1000 + c.dx, 2000 + c.dy, 1000, 2000, vx, vy, false, c.speed);
        SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy << " speed " << c.speed);
        EXPECT_EQ(vx, c.vx);
        EXPECT_EQ(vy, c.vy);
        EXPECT_EQ(f, c.facing);
    }
    int32_t vx, vy;
    EXPECT_EQ(ComputeStepVelocity(0, 9000, 0, 0, vx, vy, true, 100), 1);
}

TEST(CoordinatesTest, DirectionOfVectorSplitsAtPointThreeAndThree) {
    struct Case {
        int32_t dx, dy;
        uint8_t facing;
    } cases[] = {
        {0, 5, 7},  {5, 0, 1},    {-5, -5, 4}, {-5, 0, 5},   {0, -5, 3},     {3, 1, 8},    {-3, 1, 6},
        {3, -1, 2}, {31, -10, 1}, {3, 10, 8},  {29, 100, 7}, {-29, -100, 3}, {-31, 10, 5},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DirectionOfVector(c.dx, c.dy), c.facing) << c.dx << "," << c.dy;
}

TEST(CoordinatesTest, StepBlockedTestsTheEndAndTheCornerCell) {
    worldtest::World w;
    auto rows = OpenRows(12, 20);
    rows[9][4] = '#';  // corner of (5,4) -> (4,5): map cell (4, 9)
    rows[12][7] = '#'; // unit cell (7, 6)
    rows[7][6] = '#';  // corner of (6,4) -> (7,3) is (6, 7)
    DrawMap(w, rows);
    struct Case {
        int x1, y1, x2, y2;
        bool blocked;
    } cases[] = {
        {5, 4, 4, 5, true},  {5, 4, 6, 5, false}, {7, 5, 7, 6, true},  {6, 6, 7, 6, true},
        {6, 4, 7, 3, true},  {6, 4, 5, 3, false}, {6, 4, 7, 5, false}, {8, 6, 7, 6, true},
        {5, 5, 5, 5, false}, {5, 5, 7, 5, true},  {3, 3, 3, 1, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsStepBlocked(c.x1, c.y1, c.x2, c.y2), c.blocked)
            << c.x1 << "," << c.y1 << " -> " << c.x2 << "," << c.y2;
    // A whole-cell obstacle seen by the line test, which reads both rows of a point.
    EXPECT_TRUE(IsLineObstructed(TileToWorldX(7), TileToWorldY(4), 0, 40000));
    EXPECT_FALSE(IsLineObstructed(TileToWorldX(9), TileToWorldY(4), 0, 40000));
}

TEST(PathSearchTest, PopsInTheOrderOfTheSortedListOnRandomMaps) {
    std::mt19937 rng(7);
    for (int round = 0; round < 40; ++round) {
        worldtest::World w;
        auto rows = OpenRows(24, 48);
        for (int k = 0; k < 200; ++k)
            rows[size_t(rng() % 48)][size_t(rng() % 24)] = '#';
        BattleMap& map = DrawMap(w, rows);
        const int sx = 2 + int(rng() % 20), sy = 2 + int(rng() % 21);
        const int tx = 2 + int(rng() % 20), ty = 2 + int(rng() % 21);
        map.CellAt(sx, 2 * sy)->obstacle = 0;
        map.CellAt(tx, 2 * ty)->obstacle = 0;
        const int weight = 1 + int(rng() % 5);
        const int limit = round % 3 == 0 ? 40 : 10000;
        ListSearch oracle;
        const Cells expected = oracle.Run(map, sx, sy, tx, ty, weight, limit);
        uint8_t result = 0;
        const PathNode* goal = SearchGridPath(nullptr, nullptr, sx, sy, tx, ty, weight, limit, result);
        SCOPED_TRACE(testing::Message() << "round " << round);
        EXPECT_EQ(result, oracle.result);
        EXPECT_EQ(PathCells(goal), expected);
        EXPECT_EQ(PathSearchExpansions(), oracle.expansions);
        ResetPathSearch();
    }
}

TEST(PathSearchTest, EqualCostsGoTheWayOfTheNewestNode) {
    // A wall between start and goal with a way round above and below it: the two are equal,
    // and the node tried last at each step (down-right before up-right) wins.
    worldtest::World w;
    auto rows = OpenRows(16, 24);
    for (int y = 3; y <= 7; ++y)
        BlockUnit(rows, 6, y);
    DrawMap(w, rows);
    uint8_t result = 0;
    const Cells path = PathCells(SearchGridPath(nullptr, nullptr, 3, 5, 9, 5, 1, 0, result));
    ASSERT_EQ(result, kSearchFound);
    ASSERT_FALSE(path.empty());
    bool below = false;
    for (auto [x, y] : path)
        if (x == 6) below = y > 7;
    EXPECT_TRUE(below);
    ResetPathSearch();
}

TEST(PathSearchTest, DiagonalPastABlockedCornerIsRefused) {
    worldtest::World w;
    auto rows = OpenRows(12, 20);
    rows[9][4] = '#'; // the corner cell between unit cells (5,4) and (4,5)
    DrawMap(w, rows);
    uint8_t result = 0;
    const Cells path = PathCells(SearchGridPath(nullptr, nullptr, 5, 4, 4, 5, 1, 0, result));
    EXPECT_EQ(result, kSearchFound);
    EXPECT_EQ(path.size(), 3u); // two steps, not one
    ResetPathSearch();
    const Cells other = PathCells(SearchGridPath(nullptr, nullptr, 5, 4, 6, 5, 1, 0, result));
    EXPECT_EQ(other.size(), 2u);
    ResetPathSearch();
}

TEST(PathSearchTest, ResultsFoundLimitAndNoPath) {
    worldtest::World w;
    auto rows = OpenRows(40, 80);
    // An enclosed goal: a ring of blocked unit cells round (30, 30).
    for (int d = -1; d <= 1; ++d) {
        BlockUnit(rows, 30 + d, 29);
        BlockUnit(rows, 30 + d, 31);
        BlockUnit(rows, 29, 30 + d);
        BlockUnit(rows, 31, 30 + d);
    }
    // An enclosed start: a pocket of three cells.
    for (int x = 4; x <= 8; ++x) {
        BlockUnit(rows, x, 4);
        BlockUnit(rows, x, 6);
    }
    BlockUnit(rows, 4, 5);
    BlockUnit(rows, 8, 5);
    DrawMap(w, rows);
    struct Case {
        int sx, sy, tx, ty, limit;
        uint8_t result;
        int maxExpansions;
    } cases[] = {
        {10, 10, 20, 20, 0, kSearchFound, 200},
        {10, 10, 30, 30, 0, kSearchNoPath, 40 * 40},
        {10, 10, 30, 30, 300, kSearchLimit, 302},
        {6, 5, 30, 30, 0, kSearchNoPath, 4}, // the start cell is not marked: it comes back once
        {6, 5, 6, 5, 0, kSearchFound, 0},
    };
    for (const Case& c : cases) {
        uint8_t result = 0;
        const PathNode* goal = SearchGridPath(nullptr, nullptr, c.sx, c.sy, c.tx, c.ty, 1, c.limit, result);
        SCOPED_TRACE(testing::Message() << c.sx << "," << c.sy << " -> " << c.tx << "," << c.ty);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(goal != nullptr, c.result == kSearchFound);
        EXPECT_LE(PathSearchExpansions(), c.maxExpansions);
        ResetPathSearch();
    }
    // Unreachable only when the search ran out of cells, never when it ran out of patience.
    EXPECT_FALSE(IsTileUnreachable(nullptr, nullptr, 30, 30, 10, 10));
    EXPECT_EQ(PathSearchExpansions(), 501);
    EXPECT_TRUE(IsTileUnreachable(nullptr, nullptr, 30, 30, 6, 5));
    EXPECT_FALSE(IsTileUnreachable(nullptr, nullptr, 20, 20, 10, 10));
}

TEST(PathSearchTest, UnitsBlockNearTheStartOrEverywhere) {
    worldtest::World w;
    auto rows = OpenRows(30, 40);
    BattleMap& map = DrawMap(w, rows);
    TestTroop self(1, 5, 10), enemy(2, 6, 10), farEnemy(2, 20, 10), friendGone(2, 7, 10);
    friendGone.deadFlag = 1;
    map.AddObjectAt(6, 10, uintptr_t(&enemy));
    map.AddObjectAt(20, 10, uintptr_t(&farEnemy));
    map.AddObjectAt(7, 11, uintptr_t(&friendGone));
    map.AddObjectAt(5, 10, uintptr_t(&self));
    auto through = [&](int x, int y, uint8_t everywhere) {
        uint8_t result = everywhere;
        const Cells p = PathCells(SearchGridPath(&self, &self, 5, 10, 25, 10, 1, 0, result));
        ResetPathSearch();
        for (auto c : p)
            if (c == std::make_pair(x, y)) return true;
        return false;
    };
    EXPECT_FALSE(through(6, 10, 0));
    EXPECT_TRUE(through(20, 10, 0));  // far from the start: not tested
    EXPECT_FALSE(through(20, 10, 1)); // everywhere
    EXPECT_EQ(map.occupancyCursor, nullptr);
    // With a unit, a cell next to the goal will do.
    uint8_t result = 0;
    const PathNode* goal = SearchGridPath(&self, &self, 5, 10, 12, 15, 1, 0, result);
    ASSERT_NE(goal, nullptr);
    EXPECT_LE(std::abs(goal->x - 12), 1);
    EXPECT_LE(std::abs(goal->y - 15), 1);
    ResetPathSearch();
}

TEST(PathSearchTest, WallSearchKeepsToWallTops) {
    worldtest::World w;
    auto rows = OpenRows(20, 30);
    for (int x = 3; x <= 12; ++x)
        rows[10][size_t(x)] = 'W';
    rows[12][12] = 'W';
    rows[14][12] = 'W';
    DrawMap(w, rows);
    uint8_t result = 0;
    const Cells path = PathCells(SearchWallPath(nullptr, 3, 5, 12, 7, 1, 0, result));
    ResetPathSearch();
    EXPECT_EQ(result, kSearchFound);
    for (auto [x, y] : path)
        EXPECT_TRUE(IsCellWall(x, 2 * y)) << x << "," << y;
    SearchWallPath(nullptr, 3, 5, 15, 5, 1, 0, result);
    ResetPathSearch();
    EXPECT_EQ(result, kSearchNoPath);
}

TEST(UnitPathTest, StraightenedPathStartsAtTheTroopAndLeadsToTheGoal) {
    worldtest::World w;
    auto rows = OpenRows(30, 40);
    for (int y = 2; y <= 12; ++y)
        BlockUnit(rows, 10, y);
    DrawMap(w, rows);
    uint8_t result = 0;
    const PathNode* goal = SearchGridPath(nullptr, nullptr, 5, 8, 15, 8, 1, 0, result);
    ASSERT_NE(goal, nullptr);
    PathWaypoint* list = StraightenPath(goal);
    ResetPathSearch();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->x, TileToWorldX(5));
    EXPECT_EQ(list->y, TileToWorldY(8));
    int count = 0;
    PathWaypoint* last = list;
    for (PathWaypoint* p = list; p; p = p->next) {
        ++count;
        last = p;
        EXPECT_EQ(p->kind, 2);
        if (p->next) {
            // Every leg is a clear line.
            EXPECT_FALSE(IsLineObstructed(p->x, p->y, p->next->x - p->x, p->next->y - p->y))
                << WorldToTileX(p->x) << "," << WorldToTileY(p->y);
        }
    }
    EXPECT_EQ(last->x, TileToWorldX(15));
    EXPECT_EQ(last->y, TileToWorldY(8));
    EXPECT_LE(count, 4); // round the wall's end, not cell by cell
    EXPECT_GE(count, 3);
    FreeWaypoints(list);
}

TEST(UnitPathTest, FindUnitPathGivesTheFirstStepAndStopsAtItsOwnCell) {
    {
        worldtest::World w;
        DrawMap(w, OpenRows(30, 40));
        TestTroop t(1, 5, 8);
        t.worldX = TileToWorldX(5);
        t.worldY = TileToWorldY(8);
        EXPECT_EQ(FindUnitPath(&t, 5, 8, 5, 8), 0xFF);
        EXPECT_EQ(t.waypoints, nullptr);

        EXPECT_EQ(FindUnitPath(&t, 5, 8, 15, 8), 1);
        t.nextDirection = 1;
        ASSERT_NE(t.waypoints, nullptr);
        EXPECT_EQ(t.waypoints->x, TileToWorldX(15));
        EXPECT_EQ(t.velX, 16000);
        EXPECT_EQ(t.velY, 0);
        // On the way: the same facing until the waypoint is passed.
        t.worldX += 16000;
        EXPECT_EQ(FindUnitPath(&t, 5, 8, 15, 8), 1);
        t.worldX = TileToWorldX(15);
        EXPECT_EQ(FindUnitPath(&t, 5, 8, 15, 8), 0xFF);
    }
    // A goal walled in: no path, the blocked byte cleared.
    auto rows = OpenRows(30, 40);
    for (int d = -1; d <= 1; ++d) {
        BlockUnit(rows, 20 + d, 9);
        BlockUnit(rows, 20 + d, 11);
        BlockUnit(rows, 19, 10 + d);
        BlockUnit(rows, 21, 10 + d);
    }
    worldtest::World w2;
    DrawMap(w2, rows);
    TestTroop u(1, 5, 8);
    u.blocked = 1;
    EXPECT_EQ(FindUnitPath(&u, 5, 8, 20, 10), 0xFF);
    EXPECT_EQ(u.blocked, 0);
}

TEST(UnitPathTest, ReplanPathEndKeepsTheHeadAndFreesTheOldTailOnce) {
    worldtest::World w;
    DrawMap(w, OpenRows(40, 60));
    TestTroop t(1, 3, 5);
    t.worldX = TileToWorldX(3);
    t.worldY = TileToWorldY(5);
    // Four waypoints: the search restarts at the third from the end.
    PathWaypoint* list = nullptr;
    for (int x : {30, 20, 10, 5})
        list = new PathWaypoint{TileToWorldX(x), TileToWorldY(5), 2, list};
    t.waypoints = list;
    EXPECT_EQ(ReplanPathEnd(&t, 10, 25), 1);
    ASSERT_NE(t.waypoints, nullptr);
    EXPECT_EQ(WorldToTileX(t.waypoints->x), 5);
    EXPECT_EQ(WorldToTileX(t.waypoints->next->x), 10);
    PathWaypoint* last = t.waypoints;
    while (last->next)
        last = last->next;
    EXPECT_EQ(WorldToTileX(last->x), 10);
    EXPECT_EQ(WorldToTileY(last->y), 25);

    // Two waypoints: the new leg starts at the troop and replaces the whole list.
    FreeUnitPath(&t);
    t.waypoints = new PathWaypoint{TileToWorldX(8), TileToWorldY(5), 2,
                                   new PathWaypoint{TileToWorldX(9), TileToWorldY(5), 2, nullptr}};
    EXPECT_EQ(ReplanPathEnd(&t, 3, 20), 1);
    ASSERT_NE(t.waypoints, nullptr);
    EXPECT_EQ(WorldToTileY(t.waypoints->y) > 5, true);
    EXPECT_NE(t.nextDirection, 0);

    // Following a route: only the mode changes.
    t.route = new RouteStep{1, 1, nullptr};
    t.routeMode = 1;
    EXPECT_EQ(ReplanPathEnd(&t, 3, 20), 0);
    EXPECT_EQ(t.routeMode, 2);
}

TEST(UnitPathTest, DetourGoesRoundAValidTargetOnTheNextCell) {
    worldtest::World w;
    BattleMap& map = DrawMap(w, OpenRows(30, 40));
    TestTroop t(1, 5, 8), blocker(2, 6, 8);
    blocker.state = 10; // holding: no waiting first
    map.AddObjectAt(6, 8, uintptr_t(&blocker));
    t.worldX = TileToWorldX(5);
    t.worldY = TileToWorldY(8);
    t.goalX = 12;
    t.goalY = 8;
    EXPECT_EQ(FindUnitPath(&t, 5, 8, 12, 8), 1);
    t.worldX += 15000; // the next step enters the blocker's cell
    EXPECT_EQ(DetourAroundOccupant(&t), 1);
    ASSERT_NE(t.waypoints, nullptr);
    EXPECT_EQ(t.waypoints->kind, 1);
    for (PathWaypoint* p = t.waypoints; p; p = p->next)
        EXPECT_FALSE(WorldToTileX(p->x) == 6 && WorldToTileY(p->y) == 8);
    // Nothing in the way: go on, waiting cleared.
    map.RemoveObjectAt(6, 8, uintptr_t(&blocker));
    t.waiting = 1;
    EXPECT_EQ(DetourAroundOccupant(&t), 1);
    EXPECT_EQ(t.waiting, 0);
}

} // namespace
