#include "gui/ScratchSurface.h"

#include "engine/DisplayDevice.h"
#include "platform/Surface.h"

ScratchSurface::ScratchSurface() : surface(CreateOffscreenSurface(300, 200)) {}

ScratchSurface::~ScratchSurface() {
    if (surface) surface->Release();
}
