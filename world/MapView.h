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
    int Close(int result) override { return CloseWindowAndPanel(nullptr, result); }
    // The view origin in cells, which the movie overlays follow.
    int32_t viewX = 0;
    int32_t viewY = 0;
    // The range of the view origin in cells: edge scrolling stops at these limits.
    int32_t scrollMinX = 0;
    int32_t scrollMinY = 0;
    int32_t scrollMaxX = 0;
    int32_t scrollMaxY = 0;
    // The view's own widget: the cursor keeps its battle shapes over it.
    Widget* viewWidget = nullptr;
};
