#include "fuzz/seeds/builders/MapFixtures.h"

#include "world/MapFiles.h"

#include <cstring>

namespace mapfix {

std::vector<uint8_t> MapBytes(int w, int r, void (*shape)(MapCell&, int), const char* magic) {
    std::vector<MapCell> cells(size_t(w) * r);
    for (int i = 0; i < w * r; ++i) {
        cells[i].groundTile = uint16_t(i + 1);
        cells[i].layerTile = MapCell::kNoTile;
        cells[i].overlayTile = MapCell::kNoTile;
        cells[i].spare6 = uint16_t(0xA000 + i);
        cells[i].spare13 = uint8_t(i);
        cells[i].sightCount = 2;
        cells[i].seen = 1;
        cells[i].fogMark = 3;
        if (shape) shape(cells[i], i);
    }
    std::vector<uint8_t> bytes = WriteMapFile(w, r, cells.data());
    std::memcpy(bytes.data() + 8, magic, 8);
    return bytes;
}

} // namespace mapfix
