#include "engine/Tools.h"

#include "world/Zu_PathPlanner.h"

int Zu_Tools::RouteFirstStep(const uint8_t* grid, int32_t width, int32_t height, int32_t x1, int32_t y1,
                             int32_t x2, int32_t y2, int32_t* stepX, int32_t* stepY) {
    Zu_PathPlanner planner;
    const std::vector<Point>& route = planner.Plan(grid, width, height, Point{x2, y2}, Point{x1, y1}, 0);
    if (route.size() < 2) return 0;
    if (stepX) *stepX = route[1].x;
    if (stepY) *stepY = route[1].y;
    return 1;
}
