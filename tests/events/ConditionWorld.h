#pragma once

// A world for the trigger tests: a 40 x 80 map, two kingdoms, an event manager, and helpers that
// build troops, cities and one-off events to test.

#include "Program/BattleStageFixture.h"
#include "events/EventManager.h"
#include "events/EventRecord.h"
#include "records/OfficerRecord.h"
#include "troops/Troop.h"
#include "world/MapCell.h"

#include <memory>
#include <vector>

namespace conditiontest {

using Event = events::EventRecord;
using battletest::BattleStage;

// A 40 x 80 map (unit cells 40 x 40, all in the active area), a player kingdom on side 1 and a
// second kingdom on side 2 in alliance group 7.
class ConditionWorld {
public:
    ConditionWorld() {
        auto cells = std::make_unique<MapCell[]>(size_t(40) * 80);
        TheBattleMap->SetCells(std::move(cells), 40, 80);
        TheBattleMap->validBounds = {0, 0, 40, 80};
        TheBattleMap->AllocGrid();
        TheGameController->mode = 1;
        TheGameController->eventManager = &manager;
        player = world.AddKingdom(0, 0, false, false);
        other = world.AddKingdom(1, 7, false, false);
        for (Kingdom* k : {player, other})
            TheBattleMap->kingdomTable[k->nationIndex] = k;
        world.SetPlayer(player);
        world.SetWarRelations();
    }
    ~ConditionWorld() {
        TheGameController->eventManager = nullptr;
        manager.Reset();
    }

    OfficerRecord* Officer(Kingdom* k, int32_t person, int32_t group) {
        auto* o = new OfficerRecord(k->nationIndex, 1);
        o->Set(OfficerLayout::kPersonNumber, person);
        o->Set(OfficerLayout::kRebel, group);
        o->Set(OfficerLayout::kAttribute, 1);
        o->Set(OfficerLayout::kHp, 100);
        return o;
    }
    Troop* Field(Kingdom* k, int32_t person, int x, int y, int32_t group = 0) {
        auto* t = new Troop(1, 10, int16_t(x), int16_t(y), int8_t(k->nationIndex), 0, 100,
                            Officer(k, person, group));
        t->cellX = int16_t(x);
        t->cellY = int16_t(y);
        k->fieldUnits.Add(reinterpret_cast<uintptr_t>(t));
        return t;
    }
    City* AddCity(Kingdom* k, int32_t index, int x = 5, int y = 5) {
        City* c = world.AddCity(k, 0, index);
        c->SetInt(CityLayout::kIndex, index);
        c->SetInt(CityLayout::kX, x);
        c->SetInt(CityLayout::kY, y);
        return c;
    }
    Troop* InCity(City* c, Kingdom* k, int32_t person, int32_t group = 0) {
        auto* t = new Troop(1, 10, 0, 0, int8_t(k->nationIndex), 0, 100, Officer(k, person, group));
        c->units.Add(reinterpret_cast<uintptr_t>(t));
        return t;
    }
    int Test(int32_t code, int32_t general, int32_t specific, std::vector<int32_t> params) {
        auto* e = static_cast<Event*>(world.stage->NewChild(Zu_StageSet::kEventKind));
        e->SetInt(EventLayout::kCode, code);
        e->SetInt(EventLayout::kGeneral, general);
        e->SetInt(EventLayout::kSpecific, specific);
        for (size_t i = 0; i < params.size(); ++i)
            e->SetParam(int(i + 1), params[i]);
        return manager.TestCondition(e, false);
    }

    BattleStage world;
    EventManager manager;
    Kingdom* player = nullptr;
    Kingdom* other = nullptr;
};

struct CellCase {
    int x, y;
    int expected;
};

} // namespace conditiontest
