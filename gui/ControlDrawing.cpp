#include "gui/ControlDrawing.h"

#include "gui/GuiLayout.h"
#include "gui/GuiPanel.h"
#include "gui/MouseCursor.h"
#include "gui/Widget.h"
#include "platform/Surface.h"

#include <algorithm>

platform::Surface* DrawableImage(GuiImage** table, int n) {
    if (!table || n < 0 || n >= GuiLayout::kSlots || !table[n]) return nullptr;
    return table[n]->surface;
}

GuiImage* ParentBackground(Widget* control) {
    auto* panel = dynamic_cast<GuiPanel*>(control ? control->parent : nullptr);
    return panel ? panel->background : nullptr;
}

bool HoldsCapture(const Widget* widget) {
    return TheMouseCursor && TheMouseCursor->captured == widget;
}

void CaptureMouse(Widget* widget) {
    if (TheMouseCursor) TheMouseCursor->Capture(widget);
}

void ReleaseMouse() {
    if (TheMouseCursor) TheMouseCursor->ReleaseCapture();
}

bool CursorCarriesObject() {
    return TheMouseCursor && TheMouseCursor->dragPayload != 0;
}

int CursorY() {
    return TheMouseCursor ? TheMouseCursor->y : 0;
}

namespace {

// The parent's surface locked, or null; the caller unlocks through the parent.
uint8_t* LockParent(Widget* control, int& pitchBytes, int& width, int& height) {
    Widget* parent = control ? control->parent : nullptr;
    if (!parent || !parent->surface || !parent->LockSurface()) return nullptr;
    if (!parent->pixels) {
        parent->UnlockSurface();
        return nullptr;
    }
    pitchBytes = parent->lockDesc.lPitch;
    width = parent->surface->width();
    height = parent->surface->height();
    return reinterpret_cast<uint8_t*>(parent->pixels);
}

} // namespace

void BlitOntoParent(Widget* control, platform::Surface* picture) {
    if (!picture || !control->parent || !control->parent->surface) return;
    const Rect& r = control->rect;
    const platform::RECT src{0, 0, r.right - r.left, r.bottom - r.top};
    control->parent->surface->BltFast(r.left, r.top, picture, &src,
                                      platform::DDBLTFAST_SRCCOLORKEY | platform::DDBLTFAST_WAIT);
}

void EraseToParentBackground(Widget* control) {
    GuiImage* background = ParentBackground(control);
    if (!background || !background->surface || !control->parent->surface) return;
    const Rect& r = control->rect;
    const platform::RECT src{r.left, r.top, r.right, r.bottom};
    control->parent->surface->BltFast(r.left, r.top, background->surface, &src,
                                      platform::DDBLTFAST_NOCOLORKEY | platform::DDBLTFAST_WAIT);
}

void CopyPictureToParent(Widget* control, const uint16_t* pixels, int width, int height, int x, int y) {
    if (!pixels || width <= 0 || height <= 0) return;
    int pitch = 0, sw = 0, sh = 0;
    uint8_t* bytes = LockParent(control, pitch, sw, sh);
    if (!bytes) return;
    const int fromX = std::max(x, 0), toX = std::min(x + width, sw);
    for (int row = std::max(y, 0); row < std::min(y + height, sh) && fromX < toX; ++row) {
        auto* dst = reinterpret_cast<uint16_t*>(bytes + size_t(row) * size_t(pitch));
        const uint16_t* src = pixels + size_t(row - y) * size_t(width) + (fromX - x);
        std::copy(src, src + (toX - fromX), dst + fromX);
    }
    control->parent->UnlockSurface();
}

void RecolourParentArea(Widget* control, const Rect& area, uint16_t from, uint16_t to) {
    int pitch = 0, sw = 0, sh = 0;
    uint8_t* bytes = LockParent(control, pitch, sw, sh);
    if (!bytes) return;
    for (int row = std::max(area.top, 0); row < std::min(area.bottom, sh); ++row) {
        auto* line = reinterpret_cast<uint16_t*>(bytes + size_t(row) * size_t(pitch));
        for (int x = std::max(area.left, 0); x < std::min(area.right, sw); ++x)
            if (line[x] == from) line[x] = to;
    }
    control->parent->UnlockSurface();
}
