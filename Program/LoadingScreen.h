#pragma once

#include "platform/Mutex.h"
#include "platform/Surface.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Locks a whole surface, restoring it when it was lost; gives up after `attempts` failures
// instead of retrying for ever.
bool LockSurfaceBounded(platform::Surface* surface, platform::DDSURFACEDESC2* desc, int attempts = 64);

// Bar geometry on the 800 x 600 screen.
constexpr int kBarLeft = 273;
constexpr int kBarTop = 447;
constexpr int kBarRows = 21;
constexpr int kBarLength = 253;

// Frame 1 of "loading2.ani": each bar row takes the colour of this frame at column 273.
struct LoadingBarFrame {
    int width = 0;
    int height = 0;
    std::vector<uint16_t> pixels; // width * height
};

// Bar length for a percentage (clamped to 0..100).
int LoadingBarTarget(int percent);

// Draws bar columns drawn..target-1 into 16-bit pixels (rows pitchBytes apart). Rows or columns
// that the frame or the surface do not have are left alone. Returns the number of pixels written.
int DrawLoadingBar(uint16_t* pixels, int pitchBytes, int width, int height, const LoadingBarFrame* frame,
                   int drawn, int target);

// Keeps the progress bar moving while a stage file set is read on the main thread.
//
// The loading thread keeps the original split of work: it waits for the loader's target, draws
// the new strip into the back surface and copies it to the primary surface. Our display layer
// may only show a frame on the thread that owns the window, so a copy onto the primary surface
// from the loading thread is queued there, and the loader's own calls (SetProgress, Stop) show
// it once the thread has drawn the strip. The player sees the bar grow at the same moments.
class LoadingScreen {
public:
    // The named mutex "LoadMutex" that start-up creates, taken the game's way: 2000 ms waits,
    // again and again until one succeeds.
    class LoadMutexLock {
    public:
        LoadMutexLock();
        ~LoadMutexLock();
        LoadMutexLock(const LoadMutexLock&) = delete;
        LoadMutexLock& operator=(const LoadMutexLock&) = delete;
        void lock();
        void unlock();

    private:
        platform::HANDLE mutex_;
    };

    struct Hooks {
        // Draws frame 0 of "loading2.ani" at (0, 0) on the primary surface.
        std::function<void()> showBackground;
        // Frame 1 of "loading2.ani"; null when it cannot be read.
        std::function<std::unique_ptr<LoadingBarFrame>()> loadBarFrame;
        std::function<platform::Surface*()> backSurface;
        std::function<platform::Surface*()> primarySurface;
        // Shows what the loading thread copied onto the primary surface (main thread).
        std::function<void()> present;
    };

    explicit LoadingScreen(Hooks hooks);
    ~LoadingScreen();
    LoadingScreen(const LoadingScreen&) = delete;
    LoadingScreen& operator=(const LoadingScreen&) = delete;

    // Shows the background, resets the progress and starts the thread (when none runs).
    void Start();
    void ShowBackground();
    void SetProgress(int percent);
    // Stops and joins the thread, frees the bar frame.
    void Stop();
    bool Running() const { return thread_.joinable(); }

    // For tests: the bar length drawn so far and the number of strips drawn.
    int Drawn();
    int Passes();

private:
    std::unique_lock<LoadMutexLock> TakeLoadMutex();
    int ThreadProc();
    void DrawStrip(int drawn, int target);

    Hooks hooks_;
    LoadMutexLock loadMutex_;
    std::condition_variable_any wake_;
    std::condition_variable_any caughtUp_;
    uint8_t stop_ = 0;
    int32_t target_ = 0;
    int32_t drawn_ = 0;
    int passes_ = 0;
    std::unique_ptr<LoadingBarFrame> barFrame_;
    std::thread thread_;
};

// The program's loading screen, and the calls the stage loader, the controller and the
// save/load screen make.
void SetLoadingScreenHooks(LoadingScreen::Hooks hooks);
void StartLoadingScreen();
void ShowLoadingBackground();
void SetLoadingProgress(int percent);
void StopLoadingScreen();
// True while the program's loading screen runs its thread.
bool LoadingScreenRunning();
