#pragma once

namespace platform {
class Surface;
}

// A holder of one 300 x 200 off-screen surface that widgets draw through.
class ScratchSurface {
public:
    ScratchSurface();
    ~ScratchSurface();
    ScratchSurface(const ScratchSurface&) = delete;
    ScratchSurface& operator=(const ScratchSurface&) = delete;

    platform::Surface* surface = nullptr; // null without a display
};
