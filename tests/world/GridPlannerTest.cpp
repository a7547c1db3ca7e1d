#include "engine/Tools.h"
#include "world/Zu_AStar.h"
#include "world/Zu_LineStepper.h"
#include "world/Zu_PathPlanner.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// A byte grid drawn as text: '#' blocks (bit 0), anything else is open.
struct Grid {
    int32_t width = 0, height = 0;
    std::vector<uint8_t> bytes;
    explicit Grid(const std::vector<std::string>& rows)
        : width(int32_t(rows.front().size())), height(int32_t(rows.size())) {
        for (const std::string& r : rows)
            for (char ch : r)
                bytes.push_back(ch == '#' ? 1 : (ch == '+' ? 2 : 0));
    }
    bool Open(int32_t x, int32_t y) const {
        return x >= 0 && y >= 0 && x < width && y < height && (bytes[size_t(y * width + x)] & 1) == 0;
    }
};

std::vector<std::pair<int, int>> Walk(int x1, int y1, int x2, int y2, int flags) {
    Zu_LineStepper line;
    line.Init(x1, y1, x2, y2, flags);
    std::vector<std::pair<int, int>> out{{line.GetX(), line.GetY()}};
    while (!line.AtEnd() && out.size() < 100) {
        line.Step(1, flags);
        out.emplace_back(line.GetX(), line.GetY());
    }
    return out;
}

TEST(LineStepperTest, PointsAnglesAndTheWalkToAMarkedByte) {
    EXPECT_EQ(Walk(0, 0, 5, 2, 0),
              (std::vector<std::pair<int, int>>{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}));
    EXPECT_EQ(Walk(3, 3, 3, 0, 0), (std::vector<std::pair<int, int>>{{3, 3}, {3, 2}, {3, 1}, {3, 0}}));
    // One axis per step: every step moves x or y, never both.
    const auto steps = Walk(0, 0, 4, 3, Zu_LineStepper::kOneAxis);
    EXPECT_EQ(steps.size(), 8u);
    for (size_t i = 1; i < steps.size(); ++i)
        EXPECT_EQ(std::abs(steps[i].first - steps[i - 1].first) +
                      std::abs(steps[i].second - steps[i - 1].second),
                  1);
    EXPECT_EQ(steps.back(), std::make_pair(4, 3));

    struct Case {
        int dx, dy, angle;
    } cases[] = {{0, -4, 90}, {0, 4, 270}, {4, 0, 0}, {-4, 0, 180}, {3, -3, 45}, {-3, 3, 225}};
    for (const Case& c : cases) {
        Zu_LineStepper line;
        line.Init(10, 10, 10 + c.dx, 10 + c.dy, 0);
        EXPECT_EQ(line.angle, c.angle) << c.dx << "," << c.dy;
    }

    Grid g({"......", "...+..", "......"});
    Zu_LineStepper line;
    line.Init(0, 1, 5, 1, 0);
    EXPECT_EQ(line.WalkUntil(g.bytes.data(), g.width, g.height, 2, 0), 3);
    EXPECT_EQ(line.GetX(), 3);
    line.Init(0, 1, 5, 1, 0);
    EXPECT_EQ(line.WalkUntil(g.bytes.data(), g.width, g.height, 1, 0), 5);
    EXPECT_TRUE(line.AtEnd());
}

int OpenOf(int32_t x, int32_t y, void* ctx) {
    return static_cast<Grid*>(ctx)->Open(x, y);
}
int32_t One(int32_t, int32_t, void*) {
    return 1;
}
// Column 5 is dear to cross.
int32_t DearColumn(int32_t x, int32_t, void*) {
    return x == 5 ? 50 : 1;
}

std::vector<std::pair<int, int>> Chain(const Zu_AStar& a) {
    std::vector<std::pair<int, int>> out;
    for (const Zu_AStar::Node* n = a.Goal(); n; n = n->parent)
        out.insert(out.begin(), {n->x, n->y});
    return out;
}

