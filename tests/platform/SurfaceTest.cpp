#include "platform/Surface.h"
#include "platform/BmpWriter.h"
#include "platform/DirectDraw.h"
#include "platform/Present.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

using namespace platform;

namespace {

// Surfaces are released, not deleted.
struct SurfaceRef {
    Surface* s;
    SurfaceRef(int w, int h, int layout = kLayout565, int pitch = 0, uint32_t caps = DDSCAPS_OFFSCREENPLAIN)
        : s(new Surface(w, h, layout, pitch, caps)) {}
    ~SurfaceRef() { s->Release(); }
    Surface* operator->() const { return s; }
    operator Surface*() const { return s; }
};

void Fill(Surface* s, uint16_t value) {
    DDSURFACEDESC2 d;
    ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT), DD_OK);
    for (uint32_t y = 0; y < d.dwHeight; ++y) {
        auto* row = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch);
        for (uint32_t x = 0; x < d.dwWidth; ++x)
            row[x] = value;
    }
    ASSERT_EQ(s->Unlock(nullptr), DD_OK);
}

// Source 4 x 4: pixel value 1 + x + 4y, with the diagonal set to 0 (transparent).
void FillPattern(Surface* s) {
    DDSURFACEDESC2 d;
    ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT), DD_OK);
    for (uint32_t y = 0; y < d.dwHeight; ++y) {
        auto* row = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch);
        for (uint32_t x = 0; x < d.dwWidth; ++x)
            row[x] = x == y ? 0 : uint16_t(1 + x + 4 * y);
    }
    ASSERT_EQ(s->Unlock(nullptr), DD_OK);
}

void SetKeyZero(Surface* s) {
    DDCOLORKEY key;
    ASSERT_EQ(s->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
}

} // namespace

TEST(SurfaceTest, CreatedZeroFilledWithPitchAndMasksOfItsLayout) {
    struct Case {
        int layout, pitch, wantPitch;
        uint32_t r, g;
    } cases[] = {{kLayout565, 0, 10, 0xF800, 0x07E0},
                 {kLayout555, 0, 10, 0x7C00, 0x03E0},
                 {kLayout565, 26, 26, 0xF800, 0x07E0},
                 {kLayout555, 4, 10, 0x7C00, 0x03E0}};
    for (const Case& c : cases) {
        SurfaceRef s(5, 3, c.layout, c.pitch);
        DDSURFACEDESC2 d;
        ASSERT_EQ(s->Lock(nullptr, &d, 0), DD_OK);
        EXPECT_EQ(d.lPitch, c.wantPitch);
        EXPECT_EQ(d.dwWidth, 5u);
        EXPECT_EQ(d.dwHeight, 3u);
        EXPECT_EQ(d.ddpfPixelFormat.dwRGBBitCount, 16u);
        EXPECT_EQ(d.ddpfPixelFormat.dwRBitMask, c.r);
        EXPECT_EQ(d.ddpfPixelFormat.dwGBitMask, c.g);
        EXPECT_EQ(d.ddpfPixelFormat.dwBBitMask, 0x1Fu);
        const auto* bytes = static_cast<const uint8_t*>(d.lpSurface);
        for (int i = 0; i < c.wantPitch * 3; ++i)
            ASSERT_EQ(bytes[i], 0) << i;
        EXPECT_EQ(s->Unlock(nullptr), DD_OK);
        DDPIXELFORMAT f;
        EXPECT_EQ(s->GetPixelFormat(&f), DD_OK);
        EXPECT_EQ(f.dwRBitMask, c.r);
    }
}

