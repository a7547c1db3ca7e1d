#pragma once

// The map view belongs to the battle world; engine code reaches it under this name too.
#include "world/MapView.h"
