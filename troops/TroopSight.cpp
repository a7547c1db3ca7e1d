#include "Program/GameController.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "troops/TroopSightDiamond.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"
#include "world/MapView.h"

#include <algorithm>
#include <vector>

namespace {
// Neighbour offsets (dx, half-row dy) by half-row parity; entry 8 is the cell itself.
constexpr int8_t kOddNeighbours[9][2] = {{0, -2}, {0, -1}, {1, -1}, {-1, 0}, {1, 0},
                                         {0, 1},  {1, 1},  {0, 2},  {0, 0}};
constexpr int8_t kEvenNeighbours[9][2] = {{0, -2}, {-1, -1}, {0, -1}, {-1, 0}, {1, 0},
                                          {-1, 1}, {0, 1},   {0, 2},  {0, 0}};

bool SightStopped() {
    return TheGameController && TheGameController->sightOff != 0;
}

bool HaveGrid() {
    return TheBattleMap && TheBattleMap->HasCells();
}

void Plot(int32_t x, int32_t halfRow, int32_t mode) {
    if (TheGameController && TheGameController->gameScreen)
        TheGameController->gameScreen->PlotMinimap(x, halfRow, mode);
}

// One more troop sees the cell.
void AddSight(Troop& t, int32_t x, int32_t h) {
    MapCell* cell = TheBattleMap->CellAt(x, h);
    if (!cell) return;
    if (cell->sightCount == 0) {
        t.MarkRedraw(x, h, 0);
        cell->sightCount = 2;
    } else if (cell->sightCount == 1) {
        t.MarkRedraw(x, h, 3);
        cell->sightCount = 2;
    } else if (cell->sightCount < 255) {
        ++cell->sightCount;
    }
    Plot(x, h, 1);
}

// One troop fewer sees the cell.
void DropSight(Troop& t, int32_t x, int32_t h) {
    MapCell* cell = TheBattleMap->CellAt(x, h);
    if (!cell || cell->sightCount <= 1) return;
    --cell->sightCount;
    if (cell->sightCount < 2) t.MarkRedraw(x, h, 2);
}

int16_t SightRadiusOf(const Troop& t) {
    // Past 31 the original edge list overflowed; a larger radius is kept to 31.
    return static_cast<int16_t>(std::clamp<int32_t>(t.sightRadius, 0, kMaxSightRadius));
}
} // namespace

bool InSightDiamond(int32_t cx, int32_t cy, int32_t r, int32_t x, int32_t h) {
    if (r <= 0) return false;
    const int32_t i = h - 2 * (cy - r);
    if (i < 0 || i > 4 * r) return false;
    int32_t start, count;
    if (i <= 2 * r) {
        start = cx - (i + 1) / 2;
        count = i + 1;
    } else {
        start = cx - r + (i - 2 * r) / 2;
        count = 4 * r + 1 - i;
    }
    return x >= start && x < start + count;
}

void Troop::MarkRedraw(int32_t x, int32_t halfRow, int32_t code) {
    if (!HaveGrid()) return;
    const auto& table = (halfRow & 1) ? kOddNeighbours : kEvenNeighbours;
    const CellBounds& b = TheBattleMap->validBounds;
    for (int i = 0; i < 9; ++i) {
        const int32_t nx = x + table[i][0];
        const int32_t nh = halfRow + table[i][1];
        if (i == 8 && (code == 2 || code == 3) && TheBattleMap->CellAt(nx, nh)) Plot(nx, nh, 2);
        if (nx <= b.left || nh <= b.top || nx >= b.right || nh >= b.bottom) continue;
        MapCell* cell = TheBattleMap->CellAt(nx, nh);
        if (!cell) continue;
        cell->seen = static_cast<uint8_t>(i == 8 && code != 0 ? code : 1);
    }
}

