#include "Program/LoadingScreen.h"

#include "engine/DisplayDevice.h"
#include "platform/Present.h"

#include <algorithm>
#include <chrono>

namespace {
constexpr uint32_t kMutexWaitMs = 2000;
constexpr auto kMutexWait = std::chrono::milliseconds(kMutexWaitMs);
} // namespace

// Opening the name again reaches start-up's mutex; without start-up it makes the one object.
LoadingScreen::LoadMutexLock::LoadMutexLock() : mutex_(platform::CreateMutexA(nullptr, 0, "LoadMutex")) {}

LoadingScreen::LoadMutexLock::~LoadMutexLock() {
    platform::CloseHandle(mutex_);
}

void LoadingScreen::LoadMutexLock::lock() {
    while (platform::WaitForSingleObject(mutex_, kMutexWaitMs) != platform::WAIT_OBJECT_0) {
    }
}

void LoadingScreen::LoadMutexLock::unlock() {
    platform::ReleaseMutex(mutex_);
}

bool LockSurfaceBounded(platform::Surface* surface, platform::DDSURFACEDESC2* desc, int attempts) {
    if (!surface) return false;
    for (int i = 0; i < attempts; ++i) {
        const platform::HRESULT r = surface->Lock(nullptr, desc, platform::DDLOCK_WAIT);
        if (r == platform::DD_OK) return true;
        if (r == platform::DDERR_SURFACELOST) surface->Restore();
    }
    return false;
}

int LoadingBarTarget(int percent) {
    return std::clamp(percent, 0, 100) * kBarLength / 100;
}

int DrawLoadingBar(uint16_t* pixels, int pitchBytes, int width, int height, const LoadingBarFrame* frame,
                   int drawn, int target) {
    // Without a usable bar frame there is no colour to draw with.
    if (!pixels || !frame || frame->width <= kBarLeft ||
        frame->pixels.size() <
            static_cast<size_t>(frame->width) * static_cast<size_t>(std::max(frame->height, 0)))
        return 0;
    const int from = kBarLeft + std::clamp(drawn, 0, kBarLength);
    const int to = std::min(kBarLeft + std::clamp(target, 0, kBarLength), width);
    int written = 0;
    for (int r = 0; r < kBarRows; ++r) {
        const int y = kBarTop + r;
        if (y >= height || y >= frame->height) break;
        const uint16_t colour = frame->pixels[static_cast<size_t>(y) * frame->width + kBarLeft];
        auto* row = reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(pixels) +
                                                static_cast<size_t>(y) * pitchBytes);
        for (int x = from; x < to; ++x) {
            row[x] = colour;
            ++written;
        }
    }
    return written;
}

LoadingScreen::LoadingScreen(Hooks hooks) : hooks_(std::move(hooks)) {}

LoadingScreen::~LoadingScreen() {
    Stop();
}

std::unique_lock<LoadingScreen::LoadMutexLock> LoadingScreen::TakeLoadMutex() {
    return std::unique_lock<LoadMutexLock>(loadMutex_);
}

void LoadingScreen::ShowBackground() {
    if (hooks_.showBackground) hooks_.showBackground();
    barFrame_ = hooks_.loadBarFrame ? hooks_.loadBarFrame() : nullptr;
}

void LoadingScreen::Start() {
    if (thread_.joinable()) return; // only one loading thread at a time
    ShowBackground();
    {
        auto lock = TakeLoadMutex();
        stop_ = 0;
        target_ = 0;
        drawn_ = 0;
    }
    thread_ = std::thread([this] { ThreadProc(); });
}

void LoadingScreen::SetProgress(int percent) {
    auto lock = TakeLoadMutex();
    target_ = LoadingBarTarget(percent);
    if (!thread_.joinable()) return;
    wake_.notify_one();
    // Give the thread the moment it needs for the strip, then show it from this thread.
    caughtUp_.wait_for(lock, kMutexWait, [this] { return drawn_ == target_ || stop_; });
    lock.unlock();
    if (hooks_.present) hooks_.present();
}

