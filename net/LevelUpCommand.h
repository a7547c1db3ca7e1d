#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

class OfficerRecord;

constexpr uint8_t kLevelUpCommand = 25;
constexpr size_t kLevelUpCommandSize = 28;

// Sends a level-up the host has applied: the unit id of the record, the kingdom, home city and
// location scope it was raised with, then extra and both seeds.
void SendLevelUp(const OfficerRecord& record, int32_t kingdom, int32_t homeCity, int32_t scope, int32_t extra,
                 uint32_t seed1, uint32_t seed2);

// The receive side: the troop on the field with that unit id levels up with the host's seeds.
// False when the payload names no such troop; nothing is touched then.
bool ReceiveLevelUpCommand(std::span<const uint8_t> payload);
