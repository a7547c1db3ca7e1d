#pragma once

#include <cstdint>
#include <span>

class ByteWriter;

// A troop's standing order for its kingdom's campaign: 48 bytes on disk and in saves.
struct TroopOrder {
    static constexpr uint32_t kSize = 48;

    int8_t alert = 0;   // how near an enemy must come before the troop takes it on
    uint8_t pursue = 0; // bits 0-5 distance, bit 6 post on a wall cell, bit 7 away pursuing
    uint8_t spare[2] = {};
    uint8_t stormThenRoam = 0;
    uint8_t reserved1[3] = {};
    int32_t secondX = 0, secondY = 0; // low 16 bits are the cell
    int16_t postX = 0, postY = 0;
    int8_t orderState = 0;
    int16_t gatherX = 0, gatherY = 0;
    int32_t targetCityId = 0;
    uint8_t wanderDirection = 0;
    uint8_t reserved2[15] = {}; // bytes 33..47

    void Write(ByteWriter& out) const;
    // False (and the order unchanged) when fewer than 48 bytes are given.
    bool Read(std::span<const uint8_t> bytes);
};
