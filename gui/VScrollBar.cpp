#include "gui/VScrollBar.h"

#include "engine/DisplayDevice.h"
#include "engine/PixelFormat.h"
#include "gui/ControlDrawing.h"
#include "gui/GuiLayout.h"
#include "gui/Window.h"
#include "platform/Surface.h"

#include <algorithm>

namespace {

constexpr int kLockTries = 10000;

// Fills a new thumb surface with the thumb colour; the thumb keeps its size when this fails.
platform::Surface* MakeThumbSurface(int width, int height) {
    platform::Surface* surface = CreateOffscreenSurface(width, height);
    if (!surface) return nullptr;
    platform::DDSURFACEDESC2 desc;
    platform::HRESULT hr = platform::DDERR_WASSTILLDRAWING;
    for (int i = 0; i < kLockTries && hr == platform::DDERR_WASSTILLDRAWING; ++i)
        hr = surface->Lock(nullptr, &desc, platform::DDLOCK_WAIT);
    if (platform::FAILED(hr)) return surface;
    const uint16_t colour =
        PixelFormat == 555 ? ConvertPixel565To555(VScrollBar::kThumbColour) : VScrollBar::kThumbColour;
    for (int y = 0; y < height; ++y) {
        auto* row =
            reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(desc.lpSurface) + size_t(y) * desc.lPitch);
        std::fill(row, row + width, colour);
    }
    surface->Unlock(nullptr);
    return surface;
}

} // namespace

VScrollBar::VScrollBar(GuiImage* trackRecord, Rect* r, Widget* p, Window* l, int addToParent, int, int total,
                       int newPage, int newStep)
    : Control(r, p, l, 0), track(trackRecord) {
    if (track) {
        trackWidth = track->width;
        trackHeight = track->height;
    }
    JoinParent(addToParent);
    SetRange(total, newPage, newStep);
}

VScrollBar::~VScrollBar() {
    FreeThumb();
}

void VScrollBar::FreeThumb() {
    if (!thumb) return;
    if (thumb->surface) thumb->surface->Release();
    delete thumb;
    thumb = nullptr;
}

void VScrollBar::SetRange(int total, int newPage, int newStep) {
    page = int16_t(newPage);
    step = int16_t(newStep);
    FreeThumb();
    maximum = 0;
    // An empty range, or a thumb that would fill the whole track, leaves nothing to drag.
    const int height = total > 0 ? int(trackHeight) * page / total : 0;
    if (page < total && total > 0 && trackHeight - height > 0) {
        thumb = new GuiImage;
        thumb->width = int16_t(trackWidth - 2);
        thumb->height = int16_t(height);
        if (thumb->width > 0 && thumb->height > 0)
            thumb->surface = MakeThumbSurface(thumb->width, thumb->height);
        thumbHeight = int16_t(height);
        maximum = int16_t(total - page);
    }
    thumbTop = 0;
    position = 0;
    UpdateLayout();
    Draw();
}

void VScrollBar::StepForward() {
    if (position >= maximum) return;
    position = int16_t(std::min(position + step, int(maximum)));
    UpdateLayout();
    Draw();
}

void VScrollBar::StepBack() {
    if (position <= 0) return;
    position = int16_t(std::max(position - step, 0));
    UpdateLayout();
    Draw();
}

void VScrollBar::SetPosition(int16_t newPosition) {
    if (position >= maximum) return;
    position = newPosition;
    UpdateLayout();
    Draw();
}

void VScrollBar::UpdateLayout() {
    if (maximum == 0) return;
    const int travel = trackHeight - thumbHeight;
    int top = position * travel / maximum;
    if (top < 0) top = 0;
    if (top + thumbHeight >= trackHeight) top = trackHeight - thumbHeight;
    thumbTop = int16_t(top);
    thumbBottom = int16_t(thumbTop + thumbHeight);
    parts[0].Set(0, 0, trackWidth, thumbTop);
    parts[1].Set(0, thumbTop, trackWidth, thumbBottom);
    parts[2].Set(0, thumbBottom, trackWidth, trackHeight);
}

void VScrollBar::Draw() {
    if (!parent || !parent->surface) return;
    if (track && track->surface) {
        const platform::RECT src{0, 0, track->width, track->height};
        parent->surface->BltFast(rect.left, rect.top, track->surface, &src,
                                 platform::DDBLTFAST_NOCOLORKEY | platform::DDBLTFAST_WAIT);
    }
    if (thumb && thumb->surface) {
        const platform::RECT src{0, 0, thumb->width, thumb->height};
        parent->surface->BltFast(rect.left, rect.top + thumbTop, thumb->surface, &src,
                                 platform::DDBLTFAST_NOCOLORKEY | platform::DDBLTFAST_WAIT);
    }
}

void VScrollBar::Disable() {
    enabled = 0;
    if (HoldsCapture(this)) {
        pressed = 0;
        ReleaseMouse();
    }
}

void VScrollBar::OnLeftButtonDown(Point* p) {
    if (pressed || !p) return;
    pressed = 1;
    CaptureMouse(this);
    const int x = p->x - rect.left;
    const int y = p->y - rect.top;
    int hit = -1;
    for (int i = 0; i < 3 && hit < 0; ++i)
        if (parts[i].ContainsXY(x, y)) hit = i;
    if (hit == 0) {
        if (position != 0) {
            position = int16_t(std::max(position - page, 0));
            UpdateLayout();
        }
    } else if (hit == 1) {
        thumbGrab = 1;
        dragAnchor = int16_t(CursorY());
    } else if (hit == 2) {
        position = int16_t(std::min(position + page, int(maximum)));
        UpdateLayout();
    }
    Draw();
    if (hit == 1) return;
    p->x = position;
    if (listener) listener->OnControlPress(this, p);
}

void VScrollBar::OnLeftButtonUp(Point*) {
    if (!pressed) return;
    pressed = 0;
    thumbGrab = 0;
    ReleaseMouse();
    Draw();
}

void VScrollBar::OnMouseMove(Point* p) {
    if (maximum == 0 || !pressed || !thumbGrab || !p) return;
    const int travel = trackHeight - thumbHeight;
    if (travel <= 0) return;
    const int y = CursorY();
    p->y = y;
    if (y > dragAnchor) {
        const int delta = maximum * (y - dragAnchor) / travel;
        if (delta > 0) dragAnchor = int16_t(y);
        position = int16_t(std::min(position + delta * step, int(maximum)));
    } else {
        const int delta = maximum * (dragAnchor - y) / travel;
        if (delta > 0) dragAnchor = int16_t(y);
        position = int16_t(std::max(position - delta * step, 0));
    }
    UpdateLayout();
    Draw();
    p->x = position;
    if (listener) listener->OnControlHover(this, p);
}
