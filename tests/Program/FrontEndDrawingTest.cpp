#include "Program/FrontEndDrawing.h"

#include "engine/DisplayDevice.h"
#include "engine/PixelFormat.h"
#include "platform/Present.h"
#include "platform/Surface.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A headless display of the given size in one pixel layout.
class FadeDisplay {
public:
    FadeDisplay(int width, int height, int layout) {
        platform::ResetPresenterForTest();
        platform::SetPixelLayout(layout);
        platform::SetPitchPadding(8);
        CreateDirectDraw(nullptr);
        SetDisplayWidth(width);
        SetDisplayHeight(height);
        SetDisplayBitDepth(16);
        ApplyDisplayMode(0x11);
        ok = SetDisplayMode() == 1 && ProbePrimarySurfaceFormat() == 1;
    }
    ~FadeDisplay() {
        ReleaseSurfaces();
        ReleaseDirectDraw();
        platform::ResetPresenterForTest();
    }
    bool ok = false;
};

void Put(platform::Surface* s, int x, int y, uint16_t p) {
    platform::DDSURFACEDESC2 desc;
    ASSERT_EQ(s->Lock(nullptr, &desc, platform::DDLOCK_WAIT), platform::DD_OK);
    reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(desc.lpSurface) +
                                static_cast<size_t>(y) * desc.lPitch)[x] = p;
    s->Unlock(nullptr);
}

std::vector<platform::PresentedFrame>* Frames = nullptr;
void Keep() {
    Frames->push_back(platform::LastPresentedFrame());
}

struct FadeCase {
    int width, height, layout;
};

class FadeInTest : public testing::TestWithParam<FadeCase> {};

