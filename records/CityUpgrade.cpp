#include "Program/GameController.h"
#include "Program/SoundEffects.h"
#include "records/City.h"
#include "records/CityWorks.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "troops/CastleGate.h"
#include "troops/SoldierTypeColumns.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"
#include "world/FootprintPattern.h"
#include "world/MapCell.h"
#include "world/MapView.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr int32_t kLargestSize = 4;
constexpr int32_t kTowerTemplate = 453;

// A tile range of one cell field that an upgrade from a size moves by a shift.
struct Retile {
    int32_t size;
    uint16_t MapCell::*field;
    uint16_t first, last;
    int32_t shift;
};
constexpr Retile kRetiles[] = {
    {1, &MapCell::groundTile, 0x2637, 0x263F, -0x24},   {1, &MapCell::layerTile, 0x3B70, 0x3B8F, -0x20},
    {1, &MapCell::layerTile, 0x2FAC, 0x30EF, -0x57C},   {1, &MapCell::layerTile, 0x5970, 0x5B1F, -0x360},
    {1, &MapCell::overlayTile, 0x147C, 0x155F, -0x1C8}, {2, &MapCell::groundTile, 0x2613, 0x261B, -0x12},
    {2, &MapCell::layerTile, 0x3B50, 0x3B6F, -0x40},    {2, &MapCell::layerTile, 0x2A30, 0x2B73, +0x144},
    {2, &MapCell::layerTile, 0x5610, 0x57BF, -0x1B0},   {2, &MapCell::overlayTile, 0x12B4, 0x1397, -0x804},
    {3, &MapCell::layerTile, 0x3B10, 0x3B2F, +0x20},    {3, &MapCell::layerTile, 0x2B74, 0x2CB7, +0x144},
    {3, &MapCell::layerTile, 0x5460, 0x560F, +0x360},   {3, &MapCell::overlayTile, 0xAB0, 0xB93, +0x8E8},
};

bool InView(int32_t x, int32_t y) {
    const MapView* view = TheGameController ? TheGameController->gameScreen : nullptr;
    return view && view->viewX <= x && x < view->viewX + MapView::kViewColumns && view->viewY <= y &&
           y < view->viewY + MapView::kViewRows;
}
// Each castle gate takes the level of the size being left (1 -> 0, 2 -> 3, 3 -> 2) and shows
// that level's picture in its present state.
void RaiseGates(LinkList& gates, int32_t size) {
    constexpr int32_t kGateLevel[4] = {-1, 0, 3, 2};
    const int32_t level = size >= 1 && size <= 3 ? kGateLevel[size] : -1;
    if (level < 0) return;
    for (uintptr_t v = gates.First(); v != 0; v = gates.Next()) {
        auto* gate = reinterpret_cast<CastleGate*>(v);
        if (!CastleGate::ValidLayout(gate->direction, level)) continue;
        gate->style = level;
        if (gate->openState > 2) continue;
        TheBattleMap->StampPattern(
            gate->cellX, 2 * gate->cellY,
            PatternAt(Footprints().door, level * 6 + gate->direction * 3 + gate->openState));
    }
}
} // namespace

int32_t TowerTemplateForSize(int32_t size) {
    switch (size) {
    case 2:
        return 462;
    case 3:
        return 463;
    case 4:
        return GeneralTemplate(489) ? 489 : kTowerTemplate;
    default:
        return kTowerTemplate;
    }
}

void TakeTowerTemplate(Troop& tower, int32_t size) {
    if (!tower.officer) return;
    if (const uint8_t* block = GeneralTemplate(TowerTemplateForSize(size)))
        std::memcpy(tower.officer->block, block, OfficerLayout::kSize);
    int32_t type = 0;
    if (const uint8_t* base = GeneralTemplate(kTowerTemplate))
        std::memcpy(&type, base + OfficerLayout::kSoldierType, 4);
    tower.baseType = tower.currentType = type;
    tower.rangeStart = static_cast<int16_t>(SoldierTypeValue(type, SoldierColumn::kRangeStart));
    tower.rangeEnd = static_cast<int16_t>(SoldierTypeValue(type, SoldierColumn::kRangeEnd));
    tower.missileKind = static_cast<uint8_t>(SoldierTypeValue(type, SoldierColumn::kMissile));
}

void City::ComputeUpgradeArea() {
    const int32_t right = TheBattleMap ? TheBattleMap->width - 1 : 0;
    const int32_t bottom = TheBattleMap ? TheBattleMap->rows - 1 : 0;
    const int32_t x = CellX(), y = CellY();
    areaBounds[0] = std::clamp(x - 50, 0, std::max(0, right));
    areaBounds[1] = std::clamp(y - 120, 0, std::max(0, bottom));
    areaBounds[2] = std::clamp(x + 50, 0, std::max(0, right));
    areaBounds[3] = std::clamp(y + 120, 0, std::max(0, bottom));
}

void City::RetileUpgradeCell(MapCell& cell, int32_t size) {
    for (const Retile& r : kRetiles) {
        if (r.size != size) continue;
        uint16_t& tile = cell.*r.field;
        if (tile >= r.first && tile <= r.last) tile = static_cast<uint16_t>(tile + r.shift);
    }
}

int32_t City::ApplyUpgrade() {
    const int32_t size = Scale();
    // Every table the upgrade reads ends at the largest size.
    if (size < 1 || size >= kLargestSize) return 0;
    const int32_t x = CellX(), y = CellY();
    if (InView(x, y + 6)) PlaySoundEffect(55);

    ComputeUpgradeArea();
    if (TheBattleMap) {
        for (int32_t row = areaBounds[1]; row < areaBounds[3]; ++row)
            for (int32_t col = areaBounds[0]; col < areaBounds[2]; ++col) {
                MapCell* cell = TheBattleMap->CellAt(col, row);
                if (cell && cell->ownerMark == ownerSide + 100) RetileUpgradeCell(*cell, size);
            }
        RaiseGates(gates, size);
        TheBattleMap->StampBuildingPattern(x, y, size * 2 + (unitsShown ? 1 : 0));
    }
    SetInt(CityLayout::kScale, size + 1);
    // The new size brings a stronger garrison.
    ReleaseGarrison();
    SpawnGenerals();

    const int32_t newSize = size + 1;
    for (Troop* tower : towers) {
        if (!tower) continue;
        const int32_t tx = tower->cellX, ty = tower->cellY * 2;
        if (TheBattleMap) {
            TheBattleMap->StampArrowTowerPattern(tx, ty, std::min(newSize, kLargestSize),
                                                 static_cast<uint8_t>(ownerSide + 100));
            for (auto [cx, cy] : {std::pair{tx, ty}, {tx, ty + 1}, {tx - 1, ty + 1}, {tx, ty + 2}})
                if (MapCell* cell = TheBattleMap->CellAt(cx, cy)) cell->obstacle = 255;
        }
        TakeTowerTemplate(*tower, newSize);
        if (tower->officer)
            tower->officer->Set(OfficerLayout::kHp, tower->officer->Get(OfficerLayout::kMaxHp));
    }
    const MapView* view = TheGameController ? TheGameController->gameScreen : nullptr;
    if (view && areaBounds[0] < view->viewX + MapView::kViewColumns && view->viewX < areaBounds[2] &&
        areaBounds[1] < view->viewY + MapView::kViewRows && view->viewY < areaBounds[3])
        TheGameController->gameScreen->DrawObjects();
    return 1;
}
