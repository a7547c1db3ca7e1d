#pragma once

#include <cstdint>
#include <string>
#include <vector>

class ByteReader;

// One gate as the door files store it: 23 words, of which a door file uses the centre cell,
// direction, open state, the city cell and the style.
struct GateRecord {
    static constexpr uint32_t kSize = 92;
    int32_t centreX = 0;
    int32_t centreY = 0; // in 20-pixel tile rows
    int32_t direction = 0;
    int32_t openState = 0;
    int32_t cityX = 0, cityY = 0;
    int32_t style = 0;

    // One record of `size` stored bytes (at most 92 kept).
    bool Read(ByteReader& in, uint32_t size);
};

// The door file of a stage: the tag "Door    Data", the record size 92, then per kingdom its
// gate count and its gates.
std::vector<uint8_t> WriteDoorFile(const std::vector<std::vector<GateRecord>>& gatesByKingdom);
// Reads `kingdoms` blocks; false when the file is cut short or its record size is impossible.
bool ReadDoorFile(ByteReader& in, int kingdoms, std::vector<std::vector<GateRecord>>& out);
