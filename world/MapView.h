#pragma once

#include "gui/Window.h"
#include "world/TerrainRing.h"

#include <cstdint>

struct MinimapRect;
struct AniFrame;
struct MapCell;
class GuiPanel;
class City;
class SubCastle;
class Troop;
class MapObject;
class CastleGate;
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

    // Terrain tiles: a cell composed into the tile buffer, without or with its fog.
    void ComposeTile(const MapCell* cell);
    bool ComposeShadedTile(int32_t reserved, int32_t x, int32_t y, const MapCell* cell);
    // Fits the map into the minimap after a map is loaded.
    void FitMinimap();

    // Building placement: the footprint tint under the mouse and the construction image.
    void DrawFootprintTint(int32_t amount, uint16_t colour, int32_t pickSize, int32_t footprintSize,
                           platform::Surface* surface);
    void DrawConstructPreview(bool allowed);
    void LoadConstructAnimation();

    // What the player points at and opens: the cursor code of the building under a view point
    // (100..110 own, 200..210 foreign, 0 none), opening and closing a city or sub-castle on the
    // map, the command modes of the city panels and the troop tests of selection and clicks.
    int32_t ClassifyHover(int32_t px, int32_t py);
    void SelectBuilding(City* city);
    void DeselectBuilding(City* city);
    void SelectSubCastle(SubCastle* subCastle);
    void DeselectSubCastle(SubCastle* subCastle);
    void SetCommandMode(int32_t ignored, int16_t mode);
    bool IsSelectedLeader(const Troop* troop) const;
    bool CanSelectTroop(const Troop* troop, bool excludeLeader) const;
    bool IsEnemyTarget(const Troop* troop) const;

    // Two random gift items for a city's stock (single play or the host).
    void GiftRandomItems(City* city);
    // One item that may be given: ids 1.. whose level is 1..10; 0 when there is none.
    static int32_t DrawGiftItem();

    void OnClickSelect() {}

    // The pointer: what lies under a view point (class 0 nothing, 1 own unit, 2 neutral or enemy
    // unit, 5 other unit, 100.. own ground, 200.. foreign ground), the cursor shape it gives,
    // selections and the orders of a right press.
    void OnControlClick(Widget* control, Point* point) override;
    void OnControlHover(Widget* control, Point* point) override;
    int32_t HitTest(int32_t px, int32_t py);
    // The cell whose overlay picture lies under the view point, nearest the front first.
    bool FindOverlayAt(int32_t px, int32_t py, int32_t& x, int32_t& y);
    bool OverlayContainsPoint(int32_t x, int32_t y, int32_t px, int32_t py) const;
    // The castle gate under the pointer, if it is still one of the stage's.
    CastleGate* HoveredGate() const;
    void FindHoveredGate(int32_t px, int32_t py);
    static void FillGateBar(uint8_t* picture, const CastleGate& gate);
    void SelectUnit(Troop* troop);
    void BoxSelect();
    void DeselectAll();
    void IssueRightClickOrder(int32_t px, int32_t py);

    // Everything standing on the terrain, in painter's order.
    void DrawObjects();
    static void FillCityBars(uint8_t* picture, const City& city);
    void MarkSelectedCity(bool selectPanel);
    // One thing of the painter's order; a test view records them.
    virtual void DrawTroop(Troop* troop);
    virtual void DrawMapObject(MapObject* object);
    virtual void DrawOverlay(int32_t x, int32_t y, const MapCell& cell, int32_t left, int32_t top);
    void DrawHoverNames();
    // The notice text and the name floating over a placed building.
    void DrawNoticeTexts();
    // The stealth rule: whether the player may see this troop drawn.
    bool TroopShown(const Troop* troop) const;

    // The minimap: a cell's sight (1 visible, 2 seen but hidden, 0 never seen) and city marks.
    virtual void PlotMinimap(int32_t x, int32_t y, int32_t mode);
    void MarkObjectCell(City* city, int32_t mode);
    // After a stage load: every cell whose sight count has bit 0 set, in its sight.
    void RebuildMinimap();
    void PlotObjectOnMinimap(City* city, uint16_t colour);

    // Building placement and the view's own diamond marker.
    static int32_t BuildingPrice(int32_t kind);
    void UpdatePlacementAllowed();
    void ClickPlacement();
    void MarkArea(int32_t x, int32_t y, int32_t size, int32_t op, uint16_t value);

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
    // The tint's screen origin moved up 80 pixels: where the construction image stands.
    int32_t previewX = 0, previewY = 0;
    AniFrame* constructImage = nullptr;
    int32_t minimapLeft = 0, minimapTop = 0, minimapRight = 160, minimapBottom = 120;
    int32_t minimapWidth = 160, minimapHeight = 120;
    // Minimap pixels per map block of 20 columns by 60 rows.
    int32_t minimapBlockX = 0, minimapBlockY = 0;
    int32_t minimapWordA = 24, minimapWordB = 30;
    // Selection state: a building open on the map, and the hold on an unowned building tile under
    // the cursor (candidate pattern + 1, calls counted) until the pattern is located.
    uint8_t buildingSelected = 0;
    int32_t hoverCandidate = 0;
    int32_t hoverCalls = 0;
    uint8_t hoverLocated = 0;
    int32_t locatedPattern = 0;
    int32_t locatedX = 0, locatedY = 0;
    // The view's own widget, the map panel: the cursor keeps its battle shapes over it.
    Widget* viewWidget = nullptr;

    // The pointer's last answer: the class of what lies under it.
    int32_t hoverClass = 0;

    // ---- The minimap's orders (Program/ControllerSelection.cpp) ----
    // While 0 a click on the minimap does not move the view.
    uint8_t clickReady = 1;

private:
    void StoreViewBounds();
    // The ring surface locked for one commit; false when it cannot be had this frame.
    bool LockRing(PixelArea& area);
    void UnlockRing();
    platform::Surface* RingSurface() const;
    void PatchRedraws(const PixelArea& area);
    void RefreshFog(const PixelArea& area);
    void CopyRingToBack();
    void HoldHoverPattern(const MapCell& cell);
    void CentreOn(int32_t x, int32_t y);

    platform::Surface* ownRing_ = nullptr;
};
