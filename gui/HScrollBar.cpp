#include "gui/HScrollBar.h"

#include "gui/ControlDrawing.h"
#include "gui/StorePicture.h"
#include "gui/Window.h"

#include <algorithm>
#include <vector>

HScrollBar::HScrollBar(Rect* r, Widget* p, Window* l, int addToParent, int newTotal, int newPage, int leftId,
                       int rightId, int trackPicture, int thumbPicture)
    : Control(r, p, l, 0), leftArrowId(leftId), rightArrowId(rightId), trackId(trackPicture),
      thumbId(thumbPicture) {
    JoinParent(addToParent);
    SetRange(newTotal, newPage);
}

void HScrollBar::SetRange(int newTotal, int newPage) {
    total = int16_t(newTotal);
    page = int16_t(newPage);
    position = 0;
    UpdateLayout();
    Draw();
}

void HScrollBar::UpdateLayout() {
    const int w = rect.right - rect.left;
    const int travel = Travel();
    const int maximum = Maximum();
    // Without travel or range the thumb rests against the left arrow.
    int thumbLeft = kArrow;
    if (travel > 0 && maximum > 0) thumbLeft += std::clamp(int(position), 0, maximum) * travel / maximum;
    parts[LeftArrow].Set(0, 0, kArrow, kArrow);
    parts[LeftTrack].Set(kArrow, 0, thumbLeft, kArrow);
    parts[Thumb].Set(thumbLeft, 0, thumbLeft + kThumb, kArrow);
    parts[RightTrack].Set(thumbLeft + kThumb, 0, std::max(thumbLeft + kThumb, w - kArrow), kArrow);
    parts[RightArrow].Set(w - kArrow, 0, w, kArrow);
}

void HScrollBar::DrawStorePicture(int id, int x, int width) {
    const StoreImage* image = (StorePicture && id > 0) ? StorePicture(id) : nullptr;
    if (!image || image->width <= 0 || image->height <= 0 ||
        image->pixels.size() < size_t(image->width) * size_t(image->height) || width <= 0)
        return;
    // The track picture repeats along the bar; the others are drawn once.
    const int h = image->height;
    std::vector<uint16_t> strip(size_t(width) * size_t(h));
    for (int y = 0; y < h; ++y)
        for (int i = 0; i < width; ++i)
            strip[size_t(y) * width + i] = image->pixels[size_t(y) * image->width + (i % image->width)];
    CopyPictureToParent(this, strip.data(), width, h, rect.left + x, rect.top);
}

void HScrollBar::Draw() {
    const int w = rect.right - rect.left;
    DrawStorePicture(trackId, kArrow, w - 2 * kArrow);
    DrawStorePicture(leftArrowId, 0, kArrow);
    DrawStorePicture(rightArrowId, w - kArrow, kArrow);
    if (Maximum() > 0) DrawStorePicture(thumbId, parts[Thumb].left, kThumb);
}

void HScrollBar::OnLeftButtonDown(Point* p) {
    if (pressed || !p) return;
    pressed = 1;
    CaptureMouse(this);
    const int x = p->x - rect.left, y = p->y - rect.top;
    const int maximum = Maximum();
    int hit = -1;
    for (int i = 0; i < 5 && hit < 0; ++i)
        if (parts[i].ContainsXY(x, y)) hit = i;
    switch (hit) {
    case LeftArrow:
        position = int16_t(std::max(position - 1, 0));
        break;
    case LeftTrack:
        position = int16_t(std::max(position - page, 0));
        break;
    case Thumb:
        thumbGrab = maximum > 0 && Travel() > 0;
        grabOffset = x - parts[Thumb].left;
        break;
    case RightTrack:
        position = int16_t(std::min(position + page, maximum));
        break;
    case RightArrow:
        position = int16_t(std::min(position + 1, maximum));
        break;
    default:
        break;
    }
    UpdateLayout();
    Draw();
    p->x = position;
    if (listener) listener->OnControlPress(this, p);
}

void HScrollBar::OnLeftButtonUp(Point*) {
    pressed = 0;
    thumbGrab = 0;
    ReleaseMouse();
}

void HScrollBar::OnMouseMove(Point* p) {
    const int travel = Travel(), maximum = Maximum();
    if (!pressed || !thumbGrab || !p || travel <= 0 || maximum <= 0) return;
    const int left = p->x - rect.left - grabOffset - kArrow;
    position = int16_t(std::clamp(left * maximum / travel, 0, maximum));
    UpdateLayout();
    Draw();
    p->x = position;
    if (listener) listener->OnControlHover(this, p);
}
