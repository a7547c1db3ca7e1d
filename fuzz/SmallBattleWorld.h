#pragma once

// The program objects a stage-file reader works in: the settings, the controller and a 30 x 60
// battle map, made for one input and gone after it.
#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "world/BattleMap.h"

#include <cstddef>
#include <memory>

struct SmallBattleWorld {
    BattleMap* map = nullptr;

    SmallBattleWorld() {
        TheScreenSettings = new ScreenSettings;
        TheGameController = new GameController;
        map = new BattleMap;
        constexpr int w = 30, r = 60;
        map->SetCells(std::make_unique<MapCell[]>(size_t(w) * r), w, r);
        map->validBounds = {0, 0, w, r};
        map->AllocGrid();
        TheBattleMap = map;
    }
    ~SmallBattleWorld() {
        delete map;
        TheBattleMap = nullptr;
        delete TheGameController;
        TheGameController = nullptr;
        delete TheScreenSettings;
        TheScreenSettings = nullptr;
    }
    SmallBattleWorld(const SmallBattleWorld&) = delete;
    SmallBattleWorld& operator=(const SmallBattleWorld&) = delete;
};
