#pragma once

#include "gui/RootObject.h"
#include "platform/Surface.h"

#include <cstdint>

// One 300 x 200 off-screen surface that the resource store draws scratch work into.
class ScratchSurface : public RootObject {
public:
    ScratchSurface();
    ~ScratchSurface() override;
    ScratchSurface(const ScratchSurface&) = delete;
    ScratchSurface& operator=(const ScratchSurface&) = delete;

    void ReleaseSurface();

    platform::Surface* surface = nullptr;
    int16_t word1 = 0;
    int16_t word2 = 0;
    int16_t word3 = 0;
    int32_t word4 = 0;
};
