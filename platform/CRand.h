#pragma once

#include <cstdint>

// The game's runtime random generator, not the host's: every rand() of the game logic draws from
// this one so that its sequence and its range 0..32767 (CRandMax) are the ones the game was
// tuned with. Each thread has its own state, seeded 1 when the thread starts, as in the
// multithreaded runtime.
namespace platform {

constexpr int CRandMax = 0x7FFF;

int rand();
void srand(uint32_t seed);

} // namespace platform
