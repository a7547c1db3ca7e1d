#pragma once

// Stage file sections made of the game's own records, for the tests and the fuzz seeds.

#include "records/OfficerRecord.h"

#include <cstdint>
#include <vector>

namespace sectionfix {

// An officer record of side 1 with that person number and name.
OfficerRecord* General(int32_t person, const char* name);
// A kingdom of two cities with generals, saved as the stage file holds it.
std::vector<uint8_t> SavedKingdom();

} // namespace sectionfix
