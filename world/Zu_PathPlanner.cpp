#include "world/Zu_PathPlanner.h"

#include "world/Zu_AStar.h"
#include "world/Zu_LineStepper.h"

#include <algorithm>

namespace {

constexpr int8_t kCompass[8][2] = {{0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}};
// In one-axis stepping the diagonal neighbours of a column depend on its parity (staggered rows).
constexpr int8_t kCompassEven[8][2] = {{0, -2}, {0, -1}, {1, 0}, {0, 1}, {0, 2}, {-1, 1}, {-1, 0}, {-1, -1}};
constexpr int8_t kCompassOdd[8][2] = {{0, -2}, {1, -1}, {1, 0}, {1, 1}, {0, 2}, {0, 1}, {-1, 0}, {0, -1}};

int OpenCallback(int32_t x, int32_t y, void* context) {
    return static_cast<Zu_PathPlanner*>(context)->IsOpen(x, y) ? 1 : 0;
}

int32_t UnitCost(int32_t, int32_t, void*) {
    return 1;
}

} // namespace

bool Zu_PathPlanner::IsOpen(int32_t x, int32_t y) const {
    if (!grid || x < 0 || y < 0 || x >= width || y >= height) return false;
    return (grid[size_t(y) * size_t(width) + size_t(x)] & kBlocked) == 0;
}

bool Zu_PathPlanner::FindOpenNear(int32_t x, int32_t y, Point& out) const {
    const int32_t reach = std::max<int32_t>(width, height);
    for (int32_t r = 1; r <= reach; ++r) {
        const auto& table = (flags & kOneAxis) ? ((x & 1) ? kCompassOdd : kCompassEven) : kCompass;
        for (const auto& d : table) {
            const int32_t nx = x + d[0] * r, ny = y + d[1] * r;
            if (IsOpen(nx, ny)) {
                out = Point{nx, ny};
                return true;
            }
        }
    }
    return false;
}

bool Zu_PathPlanner::LineIsClear(Point a, Point b) const {
    Zu_LineStepper line;
    line.Init(a.x, a.y, b.x, b.y, flags);
    if (!IsOpen(a.x, a.y)) return false;
    while (!line.AtEnd()) {
        line.Step(1, flags & kOneAxis);
        if (!IsOpen(line.GetX(), line.GetY())) return false;
    }
    return true;
}

bool Zu_PathPlanner::Search() {
    route.clear();
    Zu_AStar astar(width, height, OpenCallback, UnitCost, this);
    if (!IsOpen(start.x, start.y) || !IsOpen(goal.x, goal.y)) return false;
    if (!astar.Search(start.x, start.y, goal.x, goal.y)) return false;
    for (const Zu_AStar::Node* n = astar.Goal(); n; n = n->parent)
        route.push_back(Point{n->x, n->y});
    std::reverse(route.begin(), route.end());
    std::fill(marks.begin(), marks.end(), uint8_t(0));
    for (const Point& p : route)
        marks[size_t(p.y) * size_t(width) + size_t(p.x)] = 1;
    return true;
}

void Zu_PathPlanner::Straighten() {
    std::vector<int32_t> windows;
    for (int32_t k = 100; k >= 2; k -= 2)
        windows.push_back(k);
    windows.push_back(2);
    windows.push_back(2);
    for (int32_t k : windows) {
        for (size_t i = 0; i + size_t(k) < route.size();) {
            if (LineIsClear(route[i], route[i + size_t(k)]))
                route.erase(route.begin() + long(i) + 1, route.begin() + long(i) + k);
            else
                ++i;
        }
    }
}

const std::vector<Point>& Zu_PathPlanner::Plan(const uint8_t* g, int32_t w, int32_t h, Point to, Point from,
                                               int32_t f) {
    grid = g;
    width = int16_t(w);
    height = int16_t(h);
    flags = f;
    marks.assign(size_t(std::max(0, w)) * size_t(std::max(0, h)), 0);
    route.clear();
    if (!grid || w <= 0 || h <= 0 || w > INT16_MAX || h > INT16_MAX) return route;
    start = from;
    goal = to;
    if (!IsOpen(start.x, start.y) && !FindOpenNear(start.x, start.y, start)) return route;
    if (!IsOpen(goal.x, goal.y) && !FindOpenNear(goal.x, goal.y, goal)) return route;
    if (Search() && !(flags & kOneAxis)) Straighten();
    return route;
}
