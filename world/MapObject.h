#pragma once

#include "gui/RootObject.h"

#include <cstdint>

struct GuiImage;

// An item lying on a unit cell of the battle map: one per cell in the map's object grid, drawn
// with the item's icon and pointed at by the mouse.
class MapObject : public RootObject {
public:
    // The two middle values are passed by droppers and mean nothing here.
    MapObject(int32_t item, int32_t, int32_t, int32_t x, int32_t y);
    ~MapObject() override;
    MapObject(const MapObject&) = delete;
    MapObject& operator=(const MapObject&) = delete;

    // Draws the icon onto the back surface; (viewLeft, viewTop) is the view's map-pixel origin.
    void Draw(int32_t viewLeft, int32_t viewTop);
    // 1 when the map-pixel point lies on the icon as last drawn and the cell is in sight.
    int HitTest(int32_t px, int32_t py) const;

    // The icon of an item from the item window's icon set, or null.
    static const GuiImage* IconOf(int32_t item);

    int32_t itemId = 1;
    int32_t cellX = 0;
    int32_t cellY = 0; // unit cell row; the map row is 2y
    int32_t pixelLeft = 0;
    int32_t pixelTop = 0;
    const GuiImage* icon = nullptr;
};
