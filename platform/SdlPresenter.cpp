#include "platform/Present.h"

#include <SDL.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

namespace platform::detail {

namespace {

std::atomic<SDL_Window*> gGivenWindow{nullptr};

class SdlPresenter final : public Presenter {
public:
    SdlPresenter() : owner_(std::this_thread::get_id()) {}

    ~SdlPresenter() override {
        if (texture_) SDL_DestroyTexture(texture_);
        if (renderer_) SDL_DestroyRenderer(renderer_);
        if (ownWindow_) SDL_DestroyWindow(ownWindow_);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) SDL_Quit();
    }

    bool IsHeadless() const override { return false; }

    uint32_t WindowId() const override { return window_ ? SDL_GetWindowID(window_) : 0; }

    void SetFullScreen(bool fullScreen, int width, int height) override {
        std::lock_guard<std::mutex> g(mutex_);
        fullScreen_ = fullScreen;
        width_ = width;
        height_ = height;
        modeDirty_ = true;
        if (OnOwnerThread()) ApplyMode();
    }

    void Present(const uint16_t* pixels, int width, int height, int pitchBytes, int layout) override {
        std::lock_guard<std::mutex> g(mutex_);
        if (!OnOwnerThread()) {
            // Only the window's thread may render: keep the frame until it flushes.
            pending_.resize(size_t(width) * size_t(height));
            for (int y = 0; y < height; ++y)
                std::memcpy(pending_.data() + size_t(y) * size_t(width),
                            reinterpret_cast<const uint8_t*>(pixels) + size_t(y) * size_t(pitchBytes),
                            size_t(width) * 2);
            pendingWidth_ = width;
            pendingHeight_ = height;
            pendingLayout_ = layout;
            hasPending_ = true;
            return;
        }
        // A newer frame from the window's own thread supersedes one kept from another thread.
        hasPending_ = false;
        Render(pixels, width, height, pitchBytes, layout);
    }

    void FlushPending() override {
        std::lock_guard<std::mutex> g(mutex_);
        if (!OnOwnerThread() || !hasPending_) return;
        hasPending_ = false;
        Render(pending_.data(), pendingWidth_, pendingHeight_, pendingWidth_ * 2, pendingLayout_);
    }

private:
    bool OnOwnerThread() const { return std::this_thread::get_id() == owner_; }

    SDL_Window* Window() {
        SDL_Window* given = gGivenWindow.load();
        if (given && given != window_) {
            // The start-up's main window takes over from a window of our own.
            DropRenderer();
            if (ownWindow_) SDL_DestroyWindow(ownWindow_);
            ownWindow_ = nullptr;
            window_ = given;
            modeDirty_ = true;
        } else if (!given && window_ && window_ != ownWindow_) {
            // The main window was taken back (it is about to go): never touch it again.
            DropRenderer();
            window_ = nullptr;
        }
        if (!window_) {
            int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED;
            int w = width_ > 0 ? width_ : 800, h = height_ > 0 ? height_ : 600;
            SDL_Rect desktop;
            if (fullScreen_ && SDL_GetDisplayBounds(0, &desktop) == 0) {
                // Made over the whole desktop from the start: without a window manager the
                // switch to full screen keeps the window's own position and size.
                x = desktop.x;
                y = desktop.y;
                w = desktop.w;
                h = desktop.h;
            }
            ownWindow_ =
                SDL_CreateWindow("Kardol", x, y, w, h, fullScreen_ ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
            if (!ownWindow_) {
                std::fprintf(stderr, "present: no window: %s\n", SDL_GetError());
                return nullptr;
            }
            window_ = ownWindow_;
            modeDirty_ = true;
        }
        return window_;
    }

    void DropRenderer() {
        if (texture_) SDL_DestroyTexture(texture_);
        if (renderer_) SDL_DestroyRenderer(renderer_);
        texture_ = nullptr;
        renderer_ = nullptr;
    }

    void ApplyMode() {
        SDL_Window* w = Window();
        if (!w) return;
        modeDirty_ = false;
        if (fullScreen_) {
            SDL_SetWindowFullscreen(w, SDL_WINDOW_FULLSCREEN_DESKTOP);
        } else {
            SDL_SetWindowFullscreen(w, 0);
            if (w == ownWindow_ && width_ > 0 && height_ > 0) SDL_SetWindowSize(w, width_, height_);
        }
        if (renderer_ && width_ > 0 && height_ > 0) SDL_RenderSetLogicalSize(renderer_, width_, height_);
    }

    void Render(const uint16_t* pixels, int width, int height, int pitchBytes, int layout) {
        if (modeDirty_) ApplyMode();
        SDL_Window* w = Window();
        if (!w) return;
        if (!renderer_) {
            // Flags 0: any renderer will do, the software one included (SDL_RENDER_DRIVER can choose).
            renderer_ = SDL_CreateRenderer(w, -1, 0);
            if (!renderer_) {
                std::fprintf(stderr, "present: no renderer: %s\n", SDL_GetError());
                return;
            }
        }
        const Uint32 format = layout == 555 ? SDL_PIXELFORMAT_RGB555 : SDL_PIXELFORMAT_RGB565;
        if (!texture_ || texWidth_ != width || texHeight_ != height || texFormat_ != format) {
            if (texture_) SDL_DestroyTexture(texture_);
            texture_ = SDL_CreateTexture(renderer_, format, SDL_TEXTUREACCESS_STREAMING, width, height);
            if (!texture_) {
                std::fprintf(stderr, "present: no texture: %s\n", SDL_GetError());
                return;
            }
            SDL_SetTextureScaleMode(texture_, SDL_ScaleModeNearest);
            texWidth_ = width;
            texHeight_ = height;
            texFormat_ = format;
            SDL_RenderSetLogicalSize(renderer_, width, height);
        }
        SDL_UpdateTexture(texture_, nullptr, pixels, pitchBytes);
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
        SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
        SDL_RenderPresent(renderer_);
    }

    std::mutex mutex_;
    std::thread::id owner_;
    SDL_Window* window_ = nullptr;
    SDL_Window* ownWindow_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    int texWidth_ = 0, texHeight_ = 0;
    Uint32 texFormat_ = 0;
    bool fullScreen_ = false;
    bool modeDirty_ = false;
    int width_ = 800, height_ = 600;
    std::vector<uint16_t> pending_;
    int pendingWidth_ = 0, pendingHeight_ = 0, pendingLayout_ = 565;
    bool hasPending_ = false;
};

} // namespace

void SetSdlWindow(void* sdlWindow) {
    gGivenWindow = static_cast<SDL_Window*>(sdlWindow);
}

std::unique_ptr<Presenter> MakeSdlPresenter() {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return nullptr;
    return std::make_unique<SdlPresenter>();
}

} // namespace platform::detail
