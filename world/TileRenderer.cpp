#include "world/TileRenderer.h"

#include "Program/GameController.h"
#include "engine/PixelFormat.h"
#include "engine/ResourceStore.h"
#include "world/BattleMap.h"
#include "world/MapCell.h"
#include "world/RandomMapTables.h"
#include "world/TileGeometry.h"

#include <cstring>

namespace {

// The store keeps a terrain cell packed: the 400 pixels of the diamond's rows one after another.
const uint16_t* StoreCell(uint16_t** table, int32_t count, uint16_t n) {
    if (!table || n == MapCell::kNoTile || n >= count) return nullptr;
    return table[n];
}

constexpr uint16_t kEdgeShapes[256] = {
    14, 14, 14, 14, 14, 14, 14, 13, 14, 14, 14, 14, 14, 14, 14, 13, //
    14, 14, 14, 14, 14, 14, 14, 13, 14, 14, 14, 14, 14, 14, 14, 13, //
    14, 14, 14, 14, 14, 14, 14, 13, 14, 14, 11, 11, 14, 14, 11, 6,  //
    14, 14, 14, 14, 14, 14, 14, 13, 14, 14, 11, 11, 14, 14, 11, 6,  //
    14, 14, 14, 14, 14, 14, 14, 13, 14, 14, 14, 14, 14, 14, 14, 13, //
    14, 14, 14, 14, 12, 12, 12, 9,  14, 14, 14, 14, 12, 12, 12, 9,  //
    14, 14, 14, 14, 14, 14, 14, 13, 14, 14, 11, 11, 14, 14, 11, 6,  //
    14, 14, 14, 14, 12, 12, 12, 9,  14, 14, 11, 11, 12, 12, 8,  3,  //
    14, 14, 14, 14, 14, 14, 14, 13, 14, 14, 14, 14, 14, 14, 14, 13, //
    14, 14, 14, 14, 14, 14, 14, 13, 14, 14, 14, 14, 14, 14, 14, 13, //
    14, 14, 14, 14, 14, 14, 14, 13, 14, 14, 11, 11, 14, 14, 11, 6,  //
    14, 14, 14, 14, 14, 14, 14, 13, 14, 14, 11, 11, 14, 14, 11, 6,  //
    14, 14, 14, 14, 14, 14, 14, 13, 14, 14, 14, 14, 14, 14, 14, 13, //
    14, 14, 14, 14, 12, 12, 12, 9,  14, 14, 14, 14, 12, 12, 12, 9,  //
    10, 10, 10, 10, 10, 10, 10, 5,  10, 10, 4,  4,  10, 10, 4,  0,  //
    10, 10, 10, 10, 7,  7,  7,  2,  10, 10, 4,  4,  7,  7,  1,  15, //
};

// Neighbour i of a cell, by the parity of its row: top, upper-left, upper-right, left, right,
// lower-left, lower-right, bottom.
constexpr int8_t kOddRow[8][2] = {{0, -2}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {0, 1}, {1, 1}, {0, 2}};
constexpr int8_t kEvenRow[8][2] = {{0, -2}, {-1, -1}, {0, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {0, 2}};

void FillOddRows(uint16_t* tile, uint16_t colour) {
    for (int r = 1; r < kTileHeight; r += 2) {
        const TileRow& row = kDiamondRows.row[r];
        for (int i = 0; i < row.count; ++i)
            tile[r * kTileWidth + row.start + i] = colour;
    }
}

} // namespace

int32_t OwnerColourRow(uint8_t ownerMark) {
    if (ownerMark >= 200) return ownerMark - 200;
    if (ownerMark >= 100) return ownerMark - 100;
    return 1;
}

bool IsOwnerColouredLayer(uint16_t id) {
    return (id >= 10800 && id <= 12959) || (id >= 15120 && id <= 15246) || id >= 21600;
}

uint16_t EdgeShape(uint8_t mask) {
    return kEdgeShapes[mask];
}

int32_t FogMaskIndex(const BattleMap& map, int32_t x, int32_t y, const MapCell& cell) {
    const bool odd = (y & 1) != 0;
    const auto& offsets = odd ? kOddRow : kEvenRow;
    uint8_t unexplored = 0, explored = 0;
    for (int i = 0; i < 8; ++i) {
        const MapCell* n = map.CellAt(x + offsets[i][0], y + offsets[i][1]);
        const uint8_t bit = uint8_t(1u << i);
        if (!n) {
            // Past the edge: unexplored for a cell in sight (and explored too on odd rows); for
            // an explored cell only on odd rows.
            if (cell.sightCount != 1 || odd) unexplored |= bit;
            if (cell.sightCount != 1 && odd) explored |= bit;
            continue;
        }
        if (n->sightCount == 0) unexplored |= bit;
        if (n->sightCount == 1) explored |= bit;
    }
    const uint8_t u = uint8_t(~unexplored), e = uint8_t(~explored);
    if (cell.sightCount == 1) return 16 + EdgeShape(u);
    if (u == 255 && e == 255) return -1;
    if (u == 255) return 32 + EdgeShape(e);
    if (e == 255) return EdgeShape(u);
    return 48 + 16 * EdgeShape(e) + EdgeShape(u);
}

void ShadeTile(uint16_t* tile, const int8_t* mask, int32_t layout) {
    const int high = layout == 555 ? 0x7C00 : 0xF800;
    const int middle = layout == 555 ? 0x03E0 : 0x07E0;
    int packed = 0;
    for (int r = 0; r < kTileHeight; ++r) {
        const TileRow& row = kDiamondRows.row[r];
        uint16_t* p = tile + r * kTileWidth + row.start;
        for (int i = 0; i < row.count; ++i) {
            const int f = mask[packed + i];
            const int v = p[i];
            p[i] = uint16_t((((v & high) * f) >> 5 & high) | (((v & middle) * f) >> 5 & middle) |
                            (((v & 0x1F) * f) >> 5 & 0x1F));
        }
        packed += row.count;
    }
}

void ComposeTile(const MapCell& cell, uint16_t* tile) {
    const ResourceStore* store = TheResourceStore;
    const uint16_t* ground =
        store ? StoreCell(store->groundCells, store->groundCount, cell.groundTile) : nullptr;
    const uint16_t* layer = store ? StoreCell(store->layerCells, store->layerCount, cell.layerTile) : nullptr;
    // Owner rows come from the map file: one past the table keeps the artwork's own colours.
    const int32_t row = OwnerColourRow(cell.ownerMark);
    const bool recolour =
        layer && row >= 2 && row < int32_t(KingdomColourTable.size()) && IsOwnerColouredLayer(cell.layerTile);
    const ColourRow& keys = KingdomColourTable[1];
    const ColourRow& owner = KingdomColourTable[size_t(recolour ? row : 1)];
    int packed = 0;
    for (int r = 0; r < kTileHeight; ++r) {
        const TileRow& tileRow = kDiamondRows.row[r];
        uint16_t* out = tile + r * kTileWidth + tileRow.start;
        // A cell without ground shows black rather than the last cell's ground.
        if (ground)
            std::memcpy(out, ground + packed, size_t(tileRow.count) * 2);
        else
            std::memset(out, 0, size_t(tileRow.count) * 2);
        if (layer)
            for (int i = 0; i < tileRow.count; ++i) {
                uint16_t p = layer[packed + i];
                if (p == 0) continue;
                if (recolour)
                    for (size_t k = 0; k < keys.size(); ++k)
                        if (p == keys[k]) {
                            p = owner[k];
                            break;
                        }
                out[i] = p;
            }
        packed += tileRow.count;
    }
    const GameController* c = TheGameController;
    if (!c) return;
    if (c->obstacleOverlay && ground && cell.obstacle != 0)
        FillOddRows(tile, Palette16[int8_t(cell.obstacle) > 0 ? 50 : 70]);
    if (c->markOverlay && cell.spare13 != 0) FillOddRows(tile, Palette16[90]);
}

void ComposeShadedTile(const BattleMap& map, int32_t x, int32_t y, const MapCell& cell, uint16_t* tile) {
    ComposeTile(cell, tile);
    const int32_t index = FogMaskIndex(map, x, y, cell);
    if (index < 0 || !MythMasks) return;
    ShadeTile(tile, reinterpret_cast<const int8_t*>(MythMasks + size_t(index) * kMythRecordSize),
              PixelFormat == 555 ? 555 : 565);
}