TEST(SurfaceTest, LockOfPartStartsAtItsCorner) {
    SurfaceRef s(8, 8, kLayout565, 32);
    RECT r{2, 3, 5, 7};
    DDSURFACEDESC2 d;
    ASSERT_EQ(s->Lock(&r, &d, DDLOCK_WAIT), DD_OK);
    EXPECT_EQ(d.dwWidth, 3u);
    EXPECT_EQ(d.dwHeight, 4u);
    *static_cast<uint16_t*>(d.lpSurface) = 0x1234;
    s->Unlock(&r);
    EXPECT_EQ(s->PixelAt(2, 3), 0x1234);
    RECT outside{6, 6, 9, 8};
    EXPECT_EQ(s->Lock(&outside, &d, DDLOCK_WAIT), DDERR_INVALIDRECT);
}

TEST(SurfaceTest, BltFastColourKeyAtEdgesAndRejectedRects) {
    struct Case {
        const char* name;
        int x, y;
        RECT src;
        uint32_t flags;
        HRESULT want;
    } cases[] = {
        {"top-left keyed", 0, 0, {0, 0, 4, 4}, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT, DD_OK},
        {"bottom-right edge keyed", 4, 4, {0, 0, 4, 4}, DDBLTFAST_SRCCOLORKEY, DD_OK},
        {"part of source at right edge", 6, 0, {1, 1, 3, 4}, DDBLTFAST_SRCCOLORKEY, DD_OK},
        {"unkeyed copies zeros", 2, 2, {0, 0, 4, 4}, DDBLTFAST_NOCOLORKEY, DD_OK},
        {"one past right", 5, 0, {0, 0, 4, 4}, DDBLTFAST_SRCCOLORKEY, DDERR_INVALIDRECT},
        {"one past bottom", 0, 5, {0, 0, 4, 4}, DDBLTFAST_SRCCOLORKEY, DDERR_INVALIDRECT},
        {"negative x", -1, 0, {0, 0, 4, 4}, DDBLTFAST_SRCCOLORKEY, DDERR_INVALIDRECT},
        {"source past its edge", 0, 0, {2, 2, 5, 4}, DDBLTFAST_SRCCOLORKEY, DDERR_INVALIDRECT},
        {"empty source", 0, 0, {2, 2, 2, 4}, DDBLTFAST_SRCCOLORKEY, DDERR_INVALIDRECT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SurfaceRef src(4, 4, kLayout565, 12);
        SurfaceRef dst(8, 8, kLayout565, 20);
        FillPattern(src);
        SetKeyZero(src);
        Fill(dst, 0x5555);
        ASSERT_EQ(dst->BltFast(c.x, c.y, src, &c.src, c.flags), c.want);
        const bool keyed = c.flags & DDBLTFAST_SRCCOLORKEY;
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                uint16_t want = 0x5555;
                const int sx = x - c.x + c.src.left, sy = y - c.y + c.src.top;
                const bool inside = c.want == DD_OK && x >= c.x && y >= c.y &&
                                    x < c.x + c.src.right - c.src.left && y < c.y + c.src.bottom - c.src.top;
                if (inside) {
                    const uint16_t p = sx == sy ? 0 : uint16_t(1 + sx + 4 * sy);
                    if (!(keyed && p == 0)) want = p;
                }
                ASSERT_EQ(dst->PixelAt(x, y), want) << x << "," << y;
            }
        }
    }
}

