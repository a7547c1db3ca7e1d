#include "gui/ScratchSurface.h"

#include "engine/DisplayDevice.h"

ScratchSurface::ScratchSurface() {
    surface = CreateOffscreenSurface(300, 200);
}

ScratchSurface::~ScratchSurface() {
    ReleaseSurface();
}

void ScratchSurface::ReleaseSurface() {
    if (surface) surface->Release();
    surface = nullptr;
}
