#include "world/BattleMap.h"

#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "engine/LinkList.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/ScenarioData.h"
#include "world/DiamondWalk.h"
#include "world/MapView.h"

#include <algorithm>

BattleMap* TheBattleMap = nullptr;

namespace {

void DeleteOwnedObjects(LinkList* list) {
    if (!list) return;
    for (uintptr_t v = list->First(); v != 0; v = list->Next())
        delete reinterpret_cast<RootObject*>(v);
    list->RemoveAll();
}

void DeleteList(LinkList*& list, bool owning) {
    if (!list) return;
    if (owning) DeleteOwnedObjects(list);
    list->RemoveAll();
    delete list;
    list = nullptr;
}

// The minimap hears of sight changes only while a battle screen is there to show them.
void NotifyMinimap(int32_t x, int32_t y, int32_t mode) {
    if (TheGameController && TheGameController->gameScreen)
        TheGameController->gameScreen->PlotMinimap(x, y, mode);
}

uint8_t AddSaturated(uint8_t v, int add) {
    return static_cast<uint8_t>(std::clamp(int(v) + add, 0, 255));
}

} // namespace

BattleMap::BattleMap() : scenario(new ScenarioData) {
    std::fill(std::begin(sideActive), std::end(sideActive), uint8_t(1));
    sideActive[1] = 0;
    for (LinkList*& list : objectLists)
        list = new LinkList;
}

BattleMap::~BattleMap() {
    FreeObjectLists();
    for (LinkList*& list : objectLists)
        DeleteList(list, true);
    FreeCells();
    if (deadOfficers) {
        for (uintptr_t v = deadOfficers->First(); v != 0; v = deadOfficers->Next())
            delete reinterpret_cast<OfficerRecord*>(v);
        delete deadOfficers;
    }
    delete scenario;
    if (TheBattleMap == this) TheBattleMap = nullptr;
}

void BattleMap::SetCells(std::unique_ptr<MapCell[]> grid, int32_t w, int32_t r) {
    cells = std::move(grid);
    width = cells ? w : 0;
    rows = cells ? r : 0;
    cellCount = width * rows;
}

void BattleMap::FreeCells() {
    cells.reset();
    cellCount = 0;
}

const MapCell* BattleMap::ReadCell(int32_t x, int32_t y, const CellBounds& bounds) {
    if (!cells || x <= bounds.left || y <= bounds.top || x >= bounds.right || y >= bounds.bottom ||
        !InGrid(x, y))
        return &kBorderCell;
    MapCell& cell = cells[size_t(y) * size_t(width) + size_t(x)];
    if (y < 3 || x >= width - 1) cell.obstacle = 1;
    if (TheGameController && TheGameController->passThrough && y >= 3 && x < width - 1) {
        // The cheat must never reach the stored map (a save would keep its holes).
        passThroughCell_ = cell;
        passThroughCell_.obstacle = 0;
        return &passThroughCell_;
    }
    return &cell;
}

MapCell* BattleMap::CellAt(int32_t x, int32_t y) {
    return cells && InGrid(x, y) ? &cells[size_t(y) * size_t(width) + size_t(x)] : nullptr;
}

const MapCell* BattleMap::CellAt(int32_t x, int32_t y) const {
    return cells && InGrid(x, y) ? &cells[size_t(y) * size_t(width) + size_t(x)] : nullptr;
}

bool BattleMap::SetCellField(MapCell& c, int32_t op, uint16_t value) {
    const uint8_t low = static_cast<uint8_t>(value);
    switch (op) {
    case 0:
        c.obstacle = low;
        return true;
    case 2:
        c.zoneByte = low;
        return true;
    case 4:
        c.ownerMark = low;
        return true;
    case 5:
        c.cityId = low;
        return true;
    case 6:
        c.fogMark = low;
        return true;
    case 8:
        c.overlayTile = value;
        return true;
    default:
        return false;
    }
}

