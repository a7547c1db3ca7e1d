#pragma once

// A small battle the state-command, sub-command and game-record fuzz targets apply their inputs
// to, made new for every input (the commands create and remove troops): the host of a network
// game with two kingdoms at war, two troops each, a city of side 1 with two units inside and a
// reserve soldier, a keeper's place with its keeper and a garrison post, a plot under
// construction; a general template and an item.

#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "records/City.h"
#include "records/CityWorks.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
#include "records/StageWorldSeam.h"
#include "records/SubCastle.h"
#include "stagefiles/SavedRecord.h"
#include "troops/Troop.h"
#include "world/BattleMap.h"

#include <array>
#include <cstdint>
#include <memory>

class StateFuzzWorld {
public:
    explicit StateFuzzWorld(bool host) {
        static std::array<uint8_t, OfficerLayout::kSize> templateBlock{};
        static std::array<uint8_t, 192> itemBlock{};
        templateBlock[OfficerLayout::kSoldierType] = 1;
        GeneralTemplateTable[5] = GeneralTemplateTable[455] = GeneralTemplateTable[456] =
            templateBlock.data();
        GeneralTemplateCount = 457;
        itemBlock[28] = 11; // category
        ItemTable[288] = itemBlock.data();
        ItemCount = 289;
        TheScreenSettings = new ScreenSettings;
        TheGameController = new GameController;
        TheGameController->networked = 1;
        TheGameController->isHost = host ? 1 : 0;
        auto* map = new BattleMap;
        constexpr int w = 30, r = 60;
        map->SetCells(std::make_unique<MapCell[]>(size_t(w) * r), w, r);
        map->validBounds = {0, 0, w, r};
        map->AllocGrid();
        TheBattleMap = map;
        auto* stage = new Zu_StageSet;
        map->stageSet = stage;
        stage->playerSide = 1;
        for (int side = 1; side <= 2; ++side) {
            auto* k = new Kingdom;
            k->nationIndex = side;
            k->relations[side] = 1;
            k->relations[3 - side] = 3;
            stage->kingdoms->Add(uintptr_t(k));
            map->kingdomTable[side] = k;
            for (int i = 0; i < 2; ++i)
                k->fieldUnits.Add(uintptr_t(NewTroop(side, 5 + i, 5 * side)));
        }
        auto* city = new City(1);
        city->SetInt(CityLayout::kX, 20);
        city->SetInt(CityLayout::kY, 20);
        map->cities[0] = city;
        map->cityCount = 1;
        static_cast<Kingdom*>(map->kingdomTable[1])->AddCity(city);
        for (int i = 0; i < 2; ++i) {
            Troop* t = NewTroop(1, 0, 0, city->id);
            t->garrison = 1;
            t->officer->Set(OfficerLayout::kTroopCapacity, 4);
            if (i == 0) t->officer->Set(OfficerLayout::kPersonNumber, 421);
            city->units.Add(uintptr_t(t));
        }
        // A plot with a farm under way.
        city->sites.Add(uintptr_t(new SavedRecord(5, 5, 0)));
        for (int kind : {4, 5}) {
            auto* sub = new SubCastle(0);
            sub->SetInt(SubCastleLayout::kKind, kind);
            Troop* t = NewTroop(1, 0, 0, city->id);
            t->garrison = 2;
            sub->units.Add(uintptr_t(t));
            if (kind == 4) sub->keeper = NewTroop(1, 0, 0, city->id);
            city->subCastles.Add(uintptr_t(sub));
        }
        // A soldier waiting in the city's reserve.
        city->reserve.Add(uintptr_t(NewTroop(1, 0, 0, city->id)));
    }
    ~StateFuzzWorld() {
        delete TheBattleMap->stageSet;
        delete TheBattleMap;
        TheBattleMap = nullptr;
        delete TheGameController;
        TheGameController = nullptr;
        delete TheScreenSettings;
        TheScreenSettings = nullptr;
    }
    StateFuzzWorld(const StateFuzzWorld&) = delete;
    StateFuzzWorld& operator=(const StateFuzzWorld&) = delete;

private:
    Troop* NewTroop(int side, int x, int y, int homeCity = 0) {
        auto* o = new OfficerRecord(side, -1);
        o->serial = serial_++;
        o->Set(OfficerLayout::kAttribute, 1);
        o->Set(OfficerLayout::kMaxHp, 80);
        o->Set(OfficerLayout::kHp, 40);
        return new Troop(0, 10, int16_t(x), int16_t(y), int8_t(side), int16_t(homeCity), 0, o);
    }
    uint32_t serial_ = 1;
};
