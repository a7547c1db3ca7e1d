#include "engine/ScreenSettings.h"

ScreenSettings* TheScreenSettings = nullptr;
