#pragma once

#include <cstdint>

// Walks the whole points of a line from one point to another, in integer steps.
class Zu_LineStepper {
public:
    // Flag bit 0: one axis per step (no diagonal moves).
    static constexpr int kOneAxis = 1;

    void Init(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t flags);
    // Advances up to n points; the number advanced.
    int32_t Step(int32_t n, int32_t flags);
    bool AtEnd() const { return x == endX && y == endY; }
    int32_t GetX() const { return x; }
    int32_t GetY() const { return y; }
    // Steps until the grid byte under the point has one of the mask bits, or to the end; the
    // number of steps taken. Points off the grid count as set.
    int32_t WalkUntil(const uint8_t* grid, int32_t width, int32_t height, uint8_t mask, int32_t flags);

    int32_t startX = 0, startY = 0, endX = 0, endY = 0;
    int32_t adx = 0, ady = 0;
    int32_t stepX = 0, stepY = 0;
    bool xLeads = true;
    int32_t error = 0;
    int32_t x = 0, y = 0;
    int32_t angle = 0; // degrees, counter-clockwise from east with y growing downward
};
