#include "gui/FrameAnimation.h"

#include "engine/DisplayDevice.h"
#include "engine/PixelFormat.h"
#include "records/StageEditor.h"

#include <algorithm>

namespace {
bool HalfSizeView() {
    return TheStageEditor && TheStageEditor->halfSizeView;
}
} // namespace

FrameAnimControl::FrameAnimControl() {
    derivedWord1 = 0;
    derivedWord2 = 0;
    frames = nullptr;
    frame = nullptr;
    frameCount = 0;
    currentFrame = 0;
    derivedFlag = 0;
}

FrameAnimControl::~FrameAnimControl() {
    while (frames) {
        FrameLink* next = frames->next;
        delete frames;
        frames = next;
    }
    DestroyDerived();
}

int FrameAnimControl::AddFrame(FrameRecord* f) {
    auto* link = new FrameLink{nullptr, f};
    FrameLink** tail = &frames;
    while (*tail)
        tail = &(*tail)->next;
    *tail = link;
    if (f) f->packed = 0;
    ++frameCount;
    return 1;
}

int FrameAnimControl::Start(int first, int last) {
    firstFrame = static_cast<uint8_t>(first);
    lastFrame = static_cast<uint8_t>(last);
    currentFrame = 0;
    SelectFrame(first, first);
    return 1;
}

void FrameAnimControl::Tick() {
    if (stepDelay == 0) return;
    if (--stepDelayCounter == 0) {
        stepDelayCounter = stepDelay;
        Advance();
    }
}

int FrameAnimControl::SelectFrame(int, int n) {
    if (n == currentFrame) return 1;
    if (n <= 0) return 0;
    FrameLink* link = frames;
    for (int i = 1; link && i < n; ++i)
        link = link->next;
    if (!link) return 0;
    currentFrame = static_cast<uint8_t>(n);
    frame = link->frame;
    return 1;
}

void FrameAnimControl::Step() {
    if (currentFrame == lastFrame)
        SelectFrame(currentFrame, firstFrame);
    else
        SelectFrame(currentFrame, currentFrame + 1);
}

bool FrameAnimControl::ComputeDrawBlit(int viewX, int viewY, FrameBlit& out) {
    if (!frame) return false;
    int x = posX - viewX * 40 + frame->offsetX;
    int y = posY - viewY * 10 + frame->offsetY;
    const int left = posX + frame->offsetX;
    const int top = posY + frame->offsetY;
    bounds[0] = static_cast<int16_t>(left);
    bounds[1] = static_cast<int16_t>(top);
    bounds[2] = static_cast<int16_t>(left + frame->frameWidth);
    bounds[3] = static_cast<int16_t>(top + frame->frameHeight);
    int w = frame->frameWidth;
    int h = frame->frameHeight;
    int sx = 0, sy = 0;
    if (x < 0) {
        sx = -x;
        w += x;
        x = 0;
    }
    if (y < 0) {
        sy = -y;
        h += y;
        y = 0;
    }
    if (x + w > 799) w = 800 - x;
    if (y + h > 599) h = 600 - y;
    if (w <= 0 || h <= 0) return false;
    out = FrameBlit{sx, sy, x, y, w, h};
    return true;
}

void FrameAnimControl::Draw(int viewX, int viewY) {
    FrameBlit b;
    if (!ComputeDrawBlit(viewX, viewY, b)) return;
    platform::Surface* back = GetBackSurface();
    if (!back || !frameSurface) return;
    const platform::RECT src{b.srcX, b.srcY, b.srcX + b.width, b.srcY + b.height};
    platform::RECT dst{b.dstX, b.dstY, b.dstX + b.width, b.dstY + b.height};
    if (HalfSizeView())
        dst = platform::RECT{b.dstX / 2, b.dstY / 2, b.dstX / 2 + b.width / 2, b.dstY / 2 + b.height / 2};
    back->Blt(&dst, frameSurface, &src, platform::DDBLT_WAIT | platform::DDBLT_KEYSRC);
}

int FrameAnimControl::DrawToBuffer(int viewX, int viewY, uint16_t* pixels, int pitch) {
    if (!frame || !pixels || frame->frameWidth <= 0 || frame->frameHeight <= 0) return 0;
    const size_t frameBytes = static_cast<size_t>(frame->frameWidth) * frame->frameHeight;
    if (frame->packed != 1 && frame->dataSize < frameBytes) return 0;
    const int left = posX - frame->offsetX;
    const int top = posY - frame->offsetY;
    const int right = left + frame->frameWidth;
    const int bottom = top + frame->frameHeight;
    const int viewLeft = viewX * 40, viewTop = viewY * 10;
    const int viewRight = viewLeft + 800, viewBottom = viewTop + 560;
    if (!(right > viewLeft && left < viewRight && bottom > viewTop && top < viewBottom)) return 0;
    const int x0 = std::max(left, viewLeft), x1 = std::min(right, viewRight);
    const int y0 = std::max(top, viewTop), y1 = std::min(bottom, viewBottom);

    uint8_t* saved = frame->data;
    uint8_t* unpacked = nullptr;
    if (frame->packed == 1) {
        unpacked = UnpackFrame(*frame);
        if (!unpacked) return 0;
        frame->data = unpacked;
    }
    if (frame->data) {
        for (int y = y0; y < y1; ++y) {
            const uint8_t* src = frame->data + static_cast<size_t>(y - top) * frame->frameWidth;
            uint16_t* dst = pixels + static_cast<size_t>(y - viewTop) * pitch;
            for (int x = x0; x < x1; ++x) {
                const uint8_t i = src[x - left];
                if (i) dst[x - viewLeft] = Palette16[i];
            }
        }
    }
    frame->data = saved;
    delete[] unpacked;
    return 1;
}
