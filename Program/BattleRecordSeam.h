#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the battle record screen reads of the stage's kingdoms, cities and troops and of the
// network session, which come later. The stage's systems fill a RecordStage at the end of a
// battle; the screen reads it and writes each kingdom's score back.

struct RecordUnit {
    int32_t state = 0;        // the troop's state (6 = taken off)
    int32_t officerKind = 0;  // its general's "武將屬性"
    int32_t actionPolicy = 0; // its general's "行動方針"
    int32_t side = 0;         // nation index of its side
};

struct RecordCity {
    int32_t kind = 0;  // "城屬性"
    int32_t scale = 0; // "城規模", 1..4
    std::vector<RecordUnit> units;
    // Sub-castles that have a governor troop of the owner side.
    int32_t governedSubCastles = 0;
};

struct RecordKingdom {
    int32_t nationKind = 0;   // "國家屬性"
    int32_t nationIndex = 0;  // from 1
    int32_t personNumber = 0; // "人物編號" of the ruler
    uint16_t colour = 0;
    int32_t winFlag = 0;
    int32_t relations[128] = {};
    // T1..T10: officers defeated (ordinary, famous, special), troops destroyed, officers lost
    // (ordinary, famous), troops lost, gate pieces, structures and cities destroyed.
    int32_t tally[10] = {};
    std::vector<RecordUnit> fieldTroops;
    std::vector<RecordCity> cities;
    int32_t score = 0; // written by the screen
};

struct RecordPlayer {
    std::string name;     // Big5
    std::string playerId; // 36 bytes at most
    int32_t nationIndex = 0;
};

// The local player's lobby record (games, wins, merit among its fields).
struct RecordLobbyEntry {
    int32_t games = 0;
    int32_t wins = 0;
    int32_t merit = 0;
};

struct RecordSession {
    std::vector<RecordPlayer> players;
    int32_t playersAtStart = 0;
    std::string localPlayerId;
    RecordLobbyEntry localRecord;
    // Sends a copy of the local record to the lobby server.
    void (*upload)(const RecordLobbyEntry& record) = nullptr;
};

struct RecordStage {
    std::vector<RecordKingdom*> kingdoms;  // the stage set's kingdom list (not owned)
    std::vector<RecordKingdom*> outOfPlay; // kingdoms taken out of play during the battle
    RecordKingdom* player = nullptr;
    int32_t result = 0; // 1 victory, 2 failure
    RecordSession* session = nullptr;
    // Player ids of the controller's player slots.
    std::vector<std::string> slotPlayerIds;
};

// The record of the stage that just ended; null when no stage is there.
RecordStage*& CurrentRecordStage();
