#include "engine/ToolsDisplay.h"

#include "engine/DisplayDevice.h"
#include "engine/PixelFormat.h"
#include "engine/RomPicture.h"
#include "engine/Tools.h"
#include "platform/GdiText.h"
#include "platform/Surface.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint16_t kFileTransparent = 0x07E0;

} // namespace

void Zu_Tools::TextOutRight(platform::Surface* surface, platform::Font* font, uint32_t colour, int32_t rightX,
                            int32_t y, const char* text) {
    platform::HDC dc = nullptr;
    if (!surface || !text || platform::FAILED(surface->GetDC(&dc))) return;
    platform::HGDIOBJ old = font ? platform::SelectObject(dc, font) : nullptr;
    platform::SetTextColor(dc, colour);
    platform::SetBkMode(dc, platform::TRANSPARENT);
    const int n = static_cast<int>(std::strlen(text));
    platform::SIZE size;
    platform::GetTextExtentPoint32A(dc, text, n, &size);
    platform::TextOutA(dc, rightX - size.cx, y, text, n);
    if (old) platform::SelectObject(dc, old);
    surface->ReleaseDC(dc);
}

platform::Surface* LoadRomSurface(Zu_Archive& archive, int index) {
    RomPicture picture;
    if (!ReadRomPicture(archive, index, picture)) return nullptr;
    platform::Surface* surface = CreateOffscreenSurface(picture.width, picture.height);
    if (!surface) return nullptr;
    platform::DDSURFACEDESC2 desc;
    if (platform::FAILED(surface->Lock(nullptr, &desc, platform::DDLOCK_WAIT))) {
        surface->Release();
        return nullptr;
    }
    const bool layout555 = PixelFormat == platform::kLayout555;
    auto* dest = static_cast<uint8_t*>(desc.lpSurface);
    ReadRomPictureRows(archive, index, picture, dest, desc.lPitch, layout555 ? 1 : 0, 0);
    if (!layout555) {
        // The file's transparent green is drawn as the key colour in 5-6-5 too.
        for (int y = 0; y < picture.height; ++y) {
            auto* row = reinterpret_cast<uint16_t*>(dest + static_cast<ptrdiff_t>(y) * desc.lPitch);
            for (int x = 0; x < picture.width; ++x)
                if (row[x] == kFileTransparent) row[x] = 0;
        }
    }
    surface->Unlock(nullptr);
    return surface;
}

platform::Surface* Zu_Tools::LoadRomSurface(Zu_Archive& archive, int index) {
    return ::LoadRomSurface(archive, index);
}

Zu_Tools::TextOutline Zu_Tools::ScanTextOutline(platform::Font* font, const char* text) {
    TextOutline outline;
    if (!text) return outline;
    platform::Surface* scratch = CreateOffscreenSurface(300, 200);
    if (!scratch) return outline;
    platform::DDSURFACEDESC2 desc;
    if (platform::SUCCEEDED(scratch->Lock(nullptr, &desc, platform::DDLOCK_WAIT))) {
        for (uint32_t y = 0; y < desc.dwHeight; ++y)
            std::memset(static_cast<uint8_t*>(desc.lpSurface) + size_t(y) * desc.lPitch, 0,
                        size_t(desc.dwWidth) * 2);
        scratch->Unlock(nullptr);
    }
    platform::HDC dc = nullptr;
    if (platform::SUCCEEDED(scratch->GetDC(&dc))) {
        platform::HGDIOBJ old = font ? platform::SelectObject(dc, font) : nullptr;
        platform::SetTextColor(dc, platform::RGB(255, 255, 255));
        platform::SetBkMode(dc, platform::TRANSPARENT);
        platform::TextOutA(dc, 0, 0, text, static_cast<int>(std::strlen(text)));
        if (old) platform::SelectObject(dc, old);
        scratch->ReleaseDC(dc);
    }
    if (platform::SUCCEEDED(scratch->Lock(nullptr, &desc, platform::DDLOCK_WAIT))) {
        bool any = false;
        for (int32_t y = 0; y < int32_t(desc.dwHeight); ++y) {
            const auto* row = reinterpret_cast<const uint16_t*>(static_cast<const uint8_t*>(desc.lpSurface) +
                                                                size_t(y) * desc.lPitch);
            for (int32_t x = 0; x < int32_t(desc.dwWidth); ++x) {
                if (row[x] == 0) continue;
                if (!any) outline = {x, y, x + 1, y + 1};
                any = true;
                outline.left = std::min(outline.left, x);
                outline.right = std::max(outline.right, x + 1);
                outline.bottom = y + 1;
            }
        }
        scratch->Unlock(nullptr);
    }
    scratch->Release();
    return outline;
}
