#pragma once

#include "engine/Rect.h"

#include <memory>
#include <vector>

// A set of non-overlapping rectangles kept in slots that grow eight at a time. Adding a rectangle
// first cuts it out of every stored one, so the slots never overlap.
class RectRegion : public GeometryBase {
public:
    RectRegion() = default;
    ~RectRegion() override = default;
    RectRegion(const RectRegion&) = delete;
    RectRegion& operator=(const RectRegion&) = delete;

    void Add(const Rect& rect);
    void Subtract(const Rect& rect);
    void AddRegion(const RectRegion& other);
    void Copy(const RectRegion& other);
    void Offset(int32_t dx, int32_t dy);
    void Clear();

    // Stores into `out` every non-empty intersection of this region with `rect`; 1 when any.
    int Clip(const Rect& rect, RectRegion& out) const;

    int GetCount() const;
    int GetSlotCount() const { return static_cast<int>(slots.size()); }
    const Rect* GetAt(int slot) const;

private:
    void Store(const Rect& rect);

    std::vector<std::unique_ptr<Rect>> slots;
    int firstFree = 0;
};
