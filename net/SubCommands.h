#pragma once

#include "net/room/GameCommandTable.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <vector>

class City;
class Troop;

// Game command 48: byte 0 of the payload selects a sub-command 0x15..0x24. Every entry applies at
// once in single play or on the host and sends when networked; a client only sends. New unit ids
// are drawn by the sender and carried, so every station makes the same ones.
constexpr uint8_t kSubCommandCode = 48;

enum SubCommand : uint8_t {
    kSubSetEquipment = 0x15,
    kSubUseItem = 0x16,
    kSubPlaceMapObject = 0x17,
    kSubCityItemList = 0x18,
    kSubCityTroopMove = 0x19,
    kSubForceFocus = 0x1a,
    kSubKeeperList = 0x1c,
    kSubCityEvent = 0x1d,
    kSubCreateOfficer = 0x1e,
    kSubOrderMode = 0x1f,
    kSubPlotKind = 0x20,
    kSubUnitAction = 0x21,
    kSubPickUp = 0x23,
    kSubAutoAssign = 0x24,
};

// The payload size of a sub-command; 0 for one without a handler.
size_t SubCommandSize(uint8_t sub);
// The payload: the sub-command byte, three unused bytes, then the fields in table order.
std::vector<uint8_t> PackSubCommand(uint8_t sub, std::initializer_list<uint32_t> fields);
// The fields after the sub-command byte, or nothing unless the payload has the sub-command's size.
std::optional<std::vector<uint32_t>> UnpackSubCommand(std::span<const uint8_t> payload);

// Entries.
void NetCmdDropItem(Troop* troop, uint32_t slot, uint32_t item);
void NetCmdUseItem(Troop* troop, uint32_t slot);
void NetCmdPlaceMapObject(uint32_t owner, uint32_t kind, uint32_t x, uint32_t y);
void NetCmdCityTroopMove(City* city, uint32_t unit, Troop* source, Troop* destination,
                         uint32_t templateNumber, uint8_t kind);
void NetCmdForceFocus(City* city);
// The city's item stock loses the entry at the index (when not negative), then gains the item
// (when not 0).
void NetCmdListRemove(City* city, int32_t index, uint32_t item);
// `value` is the keeper's new second gauge (negative: unchanged); a client builds it on what it
// has sent before the host's copy returns.
void NetCmdSpecialWindowList(City* city, int32_t index, uint32_t item, int32_t value);
void NetCmdCityEvent(City* city, uint32_t unit, int32_t index, uint32_t item, int32_t gold, int32_t food,
                     uint8_t operation);
void NetCmdCreateOfficer(City* city, uint32_t templateNumber);
void NetCmdSetOrderMode(Troop* troop, uint32_t formation, uint32_t spacing, uint32_t emphasis,
                        uint32_t retreat);
void NetSendSub20(City* city, uint32_t x, uint32_t y, uint32_t plotKind);
void NetCmdCheckAndSend(City* city, uint16_t operation, Troop* troop);
// Tells the peers of a unit action the sender has applied already (when networked).
void NetSendSub21(City* city, uint16_t operation, Troop* troop);
void NetSendRemoveMapObject(Troop* troop, uint32_t x, uint32_t y);
void NetCmdSub24(City* city);

// The keeper's second gauge as a client should compute from it (the last value it sent, until the
// host's copy returns).
int32_t KeeperGaugeBase(City* city);

// The receive side of code 48. On the host, `relay` takes the payload to pass on when it differs
// from the received one (a client's unit id re-stamped from the host's counter).
CommandOutcome ReceiveSubCommand(std::span<const uint8_t> payload, bool fromClient,
                                 std::vector<uint8_t>& relay);
