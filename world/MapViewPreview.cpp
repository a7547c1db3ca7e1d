#include "world/MapView.h"

#include "Program/GameController.h"
#include "engine/AniFrame.h"
#include "engine/DisplayDevice.h"
#include "engine/PixelFormat.h"
#include "engine/ResourceStore.h"
#include "platform/Surface.h"
#include "world/SurfaceLock.h"

#include <algorithm>
#include <cstdlib>

void MapView::DrawFootprintTint(int32_t amount, uint16_t colour, int32_t p, int32_t n,
                                platform::Surface* surface) {
    if (p < 1 || n < 1) return;
    const int32_t w = p * 40, h = p * 20, hw = w / 2, hh = p * 10;
    const GameController* c = TheGameController;
    const int32_t mouseX = c ? c->mouseX : 0, mouseY = c ? c->mouseY : 0;
    const int32_t px = mouseX + viewX * 40;
    const int32_t py = mouseY + viewY * 10 + (p % 2 == 0 ? 10 : 0);
    int32_t bx = px / w * w, by = py / h * h;
    const int32_t rx = px % w, ry = py % h;
    if (rx >= hw && ry < hh) {
        if (2 * ry < rx - hw) bx += hw, by -= hh;
    } else if (rx < hw && ry < hh) {
        if (rx < 2 * (hh - ry)) bx -= hw, by -= hh;
    } else if (rx < hw) {
        if (2 * (hw - ry) < hw - rx) bx -= hw, by += hh;
    } else {
        if (2 * (hw - ry) < rx - hw) bx += hw, by += hh;
    }
    placementCellX = (hw + bx) / 40;
    if (p % 2 == 0) {
        placementCellY = by / 10;
        by -= 10;
    } else {
        placementCellY = (by + 10) / 10;
    }
    if (n != p) bx -= std::abs(n - p) * 20;
    const int32_t tx = bx - viewX * 40, ty = by - viewY * 10;
    previewX = tx;
    previewY = ty - 80;

    platform::DDSURFACEDESC2 desc;
    if (!LockMapSurface(surface, desc)) return;
    auto* pixels = static_cast<uint16_t*>(desc.lpSurface);
    const int32_t pitch = desc.lPitch / 2;
    const int32_t width = std::min<int32_t>(int32_t(desc.dwWidth), 800);
    const int32_t height = std::min<int32_t>(int32_t(desc.dwHeight), 560);
    const int32_t rows = n * 20, middle = n * 10;
    int32_t start = n * 20 - 1, count = 2;
    for (int32_t i = 0; i < rows; ++i) {
        const int32_t y = ty + i;
        if (y >= 0 && y < height)
            for (int32_t k = 0; k < count; ++k) {
                const int32_t x = tx + start + k;
                if (x < 0 || x >= width) continue;
                uint16_t& d = pixels[y * pitch + x];
                d = BlendPixel16(d, colour, amount);
            }
        if (i < middle) {
            count += 4;
            start -= 2;
        } else if (i > middle) {
            count -= 4;
            start += 2;
        }
    }
    surface->Unlock(nullptr);
}

void MapView::DrawConstructPreview(bool allowed) {
    const AniFrame* image = constructImage;
    platform::Surface* back = GetBackSurface();
    if (!image || !image->pixels || !back) return;
    platform::DDSURFACEDESC2 desc;
    if (!LockMapSurface(back, desc)) return;
    auto* pixels = static_cast<uint16_t*>(desc.lpSurface);
    const int32_t pitch = desc.lPitch / 2;
    const int32_t width = std::min<int32_t>(int32_t(desc.dwWidth), 800);
    const int32_t height = std::min<int32_t>(int32_t(desc.dwHeight), 560);
    const uint16_t red = PackRgb16(255, 0, 0);
    for (int32_t r = 0; r < image->height; ++r) {
        const int32_t y = previewY + r;
        if (y < 0 || y >= height) continue;
        for (int32_t k = 0; k < image->width; ++k) {
            const int32_t x = previewX + k;
            const uint16_t s = image->pixels[r * image->width + k];
            if (x < 0 || x >= width || s == 0) continue;
            pixels[y * pitch + x] = allowed ? s : BlendPixel16(s, red, 90);
        }
    }
    back->Unlock(nullptr);
}

void MapView::LoadConstructAnimation() {
    FreeAniFrame(constructImage);
    constructImage =
        TheResourceStore ? TheResourceStore->LoadAniFrame("construct.ani", buildingKind) : nullptr;
}
