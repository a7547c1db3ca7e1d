#include "engine/AviClipManager.h"

#include "Program/GameController.h"

int8_t MovieStopState = 0;
uint32_t AviClipManager::options = 1;

void PlayAviModal(int, int, const char*, const char*, int, int) {
    // No movie decoder yet: the movie ends at once, with the controller's mode restored.
    MovieStopState = 0;
}

void StopAviModal() {
    MovieStopState = 2;
}

void AviClipManager::OpenOverlays() {}
void AviClipManager::CloseAll() {}
void AviClipManager::SetVolume(int) {}

void Zu_AviSystem::SetTarget(platform::DirectDraw*, platform::Surface*, void*) {}
void Zu_AviSystem::SetViewOffsetSource(int32_t (*)(), int32_t (*)()) {}
