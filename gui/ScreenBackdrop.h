#pragma once

#include <cstdint>

namespace platform {
class Surface;
}

// The full-screen window picture the controller's drawing uses as its backdrop, and the flag that
// says a plain screen background is in use instead. A full-screen panel clears the flag and
// registers its surface; it clears the registration again when it goes.
extern int32_t ScreenBackdropFlag;
extern platform::Surface* FullScreenPanelSurface;
