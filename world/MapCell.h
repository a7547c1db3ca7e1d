#pragma once

#include <cstddef>
#include <cstdint>

class ByteReader;
class ByteWriter;

// One cell of the battle map's grid, and the record of a ".m" map file: its byte positions are
// part of that format.
struct MapCell {
    static constexpr size_t kSize = 16;
    static constexpr uint16_t kNoTile = 0xFFFF;

    uint16_t groundTile = 0;
    uint16_t layerTile = 0;
    uint16_t overlayTile = 0;
    uint16_t spare6 = 0; // carried with the cell, read by nothing here
    uint8_t zoneByte = 0;
    uint8_t obstacle = 0; // 1..127 block; 255 is a wall top units may stand on
    uint8_t ownerMark = 0;
    uint8_t cityId = 0;
    uint8_t fogMark = 0;
    uint8_t spare13 = 0;    // the editor's mark
    uint8_t sightCount = 0; // below 2: hidden from the player
    uint8_t seen = 0;

    // Only 1..127 block: the byte is taken as signed.
    bool Blocks() const { return static_cast<int8_t>(obstacle) > 0; }

    bool Read(ByteReader& in);
    void Write(ByteWriter& out) const;
};

// What every position outside the map reads as.
inline constexpr MapCell kBorderCell = [] {
    MapCell c;
    c.obstacle = 10;
    c.seen = 1;
    return c;
}();
