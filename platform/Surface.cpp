#include "platform/Surface.h"

#include "platform/DirectDraw.h"
#include "platform/PixelRows.h"
#include "platform/Present.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace platform {

DDPIXELFORMAT PixelFormatFor(int layout) {
    DDPIXELFORMAT f;
    f.dwSize = 32;
    f.dwFlags = DDPF_RGB;
    f.dwRGBBitCount = 16;
    if (layout == kLayout555) {
        f.dwRBitMask = 0x7C00;
        f.dwGBitMask = 0x03E0;
    } else {
        f.dwRBitMask = 0xF800;
        f.dwGBitMask = 0x07E0;
    }
    f.dwBBitMask = 0x001F;
    return f;
}

namespace {

bool RectInside(const RECT& r, int width, int height) {
    return r.left >= 0 && r.top >= 0 && r.right <= width && r.bottom <= height && r.left < r.right &&
           r.top < r.bottom;
}

RECT Whole(const Surface& s) {
    return RECT{0, 0, s.width(), s.height()};
}

} // namespace

Surface::Surface(int width, int height, int layout, int pitch, uint32_t caps)
    : width_(width), height_(height), layout_(layout == kLayout555 ? kLayout555 : kLayout565),
      pitch_(std::max(pitch, width * 2)), caps_(caps), data_(size_t(pitch_) * size_t(height), 0) {}

Surface::~Surface() {
    if (clipper_) clipper_->Release();
}

uint32_t Surface::AddRef() {
    std::lock_guard<std::mutex> g(mutex_);
    return ++refs_;
}

uint32_t Surface::Release() {
    uint32_t left;
    {
        std::lock_guard<std::mutex> g(mutex_);
        left = --refs_;
    }
    if (left == 0) delete this;
    return left;
}

HRESULT Surface::Acquire(bool wait) {
    std::unique_lock<std::mutex> g(mutex_);
    if (lost_) return DDERR_SURFACELOST;
    if (simulatedBusy_ > 0) {
        --simulatedBusy_;
        return DDERR_WASSTILLDRAWING;
    }
    while (busy_) {
        if (owner_ == std::this_thread::get_id()) {
            std::fprintf(stderr, "surface: a thread locked a surface it already holds\n");
            return DDERR_SURFACEBUSY;
        }
        if (!wait) return DDERR_WASSTILLDRAWING;
        released_.wait(g);
        if (lost_) return DDERR_SURFACELOST;
    }
    busy_ = true;
    owner_ = std::this_thread::get_id();
    return DD_OK;
}

void Surface::ReleaseAcquire() {
    {
        std::lock_guard<std::mutex> g(mutex_);
        busy_ = false;
        owner_ = std::thread::id();
    }
    released_.notify_all();
}

// Two surfaces are always taken in address order, so two threads blitting in opposite
// directions cannot hold one each and wait for the other.
HRESULT Surface::AcquirePair(Surface* a, Surface* b, bool wait) {
    if (a == b) return a->Acquire(wait);
    Surface* first = a < b ? a : b;
    Surface* second = a < b ? b : a;
    HRESULT r = first->Acquire(wait);
    if (FAILED(r)) return r;
    r = second->Acquire(wait);
    if (FAILED(r)) first->ReleaseAcquire();
    return r;
}

HRESULT Surface::Lock(const RECT* rect, DDSURFACEDESC2* desc, uint32_t flags, void*) {
    if (!desc) return DDERR_INVALIDPARAMS;
    RECT r = rect ? *rect : Whole(*this);
    if (!RectInside(r, width_, height_)) return DDERR_INVALIDRECT;
    HRESULT res = Acquire((flags & DDLOCK_WAIT) != 0);
    if (FAILED(res)) return res;
    {
        std::lock_guard<std::mutex> g(mutex_);
        lockedByUser_ = true;
    }
    desc->dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_LPSURFACE | DDSD_PIXELFORMAT | DDSD_CAPS;
    desc->dwWidth = uint32_t(r.right - r.left);
    desc->dwHeight = uint32_t(r.bottom - r.top);
    desc->lPitch = pitch_;
    desc->lpSurface = Row(r.top) + r.left;
    desc->ddpfPixelFormat = PixelFormatFor(layout_);
    desc->ddsCaps.dwCaps = caps_;
    desc->ddckCKSrcBlt = srcKey_;
    return DD_OK;
}

