#pragma once

#include <cstdint>

// The experience a general of that level starts with, from the parameter table of the game kind
// being played; levels outside 1..30 take the nearest.
int32_t ExperienceFloor(int32_t level);
