#include "world/TileRenderer.h"

#include "engine/ResourceStore.h"
#include "world/MapCell.h"
#include "world/TileGeometry.h"

namespace {

// The store keeps a terrain cell packed: the 400 pixels of the diamond's rows one after another.
const uint16_t* StoreCell(uint16_t** table, int32_t count, uint16_t n) {
    if (!table || n == MapCell::kNoTile || n >= count) return nullptr;
    return table[n];
}

} // namespace

void BlitTiles(const MapCell& cell, uint16_t* tile) {
    const ResourceStore* store = TheResourceStore;
    const uint16_t* ground =
        store ? StoreCell(store->groundCells, store->groundCount, cell.groundTile) : nullptr;
    const uint16_t* layer = store ? StoreCell(store->layerCells, store->layerCount, cell.layerTile) : nullptr;
    int packed = 0;
    for (int r = 0; r < kTileHeight; ++r) {
        const TileRow& row = kDiamondRows.row[r];
        uint16_t* out = tile + r * kTileWidth + row.start;
        for (int i = 0; i < row.count; ++i, ++packed) {
            uint16_t p = ground ? ground[packed] : 0;
            if (layer && layer[packed] != 0) p = layer[packed];
            out[i] = p;
        }
    }
}