HRESULT Surface::Unlock(const RECT*) {
    {
        std::lock_guard<std::mutex> g(mutex_);
        if (!lockedByUser_ || dcOut_) return DDERR_NOTLOCKED;
        lockedByUser_ = false;
    }
    AfterWrite();
    ReleaseAcquire();
    return DD_OK;
}

HRESULT Surface::IsLost() {
    std::lock_guard<std::mutex> g(mutex_);
    return lost_ ? DDERR_SURFACELOST : DD_OK;
}

HRESULT Surface::Restore() {
    std::lock_guard<std::mutex> g(mutex_);
    lost_ = false;
    return DD_OK;
}

void Surface::SimulateLost() {
    {
        std::lock_guard<std::mutex> g(mutex_);
        lost_ = true;
    }
    released_.notify_all();
}

void Surface::SimulateBusy(int count) {
    std::lock_guard<std::mutex> g(mutex_);
    simulatedBusy_ = std::max(count, 0);
}

uint16_t Surface::PixelAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    uint16_t v;
    std::memcpy(&v, data_.data() + size_t(y) * size_t(pitch_) + size_t(x) * 2, 2);
    return v;
}

void Surface::AfterWrite() {
    if (isPrimary()) PresentSurface(*this);
}

HRESULT Surface::Blt(const RECT* dstRect, Surface* src, const RECT* srcRect, uint32_t flags, void*) {
    if (!src) return DDERR_INVALIDPARAMS;
    RECT d = dstRect ? *dstRect : Whole(*this);
    RECT s = srcRect ? *srcRect : Whole(*src);
    if (!RectInside(s, src->width_, src->height_)) return DDERR_INVALIDRECT;
    if (d.left >= d.right || d.top >= d.bottom) return DDERR_INVALIDRECT;
    // The visible part of the destination; a clipper cuts it to the surface, otherwise it must fit.
    if (clipper_ && isPrimary()) {
        int ox = 0, oy = 0;
        GetClientOrigin(&ox, &oy);
        d.left -= ox;
        d.right -= ox;
        d.top -= oy;
        d.bottom -= oy;
    }
    RECT vis = d;
    if (clipper_) {
        vis.left = std::max(d.left, 0);
        vis.top = std::max(d.top, 0);
        vis.right = std::min(d.right, width_);
        vis.bottom = std::min(d.bottom, height_);
        if (vis.left >= vis.right || vis.top >= vis.bottom) return DD_OK;
    } else if (!RectInside(d, width_, height_)) {
        return DDERR_INVALIDRECT;
    }
    HRESULT r = AcquirePair(this, src, (flags & DDBLT_WAIT) != 0);
    if (FAILED(r)) return r;

    KeyRange key;
    const bool keyed = (flags & DDBLT_KEYSRC) != 0 && KeyRangeOf(src->srcKey_, key);
    if (d.right - d.left == s.right - s.left && d.bottom - d.top == s.bottom - s.top)
        CopyRect(*src, s.left + vis.left - d.left, s.top + vis.top - d.top, vis, keyed ? &key : nullptr);
    else
        StretchRect(*src, s, d, vis, keyed ? &key : nullptr);
    AfterWrite();
    if (src != this) src->ReleaseAcquire();
    ReleaseAcquire();
    return DD_OK;
}

