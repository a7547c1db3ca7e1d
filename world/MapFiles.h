#pragma once

#include "world/MapCell.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

// A stage map: the ".m" cell grid and three 160 x 120 minimap layers ".x" (terrain), ".csm" and
// ".cmb" (fog), held in 5-6-5 whatever the display's layout, so a save writes them back unchanged.
constexpr int kMinimapWidth = 160;
constexpr int kMinimapHeight = 120;
constexpr size_t kMinimapBytes = size_t(kMinimapWidth) * kMinimapHeight * 2;
// Larger maps than this are refused as damaged (the random maps stay far below).
constexpr int32_t kMaxMapWidth = 2048;
constexpr int32_t kMaxMapRows = 8192;
constexpr int32_t kMaxMapCells = 4 * 1024 * 1024;

// The minimap area a map of the given size fills inside 160 x 120, keeping its proportions.
struct MinimapRect {
    int32_t left = 0, top = 0, right = kMinimapWidth, bottom = kMinimapHeight;
};
MinimapRect FitMinimapRect(int32_t width, int32_t rows);

// A ".m" file read and checked: sizes within the caps and a cell record for every position.
struct MapGrid {
    int32_t width = 0;
    int32_t rows = 0;
    std::unique_ptr<MapCell[]> cells;
};
// Reads the ".m" bytes; false for a damaged file. `progress`, when given, hears the loading
// progress 10..70 as the cells are read.
bool ParseMapFile(std::span<const uint8_t> bytes, MapGrid& out, void (*progress)(int) = nullptr);
std::vector<uint8_t> WriteMapFile(int32_t width, int32_t rows, const MapCell* cells);
// The load fixes: cityId above 99 cleared with the owner mark, the sight of a saved game
// dropped, the first cell of every even row and the cells above the gate-foot overlays blocked.
void ApplyMapLoadFixes(MapGrid& grid, bool savedGame);

// Loads name + ".m", ".x", ".csm" (optional) and ".cmb" into the battle map, the game
// controller's minimap layers and the map view. 1, or 0 with an error record and the old map
// left as it was.
int LoadMapFiles(const char* name);
// Writes the four files; 1 or 0.
int SaveMapFiles(const char* name);
// The map "stage" + two digits of n.
int LoadStageMapByNumber(int n);
