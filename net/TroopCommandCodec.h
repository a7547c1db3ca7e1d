#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// The payload of a troop order command (codes 1-14). Each code uses the fields its layout names;
// the rest stay 0. Every payload starts with the troop's unit id.
struct TroopCommand {
    uint8_t code = 0;
    uint32_t troop = 0;
    uint32_t target = 0;  // target troop (4, 5, 11, 12), city key (9, 10), target code (6)
    uint32_t subKind = 0; // 6: sub-castle kind, 0 the city itself
    int32_t worldX = 0, worldY = 0;
    uint16_t x = 0, y = 0;
    uint16_t x2 = 0, y2 = 0; // 7: second point, x2 0xFFFF none
    uint8_t kind = 0;        // 5, 10: attack kind; 12: kind byte
    int32_t skill = 0;       // 9, 12: skill slot; 11: attack kind
    uint8_t hasTarget = 0;   // 11, 12
    uint8_t direction = 0;   // 13, 14
    uint8_t argument = 0;    // 13, 14
};

constexpr uint8_t kFirstTroopCommand = 1;
constexpr uint8_t kLastTroopCommand = 14;

// The payload size of a code; 0 for a code outside 1..14.
size_t TroopCommandSize(uint8_t code);
std::vector<uint8_t> PackTroopCommand(const TroopCommand& command);
// Nothing unless the payload has exactly the size of its code.
std::optional<TroopCommand> UnpackTroopCommand(uint8_t code, std::span<const uint8_t> payload);