void LoadingScreen::Stop() {
    if (thread_.joinable()) {
        {
            auto lock = TakeLoadMutex();
            stop_ = 1;
        }
        wake_.notify_one();
        thread_.join();
        if (hooks_.present) hooks_.present();
    }
    barFrame_.reset();
}

int LoadingScreen::Drawn() {
    auto lock = TakeLoadMutex();
    return drawn_;
}

int LoadingScreen::Passes() {
    auto lock = TakeLoadMutex();
    return passes_;
}

int LoadingScreen::ThreadProc() {
    for (;;) {
        auto lock = TakeLoadMutex();
        // Sleep until the loader moves the target or asks to stop, instead of spinning.
        wake_.wait(lock, [this] { return stop_ == 1 || target_ != drawn_; });
        if (stop_ == 1) return 1;
        if (target_ > drawn_) DrawStrip(drawn_, target_);
        drawn_ = target_;
        caughtUp_.notify_all();
    }
}

void LoadingScreen::DrawStrip(int drawn, int target) {
    platform::Surface* back = hooks_.backSurface ? hooks_.backSurface() : nullptr;
    if (!back) return;
    platform::DDSURFACEDESC2 desc;
    if (!LockSurfaceBounded(back, &desc)) return;
    const int written =
        DrawLoadingBar(static_cast<uint16_t*>(desc.lpSurface), desc.lPitch, static_cast<int>(desc.dwWidth),
                       static_cast<int>(desc.dwHeight), barFrame_.get(), drawn, target);
    back->Unlock(nullptr);
    if (written == 0) return;
    ++passes_;
    platform::Surface* primary = hooks_.primarySurface ? hooks_.primarySurface() : nullptr;
    if (!primary) return;
    platform::RECT rect{kBarLeft + drawn, kBarTop, kBarLeft + std::min(target, kBarLength),
                        kBarTop + kBarRows};
    primary->Blt(&rect, back, &rect, platform::DDBLT_WAIT | platform::DDBLT_KEYSRC);
}

namespace {

// Made after the platform's table of named objects, so gone before it: the screen closes its
// handle on "LoadMutex" while the table still exists.
struct ScreenHolder {
    ScreenHolder() { platform::CloseHandle(platform::CreateMutexA(nullptr, 0, "LoadMutex")); }
    std::unique_ptr<LoadingScreen> screen;
};

ScreenHolder& Holder() {
    static ScreenHolder holder;
    return holder;
}

// The display's surfaces and presenting from the window's thread, unless the caller gives others.
LoadingScreen::Hooks WithDefaults(LoadingScreen::Hooks hooks) {
    if (!hooks.backSurface) hooks.backSurface = [] { return GetBackSurface(); };
    if (!hooks.primarySurface) hooks.primarySurface = [] { return GetPrimarySurface(); };
    if (!hooks.present) hooks.present = [] { platform::FlushPendingPresent(); };
    return hooks;
}

LoadingScreen& Screen() {
    auto& screen = Holder().screen;
    if (!screen) screen = std::make_unique<LoadingScreen>(WithDefaults({}));
    return *screen;
}
} // namespace

// Start-up hands in the resource store's frame loading and drawing.
void SetLoadingScreenHooks(LoadingScreen::Hooks hooks) {
    auto& screen = Holder().screen;
    if (screen) screen->Stop();
    screen = std::make_unique<LoadingScreen>(WithDefaults(std::move(hooks)));
}

void StartLoadingScreen() {
    Screen().Start();
}

void ShowLoadingBackground() {
    Screen().ShowBackground();
}

void SetLoadingProgress(int percent) {
    Screen().SetProgress(percent);
}

void StopLoadingScreen() {
    Screen().Stop();
}

bool LoadingScreenRunning() {
    return Screen().Running();
}
