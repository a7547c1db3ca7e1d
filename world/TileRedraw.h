#pragma once

#include <cstdint>

// A cell rewritten by a stamp while in view: the map view patches it into its terrain next frame.
struct TileRedraw {
    int32_t x = 0;
    int32_t y = 0;
    uint16_t groundTile = 0;
    uint16_t layerTile = 0;
    uint16_t flag = 0;
};
