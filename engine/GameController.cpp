#include "engine/GameController.h"

GameController* TheGameController = nullptr;
