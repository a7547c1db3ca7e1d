#pragma once

#include <cstdint>

class MapView;

// The game controller's fields that the engine's movie code reads and writes; the controller
// itself belongs to the program shell, which builds it around these.
class GameController {
public:
    int32_t mode = 0;              // 2 while a modal movie plays: the frame step does nothing
    MapView* gameScreen = nullptr; // the map view of a battle, null outside one
};

extern GameController* TheGameController;
