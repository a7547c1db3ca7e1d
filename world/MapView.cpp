#include "world/MapView.h"

#include "Program/BannerWindow.h"
#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "engine/AniFrame.h"
#include "engine/DisplayDevice.h"
#include "engine/KeyedTable37.h"
#include "engine/LinkList.h"
#include "engine/ResourceStore.h"
#include "gui/GuiPanel.h"
#include "gui/MouseCursor.h"
#include "gui/RootWidget.h"
#include "platform/Surface.h"
#include "windows/main/SidePanelLock.h"
#include "world/BattleMap.h"
#include "world/MapFiles.h"
#include "world/SurfaceLock.h"

#include <algorithm>

namespace {

// x / d >= t, taking x / 0 as infinite (and 0 / 0 as no number, which compares false).
bool RatioAtLeast(float x, float d, float t) {
    return d == 0.0f ? x > 0.0f : x / d >= t;
}
bool RatioBelow(float x, float d, float t) {
    return d == 0.0f ? false : x / d < t;
}

} // namespace

MapView::MapView() {
    if (TheResourceStore) TheResourceStore->CreateWorkSurfaces();
    if (!RingSurface()) ownRing_ = CreateOffscreenSurface(TerrainRing::kWidth, TerrainRing::kHeight);
    if (TheRootWidget) {
        panel = new GuiPanel(new Rect(0, 0, 800, 560), TheRootWidget, this, 1, 0, 0);
        viewWidget = panel;
    }
    KeyedTable37::RedrawHook = &MapView::LockUnlockBackSurface;
}

MapView::~MapView() {
    if (TheGameController) {
        TheGameController->mapLock = 0;
        FreeTileRedraws();
    }
    if (KeyedTable37::RedrawHook == &MapView::LockUnlockBackSurface) KeyedTable37::RedrawHook = nullptr;
    if (panel) {
        // Deleted without Close: the panel leaves the widget tree with the view.
        panel->Close(0);
        delete panel;
        panel = nullptr;
    }
    if (ownRing_) ownRing_->Release();
    FreeAniFrame(constructImage);
    constructImage = nullptr;
}

void MapView::OnControlPress(Widget*, Point* point) {
    if (!panel) return;
    if (TheBanner && TheBanner->closable && BannerTicks > 2) {
        TheBanner->Close(1);
        TheBanner = nullptr;
    }
    if (GameController* c = TheGameController) {
        c->leftHeld = 1;
        if (point) {
            c->dragStartX = point->x;
            c->dragStartY = point->y;
        }
    }
}

void MapView::OnControlRightPress(Widget* control, Point* point) {
    if (!panel || control != panel) return;
    if (commandMode != 0) {
        commandMode = 0;
        if (TheMouseCursor) TheMouseCursor->SetShapeChecked(1);
        EnableSidePanelButtons();
    }
    if (placingBuilding) {
        if (TheMouseCursor) TheMouseCursor->ReleaseCapture();
        placingBuilding = 0;
        if (TheMouseCursor) TheMouseCursor->SetShapeChecked(1);
        return;
    }
    GameController* c = TheGameController;
    if (!c) return;
    c->rightHeld = 1;
    if (!(TheScreenSettings && TheScreenSettings->editorKeys)) {
        c->dragging = 0;
        c->leftHeld = 0;
        if (point) IssueRightClickOrder(point->x, point->y);
    }
}

void MapView::OnControlRightClick(Widget*, Point*) {
    if (TheGameController) TheGameController->rightHeld = 0;
}

int MapView::Close(int result) {
    GuiPanel* p = panel;
    panel = nullptr;
    viewWidget = nullptr;
    return CloseWindowAndPanel(p, result);
}

platform::Surface* MapView::RingSurface() const {
    if (ownRing_) return ownRing_;
    return TheResourceStore ? TheResourceStore->wideWorkSurface : nullptr;
}

void MapView::SetMapSize(int32_t width, int32_t rows, const MinimapRect& minimap) {
    mapWidth = width;
    mapHeight = rows;
    cellCount = width * rows;
    minimapLeft = minimap.left;
    minimapTop = minimap.top;
    minimapRight = minimap.right;
    minimapBottom = minimap.bottom;
}

