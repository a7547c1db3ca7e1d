#include "engine/SurfaceEffects.h"

#include "engine/LinkList.h"
#include "engine/PixelFormat.h"
#include "platform/Surface.h"
#include "world/Zu_SkillEffect.h"

#include <algorithm>

void TintBits(uint16_t colour, uint16_t* bits, int pitchBytes, int areaWidth, int areaHeight, int width,
              int height) {
    if (!bits || colour == 0) return;
    width = std::min(width, areaWidth);
    height = std::min(height, areaHeight);
    auto* base = reinterpret_cast<uint8_t*>(bits);
    for (int r = 0; r < height; ++r) {
        auto* row = reinterpret_cast<uint16_t*>(base + ptrdiff_t(r) * pitchBytes);
        for (int c = 0; c < width; ++c)
            row[c] = BlendPixel16(row[c], colour, 100);
    }
}

void TintSurface(uint16_t colour, platform::Surface* surface, int width, int height) {
    if (!surface) return;
    platform::DDSURFACEDESC2 desc;
    if (platform::FAILED(surface->Lock(nullptr, &desc, platform::DDLOCK_WAIT))) return;
    TintBits(colour, static_cast<uint16_t*>(desc.lpSurface), desc.lPitch, int(desc.dwWidth),
             int(desc.dwHeight), width, height);
    surface->Unlock(nullptr);
}

void StepEffectList(LinkList* list, ClipPollFunction poll) {
    if (!list) return;
    for (uintptr_t v = list->First(); v != 0; v = list->Next()) {
        auto* effect = reinterpret_cast<Zu_SkillEffect*>(v);
        effect->Advance();
        effect->UpdateAndDraw();
        bool finished = effect->state > 1;
        if (finished && effect->category == 2) finished = (poll ? poll(effect->clipSlot) : 0) == 0;
        if (finished) {
            // Removing steps the cursor back one node, so Next goes on with the following effect.
            list->RemoveCurrent();
            effect->list = nullptr;
            delete effect;
        }
    }
}

void DeleteEffects(LinkList* list) {
    if (!list) return;
    for (uintptr_t v = list->First(); v != 0; v = list->Next()) {
        auto* effect = reinterpret_cast<Zu_SkillEffect*>(v);
        effect->list = nullptr;
        delete effect;
    }
    list->RemoveAll();
}

int ClipRectPair(ClipRect& a, ClipRect& b) {
    if (a.right < b.left || b.right <= a.left || a.bottom < b.top || b.bottom <= a.top) return 0;
    const int32_t left = std::max(a.left, b.left);
    const int32_t right = std::min(a.right, b.right);
    const int32_t top = std::max(a.top, b.top);
    const int32_t bottom = std::min(a.bottom, b.bottom);
    if (left == right || top == bottom) return 0;
    const ClipRect oa = a, ob = b;
    a = {left - oa.left, top - oa.top, right - oa.left, bottom - oa.top};
    b = {left - ob.left, top - ob.top, right - ob.left, bottom - ob.top};
    return 1;
}

namespace {

constexpr uint16_t kMarkerColour = 0xFFE0;

bool MarkedKind(int32_t kind) {
    switch (kind) {
    case 10:
    case 16:
    case 17:
    case 18:
    case 46:
    case 53:
    case 57:
    case 60:
        return true;
    default:
        return false;
    }
}

} // namespace

std::vector<MapMarkerLabel> DrawMapMarkerOutlines(const MapMarkerView& v, uint16_t* bits, int pitchBytes,
                                                  int areaWidth, int areaHeight) {
    std::vector<MapMarkerLabel> labels;
    auto inView = [&](int32_t x, int32_t y) {
        return v.left <= x && x < v.right && v.top <= y && y < v.bottom;
    };
    auto* base = reinterpret_cast<uint8_t*>(bits);
    auto put = [&](int32_t x, int32_t y) {
        if (bits && x >= 0 && y >= 0 && x < areaWidth && y < areaHeight)
            reinterpret_cast<uint16_t*>(base + ptrdiff_t(y) * pitchBytes)[x] = kMarkerColour;
    };
    for (const StageObjectRecord& o : v.objects) {
        if (!MarkedKind(o.kind) || !(inView(o.x1, o.y1) || inView(o.x2, o.y2))) continue;
        const int32_t l = std::max(o.x1, v.left), t = std::max(o.y1, v.top);
        const int32_t r = std::min(o.x2, v.right), b = std::min(o.y2, v.bottom);
        const int32_t px1 = (l - v.originX) * 40, px2 = (r - v.originX) * 40;
        const int32_t py1 = (t - v.originY) * 10, py2 = (b - v.originY) * 10;
        if (px1 >= 0 && py1 >= 0 && px2 >= 0 && px2 < 800 && py2 >= 0 && py2 < 600) {
            if (px1 < px2)
                for (int32_t x = px1; x < px2; ++x) {
                    put(x, py1);
                    put(x, py2);
                }
            if (py1 < py2)
                for (int32_t y = py1; y < py2; ++y) {
                    put(px1, y);
                    put(px2, y);
                }
        }
        labels.push_back({o.name, (l - v.originX) * 40 + 16, (t - v.originY) * 10 + 16});
    }
    return labels;
}
