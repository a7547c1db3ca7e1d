#pragma once

#include "Program/GameController.h"
#include "engine/LinkList.h"
#include "records/Kingdom.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"

#include <cstdint>
#include <vector>

class GameRecordChannel;

// The list work the city's unit operations share: snapshots to walk while lists change, and the
// kingdom field list a troop on the map belongs to.
namespace citylists {

inline std::vector<Troop*> Snapshot(LinkList& list) {
    std::vector<Troop*> out;
    for (uintptr_t v = list.First(); v != 0; v = list.Next())
        out.push_back(reinterpret_cast<Troop*>(v));
    return out;
}

// A unit's escorts, then its leader troop.
inline std::vector<Troop*> Company(Troop* t) {
    std::vector<Troop*> out = t->followers ? Snapshot(*t->followers) : std::vector<Troop*>{};
    if (t->leader && t->leader != t) out.push_back(t->leader);
    return out;
}

inline Kingdom* KingdomOf(int32_t side) {
    return TheBattleMap ? TheBattleMap->FindKingdom(side) : nullptr;
}

inline bool Holds(LinkList& list, const void* p) {
    for (uintptr_t v = list.First(); v != 0; v = list.Next())
        if (v == reinterpret_cast<uintptr_t>(p)) return true;
    return false;
}

inline void LeaveFieldList(Troop* t) {
    if (Kingdom* k = KingdomOf(t->owner)) k->fieldUnits.RemoveValue(reinterpret_cast<uintptr_t>(t));
}

// Once at most: two lists owning one troop would delete it twice.
inline void JoinFieldList(Kingdom* k, Troop* t) {
    if (k && !Holds(k->fieldUnits, t)) k->fieldUnits.Add(reinterpret_cast<uintptr_t>(t));
}

inline void LeaveCell(Troop* t) {
    if (TheBattleMap) TheBattleMap->RemoveObjectAt(t->cellX, t->cellY, reinterpret_cast<uintptr_t>(t));
}

// The channel the city's records leave by; null outside a running game.
inline GameRecordChannel* RecordChannel() {
    return TheGameController ? TheGameController->recordChannel : nullptr;
}

} // namespace citylists
