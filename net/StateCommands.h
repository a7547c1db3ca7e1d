#pragma once

#include "net/room/GameCommandTable.h"

#include <cstddef>
#include <cstdint>
#include <span>

class City;
class Troop;

// State commands 19, 23, 24, 26 and 27. An entry applies at once in single play or on the host and
// sends the command when the game is networked; a client only sends, and only where its role lets
// it (19, 26 and 27 are decided by the host alone).
constexpr uint8_t kTroopDefeatedCommand = 19;
constexpr uint8_t kSkillEffectCommand = 23;
constexpr uint8_t kCityActionCommand = 24;
constexpr uint8_t kSwitchForceCommand = 26;
constexpr uint8_t kStandMoveCommand = 27;

// A troop defeated by the killer's side: the drop kind and the two shared seeds are drawn here.
void NetCmdTroopDefeated(Troop* troop, int32_t killerSide, Troop* attacker);
// Effect kinds 0..6: 0 cast a skill, 2 clear status bits, 3 change form, 4 convert, 5 cure, 6 summon.
void NetCmdSkillEffect(Troop* troop, int32_t value, uint8_t kind);
// The city sends a wall unit out to (x, y).
void NetCmdCityAction(City* city, int32_t x, int32_t y);
void NetCmdSwitchTroopForce(Troop* troop, int32_t kingdom);
// Action 0 stand, 1 walk to the destination, 2 the route is finished; true when action 2 changed
// the order.
bool NetCmd27(Troop* troop, uint8_t action);

// The payload size of one of these codes (0 for another code).
size_t StateCommandSize(uint8_t code);
// The receive side: every id, index, cell and kind is checked against the world first.
CommandOutcome ReceiveStateCommand(uint8_t code, std::span<const uint8_t> payload);

// The appliers, the same code on every station.
void ApplyTroopDefeat(Troop* troop, int32_t killerSide, uint32_t dropKind, uint32_t seed1, uint32_t seed2);
void ApplySkillEffectCommand(Troop* troop, int32_t value, uint8_t kind);
bool ApplyCityAction(City* city, int32_t x, int32_t y);
void ApplyForceSwitch(Troop* troop, int32_t kingdom);
bool ApplyStandMove(Troop* troop, uint8_t action);
