#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class Troop;

// A troop's death (17), capture (18) and counters (20). The host decides and applies them, then sends
// them to every peer; a client never sends them.
constexpr uint8_t kKillCommand = 17;
constexpr uint8_t kCaptureCommand = 18;
constexpr uint8_t kUnitCountersCommand = 20;
constexpr size_t kKillCommandSize = 20;
constexpr size_t kCaptureCommandSize = 32;
constexpr size_t kUnitCountersCommandSize = 32;

// How a troop is named on the wire: its officer's serial, owner, home city and location scope.
struct TroopName {
    uint32_t id = 0;
    int32_t side = 0;
    int32_t homeCity = 0;
    uint32_t scope = 0;
    bool operator==(const TroopName&) const = default;
};
struct KillPayload {
    TroopName troop;
    int32_t killer = 0;
    bool operator==(const KillPayload&) const = default;
};
struct CapturePayload {
    TroopName troop;
    int32_t worldX = 0, worldY = 0;
    int32_t captor = 0;
    int32_t dropMode = 0;
    bool operator==(const CapturePayload&) const = default;
};
struct UnitCountersPayload {
    TroopName troop;
    int32_t values[4] = {}; // the officer's fourth word, then counters 0, 1 and 2
    bool operator==(const UnitCountersPayload&) const = default;
};

std::vector<uint8_t> PackKill(const KillPayload& p);
std::vector<uint8_t> PackCapture(const CapturePayload& p);
std::vector<uint8_t> PackUnitCounters(const UnitCountersPayload& p);
// False for a payload of the wrong size.
bool UnpackKill(std::span<const uint8_t> bytes, KillPayload& out);
bool UnpackCapture(std::span<const uint8_t> bytes, CapturePayload& out);
bool UnpackUnitCounters(std::span<const uint8_t> bytes, UnitCountersPayload& out);

// Senders: only a networked host sends.
void NetSendCmd17(Troop* troop, int32_t killerKingdom);
void NetSendCmd18(Troop* troop, int32_t captorKingdom, int32_t dropMode);
void NetSendUnitCounters(Troop* troop);

// Receivers: false, with nothing touched, when the payload is malformed or names no troop here.
bool ReceiveKillCommand(std::span<const uint8_t> payload);
bool ReceiveCaptureCommand(std::span<const uint8_t> payload);
bool ReceiveUnitCountersCommand(std::span<const uint8_t> payload);
