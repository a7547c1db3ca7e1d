#pragma once

#include <cstdint>

// The editor's tool view as the stage editor moves it: where it looks on the map and how big the
// map and its minimap frame are. Its own key handlers do nothing.
struct EditorKeyTarget {
    int32_t minimapWidth = 0, minimapHeight = 0;
    int32_t viewColumn = 0, viewRow = 0;
    int32_t mapWidth = 0, mapHeight = 0;
    int32_t redraw = 0;
};
