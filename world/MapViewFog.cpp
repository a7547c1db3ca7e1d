#include "world/MapView.h"

#include "world/BattleMap.h"
#include "world/TileRenderer.h"

#include <algorithm>

void MapView::ComposeTile(const MapCell* cell) {
    if (cell) ::ComposeTile(*cell, ring.TileBuffer());
}

bool MapView::ComposeShadedTile(int32_t, int32_t x, int32_t y, const MapCell* cell) {
    if (cell && TheBattleMap) ::ComposeShadedTile(*TheBattleMap, x, y, *cell, ring.TileBuffer());
    return true;
}

void MapView::RefreshFog(const PixelArea& area) {
    BattleMap& map = *TheBattleMap;
    const uint16_t* tile = ring.TileBuffer();
    for (int32_t r = 0; r <= kViewRows; ++r) {
        const int32_t y = viewY + r;
        for (int32_t c = 0; c <= kViewColumns; ++c) {
            const int32_t x = viewX + c;
            MapCell* cell = map.CellAt(x, y);
            if (!cell || cell->sightCount == 0 || cell->seen == 0) continue;
            const uint8_t mark = cell->seen;
            cell->seen = 0;
            if (mark > 3) continue;
            ring.ComposeCell(map, x, y, cell);
            const int32_t left = c * 40 - ((y & 1) ? 0 : 20);
            const int32_t top = r * 10 - 10;
            for (int q = 0; q < 4; ++q) {
                const int32_t fromX = (q & 1) * 20, fromY = (q >> 1) * 10;
                const int32_t qx = left + fromX, qy = top + fromY;
                if (qx < 0 || qy < 0 || qx >= TerrainRing::kWidth || qy >= TerrainRing::kHeight) continue;
                int32_t rx = qx + ring.ringColumn * 40, ry = qy + ring.ringRow * 20;
                if (rx >= TerrainRing::kWidth) rx -= TerrainRing::kWidth;
                if (ry >= TerrainRing::kHeight) ry -= TerrainRing::kHeight;
                for (int line = 0; line < 10; ++line) {
                    const uint16_t* in = tile + (fromY + line) * 40 + fromX;
                    uint16_t* out = area.pixels + (ry + line) * area.pitch + rx;
                    for (int i = 0; i < 20; ++i)
                        if (in[i] != 0) out[i] = in[i];
                }
            }
        }
    }
}

void MapView::FitMinimap() {
    const int32_t w = mapWidth, h = mapHeight;
    if (BattleMap* map = TheBattleMap) {
        // The grid's own size stays with the grid it was loaded with.
        if (!map->HasCells()) {
            map->width = w;
            map->rows = h;
        }
        map->validBounds = {0, 0, w, h};
        map->occupancyView.right = w;
        map->occupancyView.bottom = h / 2;
    }
    minimapLeft = 0;
    minimapTop = 0;
    minimapRight = 160;
    minimapBottom = 120;
    if (w > 0 && h >= 3 * w) {
        const int32_t inner = w * 160 / std::max(1, h / 3);
        minimapLeft = (160 - inner) / 2;
        minimapRight = minimapLeft + inner;
    } else if (w > 0) {
        const int32_t inner = h * 120 / (3 * w);
        minimapTop = (120 - inner) / 2;
        minimapBottom = minimapTop + inner;
    }
    minimapWidth = minimapRight - minimapLeft;
    minimapHeight = minimapBottom - minimapTop;
    // A map smaller than one block (20 columns, 60 rows) counts as one.
    minimapBlockX = minimapWidth / std::max(1, w / 20);
    minimapBlockY = minimapHeight / std::max(1, h / 60);
    minimapWordA = 24;
    minimapWordB = 30;
}
