#pragma once

// A battle world for the map tests: settings, controller and battle map, with a map of the
// given size whose cells the test shapes, and a map view that records the minimap notices.

#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "engine/ByteReader.h"
#include "world/BattleMap.h"
#include "world/MapFiles.h"
#include "world/MapView.h"

#include <array>
#include <memory>
#include <tuple>
#include <vector>

namespace worldtest {

struct RecordingView : MapView {
    std::vector<std::tuple<int, int, int>> notices;
    void PlotMinimap(int32_t x, int32_t y, int32_t mode) override { notices.emplace_back(x, y, mode); }
};

class World {
public:
    World() {
        TheScreenSettings = new ScreenSettings;
        TheBattleMap = new BattleMap;
        TheGameController = new GameController;
    }
    ~World() {
        delete TheGameController->gameScreen;
        TheGameController->gameScreen = nullptr;
        delete TheGameController;
        TheGameController = nullptr;
        delete TheBattleMap;
        TheBattleMap = nullptr;
        delete TheScreenSettings;
        TheScreenSettings = nullptr;
    }
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // A w x r map of free cells (tiles none), valid bounds the whole map, unit grid allocated.
    BattleMap& Map(int w, int r) {
        auto cells = std::make_unique<MapCell[]>(size_t(w) * r);
        for (int i = 0; i < w * r; ++i) {
            cells[i].groundTile = uint16_t(i);
            cells[i].layerTile = MapCell::kNoTile;
            cells[i].overlayTile = MapCell::kNoTile;
        }
        TheBattleMap->SetCells(std::move(cells), w, r);
        TheBattleMap->validBounds = {0, 0, w, r};
        TheBattleMap->AllocGrid();
        return *TheBattleMap;
    }
    RecordingView& View() {
        if (!TheGameController->gameScreen) TheGameController->gameScreen = new RecordingView;
        return *static_cast<RecordingView*>(TheGameController->gameScreen);
    }
};

// The bytes of a 16-byte cell record, field by field.
inline std::array<uint8_t, 16> CellBytes(const MapCell& c) {
    ByteWriter out;
    c.Write(out);
    std::array<uint8_t, 16> b{};
    std::copy(out.buffer().begin(), out.buffer().end(), b.begin());
    return b;
}

// A minimap layer whose pixel i is (i * seed) & 0xFFFF, little-endian.
inline std::vector<uint8_t> LayerBytes(uint16_t seed) {
    std::vector<uint8_t> b(kMinimapBytes);
    for (size_t i = 0; i < b.size() / 2; ++i) {
        const uint16_t p = uint16_t(i * seed + 1);
        b[2 * i] = uint8_t(p);
        b[2 * i + 1] = uint8_t(p >> 8);
    }
    return b;
}

} // namespace worldtest
