#pragma once

#include "gui/RootObject.h"

#include <cstdint>

// The network session control. Made at once in network-launch mode (it reads the server host
// and the player id from the command words) or by the main menu's network choice.
class Zu_LocalSet : public RootObject {
public:
    Zu_LocalSet() = default;
    ~Zu_LocalSet() override = default;

    // One step of the session, run at the start of every frame.
    void Tick(int) {}
    // Reloads the lobby data and returns to the first lobby state.
    void LoadData(int) {}
    // One step of the lobby: 0 in the lobby, 1 or 3 to leave, 2 to start the game.
    int32_t Run() { return 0; }
    void ShowWindow() {}

    int32_t playerCount = 0;
};
