#pragma once

#include "engine/Point.h"

#include <cstdint>

// Screen rectangle with inclusive corners for its size (left == right is one pixel wide) but with
// right and bottom outside for the contains tests, as every hit test of the windows expects.
// Every operation that sets corners keeps it normalised.
class Rect : public GeometryBase {
public:
    Rect() = default;
    Rect(int32_t left, int32_t top, int32_t right, int32_t bottom);
    Rect(const Point& first, const Point& second);
    Rect(const Rect&) = default;
    Rect& operator=(const Rect&) = default;

    void Set(int32_t l, int32_t t, int32_t r, int32_t b);
    void Set(const Point& first, const Point& second);
    void Set(const Rect& other);
    void SetSize(int32_t width, int32_t height);
    void SetSize(const Rect& other);

    int32_t Width() const { return right - left + 1; }
    int32_t Height() const { return bottom - top + 1; }

    Rect& Offset(int32_t dx, int32_t dy);
    Rect& Offset(const Point& p);

    int ContainsXY(int32_t x, int32_t y) const;
    int Contains(const Point& p) const { return ContainsXY(p.x, p.y); }

    // Normalises both rectangles in place; the result is left as computed. Rectangles sharing
    // only an edge column or row intersect.
    int Intersect(Rect& other, Rect& result);
    void Normalize();

    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};
