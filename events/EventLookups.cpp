#include "events/EventManager.h"

#include "Program/StageSet.h"
#include "events/EventRecord.h"
#include "events/ListWalk.h"
#include "events/WorldQueries.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/SubCastle.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"

using events::WalkList;

namespace {

template <class T>
T* Cache(T* (&slots)[EventManager::kCacheSlots], T* object) {
    if (!object) return nullptr;
    for (T*& slot : slots)
        if (!slot) {
            slot = object;
            break;
        }
    return object;
}

template <class T>
void Release(T* (&slots)[EventManager::kCacheSlots], const T* object) {
    for (T*& slot : slots)
        if (slot && slot == object) {
            slot = nullptr;
            return;
        }
}

bool IsOfficer(const Troop* t, int32_t id) {
    return t && t->officer && t->officer->Get(OfficerLayout::kPersonNumber) == id;
}

bool NotAmbush(const Troop* t) {
    return t->officer->Get(OfficerLayout::kAmbush) == 0;
}

} // namespace

void EventManager::ReleaseObject(Troop* troop) {
    if (!troop) return;
    Release(troopCache, troop);
    Release(officerCache, troop->officer);
}

Troop* EventManager::FindTroop(int32_t officerId) {
    for (Troop* t : troopCache)
        if (IsOfficer(t, officerId)) return t;
    Zu_StageSet* stage = CurrentStageSet();
    if (!stage) return nullptr;
    Troop* found = nullptr;
    WalkList<Kingdom>(stage->kingdoms, [&](Kingdom* k) {
        WalkList<Troop>(&k->fieldUnits, [&](Troop* t) {
            if (IsOfficer(t, officerId) && NotAmbush(t) && events::InActiveArea(t->cellX, t->cellY))
                found = t;
            return found != nullptr;
        });
        if (!found)
            WalkList<City>(&k->cities, [&](City* c) {
                return WalkList<Troop>(&c->units, [&](Troop* t) {
                    if (IsOfficer(t, officerId) && NotAmbush(t)) found = t;
                    return found != nullptr;
                });
            });
        return found != nullptr;
    });
    return Cache(troopCache, found);
}

OfficerRecord* EventManager::SearchOfficer(int32_t officerId, bool fieldUnits) {
    Zu_StageSet* stage = CurrentStageSet();
    if (!stage) return nullptr;
    OfficerRecord* found = nullptr;
    auto match = [&](Troop* t) {
        if (IsOfficer(t, officerId)) found = t->officer;
        return found != nullptr;
    };
    WalkList<Kingdom>(stage->kingdoms, [&](Kingdom* k) {
        if (fieldUnits)
            WalkList<Troop>(&k->fieldUnits, [&](Troop* t) {
                if (IsOfficer(t, officerId) && NotAmbush(t) && events::InActiveArea(t->cellX, t->cellY))
                    found = t->officer;
                return found != nullptr;
            });
        if (!found)
            WalkList<City>(&k->cities, [&](City* c) {
                if (!events::InActiveArea(c->CellX(), c->CellY())) return false;
                if (WalkList<Troop>(&c->units, match)) return true;
                return WalkList<SubCastle>(&c->subCastles,
                                           [&](SubCastle* s) { return WalkList<Troop>(&s->units, match); });
            });
        return found != nullptr;
    });
    return found;
}

OfficerRecord* EventManager::FindOfficer(int32_t officerId) {
    for (OfficerRecord* o : officerCache)
        if (o && o->Get(OfficerLayout::kPersonNumber) == officerId) return o;
    return Cache(officerCache, SearchOfficer(officerId, true));
}

OfficerRecord* EventManager::FindGarrisonOfficer(int32_t officerId) {
    for (OfficerRecord* o : officerCache)
        if (o && o->Get(OfficerLayout::kPersonNumber) == officerId) return o;
    return Cache(officerCache, SearchOfficer(officerId, false));
}

City* EventManager::FindCity(int32_t cityId) {
    if (cityId == 0) return nullptr;
    for (City* c : cityCache)
        if (c && c->Int(CityLayout::kIndex) == cityId) return c;
    Zu_StageSet* stage = CurrentStageSet();
    City* found = nullptr;
    if (stage)
        WalkList<Kingdom>(stage->kingdoms, [&](Kingdom* k) {
            return WalkList<City>(&k->cities, [&](City* c) {
                if (c->Int(CityLayout::kIndex) == cityId) found = c;
                return found != nullptr;
            });
        });
    if (!found && TheBattleMap)
        for (City* c : TheBattleMap->cities)
            if (c && !events::KingdomOfSide(c->ownerSide) && c->Int(CityLayout::kIndex) == cityId) {
                found = c;
                break;
            }
    return Cache(cityCache, found);
}

int EventManager::ResolveOfficerParams(const events::EventRecord& event) {
    int any = 0;
    for (int n = 1; n <= 6; ++n) {
        const int32_t id = event.Param(n);
        resolved[n - 1] = id != 0 ? FindOfficer(id) : nullptr;
        if (resolved[n - 1]) any = 1;
    }
    return any;
}