// Three probe pixels per frame: a full white, a mid colour and a dim one at the far corner.
TEST_P(FadeInTest, TenPresentsDivideEachChannelByTheStep) {
    const FadeCase k = GetParam();
    FadeDisplay display(k.width, k.height, k.layout);
    ASSERT_TRUE(display.ok);
    ASSERT_EQ(PixelFormat, k.layout);
    platform::Surface* back = GetBackSurface();
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(back->width(), k.width);
    // 8-bit channels that survive packing in both layouts.
    const uint8_t probes[3][3] = {{248, 248, 248}, {200, 96, 40}, {16, 8, 24}};
    const int xs[3] = {0, k.width / 2, k.width - 1};
    const int ys[3] = {0, k.height / 2, k.height - 1};
    for (int i = 0; i < 3; ++i)
        Put(back, xs[i], ys[i], PackRgb16(probes[i][0], probes[i][1], probes[i][2]));

    std::vector<platform::PresentedFrame> frames;
    Frames = &frames;
    SetFadePresentObserver(Keep);
    const uint64_t before = platform::PresentCount();
    FadeInFrame();
    SetFadePresentObserver(nullptr);
    ASSERT_EQ(platform::PresentCount() - before, 10u);
    ASSERT_EQ(frames.size(), 10u);
    for (int step = 0; step < 10; ++step) {
        const int d = 10 - step;
        const platform::PresentedFrame& f = frames[step];
        ASSERT_EQ(f.width, k.width);
        ASSERT_EQ(f.height, k.height);
        for (int i = 0; i < 3; ++i) {
            const uint16_t want = PackRgb16(probes[i][0] / d, probes[i][1] / d, probes[i][2] / d);
            EXPECT_EQ(f.pixels[static_cast<size_t>(ys[i]) * f.width + xs[i]], want)
                << "step d=" << d << " probe " << i;
        }
        // Black stays black.
        EXPECT_EQ(f.pixels[1], 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, FadeInTest,
                         testing::Values(FadeCase{800, 600, 565}, FadeCase{1024, 768, 565},
                                         FadeCase{800, 600, 555}, FadeCase{1024, 768, 555}));

TEST(FadeOutTest, NinePresentsEndInBlack) {
    FadeDisplay display(800, 600, 565);
    ASSERT_TRUE(display.ok);
    platform::Surface* back = GetBackSurface();
    Put(back, 10, 10, PackRgb16(248, 252, 248));
    const uint64_t before = platform::PresentCount();
    FadeOutScreen();
    EXPECT_EQ(platform::PresentCount() - before, 9u);
    EXPECT_EQ(back->PixelAt(10, 10), 0);
}

} // namespace

#include "ScreenTestSupport.h"
#include "engine/Rect.h"
#include "events/EventStep.h"
#include "events/SpeechBox.h"
#include "gui/GuiLayout.h"
#include "windows/WindowHosts.h"

namespace {

class FrontEndFrameTest : public screentest::ScreenFixture {
protected:
    // A panel of the given size at (left, top) with a solid picture, in the draw list.
    GuiPanel* Panel(int left, int top, int w, int h, uint16_t colour, int16_t id = 0) {
        const gamefiles::LayoutBox frame{left, top, left + w, top + h};
        const std::string name = "p" + std::to_string(layouts.size()) + ".gui";
        EXPECT_TRUE(gamefiles::WriteBytes(
            name, gamefiles::ScreenLayout(frame, std::vector<uint16_t>(size_t(w) * h, colour), {}, {})));
        layouts.push_back(std::make_unique<GuiLayout>(name.c_str()));
        auto* panel = new GuiPanel(layouts.back()->elements[0], new Rect(left, top, left + w, top + h),
                                   TheRootWidget, nullptr, 1, 1, 0);
        panel->id = id;
        TheResourceStore->drawList->Add(reinterpret_cast<uintptr_t>(panel));
        panels.push_back(panel);
        return panel;
    }
    void TearDown() override {
        TheResourceStore->drawList->RemoveAll();
        for (GuiPanel* p : panels) {
            p->Close(0);
            DeferDelete(p);
        }
        FlushDeferredDeletes();
        layouts.clear();
        ScreenFixture::TearDown();
    }
    uint16_t Back(int x, int y) {
        platform::Surface* back = GetBackSurface();
        platform::DDSURFACEDESC2 d;
        if (back->Lock(nullptr, &d, platform::DDLOCK_WAIT) != platform::DD_OK) return 0;
        const uint16_t p =
            reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(d.lpSurface) + size_t(y) * d.lPitch)[x];
        back->Unlock(nullptr);
        return p;
    }
    std::vector<std::unique_ptr<GuiLayout>> layouts;
    std::vector<GuiPanel*> panels;
};

TEST_F(FrontEndFrameTest, TheOpenSpeechBoxDrawsItsPortrait) {
    constexpr uint16_t kFace = 0x07E0;
    ASSERT_TRUE(gamefiles::WriteBytes("head_l.ani",
                                      gamefiles::AniFile({{0, 0, 20, 30, std::vector<uint16_t>(600, kFace),
                                                           std::vector<uint8_t>(600, 255)}})));
    screentest::WriteLayout("Win25.gui", 0, 0);
    GuiLayout layout("Win25.gui");
    Panel(0, 0, 800, 600, 0x1111);
    EventStep step; // no speaker: the plain portrait, frame 0
    auto* box = new SpeechBox(TheRootWidget, nullptr, &step, std::nullopt, &layout);
    ASSERT_NE(box->portrait, nullptr);
    c->DrawFrontEnd();
    EXPECT_EQ(Back(92, 244), kFace);
    EXPECT_EQ(Back(111, 273), kFace);
    EXPECT_EQ(Back(112, 274), 0x1111);
    EXPECT_EQ(Back(91, 243), 0x1111);
    box->Close(0);
    FlushDeferredDeletes();
    c->DrawFrontEnd();
    EXPECT_EQ(Back(92, 244), 0x1111) << "no box, no portrait";
}

TEST_F(FrontEndFrameTest, ThePreparationSceneLeavesOutTheMainPanelHostsPagesAndEveryFramePresentsOnce) {
    Panel(0, 0, 800, 600, 0x1111);
    Panel(100, 100, 50, 50, 0x2222);
    GuiPanel* hidden = Panel(300, 300, 50, 50, 0x3333);
    Win01HostWindow host(nullptr, nullptr);
    host.preparationHidden[2] = hidden;
    TheWin01Host = &host;
    c->scene = 16;
    const uint64_t before = platform::PresentCount();
    c->DrawFrontEnd();
    EXPECT_EQ(platform::PresentCount() - before, 1u);
    EXPECT_EQ(Back(10, 10), 0x1111);
    EXPECT_EQ(Back(120, 120), 0x2222);
    EXPECT_EQ(Back(320, 320), 0x1111);
    // Any other scene draws every window of the list.
    c->scene = 0;
    c->DrawFrontEnd();
    EXPECT_EQ(Back(320, 320), 0x3333);
    TheWin01Host = nullptr;
}

} // namespace

