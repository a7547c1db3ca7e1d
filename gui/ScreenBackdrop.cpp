#include "gui/ScreenBackdrop.h"

int32_t ScreenBackdropFlag = 0;
platform::Surface* FullScreenPanelSurface = nullptr;
