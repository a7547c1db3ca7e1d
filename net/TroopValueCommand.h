#pragma once

#include <cstdint>
#include <span>

class Troop;

constexpr uint8_t kTroopValueCommand = 21;
constexpr size_t kTroopValueCommandSize = 24;

// Command 21 for a troop's strength (kind 1) and second gauge (kind 2): the new value is the current
// one plus the delta. Applied at once in single play or on the host, sent when networked; a client
// only sends. The other value kinds come with the rest of the state commands.
void NetCmdAddTroopValue(Troop* troop, int32_t delta, int32_t kind);

// The receive side: a troop on the field by its unit id, the value clamped to 0..its maximum. False
// when the payload names no such troop or kind; nothing is touched then.
bool ReceiveTroopValueCommand(std::span<const uint8_t> payload);
