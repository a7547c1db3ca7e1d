#pragma once

#include "platform/DirectDraw.h"

#include <cstdint>

// The program's one display: the primary surface, a system-memory back surface of the display's
// size that every frame is drawn into, colour-keyed off-screen surfaces, the display-mode table,
// and presenting a frame by one blit of the whole back surface. A set of free functions over one
// record held by a global pointer.

struct DisplayDevice {
    void* window = nullptr;
    platform::DirectDraw* directDraw = nullptr;
    platform::Surface* primary = nullptr;
    platform::Surface* back = nullptr;
    platform::Clipper* clipper = nullptr;
    int32_t ready = 0;
    uint32_t modeFlags = 0; // 8 window, 0x11 exclusive full screen
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitDepth = 0;
};

struct DisplayModeInfo {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bits = 0;
};

constexpr int kMaxDisplayModes = 199;

// The record; null before CreateDirectDraw and after ReleaseDirectDraw.
extern DisplayDevice* TheDisplayDevice;

platform::DirectDraw* CreateDirectDraw(void* window);
platform::DirectDraw* GetDirectDraw();
void ReleaseDirectDraw();
int SetDisplayMode();
void ReleaseSurfaces();
int ApplyDisplayMode(uint32_t modeFlags);
uint32_t GetDisplayModeFlags();
int32_t GetDisplayWidth();
void SetDisplayWidth(int32_t width);
int32_t GetDisplayHeight();
void SetDisplayHeight(int32_t height);
int32_t GetDisplayBitDepth();
void SetDisplayBitDepth(int32_t bits);
// Null when there is no record or the display could not be opened: callers then draw nothing.
platform::Surface* GetPrimarySurface();
platform::Surface* GetBackSurface();
platform::Surface* CreateOffscreenSurface(int width, int height);
// 1 when the frame was shown (or dropped after a lost surface was restored), 0 on failure.
int PresentFrame();
int CountDisplayModes();
int GetDisplayModeInfo(int index, DisplayModeInfo* out);

// The window's client rectangle in screen coordinates, refreshed by the window procedure when the
// window moves or is resized; the destination of PresentFrame in window mode.
void SetDisplayClientRect(const platform::RECT& rect);
platform::RECT GetDisplayClientRect();

// Where PresentFrame reads the settings' windowed flag (a single blit without retries when it
// is set); start-up hands in the settings field. Without one the flag reads as 0.
void SetWindowedFlagSource(const int32_t* windowedFlag);

// The surface's pixel value for a GDI colour 0x00BBGGRR, or kColourInvalid when it cannot lock.
constexpr uint32_t kColourInvalid = 0xFFFFFFFF;
uint32_t MatchSurfaceColour(platform::Surface* surface, uint32_t colour);
void DrawDebugNumber(int value);
