#pragma once

#include "Program/ScreenControls.h"
#include "gui/TextLabel.h"
#include "gui/Window.h"

#include <cstdint>
#include <span>
#include <vector>

class GameController;
class GuiLayout;
class GuiPanel;
class Kingdom;
class LinkList;
struct AniFrame;

// The single-play stage list ("Win75.gui"): six stages, up to fourteen kingdom rows
// ("Win75_1.gui") and the option level, over a map of the stage on which each kingdom's cities
// are tinted in its colour. The tinted map is composed once per stage from "win75_2.ani" and
// kept in "stage01.ani" .. "stage06.ani".
class Win75Window : public Window {
public:
    static constexpr int kRows = 14;

    Win75Window(Widget* parent, GameController* owner);
    ~Win75Window() override;
    Win75Window(const Win75Window&) = delete;
    Win75Window& operator=(const Win75Window&) = delete;

    void OnControlClick(Widget* control, Point* point) override;
    int Close(int result) override;

    int ClosePanels(int flag);
    // Whether both layouts gave their pictures; the first that did not, or null.
    bool Loaded() const { return MissingFile() == nullptr; }
    const char* MissingFile() const;
    void BuildPanels();
    void ShowStage();
    // Lights the toggle of the option level and only that one.
    void ShowOption();
    void DrawStageMap(int row);
    // The text shown on label `id` of a row, or null.
    const std::string* RowText(int row, int id) const {
        const LabelText* t = labels_.TextOf(RowControl(row, id));
        return t ? &t->text : nullptr;
    }

    GuiPanel* panel = nullptr;
    LinkList* panelControls = nullptr;
    GuiLayout* layout = nullptr;
    uint8_t stage = 1;
    uint8_t selectedRow = 1;
    uint8_t option = 0;
    Widget* parent = nullptr;
    GameController* owner = nullptr;
    GuiPanel* rowPanels[kRows] = {};
    GuiLayout* rowLayout = nullptr;
    LinkList* rowControls[kRows] = {};
    AniFrame* stageMap = nullptr;
    AniFrame* overlayFrame = nullptr;
    AniFrame* markFrame = nullptr;
    AniFrame* scratchFrame = nullptr;
    Kingdom* rowKingdoms[16] = {};
    int32_t mapState = -1;
    // How often the map was composed from the picture file (the cache missing or bad).
    int32_t composeCount = 0;

private:
    Widget* MainControl(int id) const;
    Widget* RowControl(int row, int id) const;
    void ShowRow(int row, Kingdom* kingdom);
    AniFrame* ComposeStageMap();
    void MarkKingdomCities(int row);

    LabelKeeper labels_;
    BarRecord bars_[kRows] = {};
};

// The stage files of the list by stage number (index 0 unused) and the map cache files.
extern const char* const StageListFiles[7];
extern const char* const StageMapCacheFiles[7];

// The cache file's bytes for a composed map frame: one frame, its header, 5-6-5 pixels and mask.
std::vector<uint8_t> EncodeStageMapCache(const AniFrame& frame);
// The frame of a cache file's bytes, or null when the file is not exactly one frame of the size
// its header gives.
AniFrame* DecodeStageMapCache(std::span<const uint8_t> bytes);
