#pragma once

#include <cstdint>

// A map tile is a diamond inside a 40 x 20 box; every copy and clear of a tile touches only the
// pixels of these rows.
constexpr int kTileWidth = 40;
constexpr int kTileHeight = 20;

struct TileRow {
    int8_t start; // first pixel of the row inside the 40-pixel box
    int8_t count;
};

struct TileRows {
    TileRow row[kTileHeight];
};

// The whole diamond, its left half (up to x 19) and its right half (from x 20).
constexpr TileRows MakeTileRows(int part) {
    TileRows t{};
    for (int r = 0; r < 10; ++r) {
        TileRow row{};
        if (part == 0) row = {int8_t(19 - 2 * r), int8_t(2 + 4 * r)};
        if (part == 1) row = {int8_t(19 - 2 * r), int8_t(1 + 2 * r)};
        if (part == 2) row = {int8_t(20), int8_t(1 + 2 * r)};
        t.row[r] = row;
        t.row[19 - r] = row;
    }
    return t;
}
inline constexpr TileRows kDiamondRows = MakeTileRows(0);
inline constexpr TileRows kLeftHalfRows = MakeTileRows(1);
inline constexpr TileRows kRightHalfRows = MakeTileRows(2);

// Copies tile rows first..last of a 40 x 20 tile (pitch 40) through a row table into a 16-bit
// area at (x, y) (pixels; pitch in pixels); the caller keeps the rows inside the area. A null
// tile clears the pixels to 0.
inline void CopyTileRows(const uint16_t* tile, const TileRows& rows, int first, int last, uint16_t* dst,
                         int pitch, int x, int y) {
    for (int r = first; r <= last; ++r) {
        const TileRow& row = rows.row[r];
        uint16_t* out = dst + (y + r - first) * pitch + x + row.start;
        if (tile) {
            const uint16_t* in = tile + r * kTileWidth + row.start;
            for (int i = 0; i < row.count; ++i)
                out[i] = in[i];
        } else {
            for (int i = 0; i < row.count; ++i)
                out[i] = 0;
        }
    }
}
