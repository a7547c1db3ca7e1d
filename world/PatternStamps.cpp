#include "Program/GameController.h"
#include "world/BattleMap.h"
#include "world/DiamondWalk.h"
#include "world/FootprintPattern.h"

namespace {

// The first and last cell of a row; a one-cell row counts once.
bool IsRowEnd(int32_t length, int32_t k) {
    return k == 0 || k == length - 1;
}

bool InLowerOutline(int32_t n, int32_t row, int32_t length, int32_t k) {
    return row >= n - 1 && IsRowEnd(length, k);
}

bool InUpperOutline(int32_t n, int32_t row, int32_t length, int32_t k) {
    return row < n && IsRowEnd(length, k);
}

void QueueRedraw(int32_t x, int32_t y, const MapCell& cell) {
    GameController* c = TheGameController;
    if (!c || x < c->viewLeft || x > c->viewRight || y < c->viewTop || y > c->viewBottom) return;
    c->tileRedraws.push_back({x, y, cell.groundTile, cell.layerTile, 0});
}

// Array entries past what the file gave are taken as absent.
template <typename T>
const T* Entry(const std::vector<T>& v, size_t i) {
    return i < v.size() ? &v[i] : nullptr;
}

} // namespace

void BattleMap::StampBuildingPattern(int32_t x, int32_t y, int32_t n) {
    const FootprintPattern* p = PatternAt(Footprints().building, n);
    if (!p) return;
    const int32_t size = p->width;
    const bool build = (n & 1) != 0;
    size_t nextOutline = 0;
    WalkDiamond(x, y, size, [&](int32_t cx, int32_t cy, int32_t pos, int32_t row, int32_t length, int32_t k) {
        MapCell* cell = CellAt(cx, cy);
        if (!cell) return;
        cell->overlayTile = MapCell::kNoTile;
        if (build) {
            if (const uint16_t* t = Entry(p->cellTiles, size_t(pos))) cell->layerTile = *t;
            if (InUpperOutline(size, row, length, k))
                if (const uint16_t* o = Entry(p->outline, nextOutline++)) cell->overlayTile = *o;
        } else {
            cell->layerTile = MapCell::kNoTile;
            if (InLowerOutline(size, row, length, k))
                if (const uint16_t* o = Entry(p->outline, nextOutline++)) cell->overlayTile = *o;
        }
        QueueRedraw(cx, cy, *cell);
    });
}

void BattleMap::StampConstructionPattern(int32_t x, int32_t y, int32_t n) {
    if (n == 0 || n == -1) {
        // The farm and the bare field after it.
        const FootprintPattern* p = PatternAt(Footprints().farm, n == 0 ? 0 : 1);
        if (!p) return;
        WalkDiamond(x, y, p->width, [&](int32_t cx, int32_t cy, int32_t pos, int32_t, int32_t, int32_t) {
            MapCell* cell = CellAt(cx, cy);
            if (!cell) return;
            cell->obstacle = 0;
            if (const uint16_t* t = Entry(p->cellTiles, size_t(pos))) {
                cell->layerTile = *t;
                QueueRedraw(cx, cy, *cell);
            }
        });
        return;
    }
    if (n > 0) {
        const FootprintPattern* p = PatternAt(Footprints().construction, n);
        if (!p) return;
        size_t nextOutline = 0;
        WalkDiamond(x, y + 2, p->width,
                    [&](int32_t cx, int32_t cy, int32_t, int32_t row, int32_t length, int32_t k) {
                        MapCell* cell = CellAt(cx, cy);
                        if (!cell) return;
                        cell->obstacle = 1;
                        if (InLowerOutline(p->width, row, length, k))
                            if (const uint16_t* o = Entry(p->outline, nextOutline++)) cell->overlayTile = *o;
                    });
        return;
    }
    constexpr int32_t kClearedSize = 4;
    WalkDiamond(x, y + 2, kClearedSize,
                [&](int32_t cx, int32_t cy, int32_t, int32_t row, int32_t length, int32_t k) {
                    MapCell* cell = CellAt(cx, cy);
                    if (!cell) return;
                    cell->obstacle = 0;
                    if (InLowerOutline(kClearedSize, row, length, k)) cell->overlayTile = MapCell::kNoTile;
                });
}

void BattleMap::StampArrowTowerPattern(int32_t x, int32_t y, int32_t kind, uint8_t owner) {
    const FootprintPattern* p = PatternAt(Footprints().arrowTower, kind);
    if (!p) {
        // No pattern gives no size either: the cleared site of a construction.
        constexpr int32_t kClearedSize = 4;
        WalkDiamond(x, y, kClearedSize,
                    [&](int32_t cx, int32_t cy, int32_t, int32_t row, int32_t length, int32_t k) {
                        MapCell* cell = CellAt(cx, cy);
                        if (!cell) return;
                        cell->obstacle = 0;
                        cell->ownerMark = owner;
                        if (InLowerOutline(kClearedSize, row, length, k))
                            cell->overlayTile = MapCell::kNoTile;
                    });
        return;
    }
    size_t nextOutline = 0;
    WalkDiamond(x, y, p->width,
                [&](int32_t cx, int32_t cy, int32_t pos, int32_t row, int32_t length, int32_t k) {
                    MapCell* cell = CellAt(cx, cy);
                    if (!cell) return;
                    cell->ownerMark = owner;
                    if (InLowerOutline(p->width, row, length, k))
                        if (const uint16_t* o = Entry(p->outline, nextOutline++)) cell->overlayTile = *o;
                    // The tower files carry no tiles; a table that does has them written.
                    if (const uint16_t* t = Entry(p->cellTiles, size_t(pos))) {
                        cell->layerTile = *t;
                        QueueRedraw(cx, cy, *cell);
                    }
                });
}

void BattleMap::StampPattern(int32_t x, int32_t y, const FootprintPattern* p) {
    if (!p) return;
    size_t nextOutline = 0;
    WalkDiamond(x, y, p->width,
                [&](int32_t cx, int32_t cy, int32_t pos, int32_t row, int32_t length, int32_t k) {
                    MapCell* cell = CellAt(cx, cy);
                    if (!cell) return;
                    if (!p->outline.empty() && InLowerOutline(p->width, row, length, k))
                        if (const uint16_t* o = Entry(p->outline, nextOutline++)) cell->overlayTile = *o;
                    if (const uint16_t* t = Entry(p->cellTiles, size_t(pos))) {
                        cell->layerTile = *t;
                        QueueRedraw(cx, cy, *cell);
                    }
                    if (const uint8_t* m = Entry(p->mask, size_t(pos))) cell->obstacle = *m;
                });
}
