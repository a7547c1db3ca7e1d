#include "world/Zu_LineStepper.h"

#include <cmath>
#include <cstdlib>

void Zu_LineStepper::Init(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t) {
    startX = x = x1;
    startY = y = y1;
    endX = x2;
    endY = y2;
    const int32_t dx = x2 - x1, dy = y2 - y1;
    adx = std::abs(dx);
    ady = std::abs(dy);
    stepX = dx > 0 ? 1 : dx < 0 ? -1 : 0;
    stepY = dy > 0 ? 1 : dy < 0 ? -1 : 0;
    xLeads = adx >= ady;
    error = (xLeads ? adx : ady) / 2;
    if (dx == 0) {
        angle = dy > 0 ? 270 : 90;
    } else {
        double a = std::atan2(double(-dy), double(dx)) * 180.0 / 3.14159265358979323846;
        if (a < 0) a += 360.0;
        angle = int32_t(a);
    }
}

int32_t Zu_LineStepper::Step(int32_t n, int32_t flags) {
    int32_t done = 0;
    for (; done < n && !AtEnd(); ++done) {
        if (flags & kOneAxis) {
            // The axis whose remaining share is larger moves.
            const int64_t remX = std::llabs(int64_t(endX) - x) * ady;
            const int64_t remY = std::llabs(int64_t(endY) - y) * adx;
            if (x != endX && (remX >= remY || y == endY)) {
                const bool even = (x & 1) == 0;
                x += stepX;
                angle = stepX > 0 ? (even ? 45 : 315) : (even ? 135 : 225);
            } else {
                y += stepY;
            }
            continue;
        }
        if (xLeads) {
            x += stepX;
            error -= ady;
            if (error < 0) {
                y += stepY;
                error += adx;
            }
        } else {
            y += stepY;
            error -= adx;
            if (error < 0) {
                x += stepX;
                error += ady;
            }
        }
    }
    return done;
}

int32_t Zu_LineStepper::WalkUntil(const uint8_t* grid, int32_t width, int32_t height, uint8_t mask,
                                  int32_t flags) {
    int32_t steps = 0;
    while (!AtEnd()) {
        Step(1, flags);
        ++steps;
        if (x < 0 || y < 0 || x >= width || y >= height) break;
        if (grid[size_t(y) * size_t(width) + size_t(x)] & mask) break;
    }
    return steps;
}
