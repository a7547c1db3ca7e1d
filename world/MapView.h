#pragma once

#include "gui/Window.h"

#include <cstdint>

struct MinimapRect;

// The game screen: the map view window of a battle.
class MapView : public Window {
public:
    void DeselectAll() {}
    void FreeMapCells();
    void SetMapSize(int32_t width, int32_t rows, const MinimapRect& minimap);
    void Redraw() {}
    void DrawTerrain() {}
    void DrawObjects() {}
    // The minimap's notice of a cell's sight (1 visible, 2 seen but hidden, 0 never seen).
    virtual void PlotMinimap(int32_t, int32_t, int32_t) {}
    int Close(int result) override { return CloseWindowAndPanel(nullptr, result); }
    // The view origin in cells, which the movie overlays follow.
    int32_t viewX = 0;
    int32_t viewY = 0;
    // The range of the view origin in cells: edge scrolling stops at these limits.
    int32_t scrollMinX = 0;
    int32_t scrollMinY = 0;
    int32_t scrollMaxX = 0;
    int32_t scrollMaxY = 0;
    int32_t mapWidth = 0;
    int32_t mapHeight = 0;
    int32_t cellCount = 0;
    int32_t minimapLeft = 0, minimapTop = 0, minimapRight = 160, minimapBottom = 120;
    // The view's own widget: the cursor keeps its battle shapes over it.
    Widget* viewWidget = nullptr;
};
