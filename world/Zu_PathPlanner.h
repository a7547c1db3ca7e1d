#pragma once

#include "engine/Point.h"

#include <cstdint>
#include <vector>

// Plans a route over a byte grid (a set bit 0 blocks) and straightens it by line of sight.
class Zu_PathPlanner {
public:
    static constexpr uint8_t kBlocked = 1;
    // Option bit 0: one axis per step, no straightening.
    static constexpr int32_t kOneAxis = 1;

    // The route from start to goal (both included), or empty when there is none. A blocked start
    // or goal moves to the nearest open cell first.
    const std::vector<Point>& Plan(const uint8_t* grid, int32_t width, int32_t height, Point goal,
                                   Point start, int32_t flags);
    // Runs the search on the bound grid and copies the node chain into the route.
    bool Search();
    // The nearest open cell to (x, y) in a widening ring of the eight compass offsets.
    bool FindOpenNear(int32_t x, int32_t y, Point& out) const;
    bool IsOpen(int32_t x, int32_t y) const;
    // The straight line between two points meets no blocked byte.
    bool LineIsClear(Point a, Point b) const;

    const uint8_t* grid = nullptr;
    int16_t width = 0, height = 0;
    std::vector<uint8_t> marks;
    Point start{}, goal{};
    int32_t flags = 0;
    std::vector<Point> route;

private:
    void Straighten();
};
