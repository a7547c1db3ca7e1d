// The blits' row loops against the plainest per-pixel copy: random rectangles, pitches, key
// ranges and pixel values, between two surfaces and within one.
#include "platform/DirectDraw.h"
#include "platform/Surface.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

using namespace platform;

namespace {

struct SurfaceRef {
    Surface* s;
    SurfaceRef(int w, int h, int pitch) : s(new Surface(w, h, kLayout565, pitch, DDSCAPS_OFFSCREENPLAIN)) {}
    ~SurfaceRef() { s->Release(); }
    Surface* operator->() const { return s; }
    operator Surface*() const { return s; }
};

// What a surface holds, x + y * width.
std::vector<uint16_t> Snapshot(Surface* s) {
    std::vector<uint16_t> v;
    for (int y = 0; y < s->height(); ++y)
        for (int x = 0; x < s->width(); ++x)
            v.push_back(s->PixelAt(x, y));
    return v;
}

// Mostly a few small values, so that narrow key ranges catch runs of them, and some of any value.
void FillRandom(Surface* s, std::mt19937& rng) {
    DDSURFACEDESC2 d;
    ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT), DD_OK);
    for (uint32_t y = 0; y < d.dwHeight; ++y) {
        auto* row = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch);
        for (uint32_t x = 0; x < d.dwWidth; ++x)
            row[x] = rng() % 3 == 0 ? uint16_t(rng()) : uint16_t(rng() % 6);
    }
    ASSERT_EQ(s->Unlock(nullptr), DD_OK);
}

struct Key {
    uint32_t lo, hi;
};
// Single values, ranges, a range reaching past 16 bits, an inverted one and one above 16 bits.
const Key kKeys[] = {{0, 0}, {3, 3}, {1, 4}, {0xFFF0, 0x1FFFF}, {5, 2}, {0x10000, 0x10005}, {0, 0xFFFF}};

bool KeyHides(const Key& k, uint16_t p) {
    return p >= k.lo && p <= k.hi;
}

RECT RandomRect(std::mt19937& rng, int w, int h) {
    const int l = int(rng() % unsigned(w)), t = int(rng() % unsigned(h));
    const int r = l + 1 + int(rng() % unsigned(w - l)), b = t + 1 + int(rng() % unsigned(h - t));
    return RECT{l, t, r, b};
}

} // namespace

TEST(SurfaceBlitReferenceTest, BltFastMatchesPerPixelCopy) {
    std::mt19937 rng(7);
    for (int round = 0; round < 400; ++round) {
        const bool same = round % 3 == 0;
        const int w = 1 + int(rng() % 40), h = 1 + int(rng() % 6);
        const int pitch = (w + int(rng() % 5)) * 2;
        SurfaceRef dst(w, h, pitch);
        SurfaceRef other(1 + int(rng() % 40), 1 + int(rng() % 6), 0);
        Surface* src = same ? dst.s : other.s;
        FillRandom(dst, rng);
        FillRandom(other, rng);
        const Key& key = kKeys[rng() % std::size(kKeys)];
        const DDCOLORKEY ck{key.lo, key.hi};
        ASSERT_EQ(src->SetColorKey(DDCKEY_SRCBLT, &ck), DD_OK);
        const bool keyed = rng() % 4 != 0;
        // A source no larger than the destination, put anywhere it fits.
        RECT from = RandomRect(rng, src->width(), src->height());
        from.right = std::min<int32_t>(from.right, from.left + w);
        from.bottom = std::min<int32_t>(from.bottom, from.top + h);
        const int fw = from.right - from.left, fh = from.bottom - from.top;
        const int x = int(rng() % unsigned(w - fw + 1)), y = int(rng() % unsigned(h - fh + 1));
        SCOPED_TRACE("round " + std::to_string(round));

        const std::vector<uint16_t> before = Snapshot(dst), source = Snapshot(src);
        ASSERT_EQ(dst->BltFast(x, y, src, &from, keyed ? DDBLTFAST_SRCCOLORKEY : DDBLTFAST_NOCOLORKEY),
                  DD_OK);
        std::vector<uint16_t> want = before;
        for (int j = 0; j < fh; ++j)
            for (int i = 0; i < fw; ++i) {
                const uint16_t p = source[size_t(from.left + i + (from.top + j) * src->width())];
                if (!(keyed && KeyHides(key, p))) want[size_t(x + i + (y + j) * w)] = p;
            }
        ASSERT_EQ(Snapshot(dst), want);
    }
}