TEST(SurfaceTest, BltStretchesKeysAndClipsOnlyWithClipper) {
    SurfaceRef src(4, 4);
    FillPattern(src);
    SetKeyZero(src);
    {
        // Doubled into 8 x 8 with the key: the diagonal 2 x 2 blocks keep the old pixels.
        SurfaceRef dst(8, 8, kLayout565, 24);
        Fill(dst, 0x7777);
        ASSERT_EQ(dst->Blt(nullptr, src, nullptr, DDBLT_WAIT | DDBLT_KEYSRC), DD_OK);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                const int sx = x / 2, sy = y / 2;
                ASSERT_EQ(dst->PixelAt(x, y), sx == sy ? 0x7777 : 1 + sx + 4 * sy) << x << "," << y;
            }
    }
    {
        SurfaceRef dst(6, 6);
        RECT off{4, 4, 8, 8};
        EXPECT_EQ(dst->Blt(&off, src, nullptr, DDBLT_WAIT), DDERR_INVALIDRECT);
        EXPECT_EQ(dst->PixelAt(5, 5), 0);
        DirectDraw* dd = nullptr;
        ASSERT_EQ(DirectDrawCreateEx(nullptr, &dd, nullptr, nullptr), DD_OK);
        Clipper* clipper = nullptr;
        ASSERT_EQ(dd->CreateClipper(0, &clipper, nullptr), DD_OK);
        ASSERT_EQ(dst->SetClipper(clipper), DD_OK);
        clipper->Release();
        // With a clipper the part inside is drawn, from the matching source pixels.
        EXPECT_EQ(dst->Blt(&off, src, nullptr, DDBLT_WAIT), DD_OK);
        EXPECT_EQ(dst->PixelAt(4, 4), 0); // source (0,0) is the diagonal: unkeyed copy of 0
        EXPECT_EQ(dst->PixelAt(5, 4), 2); // source (1,0)
        EXPECT_EQ(dst->PixelAt(4, 5), 5); // source (0,1)
        EXPECT_EQ(dst->PixelAt(3, 3), 0); // outside the rectangle
        dd->Release();
    }
}

TEST(SurfaceTest, BltWithinOneSurfaceOverlapping) {
    SurfaceRef s(4, 1);
    DDSURFACEDESC2 d;
    ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT), DD_OK);
    auto* p = static_cast<uint16_t*>(d.lpSurface);
    for (int i = 0; i < 4; ++i)
        p[i] = uint16_t(10 + i);
    s->Unlock(nullptr);
    RECT from{0, 0, 3, 1};
    ASSERT_EQ(s->BltFast(1, 0, s, &from, DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(s->PixelAt(0, 0), 10);
    EXPECT_EQ(s->PixelAt(1, 0), 10);
    EXPECT_EQ(s->PixelAt(2, 0), 11);
    EXPECT_EQ(s->PixelAt(3, 0), 12);
}

TEST(SurfaceTest, LockHeldByAnotherThreadWaitsOrReportsStillDrawing) {
    SurfaceRef s(4, 4);
    SurfaceRef other(4, 4);
    std::atomic<bool> locked{false}, release{false}, unlocked{false};
    std::thread holder([&] {
        DDSURFACEDESC2 d;
        ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT), DD_OK);
        static_cast<uint16_t*>(d.lpSurface)[0] = 0xABCD;
        locked = true;
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        unlocked = true;
        s->Unlock(nullptr);
    });
    while (!locked)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));

    DDSURFACEDESC2 d;
    EXPECT_EQ(s->Lock(nullptr, &d, 0), DDERR_WASSTILLDRAWING);
    EXPECT_EQ(other->BltFast(0, 0, s, nullptr, DDBLTFAST_NOCOLORKEY), DDERR_WASSTILLDRAWING);
    EXPECT_EQ(s->Blt(nullptr, other, nullptr, 0), DDERR_WASSTILLDRAWING);
    HDC dc = nullptr;
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        release = true;
    });
    // With the wait flag the blit goes through once the other thread lets go.
    EXPECT_EQ(other->BltFast(0, 0, s, nullptr, DDBLTFAST_WAIT), DD_OK);
    EXPECT_TRUE(unlocked);
    EXPECT_EQ(other->PixelAt(0, 0), 0xABCD);
    releaser.join();
    holder.join();
    EXPECT_EQ(s->GetDC(&dc), DD_OK);
    EXPECT_EQ(s->ReleaseDC(dc), DD_OK);
}

