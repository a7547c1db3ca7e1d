#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

class OfficerRecord;

constexpr uint8_t kLevelUpCommand = 25;
constexpr size_t kLevelUpCommandSize = 28;

// Sends a level-up the host has applied: the unit id of the record, the side, home city and
// location scope of its troop, then extra and both seeds. The three activity values the caller
// raised it with stay here.
void SendLevelUp(const OfficerRecord& record, int32_t a, int32_t b, int32_t c, int32_t extra, uint32_t seed1,
                 uint32_t seed2);

// The receive side: the officer's troop wherever it stands levels up with the host's seeds. False
// when the payload names no such troop; nothing is touched then.
bool ReceiveLevelUpCommand(std::span<const uint8_t> payload);
