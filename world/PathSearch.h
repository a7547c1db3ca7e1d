#pragma once

#include <cstdint>

class Troop;
struct PathWaypoint;

// One visited unit cell of a search.
struct PathNode {
    int16_t x = 0, y = 0;
    int16_t g = 0; // steps from the start
    int32_t f = 0;
    int32_t cellIndex = 0;
    int32_t h = 0;
    uint8_t direction = 0; // the step it was reached by
    PathNode* parent = nullptr;
};

// The unit-cell steps in the order a search tries them, and for a diagonal step the map cell
// (relative to (x, 2y)) that must be free as well.
struct UnitStep {
    int8_t dx, dy;
    int8_t cornerX, cornerRow;
};
inline constexpr UnitStep kUnitSteps[8] = {
    {0, 1, 0, 0},   {-1, 0, 0, 0},    {0, -1, 0, 0},  {1, 0, 0, 0},
    {-1, 1, -1, 1}, {-1, -1, -1, -1}, {1, -1, 0, -1}, {1, 1, 0, 1},
};

enum SearchResult : uint8_t { kSearchFound = 0, kSearchLimit = 1, kSearchNoPath = 2 };

// Best-first search on the unit grid from (sx, sy) to (tx, ty). `unit` null ignores other units;
// with one, a cell holding a valid target of it (other than `self`) blocks, near the start only
// unless `result` holds 1 on entry (everywhere). `weight` 0 is chosen from the distance, `limit` 0
// is 10000 expansions. `result` comes back 0 found, 1 limit passed, 2 no path. The nodes stay
// until ResetPathSearch, so a caller can join two legs.
PathNode* SearchGridPath(Troop* unit, Troop* self, int32_t sx, int32_t sy, int32_t tx, int32_t ty,
                         int32_t weight, int32_t limit, uint8_t& result);
// The same over wall tops only; with a unit, a node from which its target is in range will do.
PathNode* SearchWallPath(Troop* unit, int32_t sx, int32_t sy, int32_t tx, int32_t ty, int32_t weight,
                         int32_t limit, uint8_t& result);
// Frees every node of the searches since the last reset.
void ResetPathSearch();
// Expansions of the last search, and the g of the node it stopped at.
int32_t PathSearchExpansions();
void CapPathSearchExpansions(int32_t cap);
int32_t LastPathG();

// The unit step from (x1, y1) to (x2, y2) meets an obstacle at its end or at its corner.
bool IsStepBlocked(int32_t x1, int32_t y1, int32_t x2, int32_t y2);

// Waypoints from the start cell to the goal: the straightened path, one per node (wall walkers),
// and one per node marked as a detour.
PathWaypoint* StraightenPath(const PathNode* goal);
PathWaypoint* WallPathToWaypoints(const PathNode* goal);
PathWaypoint* NodesToWaypoints(const PathNode* goal);