TEST(SurfaceTest, OwnLockIsBusyAndUnlockNeedsALock) {
    SurfaceRef s(4, 4);
    SurfaceRef other(4, 4);
    EXPECT_EQ(s->Unlock(nullptr), DDERR_NOTLOCKED);
    DDSURFACEDESC2 d;
    ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT), DD_OK);
    // Waiting on one's own lock would never end.
    EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT), DDERR_SURFACEBUSY);
    EXPECT_EQ(other->BltFast(0, 0, s, nullptr, DDBLTFAST_WAIT), DDERR_SURFACEBUSY);
    HDC dc = nullptr;
    EXPECT_EQ(s->GetDC(&dc), DDERR_SURFACEBUSY);
    EXPECT_EQ(s->Unlock(nullptr), DD_OK);
    EXPECT_EQ(s->Unlock(nullptr), DDERR_NOTLOCKED);
}

TEST(SurfaceTest, LostSurfaceFailsUntilRestoredAndKeepsItsPixels) {
    SurfaceRef s(4, 4);
    SurfaceRef other(4, 4);
    Fill(s, 0x1234);
    s->SimulateLost();
    EXPECT_EQ(s->IsLost(), DDERR_SURFACELOST);
    DDSURFACEDESC2 d;
    EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT), DDERR_SURFACELOST);
    EXPECT_EQ(other->Blt(nullptr, s, nullptr, DDBLT_WAIT), DDERR_SURFACELOST);
    EXPECT_EQ(s->BltFast(0, 0, other, nullptr, DDBLTFAST_WAIT), DDERR_SURFACELOST);
    EXPECT_EQ(s->Restore(), DD_OK);
    EXPECT_EQ(s->IsLost(), DD_OK);
    EXPECT_EQ(s->PixelAt(3, 3), 0x1234);
    EXPECT_EQ(other->Blt(nullptr, s, nullptr, DDBLT_WAIT), DD_OK);
}

TEST(SurfaceTest, SimulatedBusyCountsDownEvenWithWait) {
    SurfaceRef s(2, 2);
    s->SimulateBusy(2);
    DDSURFACEDESC2 d;
    EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT), DDERR_WASSTILLDRAWING);
    EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT), DDERR_WASSTILLDRAWING);
    EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT), DD_OK);
    s->Unlock(nullptr);
}

TEST(SurfaceTest, DeviceContextDescribesTheLockedPixels) {
    SurfaceRef s(6, 2, kLayout555, 16);
    HDC dc = nullptr;
    ASSERT_EQ(s->GetDC(&dc), DD_OK);
    EXPECT_EQ(dc->surface, s.s);
    EXPECT_EQ(dc->pitch, 16);
    EXPECT_EQ(dc->width, 6);
    EXPECT_EQ(dc->height, 2);
    EXPECT_EQ(dc->format.dwRBitMask, 0x7C00u);
    dc->bits[8 + 5] = 0x7FFF; // row 1, column 5
    DDSURFACEDESC2 d;
    EXPECT_EQ(s->Lock(nullptr, &d, 0), DDERR_SURFACEBUSY);
    EXPECT_EQ(s->Unlock(nullptr), DDERR_NOTLOCKED);
    EXPECT_EQ(s->ReleaseDC(dc), DD_OK);
    EXPECT_EQ(s->ReleaseDC(dc), DDERR_NODC);
    EXPECT_EQ(s->PixelAt(5, 1), 0x7FFF);
}

