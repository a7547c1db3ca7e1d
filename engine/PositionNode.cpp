#include "engine/PositionNode.h"

PositionNode* PositionNode::current = nullptr;

PositionNode::PositionNode(PositionNode* parent, const Rect& area) : parent(parent), area(area) {
    localArea = this->area;
    localArea.Offset(-this->area.left, -this->area.top);
    Update();
}

PositionNode::~PositionNode() {
    if (current == this) current = nullptr;
}

void PositionNode::Update() {
    worldOrigin.Set(area.left, area.top);
    if (parent) {
        worldOrigin.Offset(parent->worldOrigin);
        parentUpdateSeen = parent->updateCount;
    }
    ++updateCount;
}

void PositionNode::Refresh() {
    if (parent) parent->Refresh();
    if (parent && parent->updateCount != parentUpdateSeen) Update();
}

void PositionNode::MakeCurrent() {
    Refresh();
    current = this;
}

void PositionNode::Invalidate(const Rect& rect) {
    Rect r = rect;
    Rect inter;
    if (!r.Intersect(area, inter)) return;
    Update();
}
