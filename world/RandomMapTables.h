#pragma once

#include <array>
#include <cstdint>

struct GameParameters;

// The built-in pools and tables of the random map generator.
inline constexpr int kRulerPoolSize = 32;
inline constexpr int kOfficerPoolSize = 277;
extern const int32_t RulerPool[kRulerPoolSize];
extern const int32_t OfficerPool[kOfficerPoolSize];

// Block positions of the player cities when random placement gives up, by map size index.
struct BlockPosition {
    int8_t x, y;
};
extern const BlockPosition FixedCityPositions[16][16];
// Castle template positions by resource level.
extern const int8_t CastleTemplateChoice[4][2];

// City footprint sizes by city kind (0..11).
int32_t CityFootprintSize(int32_t kind);

// Settings the generator reads from the game-parameter table, with their built-in values.
struct RandomMapSettings {
    // Per map size index: blocks, kingdoms, cities, villages, lairs.
    int32_t rows[15][5];
    int32_t officerOptions[4] = {7, 9, 11, 13};
    // Short-sword, mounted and bow standby troops per officer option.
    int32_t standby[4][3] = {{6, 6, 6}, {8, 8, 8}, {10, 10, 10}, {10, 10, 12}};
    int32_t lairLeaders[3] = {406, 407, 408};
    int32_t caveBeasts[3] = {432, 433, 434};
    int32_t tombMonsters[3] = {435, 436, 437};

    RandomMapSettings();
    // The rows and officer tables that the parameter file gives, the built-ins elsewhere.
    static RandomMapSettings From(const GameParameters& params);

    int32_t Row(int sizeIndex, int column) const {
        return sizeIndex >= 0 && sizeIndex < 15 ? rows[sizeIndex][column] : 0;
    }
};

// 16 colours per nation (filled from the palettes) and per kingdom id.
using ColourRow = std::array<uint16_t, 16>;
extern std::array<ColourRow, 129> NationColourTable;
extern std::array<ColourRow, 129> KingdomColourTable;
