#include "platform/DirectDraw.h"
#include "platform/Present.h"
#include "platform/Surface.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

using namespace platform;

namespace {

// Eight vertical colour bars over a grey frame, in the surface's layout.
void DrawBars(Surface* s) {
    const bool l555 = s->layout() == kLayout555;
    const uint16_t red = l555 ? 0x7C00 : 0xF800, green = l555 ? 0x03E0 : 0x07E0, blue = 0x001F;
    const uint16_t bars[8] = {uint16_t(red | green | blue),
                              uint16_t(red | green),
                              uint16_t(green | blue),
                              green,
                              uint16_t(red | blue),
                              red,
                              blue,
                              0};
    DDSURFACEDESC2 d;
    ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT), DD_OK);
    for (uint32_t y = 0; y < d.dwHeight; ++y) {
        auto* row = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch);
        for (uint32_t x = 0; x < d.dwWidth; ++x) {
            const bool frame = x < 8 || y < 8 || x >= d.dwWidth - 8 || y >= d.dwHeight - 8;
            row[x] = frame ? (l555 ? 0x4210 : 0x8410) : bars[x * 8 / d.dwWidth];
        }
    }
    s->Unlock(nullptr);
}

} // namespace

// Opens a real window through SDL and presents frames into it. Needs an X display and no
// KARDOL_HEADLESS (tools/xvfb-check.sh runs it under xvfb-run); skipped otherwise.
// KARDOL_SDL_HOLD_MS keeps presenting for that long so that a screenshot can be taken.
TEST(SdlPresentTest, RealWindowShowsPresentedFrames) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) GTEST_SKIP() << "no DISPLAY";
    const char* headless = std::getenv("KARDOL_HEADLESS");
    if (headless && std::string(headless) == "1") GTEST_SKIP() << "KARDOL_HEADLESS=1";
    ResetPresenterForTest();
    ASSERT_FALSE(GetPresenter().IsHeadless()) << "SDL could not open the display";

    DirectDraw* dd = nullptr;
    ASSERT_EQ(DirectDrawCreateEx(nullptr, &dd, nullptr, nullptr), DD_OK);
    ASSERT_EQ(dd->SetCooperativeLevel(nullptr, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    ASSERT_EQ(dd->SetDisplayMode(800, 600, 16, 0, 0), DD_OK);
    DDSURFACEDESC2 pd;
    pd.dwFlags = DDSD_CAPS;
    pd.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    Surface* primary = nullptr;
    ASSERT_EQ(dd->CreateSurface(&pd, &primary, nullptr), DD_OK);
    DDSURFACEDESC2 bd;
    bd.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    bd.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    bd.dwWidth = 800;
    bd.dwHeight = 600;
    Surface* back = nullptr;
    ASSERT_EQ(dd->CreateSurface(&bd, &back, nullptr), DD_OK);
    EXPECT_EQ(back->pitch(), 1600); // the SDL backend does not pad
    DrawBars(back);

    ASSERT_EQ(primary->Blt(nullptr, back, nullptr, DDBLT_WAIT), DD_OK);
    EXPECT_NE(GetPresenter().WindowId(), 0u);
    EXPECT_EQ(PresentCount(), 1u);
    EXPECT_EQ(LastPresentedFrame().pixels[300 * 800 + 50], back->PixelAt(50, 300));

    int holdMs = 0;
    if (const char* hold = std::getenv("KARDOL_SDL_HOLD_MS")) holdMs = std::atoi(hold);
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(holdMs);
    while (std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ASSERT_EQ(primary->Blt(nullptr, back, nullptr, DDBLT_WAIT), DD_OK);
    }

    // Back to a plain window: presenting goes on.
    ASSERT_EQ(dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
    ASSERT_EQ(primary->Blt(nullptr, back, nullptr, DDBLT_WAIT), DD_OK);
    EXPECT_NE(GetPresenter().WindowId(), 0u);

    back->Release();
    primary->Release();
    dd->Release();
    ResetPresenterForTest();
}
