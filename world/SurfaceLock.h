#pragma once

#include "platform/Surface.h"

// Locks a map drawing surface, restoring it when lost; a lost or busy surface is retried a bounded
// number of times before the frame goes without it.
bool LockMapSurface(platform::Surface* s, platform::DDSURFACEDESC2& desc);
