#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Showing the primary surface. Two backends: SDL2 (a real window; the frame goes to a streaming
// texture in the surface's own 16-bit format) and headless (no window; keeps the last frame).
// Headless is chosen when KARDOL_HEADLESS=1 or no display can be opened. KARDOL_DUMP=file.bmp
// writes the last presented frame as a BMP.
namespace platform {

class Surface;

// One presented frame, as the player would see it.
struct PresentedFrame {
    int width = 0;
    int height = 0;
    int layout = 565;
    std::vector<uint16_t> pixels; // width * height, rows packed
};

class Presenter {
public:
    virtual ~Presenter() = default;
    virtual bool IsHeadless() const = 0;
    // Exclusive full screen with the given logical size (nearest scaling), or a plain window.
    virtual void SetFullScreen(bool fullScreen, int width, int height) = 0;
    // Shows one frame; called with the surface's pixels while nobody else may touch them.
    virtual void Present(const uint16_t* pixels, int width, int height, int pitchBytes, int layout) = 0;
    // Shows a frame that another thread handed in; call on the thread that owns the window.
    virtual void FlushPending() {}
    // The id of the window frames go to; 0 while there is none (always for headless).
    virtual uint32_t WindowId() const { return 0; }
};

// The backend in use, chosen on first use.
Presenter& GetPresenter();
// Hands the primary surface's pixels to the presenter and records the frame.
void PresentSurface(const Surface& surface);

// Window seam for the start-up code: the main window (an SDL_Window*) to present into (hand in
// null before destroying it), and its client size, which is the primary surface's size in
// window mode. Without a main window the SDL backend makes a window of its own.
void SetPresentWindow(void* sdlWindow);
void SetClientSize(int width, int height);
void GetClientSize(int* width, int* height);
// Screen position of the client area's top-left corner: a blit onto the primary surface through
// a clipper gives its destination in screen coordinates.
void SetClientOrigin(int x, int y);
void GetClientOrigin(int* x, int* y);
// Shows a frame that a second thread presented (call from the window's thread each loop pass).
void FlushPendingPresent();

// Pixel layout of every surface: 565 unless KARDOL_PIXEL_LAYOUT=555 or the seam says otherwise.
int GetPixelLayout();
void SetPixelLayout(int layout);
// Extra bytes at the end of every surface row (headless default 16, so that code that assumes
// pitch == width * 2 shows up in tests; env KARDOL_PITCH_PAD overrides; the SDL backend uses 0).
int GetPitchPadding();
void SetPitchPadding(int bytes);

// The last presented frame and the number of presents so far (both backends keep them).
PresentedFrame LastPresentedFrame();
uint64_t PresentCount();

// Test seam: called with every frame as it is presented (null: none).
void SetPresentObserver(std::function<void(const PresentedFrame&)> observer);

// Writes the last presented frame as a 24-bit BMP (temporary file renamed into place).
bool DumpLastFrame(const std::string& path);

// Test seam: drops the backend so that the next GetPresenter() chooses again, and forgets the
// recorded frames and the layout/padding seams.
void ResetPresenterForTest();

namespace detail {
std::unique_ptr<Presenter> MakeHeadlessPresenter();
// Null when SDL cannot open its video subsystem.
std::unique_ptr<Presenter> MakeSdlPresenter();
// The window the SDL backend presents into (null: it makes its own when it needs one).
void SetSdlWindow(void* sdlWindow);
} // namespace detail

} // namespace platform
