#pragma once

// The settings object lives with the program shell; engine code reaches it under this name too.
#include "Program/ScreenSettings.h"