void MapView::SetView(int32_t minX, int32_t minY, int32_t maxX, int32_t maxY) {
    // Bounds may come from an event script: they never reach past the map.
    const int32_t w = TheBattleMap ? TheBattleMap->width : mapWidth;
    const int32_t r = TheBattleMap ? TheBattleMap->rows : mapHeight;
    scrollMinX = std::clamp(minX, 0, std::max(0, w));
    scrollMinY = std::clamp(minY, 0, std::max(0, r));
    scrollMaxX = std::clamp(maxX, scrollMinX, std::max(0, w));
    scrollMaxY = std::clamp(maxY, scrollMinY, std::max(0, r));
    if (!TheBattleMap) return;
    BattleMap& map = *TheBattleMap;
    map.validBounds = {scrollMinX, scrollMinY, scrollMaxX, scrollMaxY};
    map.occupancyView = {scrollMinX, scrollMinY / 2, scrollMaxX, scrollMaxY / 2};
    map.objectView = {viewX, viewY / 2, viewX + kViewColumns, viewY / 2 + kViewRows / 2};
}

void MapView::SetViewOrigin(int32_t x, int32_t y) {
    viewX = x;
    viewY = y & ~1;
}

const MapCell* MapView::GetCell(int32_t x, int32_t y) const {
    if (!TheBattleMap) return &kBorderCell;
    return TheBattleMap->ReadCell(x, y, {scrollMinX, scrollMinY, scrollMaxX, scrollMaxY});
}

void MapView::PixelToCell(int32_t px, int32_t py, int32_t h, int32_t& x, int32_t& y) {
    if (h <= 0) h = 20;
    int32_t offX = px / (2 * h);
    int32_t offY = (py / h) * 2 + (h == 20 ? 1 : 0);
    const float fx = float(px % h);
    const float fy = float(py % h);
    const float half = float(h) / 2.0f;
    int dy = 0, dx = 0;
    if ((px / h) % 2 == 0) {
        if (fy >= half && RatioAtLeast(fy - half, fx, 0.5f))
            dy = 1, dx = -1;
        else if (fy < half && RatioAtLeast(half - fy, fx, 0.5f))
            dy = -1, dx = -1;
    } else {
        if (fy < half && RatioBelow(fy, fx, 0.5f))
            dy = -1, dx = 1;
        else if (fy >= half && RatioBelow(float(h) - fy, fx, 0.5f))
            dy = 1, dx = 1;
    }
    if (dx < 0 && offY % 2 == 0) --offX;
    if (dx > 0 && offY % 2 != 0) ++offX;
    offY += dy;
    cellOffsetX = offX;
    cellOffsetY = offY;
    x = viewX + offX;
    y = viewY + offY;
}

bool MapView::LockRing(PixelArea& area) {
    platform::Surface* s = RingSurface();
    platform::DDSURFACEDESC2 desc;
    if (!LockMapSurface(s, desc)) return false;
    area.pixels = static_cast<uint16_t*>(desc.lpSurface);
    area.pitch = desc.lPitch / 2;
    area.width = int32_t(desc.dwWidth);
    area.height = int32_t(desc.dwHeight);
    if (area.width < TerrainRing::kWidth || area.height < TerrainRing::kHeight) {
        s->Unlock(nullptr);
        return false;
    }
    return true;
}

void MapView::UnlockRing() {
    if (platform::Surface* s = RingSurface()) s->Unlock(nullptr);
}

void MapView::StoreViewBounds() {
    if (GameController* c = TheGameController) {
        c->viewLeft = viewX;
        c->viewTop = viewY;
        c->viewRight = viewX + kViewColumns;
        c->viewBottom = viewY + kViewRows;
    }
}

void MapView::Redraw() {
    if (!TheBattleMap || !TheBattleMap->HasCells()) return;
    ring.ringColumn = 0;
    ring.ringRow = 0;
    PixelArea area;
    if (LockRing(area)) {
        for (int k = 0; k < TerrainRing::kBands; ++k) {
            ring.RenderBand(*TheBattleMap, viewX, viewY + 2 * k);
            ring.CommitBand(area);
            ++ring.ringRow;
        }
        UnlockRing();
    }
    ring.ringColumn = 0;
    ring.ringRow = 0;
    StoreViewBounds();
}

void MapView::ScrollUp() {
    if (!TheBattleMap || scrollMinY >= viewY) return;
    viewY -= 2;
    ring.RenderBand(*TheBattleMap, viewX, viewY);
    ring.ringRow = ring.ringRow == 0 ? TerrainRing::kBands - 1 : ring.ringRow - 1;
    PixelArea area;
    if (LockRing(area)) {
        ring.CommitBand(area);
        UnlockRing();
    }
}

void MapView::ScrollDown() {
    if (!TheBattleMap || viewY + kViewRows >= scrollMaxY) return;
    viewY += 2;
    ring.RenderBand(*TheBattleMap, viewX, viewY - 2 + kViewRows);
    PixelArea area;
    if (LockRing(area)) {
        ring.CommitBand(area);
        UnlockRing();
    }
    ring.ringRow = ring.ringRow == TerrainRing::kBands - 1 ? 0 : ring.ringRow + 1;
}

