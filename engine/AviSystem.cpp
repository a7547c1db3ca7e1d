#include "engine/AviSystem.h"

#include "platform/Avi.h"

Zu_AviSystem TheAviSystem;

Zu_AviSystem::Zu_AviSystem() {
    platform::AVIFileInit();
}

Zu_AviSystem::~Zu_AviSystem() {
    platform::AVIFileExit();
}

void Zu_AviSystem::SetTarget(void*, platform::Surface* surface, platform::DirectSound* soundDevice) {
    target.dwSize = 124;
    if (surface && surface->Lock(nullptr, &target, platform::DDLOCK_WAIT) == platform::DD_OK)
        surface->Unlock(nullptr);
    target.lpSurface = nullptr; // only the layout is kept
    sound = soundDevice;
}

void Zu_AviSystem::SetViewOffsetRefs(int32_t* x, int32_t* y) {
    viewX = x;
    viewY = y;
}
