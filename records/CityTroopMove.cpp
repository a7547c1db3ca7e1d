#include "net/CommandLookups.h"
#include "net/SubCommands.h"
#include "records/City.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"

#include <array>
#include <vector>

namespace {

constexpr int32_t kClasses = 4;
constexpr int32_t kPreferred = 17;

// Soldier types each class takes, most wanted first.
constexpr std::array<std::array<int32_t, kPreferred>, kClasses> kPreference{{
    {420, 419, 418, 427, 426, 417, 416, 415, 425, 424, 429, 428, 423, 422, 421, 431, 430},
    {429, 428, 417, 416, 415, 425, 424, 427, 426, 420, 419, 418, 431, 430, 423, 422, 421},
    {431, 430, 423, 422, 421, 417, 416, 415, 425, 424, 427, 426, 429, 428, 420, 419, 418},
    {423, 422, 421, 417, 416, 415, 420, 419, 418, 431, 430, 427, 426, 429, 428, 425, 424},
}};

// The class that wants this soldier type most: the row where it stands furthest to the left, the
// lower class on a tie; -1 for a type no class names.
int32_t SoldierClass(int32_t type) {
    int32_t best = -1, bestPlace = kPreferred;
    for (int32_t c = 0; c < kClasses; ++c)
        for (int32_t i = 0; i < bestPlace; ++i)
            if (kPreference[static_cast<size_t>(c)][static_cast<size_t>(i)] == type) {
                best = c;
                bestPlace = i;
                break;
            }
    return best;
}

bool Holds(LinkList& list, const Troop* troop) {
    return troop && list.ContainsPtr(reinterpret_cast<uintptr_t>(troop));
}

void JoinUnit(Troop& soldier, Troop& unit) {
    if (!unit.followers) unit.followers = new LinkList;
    unit.followers->Add(reinterpret_cast<uintptr_t>(&soldier));
    soldier.mainTroop = &unit;
    soldier.unitNumber = unit.unitNumber;
    soldier.ledUnit = 0;
}

} // namespace

bool City::ApplyTroopMove(uint32_t kind, uint32_t unit, Troop* source, Troop* destination) {
    switch (kind) {
    case 0: {
        // A soldier of the reserve joins a unit waiting in the city; the city keeps owning it.
        // A unit without room takes nobody, whoever sent the move.
        Troop* soldier = FindUnitInList(reserve, unit);
        if (!soldier || !Holds(units, destination) || destination->NextCarrySlot() < 0) return false;
        reserve.RemoveValue(reinterpret_cast<uintptr_t>(soldier));
        RefreshReserveCount();
        JoinUnit(*soldier, *destination);
        soldier->inCity = 1;
        return true;
    }
    case 1: {
        Troop* follower = FindUnitInFollowers(source, unit);
        if (!follower || !destination || !destination->followers || destination == follower) return false;
        source->followers->RemoveValue(reinterpret_cast<uintptr_t>(follower));
        destination->followers->Add(reinterpret_cast<uintptr_t>(follower));
        follower->leader = destination;
        follower->mainTroop = destination;
        return true;
    }
    case 2: {
        // Only a unit inside the city hands a follower back: a troop on the field shares its
        // followers with the kingdom's field list.
        if (!Holds(units, source)) return false;
        Troop* follower = FindUnitInFollowers(source, unit);
        if (!follower) return false;
        source->followers->RemoveValue(reinterpret_cast<uintptr_t>(follower));
        follower->mainTroop = nullptr;
        follower->leader = nullptr;
        reserve.Add(reinterpret_cast<uintptr_t>(follower));
        RefreshReserveCount();
        return true;
    }
    default:
        return false;
    }
}

void City::AssignSoldiersToUnits() {
    for (Troop* soldier : ListValues<Troop>(reserve)) {
        if (!soldier->officer) continue;
        const int32_t wanted = SoldierClass(soldier->officer->Get(OfficerLayout::kSoldierType));
        Troop* match = nullptr;
        Troop* any = nullptr;
        for (Troop* unit : ListValues<Troop>(units)) {
            if (!unit->officer || unit->NextCarrySlot() < 0) continue;
            if (!any) any = unit;
            if (unit->officer->Get(OfficerLayout::kClass) == wanted) {
                match = unit;
                break;
            }
        }
        Troop* receiver = match ? match : any;
        if (receiver) NetCmdCityTroopMove(this, soldier->UnitId(), nullptr, receiver, 0, 0);
    }
}

void City::AutoAssignTroops() {
    const std::vector<Troop*> generals = ListValues<Troop>(units);
    if (generals.empty()) return;
    const size_t count = generals.size();
    // A unit out of play or without room takes nobody.
    auto hasRoom = [](Troop* g) { return !(g->flags & 0x40) && g->NextCarrySlot() >= 0; };
    size_t g = 0;
    for (Troop* soldier : ListValues<Troop>(reserve)) {
        const size_t start = g;
        while (!hasRoom(generals[g])) {
            g = (g + 1) % count;
            if (g == start) return;
        }
        ApplyTroopMove(0, soldier->UnitId(), nullptr, generals[g]);
        g = (g + 1) % count;
    }
}
