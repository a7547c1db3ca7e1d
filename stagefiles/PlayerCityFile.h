#pragma once

#include <cstdint>

// "Virtual11.castle" .. "Virtual48.castle": the player city file of a campaign stage number;
// null outside 11..48.
const char* PlayerCityFileName(int32_t stage);
