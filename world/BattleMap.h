#pragma once

#include "gui/RootObject.h"
#include "world/CarryList.h"
#include "world/MapCell.h"
#include "world/UnownedCities.h"

#include <cstdint>
#include <memory>
#include <vector>

class Zu_StageSet;
class ScenarioData;
class Kingdom;
class City;
class LinkList;
class MapObject;
class Troop;
struct FootprintPattern;

// One occupant of a unit cell's chain.
struct OccupancyNode {
    uintptr_t id = 0;
    OccupancyNode* next = nullptr;
};

// A rectangle of cells: left, top, right, bottom.
struct CellBounds {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// The battle world: the map's cell grid, the unit grid with its occupancy chains and object grid,
// the stage's object lists, sides and cities. One instance for the run.
class BattleMap : public RootObject {
public:
    // Side numbers run 1..kSides; tables indexed by side carry one unused entry 0.
    static constexpr int kSides = 128;
    static constexpr int kCities = 256;

    static bool ValidSide(int side) { return side >= 1 && side <= kSides; }

    BattleMap();
    ~BattleMap() override;
    BattleMap(const BattleMap&) = delete;
    BattleMap& operator=(const BattleMap&) = delete;

    // Cell grid. Takes the cells of a loaded map (width x rows, row-major).
    void SetCells(std::unique_ptr<MapCell[]> grid, int32_t w, int32_t r);
    void FreeCells();
    bool HasCells() const { return cells != nullptr; }
    // The cell for readers: outside the valid bounds (or without a map) the border cell. A cell
    // in rows 0..2 or the last column is stored as an obstacle; with the controller's
    // pass-through switch on, a copy that reads free is returned and nothing is stored (one copy
    // for all calls: read it before the next call).
    const MapCell* GetCell(int32_t x, int32_t y) { return ReadCell(x, y, validBounds); }
    // The same inside other bounds (exclusive on all four sides): the map view's.
    const MapCell* ReadCell(int32_t x, int32_t y, const CellBounds& bounds);
    // The cell itself for writers; null off the grid.
    MapCell* CellAt(int32_t x, int32_t y);
    const MapCell* CellAt(int32_t x, int32_t y) const;

    void MarkArea(int32_t x, int32_t y, int32_t size, int32_t op, uint16_t value);
    // The plain field writes both area markers share (operations 0, 2, 4, 5, 6, 8); false for any
    // other operation.
    static bool SetCellField(MapCell& c, int32_t op, uint16_t value);
    bool IsAreaClearOfLayer(int32_t x, int32_t y, int32_t size, int32_t mode) const;
    void ClearFootprint(int32_t kind, int32_t x, int32_t y, int32_t size);

    // Footprint stamps; every cell they rewrite inside the controller's view is queued for the
    // terrain redraw.
    void StampBuildingPattern(int32_t x, int32_t y, int32_t n);
    void StampConstructionPattern(int32_t x, int32_t y, int32_t n);
    void StampArrowTowerPattern(int32_t x, int32_t y, int32_t kind, uint8_t owner);
    void StampPattern(int32_t x, int32_t y, const FootprintPattern* pattern);

    // Unit grid.
    void AllocGrid();
    void FreeObjectLists();
    void FreeGrid();
    int32_t UnitCellIndex(int32_t x, int32_t y) const { return y * unitGridWidth + x; }
    void AddObjectAt(int32_t x, int32_t y, uintptr_t id);
    void RemoveObjectAt(int32_t x, int32_t y, uintptr_t id);
    uintptr_t FirstObjectAt(int32_t x, int32_t y);
    uintptr_t NextObjectAt();
    // Takes an occupant off every chain it is on (before the object goes).
    void RemoveObjectEverywhere(uintptr_t id);

    MapObject* GetCellObject(int32_t x, int32_t y) const;
    void ClearCellObject(int32_t x, int32_t y);
    void SetCellObject(int32_t x, int32_t y, MapObject* object);
    bool IsUnitCellFree(int32_t x, int32_t y) const;
    bool FindFreeNeighbour(int32_t x, int32_t y);

    Kingdom* FindKingdom(int32_t id) const;
    // The city of that id (index + 1), or null. Troops, orders and commands keep this id.
    City* CityById(int32_t id) const;
    // Enters a city under its id; the count covers it.
    void EnterCityById(City* city);

    // The world step (BattleMapUpdate.cpp).
    void Update();
    void Tick();
    void CheckCityEntry(Troop* troop);
    void CaptureCity(Troop* troop, City* city);
    void SendCityEntry(Troop* troop, City* city);
    void ApplyCityEntry(Troop* troop, City* city);
    void ApplyTerrainEffect(Troop* troop);
    void PlaceUnits(int32_t mode);
    void RebuildStageTroops();
    void RestorePlayerUnits();
    void RefreshSight(Kingdom* kingdom, int32_t whole);
    // Clears every reference to a troop that is about to be deleted.
    void ForgetTroop(Troop* troop);
    bool PrepareStage() { return true; }
    void ResetStage() {}

    ScenarioData* scenario = nullptr;
    Zu_StageSet* stageSet = nullptr;
    int32_t clearedWords1[2] = {};
    // Per side: 1 while the computer runs it, 0 for a player.
    uint8_t sideActive[kSides + 1] = {};
    Kingdom* kingdomTable[kSides + 1] = {};
    // The highest side number the kingdom table holds.
    int32_t sideCount = 0;
    int32_t cityCount = 0;
    City* cities[kCities] = {};
    std::unique_ptr<MapCell[]> cells;
    std::unique_ptr<OccupancyNode*[]> occupancy;
    OccupancyNode* occupancyCursor = nullptr;
    LinkList* objectLists[3] = {};
    LinkList* dyingTroops = nullptr;
    LinkList* missiles = nullptr;
    int32_t clearedWords2[6] = {};
    CellBounds validBounds;
    int32_t width = 0;
    int32_t rows = 0;
    int32_t cellCount = 0;
    CellBounds occupancyView;
    CellBounds objectView;
    int32_t nextUnitId = 512;
    std::unique_ptr<MapObject*[]> cellObjects;
    LinkList* mapItems = nullptr;
    // With it off, troops of officer kinds above 9 cannot be selected.
    uint8_t troopClassSwitch = 0;
    // The editor's play mode: the pointer picks units without sight and orders them directly.
    uint8_t alternateMode = 0;
    int32_t lastNeighbourX = 0;
    int32_t lastNeighbourY = 0;

    int32_t unitGridWidth = 0;
    int32_t unitGridRows = 0;
    int32_t unitGridCount = 0;

    // Named generals' blocks kept for their return (event scripts).
    CarryList carryList;
    // Cities destroyed by event scripts, kept (and owned) until the stage goes.
    UnownedCities unownedCities;

    // Tables of the stage's cities by other keys, cleared when a battle is torn down.
    int32_t tableA[256] = {};
    int32_t tableB[256] = {};

    // Copies of the officers the stage's events recorded as dead, one per person number; owned.
    LinkList* deadOfficers = nullptr;

    // ---- Stage files (stagefiles/MainStage*.cpp) ----
    // The extra kingdoms of the main stage file: in the kingdom table but not the stage's list.
    std::vector<std::unique_ptr<Kingdom>> extraKingdoms;

private:
    bool InGrid(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < width && y < rows; }
    bool InUnitGrid(int32_t x, int32_t y) const {
        return x >= 0 && y >= 0 && x < unitGridWidth && y < unitGridRows;
    }
    MapCell passThroughCell_;
};

extern BattleMap* TheBattleMap;
