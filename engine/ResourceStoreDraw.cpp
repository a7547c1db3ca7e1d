#include "engine/DisplayDevice.h"
#include "engine/PixelFormat.h"
#include "engine/ResourceStore.h"
#include "engine/StoreImage.h"
#include "platform/Surface.h"

#include <algorithm>
#include <cstring>

namespace {

// Locks the back surface, retrying while another thread holds it; false when there is none or it
// cannot be locked at all.
bool LockBack(platform::Surface*& back, platform::DDSURFACEDESC2& desc) {
    back = GetBackSurface();
    if (!back) return false;
    platform::HRESULT r;
    while ((r = back->Lock(nullptr, &desc, platform::DDLOCK_WAIT)) == platform::DDERR_WASSTILLDRAWING) {
    }
    return platform::SUCCEEDED(r);
}

} // namespace

void ResourceStore::DrawAniFrameBlended(const AniFrame* frame, int x, int y) {
    DrawAniFrameOnSurface(frame, x, y, GetBackSurface(), true);
}

void ResourceStore::DrawAniFrame(const AniFrame* frame, int x, int y, platform::Surface* surface, int blend) {
    DrawAniFrameOnSurface(frame, x, y, surface, blend != 0);
}

void ResourceStore::TintArea(uint16_t colour, platform::Surface* surface, int width, int height) {
    TintSurface(colour, surface, width, height);
}

void ResourceStore::StepFirstEffectList() {
    StepEffectList(firstEffects, TheStoreHooks.pollClip);
}

void ResourceStore::StepSecondEffectList() {
    StepEffectList(secondEffects, TheStoreHooks.pollClip);
}

void ResourceStore::ClearEffectLists() {
    if (!firstEffects) return;
    DeleteEffects(firstEffects);
    DeleteEffects(secondEffects);
}

void ResourceStore::DrawMapMarkers() {
    MapMarkerView view;
    if (!TheStoreHooks.mapMarkerView || !TheStoreHooks.mapMarkerView(*this, view)) return;
    platform::Surface* back = nullptr;
    platform::DDSURFACEDESC2 desc;
    if (!LockBack(back, desc)) return;
    const auto labels = DrawMapMarkerOutlines(view, static_cast<uint16_t*>(desc.lpSurface), desc.lPitch,
                                              int(desc.dwWidth), int(desc.dwHeight));
    back->Unlock(nullptr);
    if (!TheStoreHooks.drawSurfaceText) return;
    for (const MapMarkerLabel& label : labels)
        if (label.name) TheStoreHooks.drawSurfaceText(label.x, label.y, label.name, back, 0x31);
}

void ResourceStore::ShowBannerScreen(int kind) {
    platform::Surface* back = nullptr;
    platform::DDSURFACEDESC2 desc;
    if (!LockBack(back, desc)) return;
    const uint16_t colour = kind == 1 ? 0xFFE0 : kind == 2 ? 0xF800 : 0;
    auto* base = static_cast<uint8_t*>(desc.lpSurface);
    const int w = std::min(800, int(desc.dwWidth)), h = std::min(600, int(desc.dwHeight));
    // The banner tints in 5-6-5 whatever the display's layout; kind 3 darkens toward black.
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<uint16_t*>(base + ptrdiff_t(y) * desc.lPitch);
        for (int x = 0; x < w; ++x) {
            const uint16_t p = row[x];
            const int r = (((p >> 11) & 31) * 156 + ((colour >> 11) & 31) * 100) / 256;
            const int g = (((p >> 5) & 63) * 156 + ((colour >> 5) & 63) * 100) / 256;
            const int b = ((p & 31) * 156 + (colour & 31) * 100) / 256;
            row[x] = uint16_t(r << 11 | g << 5 | b);
        }
    }
    const StoreImage* picture = kind >= 1 && kind <= 3 ? bannerImages[kind - 1] : nullptr;
    if (picture)
        for (int y = 0; y < picture->height && 220 + y < h; ++y) {
            auto* row = reinterpret_cast<uint16_t*>(base + ptrdiff_t(220 + y) * desc.lPitch);
            for (int x = 0; x < picture->width && 240 + x < w; ++x) {
                const uint16_t p = picture->pixels[size_t(y) * picture->width + x];
                if (p != 0) row[240 + x] = p;
            }
        }
    back->Unlock(nullptr);
    PresentFrame();
    if (TheStoreHooks.drawMouseCursor) TheStoreHooks.drawMouseCursor();
}
