#include "records/City.h"
#include "records/CityWorks.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr int32_t kTowerSlots = 6;
constexpr int32_t kTowerTemplate = 453;
constexpr uint16_t kTowerTile = 0xE41;

void StoreTowerCell(City& city, int32_t slot, int32_t x, int32_t y) {
    std::memcpy(city.towerCells[slot], &x, 4);
    std::memcpy(city.towerCells[slot] + 4, &y, 4);
}

Troop* MakeTower(City& city, int32_t x, int32_t y, uint16_t marker) {
    auto* general = new OfficerRecord(city.ownerSide, kTowerTemplate);
    auto* tower = new Troop(general->Get(OfficerLayout::kSoldierType), 10, static_cast<int16_t>(x),
                            static_cast<int16_t>(y), static_cast<int8_t>(city.ownerSide),
                            static_cast<int16_t>(city.id), 0, general);
    tower->ledUnit = 1;
    tower->towerMarker = marker;
    // Towers stand on their wall, not in the cell's occupancy chain.
    if (TheBattleMap) TheBattleMap->RemoveObjectAt(x, y, reinterpret_cast<uintptr_t>(tower));
    // The kingdom's field list owns its towers.
    if (Kingdom* k = TheBattleMap ? TheBattleMap->FindKingdom(city.ownerSide) : nullptr)
        k->AddFieldUnit(tower);
    return tower;
}
} // namespace

void TowerCellOf(const City& city, int32_t slot, int32_t& x, int32_t& y) {
    std::memcpy(&x, city.towerCells[slot], 4);
    std::memcpy(&y, city.towerCells[slot] + 4, 4);
}

bool City::CreateTowerTroop(int32_t slot) {
    // A slot from a peer's command may be anything; a standing tower is not replaced.
    if (slot < 0 || slot >= kTowerSlots || towers[slot]) return false;
    int32_t x = 0, y = 0;
    TowerCellOf(*this, slot, x, y);
    Troop* tower = MakeTower(*this, x, y, 2);
    towers[slot] = tower;
    TakeTowerTemplate(*tower, Scale());
    if (tower->officer) tower->officer->Set(OfficerLayout::kHp, 0);
    return true;
}

void City::InitArea() {
    if (Kind() != 0 || !TheBattleMap || !TheBattleMap->HasCells()) return;
    const int32_t right = std::max(0, TheBattleMap->width - 1), bottom = std::max(0, TheBattleMap->rows - 1);
    const int32_t x = CellX(), y = CellY();
    areaBounds[0] = std::clamp(x - 34, 0, right);
    areaBounds[1] = std::clamp(y - 80, 0, bottom);
    areaBounds[2] = std::clamp(x + 34, 0, right);
    areaBounds[3] = std::clamp(y + 80, 0, bottom);
    for (int32_t r = areaBounds[1]; r < areaBounds[3]; ++r)
        for (int32_t c = areaBounds[0]; c < areaBounds[2]; ++c) {
            MapCell* cell = TheBattleMap->CellAt(c, r);
            if (!cell || cell->overlayTile != kTowerTile) continue;
            for (auto [cx, cy] : {std::pair{c, r}, {c, r - 1}, {c - 1, r - 1}, {c, r - 2}})
                if (MapCell* mark = TheBattleMap->CellAt(cx, cy)) mark->zoneByte = 255;
            if (towerCount >= kTowerSlots) continue;
            const int32_t unitY = (r - 1) / 2;
            StoreTowerCell(*this, towerCount, c, unitY);
            towers[towerCount++] = MakeTower(*this, c, unitY, 1);
        }
}
