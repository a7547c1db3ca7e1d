#pragma once

// The blank battle the command fuzz targets build their worlds on.

#include "Program/StageSet.h"
#include "records/City.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"

#include <cstddef>
#include <memory>

// A battle map of w × rows empty cells with an empty stage record, made the current map.
inline Zu_StageSet* NewFuzzBattle(int w = 30, int rows = 60) {
    auto* map = new BattleMap;
    map->SetCells(std::make_unique<MapCell[]>(size_t(w) * size_t(rows)), w, rows);
    map->validBounds = {0, 0, w, rows};
    map->AllocGrid();
    TheBattleMap = map;
    auto* stage = new Zu_StageSet;
    map->stageSet = stage;
    return stage;
}

// The kingdom of that side (1 or 2), at war with the other one.
inline Kingdom* AddFuzzSide(Zu_StageSet* stage, int side) {
    auto* k = new Kingdom;
    k->nationIndex = side;
    k->relations[side] = 1;
    k->relations[3 - side] = 3;
    stage->kingdoms->Add(uintptr_t(k));
    TheBattleMap->kingdomTable[side] = k;
    return k;
}

// A troop of that side standing at (x, y), its officer carrying the serial commands name it by.
inline Troop* NewFuzzTroop(int side, int x, int y, uint32_t serial, int homeCity = 0) {
    auto* o = new OfficerRecord(side, -1);
    o->serial = serial;
    return new Troop(0, 10, int16_t(x), int16_t(y), int8_t(side), int16_t(homeCity), 0, o);
}

// The map's next city, at (x, y).
inline City* AddFuzzCity(City* city, int x, int y) {
    city->SetInt(CityLayout::kX, x);
    city->SetInt(CityLayout::kY, y);
    TheBattleMap->cities[TheBattleMap->cityCount++] = city;
    return city;
}
