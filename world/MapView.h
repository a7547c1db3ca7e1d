#pragma once

#include "gui/Window.h"

#include <cstdint>

// The game screen: the map view window of a battle.
class MapView : public Window {
public:
    void DeselectAll() {}
    void FreeMapCells() {}
    void Redraw() {}
    void DrawTerrain() {}
    void DrawObjects() {}
    int Close(int) override {
        delete this;
        return 1;
    }
    // The view origin in cells, which the movie overlays follow.
    int32_t viewX = 0;
    int32_t viewY = 0;
};
