#pragma once

#include "platform/Surface.h"

#include <cstdint>
#include <vector>

// The display object in the manner of DirectDraw 7: cooperative level, display modes, surfaces
// and clippers. Presentation of the primary surface goes through platform/Present.h.
namespace platform {

// Cooperative-level flags.
constexpr uint32_t DDSCL_FULLSCREEN = 0x1;
constexpr uint32_t DDSCL_NORMAL = 0x8;
constexpr uint32_t DDSCL_EXCLUSIVE = 0x10;

// Results of a display-mode enumeration callback.
constexpr HRESULT DDENUMRET_CANCEL = 0;
constexpr HRESULT DDENUMRET_OK = 1;

using LPDDENUMMODESCALLBACK2 = HRESULT (*)(DDSURFACEDESC2* mode, void* context);

// Bookkeeping only: the window a clipper follows.
class Clipper {
public:
    Clipper() = default;
    Clipper(const Clipper&) = delete;
    Clipper& operator=(const Clipper&) = delete;
    uint32_t AddRef() { return ++refs_; }
    uint32_t Release();
    HRESULT SetHWnd(uint32_t flags, void* window);
    HRESULT GetHWnd(void** window);

private:
    ~Clipper() = default;
    void* window_ = nullptr;
    uint32_t refs_ = 1;
};

using IDirectDrawClipper = Clipper;

struct DisplayMode {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bits = 0;
};

class DirectDraw {
public:
    DirectDraw();
    DirectDraw(const DirectDraw&) = delete;
    DirectDraw& operator=(const DirectDraw&) = delete;

    uint32_t AddRef() { return ++refs_; }
    uint32_t Release();

    // Accepts DDSCL_NORMAL (window) or DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN; anything else,
    // 0 included, is rejected.
    HRESULT SetCooperativeLevel(void* window, uint32_t flags);
    // Only under the exclusive level and only for a mode of the list.
    HRESULT SetDisplayMode(uint32_t width, uint32_t height, uint32_t bits, uint32_t refreshRate,
                           uint32_t flags);
    HRESULT RestoreDisplayMode();
    HRESULT GetDisplayMode(DDSURFACEDESC2* desc);
    HRESULT EnumDisplayModes(uint32_t flags, DDSURFACEDESC2* templ, void* context,
                             LPDDENUMMODESCALLBACK2 callback);
    // DDSCAPS_PRIMARYSURFACE: the screen, of the current mode's size (the window's client size
    // in window mode). Otherwise DDSD_WIDTH and DDSD_HEIGHT are required.
    HRESULT CreateSurface(DDSURFACEDESC2* desc, Surface** surface, void* outer);
    HRESULT CreateClipper(uint32_t flags, Clipper** clipper, void* outer);

    uint32_t cooperativeLevel() const { return level_; }
    bool modeSet() const { return modeSet_; }

private:
    ~DirectDraw();
    uint32_t refs_ = 1;
    void* window_ = nullptr;
    uint32_t level_ = 0;
    bool modeSet_ = false;
    DisplayMode mode_;
};

using IDirectDraw7 = DirectDraw;

// Creates the display object; the GUID and outer object are accepted for the caller's shape only.
HRESULT DirectDrawCreateEx(void* guid, DirectDraw** out, const void* iid, void* outer);

// What GetDeviceCaps reports for the screen: PLANES 1 and BITSPIXEL 16, so that window mode
// also draws 16-bit pixels.
constexpr int kScreenCapsBitsPixel = 12;
constexpr int kScreenCapsPlanes = 14;
int GetScreenDeviceCaps(int index);

// The modes the display reports; always holds 800x600x16 and 1024x768x16.
std::vector<DisplayMode> DefaultDisplayModes();

// Test seams: replace the reported mode list (an empty vector restores the default) and make
// the next DirectDrawCreateEx calls fail.
void SetDisplayModesForTest(std::vector<DisplayMode> modes);
void SetDirectDrawCreateFailsForTest(bool fails);

} // namespace platform
