#pragma once

#include <cstdint>

// The largest officer serial held anywhere in the loaded world (troops and their followers, gate
// pieces, city and sub-castle officers and units, the dead-officer list); 0 when there is none.
uint32_t LargestWorldSerial();
// Moves the settings' serial counter past every serial a restored world holds, so no officer made
// later takes one of them again.
void RaiseSerialCounterPastWorld();
