#include "gui/ImageButton.h"

#include "gui/ControlDrawing.h"
#include "gui/MouseCursor.h"
#include "gui/StorePicture.h"
#include "gui/Window.h"
#include "platform/Surface.h"

#include <algorithm>

namespace {

ImageButton::Picture FromStore(int id) {
    const StoreImage* image = StorePicture ? StorePicture(id) : nullptr;
    if (!image || image->width <= 0 || image->height <= 0 ||
        image->pixels.size() < size_t(image->width) * size_t(image->height))
        return {};
    return {image->width, image->height, image->pixels.data()};
}

} // namespace

ImageButton::ImageButton(int normalId, int pressedId, int buttonFlags, Rect* r, Widget* p, Window* l,
                         int addToParent)
    : Control(r, p, l, 0), flags(buttonFlags) {
    if (flags == 99)
        drawPitch = 240;
    else if (parent && parent->surface)
        drawPitch = parent->surface->pitch() / 2;
    else if (parent)
        drawPitch = parent->rect.right - parent->rect.left;
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (normalId > 0 && normalId < kSnapshot) {
        normal = FromStore(normalId);
    } else if (normalId == kSnapshot) {
        // What the parent shows under the button now.
        Own(w, h);
        if (normal.pixels && parent && parent->surface && parent->LockSurface()) {
            auto* out = const_cast<uint16_t*>(normal.pixels);
            const auto* bytes = reinterpret_cast<const uint8_t*>(parent->pixels);
            for (int y = 0; y < h && bytes; ++y)
                for (int x = 0; x < w; ++x) {
                    const int sx = rect.left + x, sy = rect.top + y;
                    if (sx >= 0 && sy >= 0 && sx < parent->surface->width() && sy < parent->surface->height())
                        out[y * w + x] = reinterpret_cast<const uint16_t*>(
                            bytes + size_t(sy) * parent->lockDesc.lPitch)[sx];
                }
            parent->UnlockSurface();
        }
    } else if (normalId > kSnapshot) {
        // The button's own area of a larger store picture.
        const Picture source = FromStore(normalId - kSnapshot);
        Own(w, h);
        if (normal.pixels && source.pixels) {
            auto* out = const_cast<uint16_t*>(normal.pixels);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const int sx = rect.left + x, sy = rect.top + y;
                    if (sx >= 0 && sy >= 0 && sx < source.width && sy < source.height)
                        out[y * w + x] = source.pixels[size_t(sy) * source.width + sx];
                }
        }
    }
    if (pressedId > 0) pressedPicture = FromStore(pressedId);
    JoinParent(addToParent);
}

ImageButton::~ImageButton() {
    if (block) {
        platform::GlobalUnlock(block);
        platform::GlobalFree(block);
    }
}

void ImageButton::Own(int width, int height) {
    if (width <= 0 || height <= 0) return;
    block = platform::GlobalAlloc(platform::GHND, size_t(width) * size_t(height) * 2);
    auto* pixels = static_cast<uint16_t*>(platform::GlobalLock(block));
    if (!pixels) {
        platform::GlobalFree(block);
        block = nullptr;
        return;
    }
    normal = {width, height, pixels};
    ownsNormal = 1;
}

void ImageButton::DrawPicture(const Picture& picture) {
    CopyPictureToParent(this, picture.pixels, picture.width, picture.height, rect.left, rect.top);
}

void ImageButton::Draw() {
    DrawPicture(normal);
}

void ImageButton::DrawPressed() {
    DrawPicture(pressedPicture);
}

void ImageButton::DrawNormal(int id) {
    DrawPicture(FromStore(id));
    enabled = 0;
    if (HoldsCapture(this)) ReleaseMouse();
}

void ImageButton::DrawEnabled() {
    enabled = 1;
    Draw();
}

void ImageButton::OnLeftButtonDown(Point* p) {
    pressed = 1;
    DrawPressed();
    CaptureMouse(this);
    if (listener) listener->OnControlPress(this, p);
}

void ImageButton::OnLeftButtonUp(Point* p) {
    if (!pressed) {
        if (listener) listener->OnControlClick(this, p);
        if (TheMouseCursor) TheMouseCursor->ClearImage();
        return;
    }
    pressed = 0;
    if (flags != 0 && flags != 100) Draw();
    if (p && rect.Contains(*p) && listener) listener->OnControlClick(this, p);
}

void ImageButton::OnMouseMove(Point* p) {
    if (!hover) {
        hover = 1;
        CaptureMouse(this);
        if (listener) {
            listener->OnControlEnter(this);
            listener->OnControlHover(this, p);
        }
        return;
    }
    if (p && rect.Contains(*p)) return;
    hover = 0;
    ReleaseMouse();
}

void ImageButton::OnRightButtonDown(Point* p) {
    if (listener) listener->OnControlRightPress(this, p);
}

void ImageButton::OnRightButtonUp(Point* p) {
    if (listener) listener->OnControlRightClick(this, p);
}
