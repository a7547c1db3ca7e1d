#include "world/Zu_AStar.h"

#include <algorithm>

Zu_AStar::Zu_AStar(int32_t w, int32_t h, OpenTest o, CostOf c, void* ctx)
    : width(w), height(h), open(o), cost(c), context(ctx) {}

void Zu_AStar::Insert(Node* n) {
    auto at = std::find_if(openList.begin(), openList.end(), [&](const Node* m) { return m->f > n->f; });
    openList.insert(at, n);
}

void Zu_AStar::Relink(Node* parent, Node* child, int32_t g) {
    child->parent = parent;
    child->g = g;
    child->f = g + child->h;
}

// A closed node got a lower g: its successors that came through it follow.
void Zu_AStar::Propagate(Node* from) {
    stack.clear();
    stack.push_back(from);
    while (!stack.empty()) {
        Node* n = stack.back();
        stack.pop_back();
        for (int32_t i = 0; i < n->successorCount; ++i) {
            Node* s = n->successors[i];
            const int32_t g = n->g + cost(s->x, s->y, context);
            if (g >= s->g) continue;
            Relink(n, s, g);
            if (!s->closed) {
                openList.remove(s);
                Insert(s);
            }
            stack.push_back(s);
        }
    }
}

int Zu_AStar::Search(int32_t sx, int32_t sy, int32_t gx, int32_t gy) {
    nodes.clear();
    openList.clear();
    goal = nullptr;
    if (width <= 0 || height <= 0 || sx < 0 || sy < 0 || sx >= width || sy >= height) return 0;
    byIndex.assign(size_t(width) * size_t(height), nullptr);
    goalX = gx;
    goalY = gy;
    goalIndex = gy * width + gx;
    auto heuristic = [&](int32_t x, int32_t y) { return (x - gx) * (x - gx) + (y - gy) * (y - gy); };

    nodes.push_back(std::make_unique<Node>());
    Node* start = nodes.back().get();
    start->x = sx;
    start->y = sy;
    start->index = sy * width + sx;
    start->h = heuristic(sx, sy);
    start->f = start->h;
    byIndex[size_t(start->index)] = start;
    openList.push_back(start);

    while (!openList.empty()) {
        Node* n = openList.front();
        openList.pop_front();
        n->closed = true;
        if (n->index == goalIndex) {
            goal = n;
            return 1;
        }
        for (int32_t dx = -1; dx <= 1; ++dx) {
            for (int32_t dy = -1; dy <= 1; ++dy) {
                if (dx == 0 && dy == 0) continue;
                const int32_t x = n->x + dx, y = n->y + dy;
                if (x < 0 || y < 0 || x >= width || y >= height || !open(x, y, context)) continue;
                const int32_t g = n->g + cost(x, y, context);
                const int32_t index = y * width + x;
                Node* s = byIndex[size_t(index)];
                if (!s) {
                    nodes.push_back(std::make_unique<Node>());
                    s = nodes.back().get();
                    s->x = x;
                    s->y = y;
                    s->index = index;
                    s->h = heuristic(x, y);
                    Relink(n, s, g);
                    byIndex[size_t(index)] = s;
                    Insert(s);
                } else if (g < s->g) {
                    Relink(n, s, g);
                    if (s->closed)
                        Propagate(s);
                    else {
                        openList.remove(s);
                        Insert(s);
                    }
                }
                if (n->successorCount < 8) n->successors[n->successorCount++] = s;
            }
        }
    }
    return 0;
}
