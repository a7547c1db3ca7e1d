#pragma once

#include "Program/FrontEndScreens.h"

#include <string>
#include <vector>

class Kingdom;
class Zu_StageSet;
struct RecordStage;

// The battle record screen ("Win42.gui"): a row of battle tallies and a score for every ordinary
// kingdom, the best marked, merit in network play; in single play the stage's campaign record.
// Any button ends it.
class BattleRecordScreen : public ScreenWindow {
public:
    explicit BattleRecordScreen(Widget* root);
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
    void Compute(Zu_StageSet& stage, RecordStage* extra);
    void ShowSwatch(int row, uint16_t colour);
    int32_t Merit(const RecordStage* extra, int32_t score, int32_t win, int32_t winnerCount,
                  const std::string& id) const;
};

// The score of a kingdom from its tallies and its city value.
int32_t BattleScore(const int32_t tally[10], int32_t cityValue);
