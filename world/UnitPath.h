#pragma once

#include <cstdint>

class Troop;

// A point of a troop's path in world coordinates.
struct PathWaypoint {
    int32_t x = 0, y = 0;
    uint8_t kind = 0; // 2 search path, 1 detour
    PathWaypoint* next = nullptr;
};

// The troop's next facing toward (tx, ty), making a path when it has no current step: 1..8, 0xFF
// when it cannot go (the step under way ends), 0 when its no-route byte was set (cleared here).
// A facing with a velocity sets the troop moving.
uint8_t FindUnitPath(Troop* troop, int32_t sx, int32_t sy, int32_t tx, int32_t ty);
// Ends the step under way: the troop stands where it is until a path gives it a new one.
void StopUnitStep(Troop* troop);
// The velocity toward the waypoint at the troop's speed, and its facing (1 with noFacing, 0 when
// the waypoint is the position).
uint8_t ComputeStepVelocity(int32_t wx, int32_t wy, int32_t px, int32_t py, int32_t& vx, int32_t& vy,
                            bool noFacing, int32_t speed);
uint8_t DirectionOfVector(int32_t dx, int32_t dy);
// The step would not bring the position closer to the waypoint: reached or passed.
bool IsStepNotCloser(int32_t px, int32_t py, int32_t wx, int32_t wy, int32_t vx, int32_t vy);
bool IsLineObstructed(int32_t wx, int32_t wy, int32_t vx, int32_t vy);
// 1 when the troop may go on, 0 when it waits or has another order.
int32_t DetourAroundOccupant(Troop* troop);
int32_t ReplanPathEnd(Troop* troop, int32_t tx, int32_t ty);
// True only when no path exists; a search that passes its limit answers false.
bool IsTileUnreachable(Troop* unit, Troop* self, int32_t tx, int32_t ty, int32_t sx, int32_t sy);
void SetBlockedWait(Troop* troop, Troop* blocker);
void FreeUnitPath(Troop* troop);
void FreeUnitSearchNodes(Troop* troop);
void FreeWaypoints(PathWaypoint* list);