void MapView::ScrollLeft() {
    // Below the bound too the view stops: an origin from a file never scrolls on for ever.
    if (!TheBattleMap || viewX <= scrollMinX) return;
    --viewX;
    ring.RenderColumn(*TheBattleMap, viewX, viewY);
    ring.ringColumn = ring.ringColumn == 0 ? TerrainRing::kColumns - 1 : ring.ringColumn - 1;
    PixelArea area;
    if (LockRing(area)) {
        ring.CommitColumn(area);
        UnlockRing();
    }
}

void MapView::ScrollRight() {
    if (!TheBattleMap || viewX >= scrollMaxX - 21) return;
    ++viewX;
    ring.RenderColumn(*TheBattleMap, viewX - 1 + kViewColumns, viewY);
    PixelArea area;
    if (LockRing(area)) {
        ring.CommitColumn(area);
        UnlockRing();
    }
    ring.ringColumn = ring.ringColumn == TerrainRing::kColumns - 1 ? 0 : ring.ringColumn + 1;
}

void MapView::ScrollUpLeft() {
    ScrollUp();
    ScrollLeft();
}

void MapView::ScrollUpRight() {
    ScrollUp();
    ScrollRight();
}

void MapView::ScrollDownLeft() {
    ScrollDown();
    ScrollLeft();
}

void MapView::ScrollDownRight() {
    ScrollDown();
    ScrollRight();
}

void MapView::PatchRedraws(const PixelArea& area) {
    GameController& c = *TheGameController;
    for (const TileRedraw& r : c.tileRedraws) {
        const bool odd = (r.y & 1) != 0;
        if (r.x < viewX || r.y < viewY) continue;
        if (odd ? (r.x >= viewX + kViewColumns || r.y >= viewY + kViewRows)
                : (r.x > viewX + kViewColumns || r.y > viewY + kViewRows))
            continue;
        // The record's tiles, with the sight of the cell as it stands.
        const MapCell* stored = TheBattleMap->CellAt(r.x, r.y);
        MapCell cell = stored ? *stored : MapCell{};
        cell.groundTile = r.groundTile;
        cell.layerTile = r.layerTile;
        ring.PatchCell(area, *TheBattleMap, stored ? &cell : nullptr, viewX, viewY, r.x, r.y);
    }
    FreeTileRedraws();
}

void MapView::FreeTileRedraws() {
    if (TheGameController) TheGameController->tileRedraws.clear();
}

void MapView::CopyRingToBack() {
    platform::Surface* back = GetBackSurface();
    platform::Surface* src = RingSurface();
    if (!back || !src) return;
    const int32_t splitX = TerrainRing::kWidth - ring.ringColumn * 40;
    const int32_t splitY = TerrainRing::kHeight - ring.ringRow * 20;
    const int32_t cx = ring.ringColumn * 40, cy = ring.ringRow * 20;
    // Ring pieces: right-lower, left-lower, right-upper, left-upper of the wrap point.
    const struct {
        platform::RECT src;
        int32_t x, y;
    } pieces[4] = {
        {{cx, cy, TerrainRing::kWidth, TerrainRing::kHeight}, 0, 0},
        {{0, cy, cx, TerrainRing::kHeight}, splitX, 0},
        {{cx, 0, TerrainRing::kWidth, cy}, 0, splitY},
        {{0, 0, cx, cy}, splitX, splitY},
    };
    for (const auto& p : pieces) {
        if (p.src.right <= p.src.left || p.src.bottom <= p.src.top) continue;
        back->BltFast(p.x, p.y, src, &p.src, platform::DDBLTFAST_NOCOLORKEY | platform::DDBLTFAST_WAIT);
    }
}

void MapView::DrawTerrain() {
    GameController* c = TheGameController;
    if (!c || !TheBattleMap || !TheBattleMap->HasCells()) return;
    if (c->selectionActive && (!c->selection || c->selection->GetCount() == 0)) c->selectionActive = 0;
    PixelArea area;
    if (LockRing(area)) {
        if (!c->fogRefreshOff) RefreshFog(area);
        PatchRedraws(area);
        UnlockRing();
    } else {
        // Records not drawn this frame would be drawn at a stale place later.
        FreeTileRedraws();
    }
    CopyRingToBack();
    StoreViewBounds();
}

void MapView::LockUnlockBackSurface() {
    platform::Surface* back = GetBackSurface();
    platform::DDSURFACEDESC2 desc;
    if (LockMapSurface(back, desc)) back->Unlock(nullptr);
}

void MapView::FreeMapCells() {
    if (TheBattleMap) TheBattleMap->FreeCells();
}
