#include "world/MapView.h"

#include "Program/GameController.h"
#include "engine/PixelFormat.h"
#include "engine/ResourceStore.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"
#include "world/MapFiles.h"

#include <algorithm>

namespace {

constexpr int kLine = 160;
constexpr int kLines = 120;
constexpr int kPixels = kLine * kLines;

// The three layers the controller keeps: terrain base, city marks and the picture shown.
enum Layer { kBase = 0, kObjects = 1, kComposite = 2 };

uint16_t Get(const uint8_t* layer, int p) {
    return uint16_t(layer[2 * p] | (layer[2 * p + 1] << 8));
}
void Put(uint8_t* layer, int p, uint16_t v) {
    layer[2 * p] = uint8_t(v);
    layer[2 * p + 1] = uint8_t(v >> 8);
}

uint16_t UnseenColour() {
    return TheResourceStore ? TheResourceStore->darkest : 0;
}

uint16_t Grey(uint16_t pixel) {
    const bool f555 = PixelFormat == 555;
    const uint32_t r8 = f555 ? (pixel >> 7) & 0xF8 : (pixel >> 8) & 0xF8;
    const uint32_t g8 = f555 ? (pixel >> 2) & 0xF8 : (pixel >> 3) & 0xFC;
    const uint32_t b8 = (pixel << 3) & 0xF8;
    const uint32_t l = r8 * 9798 + g8 * 19235 + b8 * 3735;
    const uint32_t y = l >> 15;
    if (f555) return uint16_t(((y << 7) & 0x7C00) | ((y << 2) & 0x03E0) | (l >> 18));
    return uint16_t(((y << 8) & 0xF800) | ((y << 3) & 0x07E0) | (l >> 18));
}

constexpr int kFootprintSize[11] = {12, 7, 6, 6, 7, 7, 7, 7, 5, 6, 6};

// Small stages and network games that ask for it show every mark at one size.
bool FixedSizeMarks(const GameController& c) {
    return (c.mode == 1 && c.campaignStage < 10) || (c.networked && c.netOptions[1] == 0);
}

} // namespace

void MapView::PlotMinimap(int32_t x, int32_t y, int32_t mode) {
    GameController* c = TheGameController;
    if (!c || !c->minimapImages[kBase] || !c->minimapImages[kComposite]) return;
    if (x < scrollMinX || x >= scrollMaxX || y < scrollMinY || y >= scrollMaxY) return;
    const int32_t W = std::max(1, mapWidth), H = std::max(1, mapHeight);
    const int32_t w = minimapRight - minimapLeft, h = minimapBottom - minimapTop;
    const int32_t col0 = (w * x) / W + minimapLeft;
    const int32_t p0 = ((h * y) / H) * kLine + col0 + minimapTop * kLine;
    const uint8_t* base = c->minimapImages[kBase];
    uint8_t* out = c->minimapImages[kComposite];
    const uint16_t unseen = UnseenColour();
    const int32_t bw = std::max(1, c->minimapScaleX), bh = std::max(1, c->minimapScaleY);
    for (int32_t r = 0; r < bh; ++r)
        for (int32_t col = 0; col < bw; ++col) {
            // A block never spills into the next line.
            if (col0 + col >= kLine) break;
            const int32_t p = p0 + kLine * r + col;
            if (p < 0 || p >= kPixels) continue;
            const uint16_t b = Get(base, p);
            uint16_t v = unseen;
            if (mode == 1)
                v = b == 0 ? unseen : b;
            else if (mode == 2)
                v = Grey(b);
            Put(out, p, v);
        }
}

void MapView::RebuildMinimap() {
    const BattleMap* map = TheBattleMap;
    if (!map || !map->HasCells()) return;
    for (int32_t y = 0; y < map->rows; ++y)
        for (int32_t x = 0; x < map->width; ++x)
            if (const uint8_t n = map->CellAt(x, y)->sightCount; n & 1) PlotMinimap(x, y, n >= 2 ? 1 : 2);
}

void MapView::MarkObjectCell(City* city, int32_t mode) {
    if (!city || !TheBattleMap || !TheBattleMap->HasCells()) return;
    const int32_t x = city->CellX(), y = city->CellY();
    if (x < scrollMinX || x >= scrollMaxX || y < scrollMinY || y >= scrollMaxY) return;
    if (!city->markedCity) return;
    uint16_t colour = 0;
    if (mode == 0 || mode == 1) {
        const Kingdom* k = TroopKingdom(city->ownerSide);
        colour = k ? k->ownColour : 0;
    }
    PlotObjectOnMinimap(city, colour);
}

void MapView::PlotObjectOnMinimap(City* city, uint16_t colour) {
    GameController* c = TheGameController;
    if (!city || !c || !c->minimapImages[kBase] || !c->minimapImages[kObjects] ||
        !c->minimapImages[kComposite])
        return;
    const int32_t kind = city->Kind();
    const int32_t s = kind >= 0 && kind <= 10 ? kFootprintSize[kind] : kFootprintSize[0];
    const int32_t W = std::max(1, mapWidth), H = std::max(1, mapHeight);
    const int32_t w = minimapRight - minimapLeft, h = minimapBottom - minimapTop;
    int32_t px = ((city->CellX() - s / 2) * w) / W + minimapLeft;
    int32_t py = (city->CellY() * h) / H + minimapTop;
    int32_t n = (s * kLine) / W;
    if (FixedSizeMarks(*c)) {
        px = std::max(0, px - (kind == 0 ? 3 : 2));
        py = std::max(0, py - 2);
        n = kind == 0 ? 6 : 4;
    }
    uint8_t* base = c->minimapImages[kBase];
    uint8_t* objects = c->minimapImages[kObjects];
    uint8_t* out = c->minimapImages[kComposite];
    const uint16_t unseen = UnseenColour();
    // Marks are cut at all four edges of the picture.
    auto plot = [&](int32_t x, int32_t y) {
        if (x < 0 || x >= kLine || y < 0 || y >= kLines) return;
        const int p = y * kLine + x;
        if (colour == 0) {
            Put(out, p, Get(base, p));
            Put(objects, p, unseen);
        } else {
            Put(out, p, colour);
            Put(objects, p, colour);
        }
    };
    if (kind == 0) {
        n += n & 1;
        const int32_t centre = px + n / 2;
        const int32_t half = n / 2;
        for (int32_t i = 0; i < half; ++i) {
            const int32_t width = 2 * (i + 1);
            for (int32_t x = 0; x < width; ++x)
                plot(centre - width / 2 + x, py + i);
        }
        for (int32_t i = 0; i < half; ++i) {
            const int32_t width = n - 2 * i;
            for (int32_t x = 0; x < width; ++x)
                plot(centre - width / 2 + x, py + half + i);
        }
        return;
    }
    for (int32_t y = 0; y < n; ++y)
        for (int32_t x = 0; x < n; ++x)
            plot(px + x, py + y);
}