void Troop::UpdateSight() {
    if (SightStopped() || !HaveGrid()) return;
    // Marking again first takes back what the troop marked before, so the counts stay exact.
    if (sightMark.marked) WithdrawSight();
    const int16_t r = SightRadiusOf(*this);
    previousX = cellX;
    previousY = cellY;
    if (r <= 0) return;
    ForEachSightCell(cellX, cellY, r, [&](int32_t x, int32_t h) { AddSight(*this, x, h); });
    sightMark = {1, cellX, cellY, r};
}

void Troop::WithdrawSight() {
    if (SightStopped() || !sightMark.marked) return;
    const SightMark m = sightMark;
    sightMark = {};
    if (!HaveGrid()) return;
    ForEachSightCell(m.x, m.y, m.radius, [&](int32_t x, int32_t h) { DropSight(*this, x, h); });
}

void Troop::MoveSight() {
    if (SightStopped() || !HaveGrid()) return;
    if (!sightMark.marked) {
        UpdateSight();
        return;
    }
    // A changed radius cannot be carried edge by edge: mark again.
    if (sightMark.radius != SightRadiusOf(*this)) {
        UpdateSight();
        return;
    }
    const int32_t r = sightMark.radius;
    while (sightMark.x != cellX || sightMark.y != cellY) {
        const int32_t px = sightMark.x, py = sightMark.y;
        const int32_t nx = px + (cellX > px) - (cellX < px);
        const int32_t ny = py + (cellY > py) - (cellY < py);
        // Trailing edge: what the old diamond covers and the new one does not.
        ForEachSightCell(px, py, r, [&](int32_t x, int32_t h) {
            if (!InSightDiamond(nx, ny, r, x, h)) DropSight(*this, x, h);
        });
        // Leading edge.
        ForEachSightCell(nx, ny, r, [&](int32_t x, int32_t h) {
            if (!InSightDiamond(px, py, r, x, h)) AddSight(*this, x, h);
        });
        sightMark.x = static_cast<int16_t>(nx);
        sightMark.y = static_cast<int16_t>(ny);
    }
}

void Troop::UpdateSightInView() {
    WithdrawSight();
}

int Troop::HitTest(int32_t px, int32_t py) {
    // Without a frame geometry record or a current frame there is nothing to point at.
    if (!frame || !currentNode || !TheBattleMap) return 0;
    const MapCell* cell = TheBattleMap->CellAt(cellX, 2 * cellY);
    if (!cell || cell->sightCount < 2) return 0;
    drawnRect[0] = static_cast<int16_t>(pixelX + 80);
    drawnRect[1] = static_cast<int16_t>(pixelY + 130);
    drawnRect[2] = static_cast<int16_t>(drawnRect[0] + 40);
    drawnRect[3] = static_cast<int16_t>(drawnRect[1] + 55);
    return px >= drawnRect[0] && px < drawnRect[2] && py >= drawnRect[1] && py < drawnRect[3] ? 1 : 0;
}

void Troop::EnterGarrison(int16_t garrisonValue) {
    if (TheGameController) TheGameController->DeselectTroop(this);
    const int32_t player = PlayerKingdom();
    if (officer) {
        const int32_t status = officer->StatusWord();
        const bool friendly = owner == player || KingdomRelation(owner, player) == 1;
        if ((status == 0 && friendly) ||
            (status == 1 && player != 0 && OfficerValue(OfficerLayout::kPolicy) == player))
            WithdrawSight();
        officer->workCounters[0] = 0;
        officer->workWords[1] = officer->workWords[2] = officer->workWords[3] = 0;
    }
    flags |= 0x06;
    garrison = garrisonValue;
    targetTroop = nullptr;
    targetCity = nullptr;
    targetObject = nullptr;
    targetWord = 0;
    if (TheBattleMap) TheBattleMap->RemoveObjectAt(cellX, cellY, uintptr_t(this));
    ApplyHalt();
}

void Troop::RevealForPlayer(int32_t) {
    const int32_t player = PlayerKingdom();
    if (owner == player || KingdomRelation(player, owner) == 1) UpdateSight();
}
