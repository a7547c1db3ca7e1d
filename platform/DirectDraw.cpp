#include "platform/DirectDraw.h"

#include "platform/Present.h"

#include <atomic>
#include <mutex>

namespace platform {

namespace {

std::mutex gModesMutex;
std::vector<DisplayMode> gTestModes;
std::atomic<bool> gCreateFails{false};

std::vector<DisplayMode> ReportedModes() {
    std::lock_guard<std::mutex> g(gModesMutex);
    return gTestModes.empty() ? DefaultDisplayModes() : gTestModes;
}

} // namespace

std::vector<DisplayMode> DefaultDisplayModes() {
    std::vector<DisplayMode> modes;
    const uint32_t sizes[][2] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}};
    for (uint32_t bits : {16u, 32u})
        for (const auto& s : sizes)
            modes.push_back(DisplayMode{s[0], s[1], bits});
    return modes;
}

void SetDisplayModesForTest(std::vector<DisplayMode> modes) {
    std::lock_guard<std::mutex> g(gModesMutex);
    gTestModes = std::move(modes);
}

void SetDirectDrawCreateFailsForTest(bool fails) {
    gCreateFails = fails;
}

int GetScreenDeviceCaps(int index) {
    if (index == kScreenCapsBitsPixel) return 16;
    if (index == kScreenCapsPlanes) return 1;
    return 0;
}

uint32_t Clipper::Release() {
    uint32_t left = --refs_;
    if (left == 0) delete this;
    return left;
}

HRESULT Clipper::SetHWnd(uint32_t, void* window) {
    window_ = window;
    return DD_OK;
}

HRESULT Clipper::GetHWnd(void** window) {
    if (!window) return DDERR_INVALIDPARAMS;
    *window = window_;
    return DD_OK;
}

DirectDraw::DirectDraw() = default;
DirectDraw::~DirectDraw() = default;

uint32_t DirectDraw::Release() {
    uint32_t left = --refs_;
    if (left == 0) {
        if (modeSet_) RestoreDisplayMode();
        delete this;
    }
    return left;
}

HRESULT DirectDraw::SetCooperativeLevel(void* window, uint32_t flags) {
    const uint32_t exclusive = DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN;
    const bool normal = (flags & DDSCL_NORMAL) != 0;
    const bool full = (flags & exclusive) == exclusive;
    // Normal and exclusive exclude each other, and each half of exclusive needs the other.
    if (normal == full || (!full && (flags & exclusive) != 0)) return DDERR_INVALIDPARAMS;
    window_ = window;
    level_ = flags;
    if (normal) {
        if (modeSet_) RestoreDisplayMode();
        int w = 0, h = 0;
        GetClientSize(&w, &h);
        GetPresenter().SetFullScreen(false, w, h);
    }
    return DD_OK;
}

HRESULT DirectDraw::SetDisplayMode(uint32_t width, uint32_t height, uint32_t bits, uint32_t, uint32_t) {
    if (level_ == 0) return DDERR_NOCOOPERATIVELEVELSET;
    if (!(level_ & DDSCL_EXCLUSIVE)) return DDERR_NOEXCLUSIVEMODE;
    bool known = false;
    for (const DisplayMode& m : ReportedModes())
        if (m.width == width && m.height == height && m.bits == bits) known = true;
    if (!known) return DDERR_INVALIDMODE;
    mode_ = DisplayMode{width, height, bits};
    modeSet_ = true;
    GetPresenter().SetFullScreen(true, int(width), int(height));
    return DD_OK;
}

HRESULT DirectDraw::RestoreDisplayMode() {
    if (!modeSet_) return DD_OK;
    modeSet_ = false;
    int w = 0, h = 0;
    GetClientSize(&w, &h);
    GetPresenter().SetFullScreen(false, w, h);
    return DD_OK;
}

HRESULT DirectDraw::GetDisplayMode(DDSURFACEDESC2* desc) {
    if (!desc) return DDERR_INVALIDPARAMS;
    DisplayMode m = mode_;
    if (!modeSet_) {
        int w = 0, h = 0;
        GetClientSize(&w, &h);
        m = DisplayMode{uint32_t(w), uint32_t(h), 16};
    }
    desc->dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT | DDSD_REFRESHRATE;
    desc->dwWidth = m.width;
    desc->dwHeight = m.height;
    desc->dwRefreshRate = 60;
    desc->ddpfPixelFormat = PixelFormatFor(GetPixelLayout());
    desc->ddpfPixelFormat.dwRGBBitCount = m.bits;
    return DD_OK;
}

HRESULT DirectDraw::EnumDisplayModes(uint32_t, DDSURFACEDESC2*, void* context,
                                     LPDDENUMMODESCALLBACK2 callback) {
    if (!callback) return DDERR_INVALIDPARAMS;
    for (const DisplayMode& m : ReportedModes()) {
        DDSURFACEDESC2 desc;
        desc.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT | DDSD_REFRESHRATE;
        desc.dwWidth = m.width;
        desc.dwHeight = m.height;
        desc.dwRefreshRate = 60;
        desc.ddpfPixelFormat = PixelFormatFor(GetPixelLayout());
        desc.ddpfPixelFormat.dwRGBBitCount = m.bits;
        if (callback(&desc, context) == DDENUMRET_CANCEL) break;
    }
    return DD_OK;
}

HRESULT DirectDraw::CreateSurface(DDSURFACEDESC2* desc, Surface** surface, void*) {
    if (!desc || !surface) return DDERR_INVALIDPARAMS;
    *surface = nullptr;
    if (level_ == 0) return DDERR_NOCOOPERATIVELEVELSET;
    const uint32_t caps = (desc->dwFlags & DDSD_CAPS) ? desc->ddsCaps.dwCaps : 0;
    int width, height;
    if (caps & DDSCAPS_PRIMARYSURFACE) {
        if (modeSet_) {
            width = int(mode_.width);
            height = int(mode_.height);
        } else {
            GetClientSize(&width, &height);
        }
    } else {
        if ((desc->dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT))
            return DDERR_INVALIDPARAMS;
        width = int(desc->dwWidth);
        height = int(desc->dwHeight);
    }
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return DDERR_INVALIDPARAMS;
    const int pitch = width * 2 + GetPitchPadding();
    *surface = new Surface(width, height, GetPixelLayout(), pitch,
                           caps | DDSCAPS_SYSTEMMEMORY |
                               ((caps & DDSCAPS_PRIMARYSURFACE) ? 0 : DDSCAPS_OFFSCREENPLAIN));
    return DD_OK;
}

HRESULT DirectDraw::CreateClipper(uint32_t, Clipper** clipper, void*) {
    if (!clipper) return DDERR_INVALIDPARAMS;
    *clipper = new Clipper();
    return DD_OK;
}

HRESULT DirectDrawCreateEx(void*, DirectDraw** out, const void*, void*) {
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (gCreateFails) return DDERR_GENERIC;
    *out = new DirectDraw();
    return DD_OK;
}

} // namespace platform
