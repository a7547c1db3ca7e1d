#include "Program/LoadingScreen.h"

#include "platform/Mutex.h"
#include "platform/Present.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace {

uint16_t RowColour(int y) {
    return static_cast<uint16_t>(0x1000 + y);
}

// A full-screen frame whose column 273 has a colour per row; other pixels are 0xFFFF.
std::unique_ptr<LoadingBarFrame> MakeFrame(int width = 800, int height = 600) {
    auto f = std::make_unique<LoadingBarFrame>();
    f->width = width;
    f->height = height;
    f->pixels.assign(static_cast<size_t>(width) * height, 0xFFFF);
    if (width > kBarLeft)
        for (int y = 0; y < height; ++y)
            f->pixels[static_cast<size_t>(y) * width + kBarLeft] = RowColour(y);
    return f;
}

struct Buffer {
    int width, height, pitch;
    std::vector<uint16_t> px;
    Buffer(int w, int h, int padPixels = 8) : width(w), height(h), pitch((w + padPixels) * 2) {
        px.assign(static_cast<size_t>(w + padPixels) * h, 0);
    }
    uint16_t At(int x, int y) const { return px[static_cast<size_t>(y) * (pitch / 2) + x]; }
    int Draw(const LoadingBarFrame* f, int drawn, int target) {
        return DrawLoadingBar(px.data(), pitch, width, height, f, drawn, target);
    }
};

// Only pixels in [kBarLeft + from, kBarLeft + to) of the bar rows are set, each with its row colour.
void ExpectBar(const Buffer& b, int from, int to) {
    for (int y = 440; y < 475; ++y)
        for (int x = 260; x < 540; ++x) {
            const bool in =
                y >= kBarTop && y < kBarTop + kBarRows && x >= kBarLeft + from && x < kBarLeft + to;
            ASSERT_EQ(b.At(x, y), in ? RowColour(y) : 0) << x << "," << y;
        }
}

} // namespace

