#pragma once

#include "gui/RootObject.h"

#include <cstdint>

// Common base of the geometry values, so they can be deleted through a base pointer.
class GeometryBase : public RootObject {
public:
    GeometryBase() = default;
    ~GeometryBase() override = default;
    GeometryBase(const GeometryBase&) = default;
    GeometryBase& operator=(const GeometryBase&) = default;
};

class Point : public GeometryBase {
public:
    Point() = default;
    Point(int32_t x, int32_t y) : x(x), y(y) {}
    Point(const Point&) = default;
    Point& operator=(const Point&) = default;

    void Set(int32_t nx, int32_t ny) {
        x = nx;
        y = ny;
    }
    void Offset(int32_t dx, int32_t dy) {
        x += dx;
        y += dy;
    }
    void Offset(const Point& p) { Offset(p.x, p.y); }

    int32_t x = 0;
    int32_t y = 0;
};
