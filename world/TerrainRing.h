#pragma once

#include <cstdint>
#include <vector>

class BattleMap;
struct MapCell;

// A 16-bit pixel area: pixels, pitch in pixels, size.
struct PixelArea {
    uint16_t* pixels = nullptr;
    int32_t pitch = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// The visible terrain, composed once and kept in an 800 x 560 surface used as a ring of 20 columns
// of 40 pixels and 28 bands of 20 lines: scrolling renders only the band or column that comes into
// view, over the one that left it, and moves the ring's wrap point. View pixel (px, py) lies at
// ring pixel ((px + 40 ringColumn) mod 800, (py + 20 ringRow) mod 560).
class TerrainRing {
public:
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 560;
    static constexpr int kColumns = 20;
    static constexpr int kBands = 28;
    static constexpr int kViewRows = 56;

    TerrainRing();

    // Renders the band of view lines for cell rows y (lower halves), y + 1 and y + 2 (upper
    // halves), from column x0, into the band buffer.
    void RenderBand(const BattleMap& map, int32_t x0, int32_t y);
    // Renders the 40-pixel view column of cell column x from row y into the column strip.
    void RenderColumn(const BattleMap& map, int32_t x, int32_t y);
    // Copies the band buffer to ring band ringRow, the column strip to ring column ringColumn.
    void CommitBand(const PixelArea& ring) const;
    void CommitColumn(const PixelArea& ring) const;

    // Composes the cell standing at (x, y) and copies its pixels that are not 0 into the ring where it lies
    // in the view of origin (x0, y0); the parts outside the view are cut off.
    void PatchCell(const PixelArea& ring, const BattleMap& map, const MapCell* cell, int32_t x0, int32_t y0,
                   int32_t x, int32_t y);

    // The composed tile of the cell at (x, y) of the map (or of the given cell standing there),
    // shaded by the fog: black for a cell off the map or never seen.
    void ComposeCell(const BattleMap& map, int32_t x, int32_t y);
    void ComposeCell(const BattleMap& map, int32_t x, int32_t y, const MapCell* cell);
    uint16_t* TileBuffer() { return tile_; }
    const uint16_t* Tile() const { return tile_; }

    int32_t ringColumn = 0;
    int32_t ringRow = 0;

private:
    static constexpr int kBandPitch = 840;
    static constexpr int kStripPitch = 40;
    static constexpr int kStripLines = 580;

    std::vector<uint16_t> band_;  // 840 x 40
    std::vector<uint16_t> strip_; // 40 x 580
    uint16_t tile_[40 * 20] = {};
    bool tileBlack_ = false;
};
