#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

class Kingdom;

constexpr uint8_t kDiplomacyCommand = 29;
constexpr size_t kDiplomacyCommandSize = 16;

// A kingdom's stance toward another, decided in single play or on the host and sent to every
// station: the relation both ways (1 alliance, 2 peace, 3 war; 0 leaves it) and the first
// kingdom's attitude toward the other (kept within 0..100).
void NetCmdSetDiplomacy(Kingdom* from, Kingdom* to, int32_t relation, int32_t attitude);

// The same on every station; the station whose player kingdom made an alliance or a war shows or
// takes back the other kingdom's sight.
void ApplyDiplomacy(Kingdom* from, Kingdom* to, int32_t relation, int32_t attitude);

// The receive side: both sides known, a relation of 0..3. False, with nothing touched, otherwise.
bool ReceiveDiplomacyCommand(std::span<const uint8_t> payload);