void BattleMap::MarkArea(int32_t x, int32_t y, int32_t size, int32_t op, uint16_t value) {
    const uint8_t low = static_cast<uint8_t>(value);
    WalkDiamond(x, y, size, [&](int32_t cx, int32_t cy, int32_t, int32_t, int32_t, int32_t) {
        MapCell* c = CellAt(cx, cy);
        if (!c || SetCellField(*c, op, value)) return;
        switch (op) {
        case 7: {
            const uint8_t before = c->sightCount;
            c->sightCount = before < 2 ? low : AddSaturated(before, 1);
            if (before == 0) NotifyMinimap(cx, cy, 1);
            break;
        }
        case 9:
            if (c->sightCount > 1) {
                --c->sightCount;
                if (c->sightCount == 1) NotifyMinimap(cx, cy, 2);
            }
            c->seen = 1;
            break;
        case 10:
            if (c->sightCount == 0) {
                c->sightCount = 2;
                NotifyMinimap(cx, cy, 1);
            } else {
                c->sightCount = AddSaturated(c->sightCount, 1);
            }
            c->seen = 1;
            break;
        case 11:
            // Held at 0: a count that wrapped would keep the area lit for good.
            c->sightCount = AddSaturated(c->sightCount, -2);
            if (c->sightCount < 2) c->seen = 1;
            if (c->sightCount == 0) NotifyMinimap(cx, cy, 0);
            if (c->sightCount == 1) NotifyMinimap(cx, cy, 2);
            break;
        case 12:
            c->sightCount = AddSaturated(c->sightCount, 2);
            if (c->sightCount == 2) NotifyMinimap(cx, cy, 1);
            break;
        case 100:
            c->obstacle = 0;
            c->ownerMark = 0;
            c->cityId = 0;
            c->overlayTile = MapCell::kNoTile;
            c->layerTile = MapCell::kNoTile;
            break;
        default:
            break;
        }
    });
}

bool BattleMap::IsAreaClearOfLayer(int32_t x, int32_t y, int32_t size, int32_t mode) const {
    if (mode != 1) return true;
    bool clear = true;
    WalkDiamond(x, y, size, [&](int32_t cx, int32_t cy, int32_t, int32_t, int32_t, int32_t) {
        const MapCell* c = CellAt(cx, cy);
        if (c && c->layerTile != MapCell::kNoTile) clear = false;
    });
    return clear;
}

void BattleMap::ClearFootprint(int32_t kind, int32_t x, int32_t y, int32_t size) {
    WalkDiamond(x, y, size, [&](int32_t cx, int32_t cy, int32_t, int32_t row, int32_t length, int32_t k) {
        MapCell* c = CellAt(cx, cy);
        if (!c) return;
        c->obstacle = 0;
        if (kind >= 1 && kind <= 3 && row >= size - 1 && (k == 0 || k == length - 1))
            c->overlayTile = MapCell::kNoTile;
    });
}

void BattleMap::AllocGrid() {
    FreeGrid();
    if (width == 0) {
        width = 70;
        rows = 224;
        unitGridWidth = 70;
        unitGridRows = 224;
    } else {
        unitGridWidth = width;
        unitGridRows = rows / 2;
    }
    unitGridCount = unitGridWidth * unitGridRows;
    if (TheScreenSettings) {
        TheScreenSettings->mapWidth = unitGridWidth;
        TheScreenSettings->mapHeight = unitGridRows;
        TheScreenSettings->mapGrid = unitGridCount;
    }
    occupancyView = {0, 0, unitGridWidth, unitGridRows};
    occupancy.reset(new OccupancyNode*[size_t(unitGridCount)]());
    cellObjects.reset(new MapObject*[size_t(unitGridCount)]());
    dyingTroops = new LinkList;
    missiles = new LinkList;
    mapItems = new LinkList;
}

void BattleMap::FreeObjectLists() {
    for (LinkList* list : objectLists)
        DeleteOwnedObjects(list);
    FreeGrid();
}

