#include "world/MapObject.h"

#include "engine/DisplayDevice.h"
#include "engine/SurfaceEffects.h"
#include "gui/GuiLayout.h"
#include "platform/Surface.h"
#include "records/RecordTables.h"
#include "windows/WindowHosts.h"
#include "world/BattleMap.h"

namespace {

constexpr uint32_t kIconColumn = 24; // "圖對應"

} // namespace

const GuiImage* MapObject::IconOf(int32_t item) {
    const GuiLayout* icons = TheWin99 ? TheWin99->GetIconLayout() : nullptr;
    if (!icons) return nullptr;
    const int32_t n = ItemColumn(item, kIconColumn);
    // The number comes from the item file: one past the set names no icon.
    if (n < 1 || n > GuiLayout::kSlots) return nullptr;
    return icons->elements[n - 1];
}

MapObject::MapObject(int32_t item, int32_t, int32_t, int32_t x, int32_t y) {
    // Ids come from files and peers: anything that names no item becomes item 1.
    itemId = item >= 1 && item < ItemCount ? item : 1;
    cellX = x;
    cellY = y;
    pixelLeft = x * 40 - 20;
    pixelTop = y * 20 - 20;
    icon = IconOf(itemId);
    if (TheBattleMap) TheBattleMap->SetCellObject(x, y, this);
}

MapObject::~MapObject() {
    // The grid never keeps an object that is gone.
    if (TheBattleMap && TheBattleMap->GetCellObject(cellX, cellY) == this)
        TheBattleMap->ClearCellObject(cellX, cellY);
}

void MapObject::Draw(int32_t viewLeft, int32_t viewTop) {
    icon = IconOf(itemId);
    if (!icon) return;
    pixelLeft = cellX * 40 - icon->width / 2;
    pixelTop = cellY * 20 - icon->height / 2;
    platform::Surface* back = GetBackSurface();
    if (!back || !icon->surface) return;
    ClipRect source{pixelLeft, pixelTop, pixelLeft + icon->width, pixelTop + icon->height};
    ClipRect view{viewLeft, viewTop, viewLeft + 800, viewTop + 560};
    if (!ClipRectPair(source, view)) return;
    const platform::RECT from{source.left, source.top, source.right, source.bottom};
    const platform::RECT to{view.left, view.top, view.right, view.bottom};
    back->Blt(&to, icon->surface, &from, platform::DDBLT_KEYSRC | platform::DDBLT_WAIT);
}

int MapObject::HitTest(int32_t px, int32_t py) const {
    if (!TheWin99 || !TheWin99->GetIconLayout() || !TheBattleMap) return 0;
    // The object's own cell, through the map (not a width kept elsewhere).
    const MapCell* cell = TheBattleMap->CellAt(cellX, 2 * cellY);
    if (!cell || cell->sightCount < 2 || !icon) return 0;
    return px >= pixelLeft && px < pixelLeft + icon->width && py >= pixelTop && py < pixelTop + icon->height;
}