TEST(SurfaceBlitReferenceTest, BltMatchesNearestPixelStretchWithClipper) {
    DirectDraw* dd = nullptr;
    ASSERT_EQ(DirectDrawCreateEx(nullptr, &dd, nullptr, nullptr), DD_OK);
    Clipper* clipper = nullptr;
    ASSERT_EQ(dd->CreateClipper(0, &clipper, nullptr), DD_OK);
    std::mt19937 rng(11);
    for (int round = 0; round < 400; ++round) {
        const bool same = round % 3 == 0, clipped = round % 2 == 0;
        const int w = 1 + int(rng() % 40), h = 1 + int(rng() % 8);
        SurfaceRef dst(w, h, (w + int(rng() % 3)) * 2);
        SurfaceRef other(1 + int(rng() % 40), 1 + int(rng() % 8), 0);
        Surface* src = same ? dst.s : other.s;
        if (clipped) {
            ASSERT_EQ(dst->SetClipper(clipper), DD_OK);
        }
        FillRandom(dst, rng);
        FillRandom(other, rng);
        const Key& key = kKeys[rng() % std::size(kKeys)];
        const DDCOLORKEY ck{key.lo, key.hi};
        ASSERT_EQ(src->SetColorKey(DDCKEY_SRCBLT, &ck), DD_OK);
        const bool keyed = rng() % 4 != 0;
        const RECT from = RandomRect(rng, src->width(), src->height());
        // Half of the rounds copy 1:1, the others stretch or shrink; with a clipper the
        // destination may reach past every edge.
        RECT to;
        if (round % 4 < 2) {
            const int fw = from.right - from.left, fh = from.bottom - from.top;
            const int l = clipped ? int(rng() % unsigned(w + fw)) - fw + 1 : 0;
            const int t = clipped ? int(rng() % unsigned(h + fh)) - fh + 1 : 0;
            to = RECT{l, t, l + fw, t + fh};
            if (!clipped && (fw > w || fh > h)) {
                to = RECT{0, 0, w, h};
            } else if (!clipped) {
                to.left = int(rng() % unsigned(w - fw + 1));
                to.top = int(rng() % unsigned(h - fh + 1));
                to.right = to.left + fw;
                to.bottom = to.top + fh;
            }
        } else {
            to = RandomRect(rng, w, h);
            if (clipped) {
                to.left -= int(rng() % 20);
                to.top -= int(rng() % 5);
                to.right += int(rng() % 20);
                to.bottom += int(rng() % 5);
            }
        }
        SCOPED_TRACE("round " + std::to_string(round));

        const std::vector<uint16_t> before = Snapshot(dst), source = Snapshot(src);
        ASSERT_EQ(dst->Blt(&to, src, &from, keyed ? DDBLT_KEYSRC : 0), DD_OK);
        std::vector<uint16_t> want = before;
        const int dw = to.right - to.left, dh = to.bottom - to.top;
        const int sw = from.right - from.left, sh = from.bottom - from.top;
        for (int y = std::max<int>(to.top, 0); y < std::min<int>(to.bottom, h); ++y)
            for (int x = std::max<int>(to.left, 0); x < std::min<int>(to.right, w); ++x) {
                const int sx = from.left + (x - to.left) * sw / dw, sy = from.top + (y - to.top) * sh / dh;
                const uint16_t p = source[size_t(sx + sy * src->width())];
                if (!(keyed && KeyHides(key, p))) want[size_t(x + y * w)] = p;
            }
        ASSERT_EQ(Snapshot(dst), want);
    }
    clipper->Release();
    dd->Release();
}
