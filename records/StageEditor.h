#pragma once

#include "gui/RootObject.h"
#include "world/CastleTemplate.h"
#include "world/GeneratorCell.h"

#include <cstdint>

struct EditorKeyTarget;

// The stage editor's working state.
class StageEditor : public RootObject {
public:
    // Pages the tool view moves by with Ctrl held.
    static constexpr int32_t kPageColumns = 20;
    static constexpr int32_t kPageRows = 56;

    StageEditor() = default;
    ~StageEditor() override = default;

    // The game controller's pending scroll key in the editor view: with Ctrl held the tool view
    // moves a page, stopping at the map's edges; the key is used up either way.
    void OnKey();

    EditorKeyTarget* toolView = nullptr; // not owned
    int32_t viewWord = 0;
    // The half-size view of the map.
    bool halfSizeView = false;
    // The drawing value the editor's developer keys choose, and the editor's flag word ('V'
    // toggles its bit 2).
    int32_t brush = 0;
    int32_t flagWord = 0;
    static constexpr int32_t kWideViewBit = 0x4;

    // The castle drawings ("castle01") and the template castles the editor's template keys use.
    GeneratorGrid castleSource;
    CastleTemplate castleTemplate;
};

// Gives every troop on the map the game controller's marker value.
void SetAllTroopMarkers();

extern StageEditor* TheStageEditor;
