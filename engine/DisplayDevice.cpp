#include "engine/DisplayDevice.h"

#include <cstring>

using namespace platform;

DisplayDevice* TheDisplayDevice = nullptr;

namespace {

DisplayModeInfo ModeTable[kMaxDisplayModes];
int ModeCount = 0;
RECT ClientRect;
const int32_t* WindowedFlag = nullptr;

HRESULT AddDisplayMode(DDSURFACEDESC2* mode, void*) {
    if (ModeCount >= kMaxDisplayModes) return DDENUMRET_CANCEL;
    ModeTable[ModeCount++] =
        DisplayModeInfo{mode->dwWidth, mode->dwHeight, mode->ddpfPixelFormat.dwRGBBitCount};
    return DDENUMRET_OK;
}

int CreateSurfaces() {
    DisplayDevice& d = *TheDisplayDevice;
    DDSURFACEDESC2 desc;
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    if (FAILED(d.directDraw->CreateSurface(&desc, &d.primary, nullptr))) return 0;
    d.back = CreateOffscreenSurface(d.width, d.height);
    if (!d.back) return 0;
    if (FAILED(d.directDraw->CreateClipper(0, &d.clipper, nullptr))) return 0;
    if (FAILED(d.clipper->SetHWnd(0, d.window))) return 0;
    if (FAILED(d.primary->SetClipper(d.clipper))) return 0;
    return 1;
}

// A pixel of a 16-bit surface for a GDI colour, and back, as the screen context converts them.
uint16_t ColourToPixel(uint32_t colour, const DDPIXELFORMAT& f) {
    const uint32_t r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
    if (f.dwGBitMask == 0x03E0) return uint16_t(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
    return uint16_t(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}

uint32_t PixelToColour(uint16_t p, const DDPIXELFORMAT& f) {
    uint32_t r, g;
    if (f.dwGBitMask == 0x03E0) {
        r = ((p >> 10) & 31) << 3;
        g = ((p >> 5) & 31) << 3;
    } else {
        r = (p >> 11) << 3;
        g = ((p >> 5) & 63) << 2;
    }
    const uint32_t b = (p & 31u) << 3;
    return r | (g << 8) | (b << 16);
}

// Sets the pixel at (0, 0) through the surface's device context and returns what was there.
uint32_t SwapCornerColour(Surface* surface, uint32_t colour, bool* ok) {
    HDC dc = nullptr;
    if (FAILED(surface->GetDC(&dc))) {
        *ok = false;
        return 0;
    }
    const uint32_t old = PixelToColour(dc->bits[0], dc->format);
    dc->bits[0] = ColourToPixel(colour, dc->format);
    surface->ReleaseDC(dc);
    *ok = true;
    return old;
}

} // namespace

DirectDraw* CreateDirectDraw(void* window) {
    if (TheDisplayDevice) ReleaseDirectDraw();
    TheDisplayDevice = new DisplayDevice();
    if (FAILED(DirectDrawCreateEx(nullptr, &TheDisplayDevice->directDraw, nullptr, nullptr))) return nullptr;
    TheDisplayDevice->window = window;
    return TheDisplayDevice->directDraw;
}

DirectDraw* GetDirectDraw() {
    return TheDisplayDevice ? TheDisplayDevice->directDraw : nullptr;
}

void ReleaseDirectDraw() {
    if (!TheDisplayDevice) return;
    // Surfaces left behind would outlive their display object.
    ReleaseSurfaces();
    if (TheDisplayDevice->directDraw) TheDisplayDevice->directDraw->Release();
    delete TheDisplayDevice;
    TheDisplayDevice = nullptr;
}

int SetDisplayMode() {
    if (!TheDisplayDevice) return 0;
    DisplayDevice& d = *TheDisplayDevice;
    if (!d.directDraw) return 0;
    d.ready = 0;
    const uint32_t level = (d.modeFlags & DDSCL_EXCLUSIVE) ? 0x11 : d.modeFlags;
    if (FAILED(d.directDraw->SetCooperativeLevel(d.window, level))) return 0;
    if (d.modeFlags & DDSCL_EXCLUSIVE) {
        if (FAILED(d.directDraw->SetDisplayMode(uint32_t(d.width), uint32_t(d.height), uint32_t(d.bitDepth),
                                                0, 0)))
            return 0;
    } else {
        d.bitDepth = GetScreenDeviceCaps(kScreenCapsPlanes) * GetScreenDeviceCaps(kScreenCapsBitsPixel);
    }
    d.ready = 1;
    return CreateSurfaces();
}

void ReleaseSurfaces() {
    if (!TheDisplayDevice) return;
    DisplayDevice& d = *TheDisplayDevice;
    if (d.back) {
        d.back->Release();
        d.back = nullptr;
    }
    if (d.primary) {
        d.primary->Release();
        d.primary = nullptr;
    }
    if (d.clipper) {
        d.clipper->Release();
        d.clipper = nullptr;
    }
    if ((d.modeFlags & DDSCL_EXCLUSIVE) && d.directDraw) d.directDraw->RestoreDisplayMode();
    d.ready = 0;
    ModeCount = 0;
}

int ApplyDisplayMode(uint32_t modeFlags) {
    if (!TheDisplayDevice) return 1;
    const bool wasReady = TheDisplayDevice->ready != 0;
    if (wasReady) ReleaseSurfaces();
    TheDisplayDevice->modeFlags = modeFlags;
    if (wasReady) SetDisplayMode();
    return 1;
}

uint32_t GetDisplayModeFlags() {
    return TheDisplayDevice ? TheDisplayDevice->modeFlags : 0;
}
int32_t GetDisplayWidth() {
    return TheDisplayDevice ? TheDisplayDevice->width : 0;
}
int32_t GetDisplayHeight() {
    return TheDisplayDevice ? TheDisplayDevice->height : 0;
}
int32_t GetDisplayBitDepth() {
    return TheDisplayDevice ? TheDisplayDevice->bitDepth : 0;
}

void SetDisplayWidth(int32_t width) {
    if (TheDisplayDevice) TheDisplayDevice->width = width;
}

void SetDisplayHeight(int32_t height) {
    if (TheDisplayDevice) TheDisplayDevice->height = height;
}

void SetDisplayBitDepth(int32_t bits) {
    if (TheDisplayDevice) TheDisplayDevice->bitDepth = bits;
}

Surface* GetPrimarySurface() {
    return TheDisplayDevice ? TheDisplayDevice->primary : nullptr;
}
Surface* GetBackSurface() {
    return TheDisplayDevice ? TheDisplayDevice->back : nullptr;
}

Surface* CreateOffscreenSurface(int width, int height) {
    DirectDraw* dd = GetDirectDraw();
    if (!dd) return nullptr;
    DDSURFACEDESC2 desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    desc.dwWidth = uint32_t(width);
    desc.dwHeight = uint32_t(height);
    Surface* surface = nullptr;
    if (FAILED(dd->CreateSurface(&desc, &surface, nullptr))) return nullptr;
    DDCOLORKEY key;
    key.dwColorSpaceLowValue = 0;
    key.dwColorSpaceHighValue = 0;
    surface->SetColorKey(DDCKEY_SRCBLT, &key);
    return surface;
}

int PresentFrame() {
    if (!TheDisplayDevice) return 0;
    DisplayDevice& d = *TheDisplayDevice;
    // Without surfaces there is nothing to show.
    if (!d.primary || !d.back) return 0;
    const RECT* dst = (d.modeFlags & DDSCL_FULLSCREEN) ? nullptr : &ClientRect;
    if (WindowedFlag && *WindowedFlag)
        return SUCCEEDED(d.primary->Blt(dst, d.back, nullptr, DDBLT_WAIT)) ? 1 : 0;
    for (;;) {
        const HRESULT r = d.primary->Blt(dst, d.back, nullptr, DDBLT_WAIT);
        if (r == DD_OK) return 1;
        if (r == DDERR_WASSTILLDRAWING) continue;
        if (r == DDERR_SURFACELOST) {
            // The frame is dropped; the next one presents normally.
            if (FAILED(d.primary->Restore())) return 0;
            if (FAILED(d.back->Restore())) return 0;
            return 1;
        }
        return 0;
    }
}

int CountDisplayModes() {
    DirectDraw* dd = GetDirectDraw();
    if (!dd) return -1;
    if (ModeCount == 0 && FAILED(dd->EnumDisplayModes(0, nullptr, nullptr, AddDisplayMode))) return -1;
    return ModeCount;
}

int GetDisplayModeInfo(int index, DisplayModeInfo* out) {
    if (!TheDisplayDevice || index > kMaxDisplayModes) return 0;
    if (ModeCount == 0 && CountDisplayModes() <= 0) return 0;
    if (index < 0 || index >= ModeCount || !out) return 0;
    *out = ModeTable[index];
    return 1;
}

void SetDisplayClientRect(const RECT& rect) {
    ClientRect = rect;
}
RECT GetDisplayClientRect() {
    return ClientRect;
}
void SetWindowedFlagSource(const int32_t* windowedFlag) {
    WindowedFlag = windowedFlag;
}

uint32_t MatchSurfaceColour(Surface* surface, uint32_t colour) {
    if (!surface) return kColourInvalid;
    uint32_t saved = 0;
    bool swapped = false;
    if (colour != kColourInvalid) saved = SwapCornerColour(surface, colour, &swapped);
    DDSURFACEDESC2 desc;
    HRESULT r;
    while ((r = surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr)) == DDERR_WASSTILLDRAWING) {
    }
    uint32_t value = kColourInvalid;
    if (r == DD_OK) {
        uint32_t first = 0;
        // Only the bytes the surface has: a one-pixel surface holds two.
        const size_t have = size_t(desc.lPitch) * desc.dwHeight;
        std::memcpy(&first, desc.lpSurface, have < 4 ? have : 4);
        const uint32_t bits = desc.ddpfPixelFormat.dwRGBBitCount;
        value = bits >= 32 ? first : first & ((1u << bits) - 1);
        surface->Unlock(nullptr);
    }
    if (swapped) SwapCornerColour(surface, saved, &swapped);
    return value;
}

void DrawDebugNumber(int) {
    Surface* primary = GetPrimarySurface();
    if (!primary) return;
    DDSURFACEDESC2 desc;
    HRESULT r;
    while ((r = primary->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr)) == DDERR_WASSTILLDRAWING) {
    }
    if (r != DD_OK) return;
    // The strip needs 1020 bytes of row and 30 rows.
    if (desc.dwWidth * 2 >= 1020 && desc.dwHeight >= 30) {
        auto* base = static_cast<uint8_t*>(desc.lpSurface);
        for (int row = 10; row < 30; ++row)
            std::memset(base + size_t(row) * size_t(desc.lPitch) + 860, 0x29, 160);
    }
    // The number font's drawing entry at (430, 10) draws nothing, so it is not called here.
    primary->Unlock(nullptr);
}
