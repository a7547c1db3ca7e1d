#pragma once

#include "gui/RootObject.h"
#include "net/room/GameCommandTable.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <vector>

class City;
class Kingdom;
class Troop;

// Game command 32 carries game records: {u32 id, u32 size of the whole record, fields}.
constexpr uint8_t kGameRecordCode = 32;

enum GameRecordId : uint32_t {
    kRecordDeployUnit = 0x201,
    kRecordCreatePerson = 0x301,
    kRecordRandomGearGrant = 0x302,
    kRecordAdmitUnit = 0x304,
    kRecordConstruction = 0x305,
    kRecordCityDestroy = 0x306,
    kRecordSpawnPerson = 0x307,
    kRecordDeployFollow = 0x308,
    kRecordSpawnTroop = 0x309,
    kRecordAddSoldier = 0x30a,
    kRecordCityBattleTick = 0x30b,
    kRecordCityEntry = 0x500,
    kRecordDeployWithOrder = 0x600,
    kRecordTroopEntry = 0x700,
    kRecordGateStrength = 0x801,
    kRecordCityStatusOp = 0x802,
    kRecordCityToggle = 0x803,
    kRecordWinner = 0x805,
    kRecordTeamWinnerId = 0x806,
};

// The size of the whole record of an id; 0 for an id that is not a record.
size_t GameRecordSize(uint32_t id);
// The record of an id with its fields in table order (id and size are written here).
std::vector<uint8_t> PackGameRecord(uint32_t id, std::initializer_list<uint32_t> fields);
// The fields after id and size, or nothing unless the record's size word, its length and its id's
// size agree.
std::optional<std::vector<uint32_t>> UnpackGameRecord(std::span<const uint8_t> record);
// The id word of a record of at least 8 bytes.
uint32_t RecordId(std::span<const uint8_t> record);

// Sends the game records and applies the received ones. The game controller keeps one.
class GameRecordChannel : public RootObject {
public:
    // Installs the city's record senders, so that the city's own reports travel as records.
    GameRecordChannel();
    ~GameRecordChannel() override = default;

    void SendDeployUnit(City* city, uint32_t unit, uint8_t value);
    void SendCreatePerson(uint32_t kingdom, City* city, uint8_t placeKind, uint32_t templateValue,
                          uint32_t person);
    void SendRandomGear(City* city, uint32_t a, uint32_t b, uint32_t c);
    void SendAdmitUnit(City* city, uint32_t unit);
    void SendConstructionProgress(City* city, uint32_t siteKind, uint32_t siteKey, uint32_t progress);
    void SendCityDestroy(City* city, uint32_t a, uint32_t b, uint32_t c);
    void SendSpawnPerson(City* city, uint32_t person, uint32_t a, uint32_t b);
    void SendDeployUnitFollow(City* city, uint32_t unit, City* target);
    void SendSpawnTroop(City* city, uint32_t troop);
    void SendAddSoldier(City* city, uint32_t unit);
    void SendCityBattleTick(City* city);
    void SendCityEntry(City* city, Troop* troop);
    // Order kind 1: target = a troop's unit id; 2: target = sub-castle key, target2 its kind; 3:
    // target = a city index; 4: nothing; other kinds: (x, y) is the destination cell.
    void SendDeployUnitWithOrder(uint16_t orderKind, City* city, uint8_t placeKind, uint32_t unit,
                                 uint32_t target, uint32_t target2, uint32_t x, uint32_t y);
    void SendTroopEntry(City* city, uint8_t placeKind, Troop* troop);
    void SendGateStrength(uint32_t kingdom, uint32_t unit, uint32_t value, uint8_t mode);
    void SendCityStatusOp(City* city, uint32_t value, uint8_t operation);
    void SendCityToggleFlag(City* city, uint8_t value);
    void SendStageWinner(Kingdom* winner);
    void SendTeamWinner(uint32_t team);

    // Applies a received record. Drop: malformed, out of range or host-only; Relay: the host passes
    // it on (also when what it names is missing here, so that each client decides for itself).
    CommandOutcome ApplyRecord(std::span<const uint8_t> record);

private:
    void Send(uint32_t id, std::initializer_list<uint32_t> fields);
};

// Sends a record built by its caller as it is (when the game is networked).
void SendGameRecord(const std::vector<uint8_t>& record);

// Hands a record to the game's channel (the code-32 family's receive side).
CommandOutcome ReceiveGameRecord(std::span<const uint8_t> record);
