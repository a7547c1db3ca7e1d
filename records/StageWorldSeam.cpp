#include "records/StageWorldSeam.h"

#include "engine/ByteReader.h"
#include "records/Kingdom.h"
#include "records/SubCastle.h"

#include <algorithm>
#include <vector>

namespace {
StageWorld* worldState = nullptr;

} // namespace

StageWorld& World() {
    if (!worldState) worldState = new StageWorld;
    return *worldState;
}

void ResetWorld() {
    delete worldState;
    worldState = new StageWorld;
}

bool ValidSide(int side) {
    return side >= 1 && side <= kMaxSides;
}

void SpawnRandomPersons(SubCastle* subCastle, Kingdom* kingdom, int n) {
    for (int i = 0; i < n; ++i)
        subCastle->generals.Add(
            reinterpret_cast<uintptr_t>(new OfficerRecord(kingdom ? kingdom->nationIndex : 100, -1)));
    World().spawnedPersons += n;
}

void SpawnScheduledOfficers() {
    ++World().scheduledOfficerCalls;
}

void RedeployStageTroops(Troop*) {
    ++World().redeployed;
}

void RemoveObjectAt(int, int, Troop*) {
    ++World().removedFromCells;
}

Troop::Troop(int soldierType, int, int x, int y, int side, int homeCity, int, OfficerRecord* officer)
    : side(side), homeCityId(homeCity), cellX(static_cast<int16_t>(x)), cellY(static_cast<int16_t>(y)),
      officer(officer), baseType(soldierType), currentType(soldierType) {}

Troop::~Troop() {
    delete officer;
    delete carried;
    delete followers;
}

void Troop::SortCarriedList() {
    if (!carried) return;
    std::vector<uintptr_t> items;
    for (uintptr_t v = carried->First(); v != 0; v = carried->Next())
        items.push_back(v);
    std::stable_sort(items.begin(), items.end());
    carried->RemoveAll();
    for (uintptr_t v : items)
        carried->Add(v);
}

CastleGate::~CastleGate() {
    for (Troop*& piece : pieces) {
        delete piece;
        piece = nullptr;
    }
}

CellObjectGrid& CellObjects() {
    static CellObjectGrid grid;
    return grid;
}