HRESULT Surface::BltFast(int32_t x, int32_t y, Surface* src, const RECT* srcRect, uint32_t flags) {
    if (!src) return DDERR_INVALIDPARAMS;
    RECT s = srcRect ? *srcRect : Whole(*src);
    if (!RectInside(s, src->width_, src->height_)) return DDERR_INVALIDRECT;
    const int w = s.right - s.left, h = s.bottom - s.top;
    RECT d{x, y, x + w, y + h};
    if (!RectInside(d, width_, height_)) return DDERR_INVALIDRECT;
    HRESULT r = AcquirePair(this, src, (flags & DDBLTFAST_WAIT) != 0);
    if (FAILED(r)) return r;
    KeyRange key;
    const bool keyed = (flags & DDBLTFAST_SRCCOLORKEY) != 0 && KeyRangeOf(src->srcKey_, key);
    CopyRect(*src, s.left, s.top, d, keyed ? &key : nullptr);
    AfterWrite();
    if (src != this) src->ReleaseAcquire();
    ReleaseAcquire();
    return DD_OK;
}

void Surface::CopyRect(const Surface& src, int sx, int sy, const RECT& to, const KeyRange* key) {
    const int w = to.right - to.left, h = to.bottom - to.top;
    auto srcRow = [&](int row) {
        return reinterpret_cast<const uint16_t*>(src.data_.data() + size_t(sy + row) * size_t(src.pitch_)) +
               sx;
    };
    auto dstRow = [&](int row) { return Row(to.top + row) + to.left; };
    if (&src == this && sy == to.top) {
        // Within one row of one surface the pixels go in the order that reads each source pixel
        // before it is overwritten.
        if (sx == to.left) return;
        for (int row = 0; row < h; ++row) {
            const uint16_t* in = srcRow(row);
            uint16_t* out = dstRow(row);
            if (!key)
                std::memmove(out, in, size_t(w) * 2);
            else if (sx > to.left)
                for (int i = 0; i < w; ++i) {
                    if (!key->IsKey(in[i])) out[i] = in[i];
                }
            else
                for (int i = w - 1; i >= 0; --i)
                    if (!key->IsKey(in[i])) out[i] = in[i];
        }
        return;
    }
    // Rows of a surface never share memory; within one surface, going away from the direction of
    // the move reads each source row before it is overwritten.
    const bool upward = &src == this && sy < to.top;
    for (int i = 0; i < h; ++i) {
        const int row = upward ? h - 1 - i : i;
        if (key)
            KeyedCopyRow(dstRow(row), srcRow(row), w, *key);
        else
            std::memcpy(dstRow(row), srcRow(row), size_t(w) * 2);
    }
}

void Surface::StretchRect(const Surface& src, const RECT& s, const RECT& d, const RECT& vis,
                          const KeyRange* key) {
    const int dw = d.right - d.left, dh = d.bottom - d.top;
    const int sw = s.right - s.left, sh = s.bottom - s.top;
    const uint8_t* srcBase = src.data_.data() + size_t(s.top) * size_t(src.pitch_) + size_t(s.left) * 2;
    size_t srcPitch = size_t(src.pitch_);
    if (&src == this) {
        // One surface: the source rectangle is staged first; the buffer is kept for the next one.
        thread_local std::vector<uint8_t> staged;
        srcPitch = size_t(sw) * 2;
        if (staged.size() < srcPitch * size_t(sh)) staged.resize(srcPitch * size_t(sh));
        for (int y = 0; y < sh; ++y)
            std::memcpy(staged.data() + size_t(y) * srcPitch, srcBase + size_t(y) * size_t(pitch_), srcPitch);
        srcBase = staged.data();
    }
    // The source column of x is (x - d.left) * sw / dw, stepped by whole and remainder parts.
    const int64_t first = int64_t(vis.left - d.left) * sw;
    const int firstColumn = int(first / dw), firstRest = int(first % dw);
    const int step = sw / dw, stepRest = sw % dw;
    for (int y = vis.top; y < vis.bottom; ++y) {
        const int sy = int((int64_t(y - d.top) * sh) / dh);
        const uint16_t* srow = reinterpret_cast<const uint16_t*>(srcBase + size_t(sy) * srcPitch);
        uint16_t* drow = Row(y);
        int column = firstColumn, rest = firstRest;
        for (int x = vis.left; x < vis.right; ++x) {
            const uint16_t p = srow[column];
            if (!key || !key->IsKey(p)) drow[x] = p;
            column += step;
            rest += stepRest;
            if (rest >= dw) {
                rest -= dw;
                ++column;
            }
        }
    }
}

