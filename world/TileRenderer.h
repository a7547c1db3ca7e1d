#pragma once

#include <cstdint>

struct MapCell;

// Composes a map cell into a 40 x 20 tile (pitch 40): its ground tile, then the non-zero pixels
// of its layer tile, from the terrain cells of the resource store. Pixels outside the diamond
// are left as they were.
void BlitTiles(const MapCell& cell, uint16_t* tile);
