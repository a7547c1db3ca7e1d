#include "records/StageWorldSeam.h"

#include "engine/ByteReader.h"

#include <algorithm>

namespace {
StageWorld* worldState = nullptr;

template <class T>
void DeleteAll(LinkList& list) {
    for (uintptr_t v = list.First(); v != 0; v = list.Next())
        delete reinterpret_cast<T*>(v);
    list.RemoveAll();
}
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

void SpawnRandomPersons(SubCastle* subCastle, Kingdom*, int n) {
    for (int i = 0; i < n; ++i)
        subCastle->persons.Add(1);
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

SubCastle::~SubCastle() {
    delete currentTroop;
}

City::~City() {
    DeleteAll<Troop>(units);
    DeleteAll<SubCastle>(subCastles);
}

SubCastle* City::FindSubCastleOfKind(int wanted) {
    for (uintptr_t v = subCastles.First(); v != 0; v = subCastles.Next()) {
        auto* s = reinterpret_cast<SubCastle*>(v);
        if (s->attribute == wanted) return s;
    }
    return nullptr;
}

Kingdom::~Kingdom() {
    DeleteAll<City>(cities);
    DeleteAll<Troop>(fieldUnits);
    DeleteAll<RootObject>(gates);
}

void Kingdom::Save(ByteWriter& out) const {
    out.u32(sizeof block);
    out.bytes(block, sizeof block);
}

bool Kingdom::Load(ByteReader& in) {
    const uint32_t length = in.u32();
    if (!in.ok()) return false;
    std::memset(block, 0, sizeof block);
    const size_t keep = std::min<size_t>(length, sizeof block);
    if (!in.bytes(block, keep)) return false;
    return in.skip(length - keep);
}

void Kingdom::AddCity(City* city) {
    cities.Add(reinterpret_cast<uintptr_t>(city));
    city->ownerSide = side;
}

void Kingdom::RemoveCity(City* city) {
    cities.RemoveValue(reinterpret_cast<uintptr_t>(city));
}

void Kingdom::SetName(const char* name) {
    std::memset(block, 0, 20);
    std::strncpy(reinterpret_cast<char*>(block), name, 19);
}

CellObjectGrid& CellObjects() {
    static CellObjectGrid grid;
    return grid;
}
