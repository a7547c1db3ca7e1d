#pragma once

#include "gui/Window.h"
#include "world/TerrainRing.h"

#include <cstdint>

struct MinimapRect;
struct MapCell;
class GuiPanel;
class City;
class SubCastle;
namespace platform {
class Surface;
}

// The game screen: the 800 x 560 map area above the command bar, in which the battle map is
// shown, scrolled, drawn and clicked. One instance, held by the game controller.
class MapView : public Window {
public:
    static constexpr int kViewColumns = 20;
    static constexpr int kViewRows = 56;

    MapView();
    ~MapView() override;
    MapView(const MapView&) = delete;
    MapView& operator=(const MapView&) = delete;

    void OnControlPress(Widget* control, Point* point) override;
    void OnControlRightPress(Widget* control, Point* point) override;
    void OnControlRightClick(Widget* control, Point* point) override;
    int Close(int result) override;
    void OnNotify(Window*, int) override {}

    void SetView(int32_t minX, int32_t minY, int32_t maxX, int32_t maxY);
    void SetViewOrigin(int32_t x, int32_t y);
    void SetMapSize(int32_t width, int32_t rows, const MinimapRect& minimap);
    // The cell at (x, y) strictly inside the scroll bounds, else the border cell.
    const MapCell* GetCell(int32_t x, int32_t y) const;
    // The cell (column, row) of the diamond under view pixel (px, py), h the row pitch.
    void PixelToCell(int32_t px, int32_t py, int32_t h, int32_t& x, int32_t& y);

    void Redraw();
    void ScrollUp();
    void ScrollDown();
    void ScrollLeft();
    void ScrollRight();
    void ScrollUpLeft();
    void ScrollUpRight();
    void ScrollDownLeft();
    void ScrollDownRight();
    void DrawTerrain();
    static void LockUnlockBackSurface();
    void FreeMapCells();
    void FreeTileRedraws();

    void DeselectAll() {}
    void DrawObjects() {}
    void OnClickSelect() {}
    // The minimap's notice of a cell's sight (1 visible, 2 seen but hidden, 0 never seen); the
    // minimap plotting itself comes with the minimap.
    virtual void PlotMinimap(int32_t, int32_t, int32_t) {}

    GuiPanel* panel = nullptr;
    City* currentCity = nullptr;
    SubCastle* currentSubCastle = nullptr;
    // The view origin: leftmost tile column and topmost (even) cell row.
    int32_t viewX = 0;
    int32_t viewY = 0;
    int32_t mapWidth = 0;
    int32_t mapHeight = 0;
    int32_t cellCount = 0;
    // The scroll bounds in cells.
    int32_t scrollMinX = 0;
    int32_t scrollMinY = 0;
    int32_t scrollMaxX = 0;
    int32_t scrollMaxY = 0;
    uint8_t placingBuilding = 0;
    uint16_t commandMode = 0;
    uint8_t placementAllowed = 0;
    int32_t buildingKind = 1;
    void* hoveredObject = nullptr;
    TerrainRing ring;
    int32_t hitCellX = 0, hitCellY = 0;
    int32_t cellOffsetX = 0, cellOffsetY = 0;
    int32_t placementCellX = 0, placementCellY = 0;
    int32_t minimapLeft = 0, minimapTop = 0, minimapRight = 160, minimapBottom = 120;
    // The view's own widget, the map panel: the cursor keeps its battle shapes over it.
    Widget* viewWidget = nullptr;

private:
    void StoreViewBounds();
    // The ring surface locked for one commit; false when it cannot be had this frame.
    bool LockRing(PixelArea& area);
    void UnlockRing();
    platform::Surface* RingSurface() const;
    void PatchRedraws(const PixelArea& area);
    void RefreshFog(const PixelArea& area);
    void CopyRingToBack();

    platform::Surface* ownRing_ = nullptr;
};