#if defined(__SANITIZE_ADDRESS__)
#define KARDOL_COUNT_ALLOCATIONS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KARDOL_COUNT_ALLOCATIONS 1
#endif
#endif

#ifdef KARDOL_COUNT_ALLOCATIONS
// The sanitizer runtime's allocation hooks (not every compiler ships their header).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                         void (*)(const volatile void*));

#include <pthread.h>
#endif

namespace {

#ifdef KARDOL_COUNT_ALLOCATIONS
// Allocations made by the test's own thread while counting is on.
pthread_t CountingThread;
bool CountingOn = false;
size_t CountedAllocations = 0;
void CountMalloc(const volatile void*, size_t) {
    if (CountingOn && pthread_equal(pthread_self(), CountingThread)) ++CountedAllocations;
}
void IgnoreFree(const volatile void*) {}
#endif

class FrontEndFrameAllocationTest : public FrontEndFrameTest {
protected:
    // A panel with three labels as children, in the draw list.
    void PanelWithLabels(int left, int top) {
        const gamefiles::LayoutBox frame{left, top, left + 120, top + 80};
        const std::string name = "l" + std::to_string(layouts.size()) + ".gui";
        const std::vector<gamefiles::LayoutBox> labels{{4, 4, 60, 20}, {4, 24, 60, 40}, {4, 44, 60, 60}};
        ASSERT_TRUE(gamefiles::WriteBytes(
            name, gamefiles::ScreenLayout(frame, std::vector<uint16_t>(120 * 80, 0x4444), {}, labels)));
        layouts.push_back(std::make_unique<GuiLayout>(name.c_str()));
        auto* panel = new GuiPanel(layouts.back()->elements[0], new Rect(left, top, left + 120, top + 80),
                                   TheRootWidget, nullptr, 1, 1, 0);
        layouts.back()->CreateControls(panel, nullptr);
        TheResourceStore->drawList->Add(reinterpret_cast<uintptr_t>(panel));
        panels.push_back(panel);
    }
    size_t FrameAllocations() {
#ifdef KARDOL_COUNT_ALLOCATIONS
        c->DrawFrontEnd(); // warm-up: buffers kept from frame to frame are made here
        CountedAllocations = 0;
        CountingThread = pthread_self();
        CountingOn = true;
        c->DrawFrontEnd();
        CountingOn = false;
        return CountedAllocations;
#else
        return 0;
#endif
    }
};

// Windows in the draw list add no allocation to a frame, whatever their number and children.
TEST_F(FrontEndFrameAllocationTest, DrawingTheWindowsOfTheListAllocatesNothingPerFrame) {
#ifndef KARDOL_COUNT_ALLOCATIONS
    GTEST_SKIP() << "allocation hooks need the sanitizer build";
#else
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(CountMalloc, IgnoreFree) != 0;
    ASSERT_TRUE(installed);
    Panel(0, 0, 800, 600, 0x1111);
    for (int n = 0; n < 9; ++n)
        PanelWithLabels(20 + 60 * n, 40 + 30 * n);
    for (int8_t scene : {int8_t(0), int8_t(16)}) {
        SCOPED_TRACE(int(scene));
        c->scene = scene;
        TheResourceStore->drawList->RemoveAll();
        const size_t bare = FrameAllocations();
        for (GuiPanel* p : panels)
            TheResourceStore->drawList->Add(reinterpret_cast<uintptr_t>(p));
        EXPECT_EQ(FrameAllocations(), bare);
        EXPECT_EQ(FrameAllocations(), bare);
    }
#endif
}

} // namespace