HRESULT Surface::SetColorKey(uint32_t flags, const DDCOLORKEY* key) {
    if (!(flags & DDCKEY_SRCBLT)) return DDERR_INVALIDPARAMS;
    std::lock_guard<std::mutex> g(mutex_);
    if (key) {
        srcKey_ = *key;
        hasSrcKey_ = true;
    } else {
        srcKey_ = DDCOLORKEY{};
        hasSrcKey_ = false;
    }
    return DD_OK;
}

HRESULT Surface::GetColorKey(uint32_t flags, DDCOLORKEY* key) {
    if (!(flags & DDCKEY_SRCBLT) || !key) return DDERR_INVALIDPARAMS;
    std::lock_guard<std::mutex> g(mutex_);
    if (!hasSrcKey_) return DDERR_NOTFOUND;
    *key = srcKey_;
    return DD_OK;
}

HRESULT Surface::GetPixelFormat(DDPIXELFORMAT* format) {
    if (!format) return DDERR_INVALIDPARAMS;
    *format = PixelFormatFor(layout_);
    return DD_OK;
}

HRESULT Surface::GetSurfaceDesc(DDSURFACEDESC2* desc) {
    if (!desc) return DDERR_INVALIDPARAMS;
    desc->dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_CAPS;
    desc->dwWidth = uint32_t(width_);
    desc->dwHeight = uint32_t(height_);
    desc->lPitch = pitch_;
    desc->lpSurface = nullptr;
    desc->ddpfPixelFormat = PixelFormatFor(layout_);
    desc->ddsCaps.dwCaps = caps_;
    std::lock_guard<std::mutex> g(mutex_);
    desc->ddckCKSrcBlt = srcKey_;
    return DD_OK;
}

HRESULT Surface::SetClipper(Clipper* clipper) {
    if (clipper) clipper->AddRef();
    Clipper* old;
    {
        std::lock_guard<std::mutex> g(mutex_);
        old = clipper_;
        clipper_ = clipper;
    }
    if (old) old->Release();
    return DD_OK;
}

HRESULT Surface::GetClipper(Clipper** clipper) {
    if (!clipper) return DDERR_INVALIDPARAMS;
    std::lock_guard<std::mutex> g(mutex_);
    if (!clipper_) return DDERR_NOTFOUND;
    *clipper = clipper_;
    return DD_OK;
}

HRESULT Surface::GetDC(HDC* dc) {
    if (!dc) return DDERR_INVALIDPARAMS;
    HRESULT r = Acquire(true);
    if (FAILED(r)) return r;
    std::lock_guard<std::mutex> g(mutex_);
    dcOut_ = true;
    dc_ = DeviceContext{};
    dc_.surface = this;
    dc_.bits = Row(0);
    dc_.pitch = pitch_;
    dc_.width = width_;
    dc_.height = height_;
    dc_.format = PixelFormatFor(layout_);
    *dc = &dc_;
    return DD_OK;
}

HRESULT Surface::ReleaseDC(HDC dc) {
    {
        std::lock_guard<std::mutex> g(mutex_);
        if (!dcOut_ || dc != &dc_) return DDERR_NODC;
        dcOut_ = false;
    }
    AfterWrite();
    ReleaseAcquire();
    return DD_OK;
}

} // namespace platform
