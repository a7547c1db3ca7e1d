#pragma once

// Two stations running in one process each keep their own battle and take the game's globals over,
// one at a time, while they enter or receive a command.

#include "Program/GameController.h"
#include "Program/ScreenSettings.h"
#include "net/room/NetSession.h"
#include "world/BattleMap.h"

namespace nettest {

struct Globals {
    ScreenSettings* settings = nullptr;
    GameController* controller = nullptr;
    BattleMap* map = nullptr;
    NetSession* session = nullptr;
};

inline Globals Current() {
    return {TheScreenSettings, TheGameController, TheBattleMap, TheNetSession};
}

inline void Use(const Globals& g) {
    TheScreenSettings = g.settings;
    TheGameController = g.controller;
    TheBattleMap = g.map;
    TheNetSession = g.session;
}

} // namespace nettest
