#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RandomMapRun;
struct GeneratorGrid;
struct TileAttributeTables;

// The ".m" bytes of the generated grid: sizes, "Hello1.0", 16 bytes per cell. Footprint cells
// (obstacle 8) keep 8 in the file and become 1 in the grid; other cells take the obstacle of
// their tiles, walls 255.
std::vector<uint8_t> BuildVirtualMapFile(GeneratorGrid& grid, const TileAttributeTables& attributes);
// The 160 x 120 minimap (5-6-5, top row first) of the grid.
std::vector<uint8_t> BuildVirtualMinimap(const GeneratorGrid& grid, const TileAttributeTables& attributes);

// Stamps the city and sub-castle footprints, writes "Virtual.dor", name + ".m" and the minimap
// (the extension letter "x"), then drops the laid-out gates and the kingdoms' field units. Any
// earlier files of those names are removed first, so a failure never leaves an older map behind;
// false when a file cannot be written.
bool SaveVirtualMap(RandomMapRun& run, const std::string& name);
