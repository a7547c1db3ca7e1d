#include "engine/Rect.h"

#include <algorithm>
#include <utility>

Rect::Rect(int32_t l, int32_t t, int32_t r, int32_t b) {
    Set(l, t, r, b);
}

Rect::Rect(const Point& first, const Point& second) {
    Set(first, second);
}

void Rect::Set(int32_t l, int32_t t, int32_t r, int32_t b) {
    left = l;
    top = t;
    right = r;
    bottom = b;
    Normalize();
}

void Rect::Set(const Point& first, const Point& second) {
    Set(first.x, first.y, second.x, second.y);
}

void Rect::Set(const Rect& other) {
    Set(other.left, other.top, other.right, other.bottom);
}

void Rect::SetSize(int32_t width, int32_t height) {
    right = left + width - 1;
    bottom = top + height - 1;
    Normalize();
}

void Rect::SetSize(const Rect& other) {
    SetSize(other.Width(), other.Height());
}

Rect& Rect::Offset(int32_t dx, int32_t dy) {
    left += dx;
    right += dx;
    top += dy;
    bottom += dy;
    return *this;
}

Rect& Rect::Offset(const Point& p) {
    return Offset(p.x, p.y);
}

int Rect::ContainsXY(int32_t x, int32_t y) const {
    return (left <= x && x < right && top <= y && y < bottom) ? 1 : 0;
}

int Rect::Intersect(Rect& other, Rect& result) {
    Normalize();
    other.Normalize();
    result.left = std::max(left, other.left);
    result.top = std::max(top, other.top);
    result.right = std::min(right, other.right);
    result.bottom = std::min(bottom, other.bottom);
    return (result.left <= result.right && result.top <= result.bottom) ? 1 : 0;
}

void Rect::Normalize() {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
}
