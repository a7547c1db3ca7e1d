#pragma once

#include "platform/DirectSound.h"
#include "platform/Surface.h"

#include <cstdint>

// Ties movies to the display and the sound device: the target surface's pixel layout, which
// decoded frames take, and the device their sound plays on (none: movies run silent).
class Zu_AviSystem {
public:
    Zu_AviSystem();
    ~Zu_AviSystem();
    Zu_AviSystem(const Zu_AviSystem&) = delete;
    Zu_AviSystem& operator=(const Zu_AviSystem&) = delete;

    void SetTarget(void* display, platform::Surface* surface, platform::DirectSound* soundDevice);
    void SetViewOffsetRefs(int32_t* x, int32_t* y);

    platform::DDSURFACEDESC2 target;
    platform::DirectSound* sound = nullptr;
    int32_t* viewX = nullptr;
    int32_t* viewY = nullptr;
};

extern Zu_AviSystem TheAviSystem;
