#include "platform/Present.h"

#include "platform/BmpWriter.h"
#include "platform/Surface.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace platform {

namespace {

struct PresentState {
    std::mutex mutex;
    std::unique_ptr<Presenter> presenter;
    int layoutOverride = 0;
    int padOverride = -1;
    int clientWidth = 800;
    int clientHeight = 600;
    int originX = 0;
    int originY = 0;
    PresentedFrame last;
    uint64_t count = 0;
    bool exitHook = false;
    std::chrono::steady_clock::time_point lastDump{};
    std::function<void(const PresentedFrame&)> observer;
};

PresentState& State() {
    static PresentState state;
    return state;
}

bool EnvIs(const char* name, const char* value) {
    const char* v = std::getenv(name);
    return v && std::strcmp(v, value) == 0;
}

const char* DumpPath() {
    const char* p = std::getenv("KARDOL_DUMP");
    return p && *p ? p : nullptr;
}

void DumpAtExit() {
    if (const char* path = DumpPath()) DumpLastFrame(path);
}

Presenter& PresenterLocked(PresentState& s) {
    if (!s.presenter) {
        if (!EnvIs("KARDOL_HEADLESS", "1")) s.presenter = detail::MakeSdlPresenter();
        if (!s.presenter) s.presenter = detail::MakeHeadlessPresenter();
    }
    return *s.presenter;
}

} // namespace

Presenter& GetPresenter() {
    PresentState& s = State();
    std::lock_guard<std::mutex> g(s.mutex);
    return PresenterLocked(s);
}

void PresentSurface(const Surface& surface) {
    PresentState& s = State();
    const int w = surface.width(), h = surface.height();
    bool dumpNow = false;
    Presenter* presenter;
    {
        std::lock_guard<std::mutex> g(s.mutex);
        presenter = &PresenterLocked(s);
        s.last.width = w;
        s.last.height = h;
        s.last.layout = surface.layout();
        s.last.pixels.resize(size_t(w) * size_t(h));
        const auto* base = reinterpret_cast<const uint8_t*>(surface.pixels());
        for (int y = 0; y < h; ++y)
            std::memcpy(s.last.pixels.data() + size_t(y) * size_t(w),
                        base + size_t(y) * size_t(surface.pitch()), size_t(w) * 2);
        ++s.count;
        if (DumpPath()) {
            if (!s.exitHook) {
                s.exitHook = true;
                std::atexit(DumpAtExit);
            }
            // Written now and then while running, and once more at exit.
            const auto now = std::chrono::steady_clock::now();
            if (now - s.lastDump > std::chrono::milliseconds(500)) {
                s.lastDump = now;
                dumpNow = true;
            }
        }
    }
    presenter->Present(surface.pixels(), w, h, surface.pitch(), surface.layout());
    if (s.observer) s.observer(s.last);
    if (dumpNow) DumpLastFrame(DumpPath());
}

void SetPresentWindow(void* sdlWindow) {
    detail::SetSdlWindow(sdlWindow);
}

void SetClientSize(int width, int height) {
    if (width <= 0 || height <= 0) return;
    PresentState& s = State();
    std::lock_guard<std::mutex> g(s.mutex);
    s.clientWidth = width;
    s.clientHeight = height;
}

void GetClientSize(int* width, int* height) {
    PresentState& s = State();
    std::lock_guard<std::mutex> g(s.mutex);
    if (width) *width = s.clientWidth;
    if (height) *height = s.clientHeight;
}

void SetClientOrigin(int x, int y) {
    PresentState& s = State();
    std::lock_guard<std::mutex> g(s.mutex);
    s.originX = x;
    s.originY = y;
}

void GetClientOrigin(int* x, int* y) {
    PresentState& s = State();
    std::lock_guard<std::mutex> g(s.mutex);
    if (x) *x = s.originX;
    if (y) *y = s.originY;
}

void FlushPendingPresent() {
    GetPresenter().FlushPending();
}

int GetPixelLayout() {
    PresentState& s = State();
    {
        std::lock_guard<std::mutex> g(s.mutex);
        if (s.layoutOverride) return s.layoutOverride;
    }
    return EnvIs("KARDOL_PIXEL_LAYOUT", "555") ? kLayout555 : kLayout565;
}

void SetPixelLayout(int layout) {
    PresentState& s = State();
    std::lock_guard<std::mutex> g(s.mutex);
    s.layoutOverride = layout == kLayout555 ? kLayout555 : (layout == kLayout565 ? kLayout565 : 0);
}

int GetPitchPadding() {
    PresentState& s = State();
    std::lock_guard<std::mutex> g(s.mutex);
    if (s.padOverride >= 0) return s.padOverride;
    if (const char* v = std::getenv("KARDOL_PITCH_PAD")) {
        const int pad = std::atoi(v);
        if (pad >= 0 && pad <= 4096) return pad & ~1;
    }
    return PresenterLocked(s).IsHeadless() ? 16 : 0;
}

void SetPitchPadding(int bytes) {
    PresentState& s = State();
    std::lock_guard<std::mutex> g(s.mutex);
    s.padOverride = bytes < 0 ? -1 : (bytes & ~1);
}

PresentedFrame LastPresentedFrame() {
    PresentState& s = State();
    std::lock_guard<std::mutex> g(s.mutex);
    return s.last;
}

void SetPresentObserver(std::function<void(const PresentedFrame&)> observer) {
    PresentState& s = State();
    std::lock_guard<std::mutex> g(s.mutex);
    s.observer = std::move(observer);
}

uint64_t PresentCount() {
    PresentState& s = State();
    std::lock_guard<std::mutex> g(s.mutex);
    return s.count;
}

bool DumpLastFrame(const std::string& path) {
    PresentedFrame f = LastPresentedFrame();
    if (f.pixels.empty()) return false;
    return WriteBmp16(path, f.pixels.data(), f.width, f.height, f.layout);
}

void ResetPresenterForTest() {
    PresentState& s = State();
    std::unique_ptr<Presenter> old;
    {
        std::lock_guard<std::mutex> g(s.mutex);
        old = std::move(s.presenter);
        s.layoutOverride = 0;
        s.padOverride = -1;
        s.clientWidth = 800;
        s.clientHeight = 600;
        s.originX = 0;
        s.originY = 0;
        s.last = PresentedFrame{};
        s.count = 0;
    }
}

} // namespace platform