TEST(AStarTest, FindsAnEightConnectedWayOnAWideGridAndReportsNone) {
    Grid g({"..........", "....#.....", "....#....."});
    Zu_AStar a(g.width, g.height, OpenOf, One, &g);
    ASSERT_EQ(a.Search(0, 2, 7, 1), 1);
    const auto path = Chain(a);
    // The goal is the cell (7, 1) itself, on a grid wider than it is high.
    EXPECT_EQ(path.back(), std::make_pair(7, 1));
    EXPECT_EQ(path.front(), std::make_pair(0, 2));
    for (size_t i = 1; i < path.size(); ++i) {
        EXPECT_TRUE(g.Open(path[i].first, path[i].second));
        EXPECT_LE(std::abs(path[i].first - path[i - 1].first), 1);
        EXPECT_LE(std::abs(path[i].second - path[i - 1].second), 1);
    }
    EXPECT_EQ(a.Goal()->g, int(path.size()) - 1);

    Grid walled({"....#....", "....#....", "....#...."});
    Zu_AStar b(walled.width, walled.height, OpenOf, One, &walled);
    EXPECT_EQ(b.Search(0, 1, 8, 1), 0);
    EXPECT_EQ(b.Goal(), nullptr);
}

TEST(AStarTest, ACheaperWayRelinksNodesAlreadyReached) {
    Grid g({"..........", "..........", "..........", "..........", ".........."});
    Zu_AStar a(g.width, g.height, OpenOf, DearColumn, &g);
    ASSERT_EQ(a.Search(2, 2, 8, 2), 1);
    // Column 5 must be crossed once, and only once.
    EXPECT_EQ(a.Goal()->g, 50 + 5);
}

TEST(PathPlannerTest, StraightensByLineOfSightAndMovesABlockedGoal) {
    Grid g({"..............", "......#.......", "......#.......", "......#.......", "..............",
            ".............."});
    Zu_PathPlanner p;
    const auto& route = p.Plan(g.bytes.data(), g.width, g.height, Point{12, 2}, Point{1, 2}, 0);
    ASSERT_GE(route.size(), 2u);
    EXPECT_EQ(std::make_pair(route.front().x, route.front().y), std::make_pair(1, 2));
    EXPECT_EQ(std::make_pair(route.back().x, route.back().y), std::make_pair(12, 2));
    EXPECT_LE(route.size(), 4u);
    for (size_t i = 1; i < route.size(); ++i)
        EXPECT_TRUE(p.LineIsClear(route[i - 1], route[i]));

    // One-axis stepping keeps every step.
    Zu_PathPlanner q;
    const auto& full =
        q.Plan(g.bytes.data(), g.width, g.height, Point{12, 2}, Point{1, 2}, Zu_PathPlanner::kOneAxis);
    EXPECT_GT(full.size(), 8u);

    // A goal on a blocked byte moves to an open one next to it.
    Zu_PathPlanner r;
    const auto& moved = r.Plan(g.bytes.data(), g.width, g.height, Point{6, 2}, Point{1, 2}, 0);
    ASSERT_FALSE(moved.empty());
    EXPECT_TRUE(g.Open(moved.back().x, moved.back().y));
    EXPECT_LE(std::abs(moved.back().x - 6) + std::abs(moved.back().y - 2), 2);

    Zu_PathPlanner none;
    EXPECT_TRUE(none.Plan(nullptr, 5, 5, Point{1, 1}, Point{2, 2}, 0).empty());
}

TEST(PathPlannerTest, TheToolsRouteGivesTheFirstStep) {
    Grid g({"..........", "....#.....", "....#.....", "....#.....", ".........."});
    int32_t x = -1, y = -1;
    ASSERT_EQ(Zu_Tools::RouteFirstStep(g.bytes.data(), g.width, g.height, 1, 0, 8, 0, &x, &y), 1);
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(8, 0)); // straight along the open top row
    ASSERT_EQ(Zu_Tools::RouteFirstStep(g.bytes.data(), g.width, g.height, 1, 2, 8, 2, &x, &y), 1);
    EXPECT_TRUE(g.Open(x, y));
    EXPECT_TRUE(y == 0 || y == 4 || y == 1 || y == 3); // round an end of the wall
    Grid shut({"....#.....", "....#.....", "....#....."});
    EXPECT_EQ(Zu_Tools::RouteFirstStep(shut.bytes.data(), shut.width, shut.height, 1, 1, 8, 1, &x, &y), 0);
    EXPECT_EQ(Zu_Tools::RouteFirstStep(shut.bytes.data(), shut.width, shut.height, 1, 1, 1, 1, &x, &y), 0);
}

} // namespace
