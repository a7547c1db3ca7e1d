#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class Troop;

// One waypoint of the stage's graph: a unit cell and the waypoints the bounded search links it to.
struct RouteNode {
    static constexpr int kLinks = 120;
    int32_t x = 0, y = 0;
    int32_t stepCost = 0; // from the predecessor, while planning
    int32_t linkCosts[kLinks] = {};
    RouteNode* links[kLinks] = {}; // used slots first; the first null ends them
    int32_t spare = 0;
    RouteNode* next = nullptr;
    RouteNode* mark = nullptr; // planning: the predecessor
    bool marked = false;       // planning: already tried as entry or exit
    int32_t queueIndex = -1;   // planning: place in the walk's queue

    int FirstFreeSlot() const;
};

// One step of a troop's route through the graph.
struct RouteStep {
    int32_t x = 0, y = 0;
    RouteStep* next = nullptr;
};

// The overlay tile that marks a waypoint cell.
inline constexpr uint16_t kWaypointMarker = 0x1ACB;

// The graph of the current stage (head of its node list, in map scan order).
RouteNode* RouteGraphHead();
int32_t RouteNodeCount();
void FreeRouteGraph();
void BuildRouteGraph();
bool LinkRouteNodes(int32_t x1, int32_t y1, int32_t x2, int32_t y2);

// The cache file of the current stage: "stage01.opt" for campaign stages 1..6, else
// "stage<n>.opt".
std::string RouteCacheName();
// Reads the graph from cache bytes: accepted only when the size fits the node count and every
// node is a waypoint marker cell of this map; otherwise the graph stays empty.
bool ParseRouteCache(std::span<const uint8_t> bytes);
std::vector<uint8_t> SerializeRouteGraph();
void ReadRouteCache();
void BuildAndWriteRouteCache();
void LoadOrBuildRouteCache();

// The troop's route from the waypoint nearest (sx, sy) that it can reach to the one nearest
// (tx, ty) that reaches the goal; false when there is none.
bool PlanRouteViaGraph(Troop* troop, int32_t sx, int32_t sy, int32_t tx, int32_t ty);
void FreeRouteSteps(RouteStep* steps);
