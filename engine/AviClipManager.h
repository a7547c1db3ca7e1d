#pragma once

#include <cstdint>

namespace platform {
class DirectDraw;
class Surface;
} // namespace platform

// The movie side the shell calls: the modal player, the clip manager and the AVI system's
// binding to the display.

// The stop byte of the modal player: 1 while a modal movie plays; 2 or more ends it.
extern int8_t MovieStopState;

// Plays an AVI at (x, y) (with an optional companion) and blocks in its own message loop until
// the clip ends or is stopped; the controller's mode reads 2 meanwhile.
void PlayAviModal(int x, int y, const char* file, const char* companion, int formatMode, int zoom);
void StopAviModal();

class AviClipManager {
public:
    static void OpenOverlays();
    static void CloseAll();
    static void SetVolume(int level);
    // Bit 0: movies on.
    static uint32_t options;
};

class Zu_AviSystem {
public:
    static void SetTarget(platform::DirectDraw* directDraw, platform::Surface* target, void* directSound);
    // The view offsets that overlays follow, asked for each time a clip is drawn.
    static void SetViewOffsetSource(int32_t (*viewX)(), int32_t (*viewY)());
};
