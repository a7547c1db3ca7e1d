#pragma once

#include "Program/StageSet.h"
#include "events/ListWalk.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"

#include <cstdint>

namespace events {

// Inside the battle map's active area: right and bottom excluded, y in unit rows.
bool InActiveArea(int32_t x, int32_t y);
// The kingdom that holds the side, or null.
Kingdom* KingdomOfSide(int32_t side);
// The side index of the kingdom with that nation index among the battle map's sides; 0 none.
int32_t SideOfNation(int32_t nation);
// The first kingdom of the stage with that nation index, or null.
Kingdom* KingdomOfNation(Zu_StageSet& stage, int32_t nation);
// The player's kingdom object, else the kingdom on the player's side.
Kingdom* PlayerKingdom(Zu_StageSet& stage);
bool OfficerInPlay(const OfficerRecord* officer);
int32_t OfficerField(const Troop* troop, uint32_t offset);
// The troop group: the officer's rebel number.
inline int32_t Group(const Troop* t) {
    return OfficerField(t, OfficerLayout::kRebel);
}

// Some field troop with an officer, of some kingdom of the stage, answers true.
template <class F>
bool AnyFieldTroop(Zu_StageSet& stage, F&& f) {
    return WalkList<Kingdom>(stage.kingdoms, [&](Kingdom* k) {
        return WalkList<Troop>(&k->fieldUnits, [&](Troop* t) { return t->officer && f(k, t); });
    });
}

// Some troop with an officer stationed in a city of some kingdom answers true.
template <class F>
bool AnyCityTroop(Zu_StageSet& stage, F&& f) {
    return WalkList<Kingdom>(stage.kingdoms, [&](Kingdom* k) {
        return WalkList<City>(&k->cities, [&](City* c) {
            return WalkList<Troop>(&c->units, [&](Troop* t) { return t->officer && f(k, t); });
        });
    });
}

} // namespace events
