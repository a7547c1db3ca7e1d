#pragma once

#include <cstdint>

// A digest of the running stage's shared state: the calendar, every kingdom with its tallies, field
// troops and field generals, and every city of the city table with its generals, units,
// sub-castles and keepers. Two stations that applied the same commands, or two runs of one stage
// from the same seed, end with the same digest. Pointers never enter it.
uint64_t WorldDigest();
