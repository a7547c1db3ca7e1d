#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

class City;
class Troop;

// Troop order commands, codes 1-14. An entry applies at once in single play or on the host and
// sends the command when the game is networked; a client only sends and waits for the host's copy.
// Roam, attack and wander orders (3, 5, 10, 12, 13, 14) are drawn and given on the host only.
void NetCmdHalt(Troop* troop);
void NetCmd02(Troop* troop, int32_t x, int32_t y);
void RandomRoam(Troop* troop, int32_t inner, int32_t outer);
bool NetCmdTargetTroop(Troop* troop, Troop* target);
void NetCmd05(Troop* troop, Troop* target, int32_t x, int32_t y, uint8_t kind);
// Follows a city, or its sub-castle of that kind (0 the city itself).
void NetCmdFollowTarget(Troop* troop, City* city, int32_t subCastleKind);
void NetCmdMoveTo(Troop* troop, int32_t x, int32_t y, int32_t x2, int32_t y2);
void NetCmd08(Troop* troop, int32_t x, int32_t y);
bool NetCmd09(Troop* troop, City* city, int32_t skillSlot);
void NetCmd10(Troop* troop, City* city, int32_t x, int32_t y, uint8_t kind);
bool NetCmdEngage(Troop* troop, Troop* target, int32_t x, int32_t y, int32_t attackKind);
void NetCmd12(Troop* troop, Troop* target, int32_t x, int32_t y, int32_t skill, uint8_t kind);
void RandomWanderA(Troop* troop, int32_t argument);
void RandomWanderB(Troop* troop, int32_t argument);

// How a game command leaves this station; the network session installs it (null: nothing is sent).
using GameCommandSender = void (*)(uint8_t code, const uint8_t* payload, size_t length);
void SetGameCommandSender(GameCommandSender sender);
GameCommandSender CurrentGameCommandSender();

enum class TroopCommandOutcome {
    Drop,    // malformed or naming nothing here: not applied, not passed on
    Applied, // done here, not passed on
    Relay,   // done here (or refused alike on every station); the host passes it on
};
// The receive side of codes 1-14: every id, cell, key and kind is checked before anything is
// touched.
TroopCommandOutcome ReceiveTroopCommand(uint8_t code, std::span<const uint8_t> payload);
// Whether a client may send the code to the host at all.
bool ClientMaySendTroopCommand(uint8_t code);

// The troop whose officer carries that unit id, over every kingdom of the stage; null none.
Troop* FindTroopById(uint32_t id);
