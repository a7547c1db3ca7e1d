#pragma once

#include <cstdint>

// The map view's origin, in cells, as skill movies on the map follow it; the map view itself
// belongs to the battle world, which builds it around these.
class MapView {
public:
    int32_t viewX = 0;
    int32_t viewY = 0;
};
