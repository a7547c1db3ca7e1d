#pragma once

// The game controller belongs to the program shell; engine code reaches it under this name too.
#include "Program/GameController.h"
