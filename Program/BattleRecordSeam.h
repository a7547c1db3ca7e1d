#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the battle record screen reads besides the stage's kingdoms: the kingdoms taken out of play
// and the network session, which come later. The stage's systems fill a RecordStage at the end of
// a battle.

class Kingdom;

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
    std::vector<Kingdom*> outOfPlay; // kingdoms taken out of play during the battle (owned)
    RecordSession* session = nullptr;
    // Player ids of the controller's player slots.
    std::vector<std::string> slotPlayerIds;
};

// The record of the stage that just ended; null when no stage is there.
RecordStage*& CurrentRecordStage();
