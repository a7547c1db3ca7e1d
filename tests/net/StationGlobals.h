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

// Marks the station's battle networked as host or client on its session, and lets go of the
// globals once they are kept for the station.
inline Globals TakeStationGlobals(NetSession& session, bool host) {
    TheGameController->networked = 1;
    TheGameController->isHost = host ? 1 : 0;
    TheNetSession = &session;
    const Globals g = Current();
    Use({});
    return g;
}

} // namespace nettest
