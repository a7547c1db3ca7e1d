#pragma once

// A small battle the state-command, sub-command and game-record fuzz targets apply their inputs
// to, made new for every input (the commands create and remove troops): the host of a network
// game with two kingdoms at war, two troops each, a city of side 1 with two units inside and a
// reserve soldier, a keeper's place with its keeper and a garrison post, a plot under
// construction; a general template and an item.

#include "FuzzBattle.h"

#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "Program/StageSet.h"
#include "records/City.h"
#include "records/CityWorks.h"
#include "records/Kingdom.h"
#include "records/OfficerRecord.h"
#include "records/RecordTables.h"
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
        Zu_StageSet* stage = NewFuzzBattle();
        BattleMap* map = TheBattleMap;
        stage->playerSide = 1;
        for (int side = 1; side <= 2; ++side) {
            Kingdom* k = AddFuzzSide(stage, side);
            for (int i = 0; i < 2; ++i)
                k->fieldUnits.Add(uintptr_t(NewTroop(side, 5 + i, 5 * side)));
        }
        City* city = AddFuzzCity(new City(1), 20, 20);
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
        Troop* t = NewFuzzTroop(side, x, y, serial_++, homeCity);
        t->officer->Set(OfficerLayout::kAttribute, 1);
        t->officer->Set(OfficerLayout::kMaxHp, 80);
        t->officer->Set(OfficerLayout::kHp, 40);
        return t;
    }
    uint32_t serial_ = 1;
};
