#pragma once

#include "Program/FrontEndScreens.h"

#include <string>
#include <vector>

class Kingdom;
class Zu_StageSet;

// What the record screen reads of a network game's session: its players, the local player's lobby
// record and the way that record goes back to the lobby server. The session control of a network
// game provides it; single play has none.
struct RecordPlayer {
    std::string name;     // Big5
    std::string playerId; // 36 bytes at most
    int32_t nationIndex = 0;
};
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
    // Player ids of the controller's player slots.
    std::vector<std::string> slotPlayerIds;
    // Sends a copy of the local record to the lobby server.
    void (*upload)(const RecordLobbyEntry& record) = nullptr;
};

// The battle record screen ("Win42.gui"): a row of battle tallies and a score for every ordinary
// kingdom, the best marked, merit in network play; in single play the stage's campaign record.
// Any button ends it.
class BattleRecordScreen : public ScreenWindow {
public:
    // The running stage's kingdoms, with those the battle map took out of play, are scored; the
    // session is the network game's, or null.
    explicit BattleRecordScreen(Widget* root, RecordSession* session = nullptr);
    void OnControlClick(Widget* control, Point* point) override;

    void ShowNumber(int32_t value, int k, bool ownRow);

    // What the screen computed, row by row.
    struct Row {
        Kingdom* kingdom = nullptr;
        int32_t columns[7] = {}; // officers defeated .. cities held
        int32_t score = 0;
        bool best = false;
        std::string name; // Big5
    };
    std::vector<Row> rows;
    int32_t bestScore = 0;
    int32_t winners = 0;
    int32_t playerScore = 0;

private:
    void Compute(Zu_StageSet& stage, RecordSession* session);
    void ShowSwatch(int row, uint16_t colour);
    int32_t Merit(const RecordSession* session, int32_t score, int32_t win, int32_t winnerCount,
                  const std::string& id) const;
};

// The score of a kingdom from its tallies and its city value.
int32_t BattleScore(const int32_t tally[10], int32_t cityValue);
