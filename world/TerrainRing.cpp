#include "world/TerrainRing.h"

#include "world/BattleMap.h"
#include "world/TileGeometry.h"
#include "world/TileRenderer.h"

#include <algorithm>
#include <cstring>

TerrainRing::TerrainRing() : band_(size_t(kBandPitch) * 40), strip_(size_t(kStripPitch) * kStripLines) {}

void TerrainRing::ComposeCell(const BattleMap& map, int32_t x, int32_t y, const MapCell* cell) {
    // Never-seen cells, and positions off the map, show black.
    tileBlack_ = !cell || cell->sightCount == 0;
    if (!tileBlack_) ComposeShadedTile(map, x, y, *cell, tile_);
}

void TerrainRing::ComposeCell(const BattleMap& map, int32_t x, int32_t y) {
    ComposeCell(map, x, y, map.CellAt(x, y));
}

void TerrainRing::RenderBand(const BattleMap& map, int32_t x0, int32_t y) {
    uint16_t* buf = band_.data();
    for (int c = 0; c < kColumns; ++c) {
        ComposeCell(map, x0 + c, y + 1);
        CopyTileRows(tileBlack_ ? nullptr : tile_, kDiamondRows, 0, 19, buf, kBandPitch, 20 + 40 * c, 0);
    }
    for (int c = 0; c <= kColumns; ++c) {
        ComposeCell(map, x0 + c, y);
        CopyTileRows(tileBlack_ ? nullptr : tile_, kDiamondRows, 10, 19, buf, kBandPitch, 40 * c, 0);
        ComposeCell(map, x0 + c, y + 2);
        CopyTileRows(tileBlack_ ? nullptr : tile_, kDiamondRows, 0, 9, buf, kBandPitch, 40 * c, 10);
    }
}

void TerrainRing::RenderColumn(const BattleMap& map, int32_t x, int32_t y) {
    uint16_t* buf = strip_.data();
    for (int k = 0; k < kBands; ++k) {
        ComposeCell(map, x, y + 1 + 2 * k);
        CopyTileRows(tileBlack_ ? nullptr : tile_, kDiamondRows, 0, 19, buf, kStripPitch, 0, 10 + 20 * k);
    }
    for (int k = 0; k <= kBands; ++k) {
        ComposeCell(map, x + 1, y + 2 * k);
        CopyTileRows(tileBlack_ ? nullptr : tile_, kLeftHalfRows, 0, 19, buf, kStripPitch, 20, 20 * k);
        ComposeCell(map, x, y + 2 * k);
        // The right half sits at x 20 of the tile and goes to x 0 of the strip.
        CopyTileRows(tileBlack_ ? nullptr : tile_, kRightHalfRows, 0, 19, buf, kStripPitch, -20, 20 * k);
    }
}

void TerrainRing::CommitBand(const PixelArea& ring) const {
    const int split = kWidth - ringColumn * 40;
    for (int line = 0; line < 20; ++line) {
        const uint16_t* in = band_.data() + line * kBandPitch + 20;
        uint16_t* out = ring.pixels + (ringRow * 20 + line) * ring.pitch;
        std::memcpy(out + ringColumn * 40, in, size_t(split) * 2);
        if (split < kWidth) std::memcpy(out, in + split, size_t(kWidth - split) * 2);
    }
}

void TerrainRing::CommitColumn(const PixelArea& ring) const {
    const int split = kHeight - ringRow * 20;
    for (int line = 0; line < kHeight; ++line) {
        const uint16_t* in = strip_.data() + (10 + line) * kStripPitch;
        const int ringLine = line < split ? ringRow * 20 + line : line - split;
        std::memcpy(ring.pixels + ringLine * ring.pitch + ringColumn * 40, in, 40 * 2);
    }
}

void TerrainRing::PatchCell(const PixelArea& ring, const BattleMap& map, const MapCell* cell, int32_t x0,
                            int32_t y0, int32_t x, int32_t y) {
    ComposeCell(map, x, y, cell);
    int left = (x - x0) * 40 - ((y & 1) ? 0 : 20);
    int top = (y - y0 - 1) * 10;
    int fromX = 0, fromY = 0, w = 40, h = 20;
    if (left < 0) {
        fromX = -left;
        w += left;
        left = 0;
    }
    if (left + w > kWidth) w = kWidth - left;
    if (top < 0) {
        fromY = -top;
        h += top;
        top = 0;
    }
    if (top + h > kHeight) h = kHeight - top;
    if (w <= 0 || h <= 0) return;
    for (int line = 0; line < h; ++line) {
        const int ringY = (top + line + ringRow * 20) % kHeight;
        uint16_t* out = ring.pixels + ringY * ring.pitch;
        const uint16_t* in = tile_ + (fromY + line) * kTileWidth + fromX;
        for (int i = 0; i < w; ++i) {
            // Pixels outside the diamond keep the neighbours'.
            const uint16_t p = tileBlack_ ? 0 : in[i];
            const int tx = fromX + i, ty = fromY + line;
            const TileRow& row = kDiamondRows.row[ty];
            if (tx < row.start || tx >= row.start + row.count) continue;
            if (!tileBlack_ && p == 0) continue;
            out[(left + i + ringColumn * 40) % kWidth] = p;
        }
    }
}
