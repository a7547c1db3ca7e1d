#pragma once

#include "engine/Rect.h"

#include <cstdint>

// A node in a tree of positioned areas: keeps its area in its parent's coordinates and its origin
// in world coordinates, and refreshes that origin when its parent has changed since it last looked.
class PositionNode : public GeometryBase {
public:
    PositionNode(PositionNode* parent, const Rect& area);
    ~PositionNode() override;
    PositionNode(const PositionNode&) = delete;
    PositionNode& operator=(const PositionNode&) = delete;

    void Update();
    // Updates first when the parent changed since the last update.
    void Refresh();
    void MakeCurrent();
    static PositionNode* GetCurrent() { return current; }
    // Does nothing when the rectangle misses the area.
    void Invalidate(const Rect& rect);

    PositionNode* GetParent() const { return parent; }
    const Rect& GetArea() const { return area; }
    const Rect& GetLocalArea() const { return localArea; }
    const Point& GetWorldOrigin() const { return worldOrigin; }
    uint32_t GetUpdateCount() const { return updateCount; }

private:
    PositionNode* parent;
    Rect area;
    Rect localArea;
    Point worldOrigin;
    uint32_t updateCount = 0;
    uint32_t parentUpdateSeen = 0;

    static PositionNode* current;
};
