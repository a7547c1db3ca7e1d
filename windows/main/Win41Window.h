#pragma once

#include "Program/FrontEndScreens.h"
#include "gui/FontRecord.h"

#include <cstdint>
#include <vector>

class Kingdom;

// The diplomacy list ("Win41.gui"): a row for every other kingdom with its colour, ruler,
// strength, cities, the player's attitude toward it and the relation. In single play the player
// marks an alliance, peace or war (0x103 + 4r + k, a radio group per row) and a gift of 100 gold
// (0x106 + 4r); apply (0x101) puts them to the kingdoms. In network play and in game kind 0 it only
// shows.
class Win41Window : public ScreenWindow {
public:
    static constexpr int kRows = 8;
    static constexpr int kColumns = 9;
    static constexpr int kMaxKingdoms = 128;
    static constexpr int kTextBytes = 24;
    static constexpr int kClose = 0x100;
    static constexpr int kApply = 0x101;
    static constexpr int kStepBack = 0x102;
    static constexpr int kStepForward = 0x123;
    static constexpr int kFirstRowButton = 0x103;

    Win41Window(Widget* parent, Window* owner);

    void OnControlPress(Widget* control, Point* point) override;
    void OnControlClick(Widget* control, Point* point) override;
    void OnControlHover(Widget* control, Point* point) override;
    int Close(int result) override;

    void Open(int first);
    void ShowRows(int first);
    void RefreshButtons();
    void RefreshGiftButtons();
    void Apply();
    int HandleEscape();

    int8_t firstRow = 0;
    int8_t proposals[kMaxKingdoms];
    uint8_t rowMarks[kMaxKingdoms] = {};
    uint8_t giftRequests[kMaxKingdoms] = {};
    std::vector<Kingdom*> kingdoms;
    FontRecord fonts[kRows * kColumns];

private:
    Widget* RowButton(int row, int k) const { return Control(kFirstRowButton + 4 * row + k); }
    void DisableRelationButtons(int row, const Kingdom* k);
    void EndFighting(Kingdom* other);
    void PayGift();
    char texts_[kRows * kColumns][kTextBytes] = {};
};

// The player's kingdom as the battle map's side table holds it, or null.
Kingdom* LocalKingdom();