TEST(SurfaceTest, ColourKeyIsReadBack) {
    SurfaceRef s(2, 2);
    DDCOLORKEY key;
    EXPECT_EQ(s->GetColorKey(DDCKEY_SRCBLT, &key), DDERR_NOTFOUND);
    key.dwColorSpaceLowValue = key.dwColorSpaceHighValue = 0x07E0;
    ASSERT_EQ(s->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    DDCOLORKEY got;
    ASSERT_EQ(s->GetColorKey(DDCKEY_SRCBLT, &got), DD_OK);
    EXPECT_EQ(got.dwColorSpaceLowValue, 0x07E0u);
}

TEST(SurfaceTest, DisplayObjectModesLevelsAndSurfaces) {
    ResetPresenterForTest();
    DirectDraw* dd = nullptr;
    ASSERT_EQ(DirectDrawCreateEx(nullptr, &dd, nullptr, nullptr), DD_OK);
    DDSURFACEDESC2 desc;
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    Surface* primary = nullptr;
    EXPECT_EQ(dd->CreateSurface(&desc, &primary, nullptr), DDERR_NOCOOPERATIVELEVELSET);
    EXPECT_EQ(dd->SetCooperativeLevel(nullptr, 0), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dd->SetCooperativeLevel(nullptr, DDSCL_EXCLUSIVE), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
    EXPECT_EQ(dd->SetDisplayMode(800, 600, 16, 0, 0), DDERR_NOEXCLUSIVEMODE);
    EXPECT_EQ(dd->SetCooperativeLevel(nullptr, 0x11), DD_OK);
    EXPECT_EQ(dd->SetDisplayMode(801, 600, 16, 0, 0), DDERR_INVALIDMODE);
    EXPECT_EQ(dd->SetDisplayMode(1024, 768, 16, 0, 0), DD_OK);

    struct Seen {
        bool m800 = false, m1024 = false;
    } seen;
    auto cb = [](DDSURFACEDESC2* m, void* ctx) -> HRESULT {
        auto* s = static_cast<Seen*>(ctx);
        if (m->ddpfPixelFormat.dwRGBBitCount == 16 && m->dwWidth == 800 && m->dwHeight == 600) s->m800 = true;
        if (m->ddpfPixelFormat.dwRGBBitCount == 16 && m->dwWidth == 1024 && m->dwHeight == 768)
            s->m1024 = true;
        return DDENUMRET_OK;
    };
    EXPECT_EQ(dd->EnumDisplayModes(0, nullptr, &seen, cb), DD_OK);
    EXPECT_TRUE(seen.m800);
    EXPECT_TRUE(seen.m1024);

    ASSERT_EQ(dd->CreateSurface(&desc, &primary, nullptr), DD_OK);
    EXPECT_EQ(primary->width(), 1024);
    EXPECT_EQ(primary->height(), 768);
    EXPECT_TRUE(primary->isPrimary());
    primary->Release();
    DDSURFACEDESC2 off;
    off.dwFlags = DDSD_CAPS | DDSD_WIDTH;
    off.dwWidth = 10;
    Surface* s = nullptr;
    EXPECT_EQ(dd->CreateSurface(&off, &s, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(GetScreenDeviceCaps(kScreenCapsPlanes) * GetScreenDeviceCaps(kScreenCapsBitsPixel), 16);
    dd->Release();
}

TEST(SurfaceTest, BmpEncodesBottomUpRowsInEitherLayout) {
    // 2 x 2: red, green / blue, white.
    const uint16_t p565[] = {0xF800, 0x07E0, 0x001F, 0xFFFF};
    const uint16_t p555[] = {0x7C00, 0x03E0, 0x001F, 0x7FFF};
    for (auto [pixels, layout] : {std::pair{p565, 565}, std::pair{p555, 555}}) {
        const std::vector<uint8_t> bmp = EncodeBmp16(pixels, 2, 2, layout);
        ASSERT_EQ(bmp.size(), 54u + 2 * 8);
        EXPECT_EQ(bmp[0], 'B');
        EXPECT_EQ(bmp[1], 'M');
        EXPECT_EQ(bmp[2], 70);
        EXPECT_EQ(bmp[10], 54);
        EXPECT_EQ(bmp[18], 2);
        EXPECT_EQ(bmp[28], 24);
        // First stored row is the bottom one: blue then white (B, G, R order).
        const uint8_t bottom[] = {255, 0, 0, 255, 255, 255, 0, 0};
        const uint8_t top[] = {0, 0, 255, 0, 255, 0, 0, 0};
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(bmp[54 + i], bottom[i]) << layout << " " << i;
            EXPECT_EQ(bmp[62 + i], top[i]) << layout << " " << i;
        }
    }
}
