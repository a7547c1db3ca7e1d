#include "records/StageWorldSeam.h"

#include "engine/ByteReader.h"
#include "world/UnitPath.h"
#include "world/Zu_SkillEffect.h"

#include <algorithm>
#include <vector>

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

Troop::Troop(int soldierType, int, int x, int y, int side, int homeCity, int, OfficerRecord* officer)
    : side(side), homeCityId(homeCity), cellX(static_cast<int16_t>(x)), cellY(static_cast<int16_t>(y)),
      officer(officer), baseType(soldierType), currentType(soldierType) {}

Troop::~Troop() {
    FreeUnitPath(this);
    FreeUnitSearchNodes(this);
    delete attachedEffect;
    delete officer;
    delete carried;
    delete followers;
}

bool Troop::IsValidTarget(const Troop* other) const {
    if (!other || other == this || other->IsGone()) return false;
    const int32_t kind = other->officer ? other->officer->Get(OfficerLayout::kAttribute) : 0;
    if (kind == 7 || kind == 8) return false;
    if (kind == 17) {
        const int32_t ownSide = (orderFlags & 0x40) && officer ? officer->Get(OfficerLayout::kPolicy) : side;
        if (other->side == ownSide) return false;
    }
    if (groupId != 0 && other->groupId == groupId && state != 1 && state != 11 && other->state != 1 &&
        other->state != 11)
        return false;
    return true;
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
