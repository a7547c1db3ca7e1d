#include "world/MapView.h"

#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "engine/LinkList.h"
#include "engine/ResourceStore.h"
#include "engine/ResourceStoreFormats.h"
#include "gui/FrameAnimation.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "troops/CastleGate.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr uint16_t kFirstGateTile = 3876;
constexpr uint16_t kLastGateTile = 4783;
constexpr int kBarLine = 100;

} // namespace

bool MapView::OverlayContainsPoint(int32_t x, int32_t y, int32_t px, int32_t py) const {
    const ResourceStore* store = TheResourceStore;
    const MapCell* cell = TheBattleMap ? TheBattleMap->CellAt(x, y) : nullptr;
    if (!store || !store->sprites || !cell) return false;
    const uint16_t tile = cell->overlayTile;
    if (tile >= store->spriteCount || !store->sprites[tile]) return false;
    const KingdomSprite& pic = *store->sprites[tile];
    const int32_t k = y - viewY;
    const int32_t left = (x - viewX) * 40 + 20 * (y & 1) - int32_t(pic.word0);
    const int32_t top = k * 10 + 10 - int32_t(pic.word1);
    const int32_t right = std::min(left + int32_t(pic.width), 800);
    const int32_t bottom = std::min(top + int32_t(pic.height), 530);
    return px >= std::max(left, 0) && px <= right && py >= std::max(top, 0) && py <= bottom;
}

bool MapView::FindOverlayAt(int32_t px, int32_t py, int32_t& x, int32_t& y) {
    BattleMap* map = TheBattleMap;
    if (!map) return false;
    int32_t cx = 0, cy = 0;
    PixelToCell(px, py, 20, cx, cy);
    const struct { int32_t dx, below; } walks[] = {{0, 30}, {1, 31}, {-1, 31}};
    for (const auto& w : walks)
        for (int32_t i = 0; i < 21; ++i) {
            const int32_t tx = cx + w.dx, ty = cy + w.below - 2 * i;
            const MapCell* cell = map->CellAt(tx, ty);
            if (!cell || cell->overlayTile == MapCell::kNoTile || cell->sightCount <= 1) continue;
            if (OverlayContainsPoint(tx, ty, px, py)) {
                x = tx;
                y = ty;
                return true;
            }
        }
    return false;
}

CastleGate* MapView::HoveredGate() const {
    const GameController* c = TheGameController;
    LinkList* kingdoms = StageKingdoms();
    if (!c || !c->hoveredGate || !kingdoms) return nullptr;
    for (uintptr_t k = kingdoms->First(); k != 0; k = kingdoms->Next())
        if (reinterpret_cast<Kingdom*>(k)->gates.ContainsPtr(uintptr_t(c->hoveredGate)))
            return c->hoveredGate;
    return nullptr;
}

// The gate under the pointer: an overlay of a gate picture in sight, and a gate anchored near.
void MapView::FindHoveredGate(int32_t px, int32_t py) {
    GameController* c = TheGameController;
    if (!c || !TheBattleMap) return;
    c->hoveredGate = nullptr;
    int32_t cx = 0, cy = 0;
    PixelToCell(px, py, 20, cx, cy);
    const MapCell* under = TheBattleMap->CellAt(cx, cy);
    if (!under || under->sightCount <= 1) return;
    int32_t ox = 0, oy = 0;
    if (!FindOverlayAt(px, py, ox, oy)) return;
    const uint16_t tile = TheBattleMap->CellAt(ox, oy)->overlayTile;
    if (tile < kFirstGateTile || tile > kLastGateTile) return;
    LinkList* kingdoms = StageKingdoms();
    if (!kingdoms) return;
    for (uintptr_t k = kingdoms->First(); k != 0; k = kingdoms->Next()) {
        LinkList& gates = reinterpret_cast<Kingdom*>(k)->gates;
        for (uintptr_t g = gates.First(); g != 0; g = gates.Next()) {
            CastleGate* gate = reinterpret_cast<CastleGate*>(g);
            if (std::abs(gate->cellX - cx) <= 10 && std::abs(gate->cellY - cy / 2) <= 20) {
                c->hoveredGate = gate;
                return;
            }
        }
    }
}

// The gate's strength bar: the stored total in the first colour, what its pieces could still
// regain in the second. The pieces' sum is worked out here but never stored: the gate's total
// belongs to the gate's own logic.
void MapView::FillGateBar(uint8_t* picture, const CastleGate& gate) {
    const int32_t divisor = std::max(1, 8 * GameParams().siteRows[3][1]);
    const int32_t strength = std::min(100, gate.strengthTotal * 100 / divisor);
    int32_t sum = 0;
    for (const Troop* piece : gate.pieces)
        if (piece && piece->officer) sum += piece->officer->Get(OfficerLayout::kHp);
    for (int line = 0; line < 4; ++line) {
        uint8_t* l = picture + line * kBarLine;
        std::fill(l, l + kBarLine, uint8_t(0));
        const int32_t a = std::clamp(strength, 0, kBarLine);
        std::fill(l, l + a, uint8_t(15));
        if (sum < gate.maxStrength) {
            const int32_t more = std::clamp(gate.maxStrength * 100 / divisor - strength, 0, kBarLine - a);
            std::fill(l + a, l + a + more, uint8_t(254));
        }
    }
}
