#include "net/CommandLookups.h"

#include "Program/ScreenSettings.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/SubCastle.h"
#include "troops/Troop.h"
#include "troops/TroopWorld.h"
#include "world/BattleMap.h"

City* CityAtIndex(uint32_t index) {
    if (!TheBattleMap || index >= static_cast<uint32_t>(TheBattleMap->cityCount) ||
        index >= BattleMap::kCities)
        return nullptr;
    return TheBattleMap->cities[index];
}

int32_t CityIndexOf(const City* city) {
    if (!TheBattleMap || !city) return -1;
    for (int32_t i = 0; i < TheBattleMap->cityCount && i < BattleMap::kCities; ++i)
        if (TheBattleMap->cities[i] == city) return i;
    return -1;
}

Kingdom* KingdomOfSide(uint32_t side) {
    if (side == 0 || side >= static_cast<uint32_t>(BattleMap::kSides)) return nullptr;
    return TroopKingdom(static_cast<int32_t>(side));
}

bool UnitCellOnMap(int64_t x, int64_t y) {
    return TheBattleMap && x >= 0 && y >= 0 && x < TheBattleMap->unitGridWidth &&
           y < TheBattleMap->unitGridRows;
}

uint32_t TroopScope(const Troop* troop) {
    return troop ? troop->Scope() : 0;
}

Troop* FindUnitInList(LinkList& troops, uint32_t id) {
    if (id == 0) return nullptr;
    for (Troop* t : ListValues<Troop>(troops))
        if (t->UnitId() == id) return t;
    return nullptr;
}

Troop* FindUnitInFollowers(Troop* leader, uint32_t id) {
    if (!leader || !leader->followers) return nullptr;
    return FindUnitInList(*leader->followers, id);
}

OfficerRecord* FindOfficerInList(LinkList& officers, uint32_t id) {
    if (id == 0) return nullptr;
    for (OfficerRecord* o : ListValues<OfficerRecord>(officers))
        if (o->serial == id) return o;
    return nullptr;
}

Troop* FindUnitInSubCastle(SubCastle* subCastle, uint32_t id) {
    if (!subCastle || id == 0) return nullptr;
    if (Troop* t = FindUnitInList(subCastle->units, id)) return t;
    if (subCastle->leader && subCastle->leader->UnitId() == id) return subCastle->leader;
    return nullptr;
}

bool CityHoldsGeneral(City* city, uint32_t id) {
    return city && (FindOfficerInList(city->generals, id) || FindUnitInList(city->units, id) ||
                    FindUnitInList(city->reserve, id));
}

SubCastle* PlaceSubCastle(City* city, uint32_t placeKind) {
    if (!city || (placeKind != 4 && placeKind != 5)) return nullptr;
    return city->FindSubCastleOfKind(static_cast<int32_t>(placeKind));
}

Troop* FindTroopInScope(uint32_t id, uint32_t side, uint32_t homeCity, uint32_t scope) {
    if (id == 0) return nullptr;
    if (scope == 0) {
        Kingdom* k = KingdomOfSide(side);
        return k ? FindUnitInList(k->fieldUnits, id) : nullptr;
    }
    // The payload carries the troop's own home city, which is a city id (index + 1).
    City* city = TheBattleMap ? TheBattleMap->CityById(static_cast<int32_t>(homeCity)) : nullptr;
    if (!city) return nullptr;
    if (scope == 1) {
        for (Troop* t : ListValues<Troop>(city->units)) {
            if (t->UnitId() == id) return t;
            if (Troop* f = FindUnitInFollowers(t, id)) return f;
        }
        return nullptr;
    }
    if (scope == 2) {
        for (int32_t kind : {4, 5})
            if (Troop* t = FindUnitInSubCastle(city->FindSubCastleOfKind(kind), id)) return t;
    }
    return nullptr;
}

Troop* FindTroopAnywhere(uint32_t id) {
    if (id == 0 || !TheBattleMap) return nullptr;
    for (int32_t side = 1; side < BattleMap::kSides; ++side)
        if (Kingdom* k = KingdomOfSide(static_cast<uint32_t>(side)))
            if (Troop* t = FindUnitInList(k->fieldUnits, id)) return t;
    for (int32_t i = 0; i < TheBattleMap->cityCount && i < BattleMap::kCities; ++i)
        for (uint32_t scope : {1u, 2u})
            if (Troop* t = FindTroopInScope(id, 0, static_cast<uint32_t>(i + 1), scope)) return t;
    return nullptr;
}

void NoteCarriedUnitId(uint32_t id) {
    if (!TheScreenSettings || id >= 0x7FFFFFFFu) return;
    if (static_cast<int64_t>(id) >= static_cast<int64_t>(TheScreenSettings->serialCounter))
        TheScreenSettings->serialCounter = static_cast<decltype(TheScreenSettings->serialCounter)>(id + 1);
}

uint32_t DrawUnitId() {
    if (!TheScreenSettings) return 0;
    return static_cast<uint32_t>(TheScreenSettings->serialCounter++);
}