TEST(LoadingScreen, TargetFromPercent) {
    const int cases[][2] = {{100, 253}, {50, 126}, {0, 0}, {1, 2}, {150, 253}, {-20, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(LoadingBarTarget(c[0]), c[1]) << c[0];
}

TEST(LoadingScreen, BarPixels) {
    auto frame = MakeFrame();
    Buffer b(800, 600);
    EXPECT_EQ(b.Draw(frame.get(), 0, 10), 10 * kBarRows);
    ExpectBar(b, 0, 10);
    EXPECT_EQ(b.Draw(frame.get(), 10, 126), 116 * kBarRows);
    ExpectBar(b, 0, 126);
    EXPECT_EQ(b.Draw(frame.get(), 126, 50), 0); // a shorter target draws nothing
    EXPECT_EQ(b.Draw(frame.get(), 126, 400), (253 - 126) * kBarRows);
    ExpectBar(b, 0, 253);
}

TEST(LoadingScreen, BadFramesAndSmallSurfaces) {
    Buffer b(800, 600);
    EXPECT_EQ(b.Draw(nullptr, 0, 100), 0);
    auto narrow = MakeFrame(200, 600);
    EXPECT_EQ(b.Draw(narrow.get(), 0, 100), 0);
    auto broken = MakeFrame();
    broken->pixels.resize(100);
    EXPECT_EQ(b.Draw(broken.get(), 0, 100), 0);
    ExpectBar(b, 0, 0);
    auto shortFrame = MakeFrame(800, 450); // only rows 447..449 have a colour
    EXPECT_EQ(b.Draw(shortFrame.get(), 0, 4), 3 * 4);
    Buffer small(300, 460);
    EXPECT_EQ(small.Draw(MakeFrame().get(), 0, 100), (300 - kBarLeft) * (460 - kBarTop));
}

namespace {

struct Surfaces {
    platform::Surface* back;
    platform::Surface* primary;
    int presents = 0;
    Surfaces()
        : back(new platform::Surface(800, 600, 565, 1616, platform::DDSCAPS_OFFSCREENPLAIN)),
          primary(new platform::Surface(800, 600, 565, 1616, platform::DDSCAPS_PRIMARYSURFACE)) {}
    ~Surfaces() {
        back->Release();
        primary->Release();
    }
    LoadingScreen::Hooks Hooks(bool withFrame = true) {
        LoadingScreen::Hooks h;
        h.loadBarFrame = [withFrame] { return withFrame ? MakeFrame() : nullptr; };
        h.backSurface = [this] { return back; };
        h.primarySurface = [this] { return primary; };
        h.present = [this] {
            ++presents;
            platform::FlushPendingPresent();
        };
        return h;
    }
};

} // namespace

TEST(LoadingScreen, ThreadDrawsIntoBackAndPrimary) {
    Surfaces s;
    LoadingScreen screen(s.Hooks());
    screen.Start();
    EXPECT_TRUE(screen.Running());
    screen.SetProgress(50);
    EXPECT_EQ(screen.Drawn(), 126);
    EXPECT_EQ(s.back->PixelAt(kBarLeft, kBarTop), RowColour(kBarTop));
    EXPECT_EQ(s.back->PixelAt(kBarLeft + 125, kBarTop + 20), RowColour(kBarTop + 20));
    EXPECT_EQ(s.back->PixelAt(kBarLeft + 126, kBarTop), 0);
    EXPECT_EQ(s.primary->PixelAt(kBarLeft + 125, kBarTop + 20), RowColour(kBarTop + 20));
    EXPECT_EQ(s.primary->PixelAt(kBarLeft + 126, kBarTop), 0);
    screen.SetProgress(20); // drawn follows the target down without drawing
    EXPECT_EQ(screen.Drawn(), 50);
    EXPECT_EQ(screen.Passes(), 1);
    screen.SetProgress(100);
    EXPECT_EQ(screen.Drawn(), 253);
    EXPECT_EQ(s.primary->PixelAt(kBarLeft + 252, kBarTop), RowColour(kBarTop));
    EXPECT_EQ(s.primary->PixelAt(kBarLeft + 253, kBarTop), 0);
    screen.Stop();
    EXPECT_FALSE(screen.Running());
    EXPECT_GE(s.presents, 4);
}

TEST(LoadingScreen, StopRightAfterStartDrawsNothing) {
    Surfaces s;
    LoadingScreen screen(s.Hooks());
    screen.Start();
    screen.Stop();
    EXPECT_EQ(screen.Passes(), 0);
    EXPECT_EQ(s.back->PixelAt(kBarLeft, kBarTop), 0);
    // A second run starts from an empty bar.
    screen.Start();
    screen.SetProgress(10);
    EXPECT_EQ(screen.Drawn(), 25);
    screen.Stop();
}

TEST(LoadingScreen, MissingBarFrameOrLostSurface) {
    Surfaces s;
    {
        LoadingScreen screen(s.Hooks(false));
        screen.Start();
        screen.SetProgress(60);
        EXPECT_EQ(screen.Drawn(), 151);
        EXPECT_EQ(screen.Passes(), 0);
        EXPECT_EQ(s.back->PixelAt(kBarLeft, kBarTop), 0);
    }
    s.back->SimulateLost();
    LoadingScreen screen(s.Hooks());
    screen.Start();
    screen.SetProgress(10);
    EXPECT_EQ(s.back->PixelAt(kBarLeft, kBarTop), RowColour(kBarTop)); // restored and drawn
    screen.Stop();
    platform::DDSURFACEDESC2 desc;
    s.back->SimulateBusy(1000);
    EXPECT_FALSE(LockSurfaceBounded(s.back, &desc)); // gives up instead of hanging
}

// A stand-in for the stage loader: reads in steps on this thread and reports progress after each.
TEST(LoadingScreen, HeadlessStageLoadShowsTheBarAdvancing) {
    platform::ResetPresenterForTest();
    Surfaces s;
    LoadingScreen screen(s.Hooks());
    screen.Start();
    std::vector<int> shown;
    for (int step = 1; step <= 5; ++step) {
        volatile int work = 0;
        for (int i = 0; i < 10000; ++i)
            work = work + i; // reading part of the stage
        screen.SetProgress(step * 20);
        const platform::PresentedFrame f = platform::LastPresentedFrame();
        ASSERT_EQ(f.width, 800);
        int length = 0;
        while (length < kBarLength &&
               f.pixels[static_cast<size_t>(kBarTop + 10) * 800 + kBarLeft + length] != 0)
            ++length;
        shown.push_back(length);
    }
    screen.Stop();
    EXPECT_EQ(shown, (std::vector<int>{50, 101, 151, 202, 253}));
}

// The loader and the thread share start-up's named "LoadMutex": while another holder keeps it,
// no progress is taken; once it is released, the bar catches up.
TEST(LoadingScreen, ProgressWaitsForTheNamedLoadMutex) {
    platform::HANDLE startupMutex = platform::CreateMutexA(nullptr, 0, "LoadMutex");
    Surfaces s;
    LoadingScreen screen(s.Hooks());
    screen.Start();
    std::atomic<bool> held{false};
    std::atomic<bool> release{false};
    std::thread holder([&] {
        ASSERT_EQ(platform::WaitForSingleObject(startupMutex, platform::INFINITE), platform::WAIT_OBJECT_0);
        held = true;
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        platform::ReleaseMutex(startupMutex);
    });
    while (!held)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::atomic<bool> done{false};
    std::thread loader([&] {
        screen.SetProgress(40);
        done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(done.load());
    release = true;
    holder.join();
    loader.join();
    EXPECT_EQ(screen.Drawn(), 101);
    screen.Stop();
    platform::CloseHandle(startupMutex);
}