void BattleMap::FreeGrid() {
    DeleteList(missiles, true);
    DeleteList(dyingTroops, false);
    if (occupancy) {
        for (int32_t i = 0; i < unitGridCount; ++i) {
            for (OccupancyNode* n = occupancy[i]; n;) {
                OccupancyNode* next = n->next;
                delete n;
                n = next;
            }
        }
        occupancy.reset();
    }
    occupancyCursor = nullptr;
    DeleteList(mapItems, true);
    cellObjects.reset();
}

void BattleMap::AddObjectAt(int32_t x, int32_t y, uintptr_t id) {
    if (!occupancy || !InUnitGrid(x, y)) return;
    OccupancyNode** link = &occupancy[UnitCellIndex(x, y)];
    for (; *link; link = &(*link)->next)
        if ((*link)->id == id) return;
    *link = new OccupancyNode{id, nullptr};
}

void BattleMap::RemoveObjectAt(int32_t x, int32_t y, uintptr_t id) {
    if (!occupancy || !InUnitGrid(x, y)) return;
    for (OccupancyNode** link = &occupancy[UnitCellIndex(x, y)]; *link; link = &(*link)->next) {
        OccupancyNode* n = *link;
        if (n->id != id) continue;
        *link = n->next;
        if (occupancyCursor == n) occupancyCursor = nullptr;
        delete n;
        return;
    }
}

void BattleMap::RemoveObjectEverywhere(uintptr_t id) {
    if (!occupancy) return;
    for (int32_t y = 0; y < unitGridRows; ++y)
        for (int32_t x = 0; x < unitGridWidth; ++x)
            RemoveObjectAt(x, y, id);
}

uintptr_t BattleMap::FirstObjectAt(int32_t x, int32_t y) {
    occupancyCursor = nullptr;
    if (!occupancy || x < occupancyView.left || y < occupancyView.top || x >= occupancyView.right ||
        y >= occupancyView.bottom || !InUnitGrid(x, y))
        return 0;
    occupancyCursor = occupancy[UnitCellIndex(x, y)];
    return occupancyCursor ? occupancyCursor->id : 0;
}

uintptr_t BattleMap::NextObjectAt() {
    if (!occupancyCursor) return 0;
    occupancyCursor = occupancyCursor->next;
    return occupancyCursor ? occupancyCursor->id : 0;
}

MapObject* BattleMap::GetCellObject(int32_t x, int32_t y) const {
    return cellObjects && InUnitGrid(x, y) ? cellObjects[UnitCellIndex(x, y)] : nullptr;
}

void BattleMap::ClearCellObject(int32_t x, int32_t y) {
    if (cellObjects && InUnitGrid(x, y)) cellObjects[UnitCellIndex(x, y)] = nullptr;
}

void BattleMap::SetCellObject(int32_t x, int32_t y, MapObject* object) {
    // Cells come from peers and files too: one off the grid is dropped.
    if (cellObjects && InUnitGrid(x, y)) cellObjects[UnitCellIndex(x, y)] = object;
}

bool BattleMap::IsUnitCellFree(int32_t x, int32_t y) const {
    if (x < 1 || y < 1 || x >= unitGridWidth || y >= unitGridRows) return false;
    if (GetCellObject(x, y)) return false;
    const MapCell* c = CellAt(x, 2 * y);
    return c && !c->Blocks();
}

bool BattleMap::FindFreeNeighbour(int32_t x, int32_t y) {
    static constexpr int8_t kOrder[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0},
                                            {1, 0},   {-1, 1}, {0, 1},  {1, 1}};
    for (const auto& d : kOrder) {
        lastNeighbourX = x + d[0];
        lastNeighbourY = y + d[1];
        if (IsUnitCellFree(lastNeighbourX, lastNeighbourY)) return true;
    }
    return false;
}

Kingdom* BattleMap::FindKingdom(int32_t id) const {
    if (!stageSet || !stageSet->kingdoms) return nullptr;
    LinkList& list = *stageSet->kingdoms;
    for (uintptr_t v = list.First(); v != 0; v = list.Next()) {
        auto* k = reinterpret_cast<Kingdom*>(v);
        if (k->nationIndex == id) return k;
    }
    return nullptr;
}
