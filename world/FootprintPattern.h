#pragma once

#include <cstdint>
#include <memory>
#include <vector>

// One entry of a footprint table: a diamond of `width` cells across its middle row, and the arrays
// its file carries (empty when absent). Indexes past an array's end count as absent.
struct FootprintPattern {
    uint16_t width = 0;
    uint16_t height = 0;
    std::vector<uint16_t> cellTiles; // one per diamond position in walk order
    std::vector<uint16_t> outline;   // one per written outline cell
    std::vector<uint8_t> mask;       // obstacle byte per diamond position
};

// The footprint tables of the ".code" files; an entry is null where the file has none.
struct FootprintTables {
    static constexpr int kBuilding = 87;
    static constexpr int kConstruction = 37;
    static constexpr int kDoor = 48;
    static constexpr int kFarm = 12;
    static constexpr int kArrowTower = 12;

    std::unique_ptr<FootprintPattern> building[kBuilding];
    std::unique_ptr<FootprintPattern> construction[kConstruction];
    std::unique_ptr<FootprintPattern> door[kDoor];
    std::unique_ptr<FootprintPattern> farm[kFarm];
    std::unique_ptr<FootprintPattern> arrowTower[kArrowTower];

    void Clear();
};

// Filled once at start-up by the game-data loader.
FootprintTables& Footprints();

// The entry n of a table, or null when n lies outside it.
template <int N>
const FootprintPattern* PatternAt(const std::unique_ptr<FootprintPattern> (&table)[N], int n) {
    return n >= 0 && n < N ? table[n].get() : nullptr;
}
