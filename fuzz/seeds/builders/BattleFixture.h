#pragma once

// A small battle: a free map, a stage with kingdoms, soldier types written into the record table;
// for the tests and the fuzz seeds.

#include "Program/GameController.h"
#include "Program/GameParameters.h"
#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "net/TroopCommands.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "troops/SoldierTypeColumns.h"
#include "troops/Troop.h"
#include "troops/TroopOrder.h"
#include "world/BattleMap.h"

#include <array>
#include <cstring>
#include <map>
#include <memory>

namespace battlefix {

constexpr int kMapWidth = 40;
constexpr int kMapRows = 80; // 40 unit rows

class Battle {
public:
    Battle() {
        TheScreenSettings = new ScreenSettings;
        TheGameController = new GameController;
        TheBattleMap = new BattleMap;
        auto cells = std::make_unique<MapCell[]>(size_t(kMapWidth) * kMapRows);
        for (int i = 0; i < kMapWidth * kMapRows; ++i) {
            cells[i].groundTile = 100; // land
            cells[i].layerTile = MapCell::kNoTile;
            cells[i].overlayTile = MapCell::kNoTile;
        }
        TheBattleMap->SetCells(std::move(cells), kMapWidth, kMapRows);
        TheBattleMap->validBounds = {0, 0, kMapWidth, kMapRows};
        TheBattleMap->AllocGrid();
        TheBattleMap->occupancyView = {0, 0, kMapWidth, kMapRows / 2};
        stage = new Zu_StageSet;
        TheBattleMap->stageSet = stage;
        SoldierTypeCount = 140;
        for (int t : {1, 2, 79, 115, 117, 118, 128})
            Type(t);
    }
    virtual ~Battle() {
        SetGameCommandSender(nullptr);
        delete stage;
        ClearRecordTables();
        SoldierTypeCount = 0;
        delete TheBattleMap;
        TheBattleMap = nullptr;
        delete TheGameController;
        TheGameController = nullptr;
        delete TheScreenSettings;
        TheScreenSettings = nullptr;
    }
    Battle(const Battle&) = delete;
    Battle& operator=(const Battle&) = delete;

    // Soldier type n with its record; columns default to footprint 40, speed 1, sight 5.
    void Type(int n, std::map<uint32_t, int32_t> columns = {}) {
        auto& block = types[n];
        block.fill(0);
        auto set = [&](uint32_t offset, int32_t v) { std::memcpy(block.data() + offset, &v, 4); };
        set(20, n);
        set(SoldierColumn::kFootprint, 40);
        set(SoldierColumn::kSpeed, 1);
        set(SoldierColumn::kSight, 5);
        for (auto [offset, v] : columns)
            set(offset, v);
        SoldierTypeTable[n] = block.data();
    }

    Kingdom* AddKingdom(int side, bool player = false) {
        auto* k = new Kingdom;
        k->nationIndex = side;
        k->relations[side] = 1;
        stage->kingdoms->Add(uintptr_t(k));
        TheBattleMap->kingdomTable[side] = k;
        if (player) stage->playerSide = side;
        return k;
    }
    static void SetKingdomValue(Kingdom* k, uint32_t offset, int32_t v) {
        std::memcpy(k->block + offset, &v, 4);
    }
    static void War(Kingdom* a, Kingdom* b) {
        a->relations[b->nationIndex] = b->relations[a->nationIndex] = 3;
    }

    OfficerRecord* Officer(int side, int type, int kind = 1, int templateNumber = 0) {
        auto* o = new OfficerRecord(side, -1);
        o->Set(OfficerLayout::kSoldierType, type);
        o->Set(OfficerLayout::kAttribute, kind);
        o->Set(OfficerLayout::kPersonNumber, templateNumber);
        o->serial = nextSerial++;
        return o;
    }

    // A troop of the kingdom standing at (x, y), in its field list.
    Troop* AddTroop(Kingdom* k, int x, int y, int type = 1, int kind = 1, uint8_t state = 10) {
        auto* t = new Troop(0, state, int16_t(x), int16_t(y), int8_t(k->nationIndex), 0, 0,
                            Officer(k->nationIndex, type, kind));
        k->fieldUnits.Add(uintptr_t(t));
        return t;
    }

    City* AddCity(Kingdom* owner, int x, int y, int kind = 0) {
        auto* c = new City(owner->nationIndex);
        c->id = TheBattleMap->cityCount + 1;
        c->SetInt(CityLayout::kKind, kind);
        c->SetInt(CityLayout::kX, int16_t(x));
        c->SetInt(CityLayout::kY, int16_t(y));
        TheBattleMap->cities[TheBattleMap->cityCount++] = c;
        owner->AddCity(c);
        return c;
    }

    bool OnCell(const Troop* t, int x, int y) const {
        for (uintptr_t v = TheBattleMap->FirstObjectAt(x, y); v != 0; v = TheBattleMap->NextObjectAt())
            if (v == uintptr_t(t)) return true;
        return false;
    }

    Zu_StageSet* stage = nullptr;
    std::map<int, std::array<uint8_t, 104>> types;
    uint32_t nextSerial = 1;
};

} // namespace battlefix
