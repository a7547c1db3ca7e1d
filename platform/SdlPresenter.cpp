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
            DropRenderer();
            window_ = given;
        }
        if (!window_) {
            ownWindow_ = SDL_CreateWindow("Kardol", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                          width_ > 0 ? width_ : 800, height_ > 0 ? height_ : 600, 0);
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
            // Flags 0: the software renderer is enough and works on every driver.
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
