#pragma once

#include <cstdint>
#include <span>

class Troop;

constexpr uint8_t kTroopValueCommand = 21;
constexpr size_t kTroopValueCommandSize = 24;

// Command 21: a value of a troop's officer by kind. The sender computes the new value: 1 strength
// + delta, 2 second gauge + delta, 3 the plain value + delta, 4 loyalty + delta within 0..100,
// 5 (and any other kind) 0, 6 the delta itself. Applied at once in single play or on the host,
// sent when networked; a client only sends, building on the values it has sent until they return.
void NetCmdAddTroopValue(Troop* troop, int32_t delta, int32_t kind);

// The applier, the same on every station: 1 and 2 clamped to 0..their maximum, 3 stored, 4 within
// 0..100, 5 the troop is reset and halted, 6 the strength of a troop with a home city.
void ApplyTroopValue(Troop* troop, int32_t value, int32_t kind);

// The receive side: the troop wherever it is (side, home city and scope of the payload). False when
// the payload names no such troop or kind; nothing is touched then.
bool ReceiveTroopValueCommand(std::span<const uint8_t> payload);
