#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <vector>

// A* over any grid: passability and step cost come from the caller's callbacks.
class Zu_AStar {
public:
    using OpenTest = int (*)(int32_t x, int32_t y, void* context);
    using CostOf = int32_t (*)(int32_t x, int32_t y, void* context);

    struct Node {
        int32_t f = 0, g = 0, h = 0;
        int32_t x = 0, y = 0;
        int32_t index = 0;
        Node* parent = nullptr;
        Node* successors[8] = {};
        int32_t successorCount = 0;
        bool closed = false;
    };

    Zu_AStar(int32_t width, int32_t height, OpenTest open, CostOf cost, void* context);

    // 1 with the goal node, 0 when the open list runs out.
    int Search(int32_t sx, int32_t sy, int32_t gx, int32_t gy);
    Node* Goal() const { return goal; }

private:
    void Relink(Node* parent, Node* child, int32_t g);
    void Propagate(Node* from);
    void Insert(Node* n);

    int32_t width, height;
    OpenTest open;
    CostOf cost;
    void* context;
    int32_t goalX = 0, goalY = 0, goalIndex = 0;
    std::vector<std::unique_ptr<Node>> nodes;
    std::vector<Node*> byIndex;
    std::list<Node*> openList;
    std::vector<Node*> stack;
    Node* goal = nullptr;
};
