#include "records/StageWorldSeam.h"

#include "engine/ByteReader.h"
#include "records/Kingdom.h"
#include "records/SubCastle.h"
#include "world/UnitPath.h"
#include "world/Zu_SkillEffect.h"

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

CastleGate::~CastleGate() {
    for (Troop*& piece : pieces) {
        delete piece;
        piece = nullptr;
    }
}
